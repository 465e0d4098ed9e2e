// The curve editor window: painting (double-buffered) and the mouse.
#include "ui/graph_ctrl.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>

#include "framework/dpi.h"
#include "framework/high_contrast.h"

namespace {

constexpr char kClassName[] = "MelodekGraphCtrl";

// Colours of the drawing: the control's own, or the system's in high contrast.
struct GraphColours {
  COLORREF background, curve, handle, hotRing, label, grid;
};
constexpr GraphColours kOwnColours{RGB(255, 255, 255), RGB(0, 0, 0),     RGB(0, 128, 255),
                                   RGB(255, 128, 0),   RGB(0, 128, 0),   RGB(192, 192, 192)};

GraphColours CurrentColours() {
  if (!HighContrastOn()) return kOwnColours;
  return {::GetSysColor(COLOR_WINDOW),    ::GetSysColor(COLOR_WINDOWTEXT), ::GetSysColor(COLOR_HIGHLIGHT),
          ::GetSysColor(COLOR_HOTLIGHT),  ::GetSysColor(COLOR_WINDOWTEXT), ::GetSysColor(COLOR_GRAYTEXT)};
}

// Pixel sizes at 96 DPI.
constexpr int kClipInset = 2;
constexpr int kPlotInset = 10;
constexpr int kPlotTopExtra = 4;
constexpr int kHandleSize = 7;
constexpr int kHotRingSize = 9;
constexpr int kYLabelIndent = 20;
constexpr int kLabelGap = 4;    // least room between two frequency labels
constexpr int kTipOffset = 12;  // the tip's corner from the dragged point
constexpr UINT kUpdateTip = WM_APP + 0x10;  // posted to itself during a drag

// The keyboard's steps, in hundredths of the value range.
constexpr int kLineStep = 1;
constexpr int kPageStep = 10;

inline void DeleteDcHandle(HDC dc) { ::DeleteDC(dc); }
using UniqueMemoryDc = UniqueAny<HDC, DeleteDcHandle>;

bool RegisterGraphClass(WNDPROC procedure) {
  static const ATOM atom = [procedure] {
    WNDCLASSEXA windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = ::GetModuleHandleA(nullptr);
    windowClass.hCursor = ::LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    windowClass.lpszClassName = kClassName;
    return ::RegisterClassExA(&windowClass);
  }();
  return atom != 0;
}

void FillSquare(HDC dc, int cx, int cy, int size, COLORREF colour) {
  const int half = size / 2;
  const RECT square{cx - half, cy - half, cx - half + size, cy - half + size};
  ::SetBkColor(dc, colour);
  // ExtTextOut with ETO_OPAQUE fills without a brush object to manage.
  ::ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &square, nullptr, 0, nullptr);
}

}  // namespace

CGraphCtrl::CGraphCtrl() = default;

CGraphCtrl::~CGraphCtrl() {
  if (window_) ::SetWindowLongPtrA(window_.get(), GWLP_USERDATA, 0);
}

bool CGraphCtrl::CreateOver(HWND placeholder, int id) {
  HWND parent = ::GetParent(placeholder);
  if (parent == nullptr || !RegisterGraphClass(&CGraphCtrl::WindowProc)) return false;
  RECT rect;
  ::GetWindowRect(placeholder, &rect);
  ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
  HWND window = ::CreateWindowExA(0, kClassName, "GraphCtrl", WS_CHILD | WS_VISIBLE | WS_TABSTOP, rect.left, rect.top,
                                  rect.right - rect.left, rect.bottom - rect.top, parent,
                                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), ::GetModuleHandleA(nullptr),
                                  this);
  if (window == nullptr) return false;
  window_.reset(window);
  // In the tab order where the placeholder stands.
  ::SetWindowPos(window, placeholder, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  font_ = reinterpret_cast<HFONT>(::SendMessageA(parent, WM_GETFONT, 0, 0));
  dpi_ = WindowDpi(window);
  UpdateGeometry();
  CreateTip();
  return true;
}

void CGraphCtrl::CreateTip() {
  tip_.reset(::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, window_.get(), nullptr,
                               ::GetModuleHandleW(nullptr), nullptr));
  if (!tip_) return;
  TTTOOLINFOW info{};
  info.cbSize = sizeof info;
  info.uFlags = TTF_TRACK | TTF_ABSOLUTE;
  info.hwnd = window_.get();
  info.uId = 1;
  info.lpszText = const_cast<wchar_t*>(L"");
  ::SendMessageW(tip_.get(), TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info));
}

void CGraphCtrl::ShowPointTip(bool show) {
  if (!tip_) return;
  TTTOOLINFOW info{};
  info.cbSize = sizeof info;
  info.hwnd = window_.get();
  info.uId = 1;
  const auto& points = model_.Points();
  const bool known = hotPoint_ >= 0 && static_cast<size_t>(hotPoint_) < points.size();
  if (!show || !known || !describer_) {
    if (tipShown_) ::SendMessageW(tip_.get(), TTM_TRACKACTIVATE, FALSE, reinterpret_cast<LPARAM>(&info));
    tipShown_ = false;
    return;
  }
  const GraphPoint& point = points[static_cast<size_t>(hotPoint_)];
  std::wstring text = describer_(point.x, point.y);
  POINT at{model_.XToPixel(plot_, point.x) + Scaled(kTipOffset), model_.PointYToPixel(plot_, point.y) + Scaled(kTipOffset)};
  ::ClientToScreen(window_.get(), &at);
  // Each of these messages moves and redraws the tip window: only what changed is sent.
  if (!tipShown_ || text != tipText_) {
    tipText_ = std::move(text);
    info.lpszText = const_cast<wchar_t*>(tipText_.c_str());
    ::SendMessageW(tip_.get(), TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&info));
  }
  if (!tipShown_ || at.x != tipAt_.x || at.y != tipAt_.y) {
    tipAt_ = at;
    ::SendMessageW(tip_.get(), TTM_TRACKPOSITION, 0, MAKELPARAM(at.x, at.y));
  }
  if (!tipShown_) ::SendMessageW(tip_.get(), TTM_TRACKACTIVATE, TRUE, reinterpret_cast<LPARAM>(&info));
  tipShown_ = true;
}

void CGraphCtrl::SetCurveMode(int32_t mode) {
  model_.SetCurveMode(mode);
  RepaintNow();
}

void CGraphCtrl::SetXScale(int32_t scale) {
  model_.SetXScale(scale);
  RepaintNow();
}

void CGraphCtrl::SetRange(float xMin, float xMax, float yMin, float yMax) {
  model_.SetRange(xMin, xMax, yMin, yMax);
  hotPoint_ = -1;
  RepaintNow();
}

void CGraphCtrl::RepaintNow() {
  if (window_) ::RedrawWindow(window_.get(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
}

int CGraphCtrl::Scaled(int pixels) const { return DpiScale(dpi_, pixels); }

void CGraphCtrl::UpdateGeometry() {
  if (!window_) return;
  ::GetClientRect(window_.get(), &client_);
  const int inset = Scaled(kPlotInset);
  plot_.left = client_.left + inset;
  plot_.top = client_.top + inset + Scaled(kPlotTopExtra);
  plot_.width = std::max(1, static_cast<int>(client_.right - inset - plot_.left));
  plot_.height = std::max(1, static_cast<int>(client_.bottom - inset - plot_.top));
}

// --- messages ------------------------------------------------------------------

LRESULT CALLBACK CGraphCtrl::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
    ::SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* self = reinterpret_cast<CGraphCtrl*>(::GetWindowLongPtrA(window, GWLP_USERDATA));
  if (self == nullptr) return ::DefWindowProcA(window, message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    // Destroyed with its parent: nothing left to destroy later. The tip went
    // already when it went with the dialog that owns it.
    ::SetWindowLongPtrA(window, GWLP_USERDATA, 0);
    self->window_.release();
    if (::IsWindow(self->tip_.get())) {
      self->tip_.reset();
    } else {
      self->tip_.release();
    }
    return ::DefWindowProcA(window, message, wParam, lParam);
  }
  return self->HandleMessage(window, message, wParam, lParam);
}

// `window` is passed in: during creation window_ is not set yet.
LRESULT CGraphCtrl::HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT:
      OnPaint();
      return 0;
    case WM_ERASEBKGND:
      return 1;  // the paint handler covers every pixel
    case WM_SIZE:
      UpdateGeometry();
      return 0;
    case WM_MOUSEMOVE:
      OnMouseMove(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
      ::SetCursor(::LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW)));
      break;
    case WM_LBUTTONDOWN:
      OnLeftButtonDown();
      return 0;
    case WM_LBUTTONUP:
      OnLeftButtonUp();
      return 0;
    case WM_RBUTTONDOWN:
      OnRightButtonDown(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
      return 0;
    case WM_CAPTURECHANGED:
      // Capture taken away mid-drag (another window, a key): the drag ends.
      if (dragging_ && reinterpret_cast<HWND>(lParam) != window) {
        dragging_ = false;
        ShowPointTip(false);
        Notify(kGraphDragEnd);
      }
      return 0;
    case WM_GETDLGCODE:
      return DLGC_WANTARROWS;
    case kUpdateTip:
      tipUpdatePosted_ = false;
      if (dragging_) ShowPointTip(true);
      return 0;
    case WM_KEYDOWN:
      if (OnKey(wParam)) return 0;
      break;
    case WM_SETFOCUS:
      // The keys act on a point: the first one, unless the mouse picked one.
      if (hotPoint_ < 0 && !model_.Points().empty()) hotPoint_ = 0;
      ShowPointTip(true);
      RepaintNow();
      return 0;
    case WM_KILLFOCUS:
      if (!dragging_) ShowPointTip(false);
      RepaintNow();
      return 0;
    case WM_SETFONT:
      font_ = reinterpret_cast<HFONT>(wParam);
      if (LOWORD(lParam) != 0) RepaintNow();
      return 0;
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(font_);
    case kWmDpiChangedAfterParent:
      dpi_ = WindowDpi(window);
      UpdateGeometry();
      RepaintNow();
      return 0;
    default:
      break;
  }
  return ::DefWindowProcA(window, message, wParam, lParam);
}

void CGraphCtrl::Notify(WORD code) {
  if (!window_) return;
  HWND window = window_.get();
  const int id = ::GetDlgCtrlID(window);
  ::SendMessageA(::GetParent(window), WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(window));
}

void CGraphCtrl::OnMouseMove(int x, int y) {
  if (dragging_) {
    model_.DragPointTo(plot_, hotPoint_, x, y);
    Notify(kGraphChanged);
    RepaintNow();
    // The tip follows once the moves queued behind this one are done: one
    // update for a burst of them, after the curve.
    if (!tipUpdatePosted_) tipUpdatePosted_ = ::PostMessageW(window_.get(), kUpdateTip, 0, 0) != FALSE;
    return;
  }
  const int32_t hot = model_.HitTest(plot_, x, y, Scaled(kHandleSize));
  if (hot != hotPoint_) {
    hotPoint_ = hot;
    RepaintNow();
  }
}

void CGraphCtrl::OnLeftButtonDown() {
  ::SetFocus(window_.get());
  if (hotPoint_ == -1 || dragging_) return;
  dragging_ = true;
  ::SetCapture(window_.get());
  ShowPointTip(true);
  Notify(kGraphDragStart);
}

void CGraphCtrl::OnLeftButtonUp() {
  if (!dragging_) return;
  dragging_ = false;  // first: releasing the capture reports WM_CAPTURECHANGED
  ::ReleaseCapture();
  ShowPointTip(false);
  Notify(kGraphDragEnd);
}

bool CGraphCtrl::OnKey(WPARAM key) {
  const int32_t count = static_cast<int32_t>(model_.Points().size());
  if (count == 0 || dragging_) return false;
  const float span = model_.yMax() - model_.yMin();
  switch (key) {
    case VK_LEFT:
      hotPoint_ = hotPoint_ <= 0 ? 0 : hotPoint_ - 1;
      break;
    case VK_RIGHT:
      hotPoint_ = hotPoint_ < 0 ? 0 : std::min(hotPoint_ + 1, count - 1);
      break;
    case VK_UP: case VK_DOWN: case VK_PRIOR: case VK_NEXT: {
      if (hotPoint_ < 0 || hotPoint_ >= count) hotPoint_ = 0;
      const int step = key == VK_UP || key == VK_DOWN ? kLineStep : kPageStep;
      const bool up = key == VK_UP || key == VK_PRIOR;
      model_.NudgePoint(hotPoint_, (up ? step : -step) * span / 100);
      Notify(kGraphChanged);
      break;
    }
    default:
      return false;
  }
  RepaintNow();
  ShowPointTip(true);
  return true;
}

void CGraphCtrl::OnRightButtonDown(int x, int y) {
  // A right click during a drag would pull the dragged point away under it.
  if (!model_.canAddRemove() || dragging_) return;
  hotPoint_ = model_.RightClick(plot_, hotPoint_, x, y);
  Notify(kGraphChanged);
  RepaintNow();
}

// --- drawing -------------------------------------------------------------------

void CGraphCtrl::OnPaint() {
  HWND window = window_.get();
  ScopedPaint paint(window);
  RECT client;
  ::GetClientRect(window, &client);
  if (client.right <= 0 || client.bottom <= 0) return;
  // The off-screen picture is kept between paints and made anew only when
  // the size changes.
  if (!backBuffer_ || backSize_.cx != client.right || backSize_.cy != client.bottom) {
    backBuffer_.reset(::CreateCompatibleBitmap(paint.dc(), client.right, client.bottom));
    backSize_ = {client.right, client.bottom};
  }
  UniqueMemoryDc memory(::CreateCompatibleDC(paint.dc()));
  if (!memory || !backBuffer_) return;
  ScopedSelect selectBitmap(memory.get(), backBuffer_.get());
  HGDIOBJ font = font_ != nullptr ? static_cast<HGDIOBJ>(font_) : ::GetStockObject(DEFAULT_GUI_FONT);
  ScopedSelect selectFont(memory.get(), font);
  OnDraw(memory.get());
  ::BitBlt(paint.dc(), 0, 0, client.right, client.bottom, memory.get(), 0, 0, SRCCOPY);
}

void CGraphCtrl::OnDraw(HDC dc) {
  RECT client;
  ::GetClientRect(window_.get(), &client);
  ::SetBkColor(dc, CurrentColours().background);
  ::ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &client, nullptr, 0, nullptr);
  RECT edge = client;
  ::DrawEdge(dc, &edge, EDGE_SUNKEN, BF_RECT);
  UpdateGeometry();
  const int clip = Scaled(kClipInset);
  ::IntersectClipRect(dc, client.left + clip, client.top + clip, client.right - clip, client.bottom - clip);

  model_.PrepareCurve();
  DrawLabels(dc, client);
  DrawCurve(dc);
  DrawHandles(dc);
  if (::GetFocus() == window_.get()) {
    RECT focus = client;
    ::InflateRect(&focus, -clip, -clip);
    ::DrawFocusRect(dc, &focus);
  }
}

void CGraphCtrl::DrawLabels(HDC dc, const RECT& client) {
  const GraphColours colours = CurrentColours();
  UniqueGdiObject gridPen(::CreatePen(PS_SOLID, 0, colours.grid));
  ScopedSelect selectPen(dc, gridPen.get());
  ::SetTextColor(dc, colours.label);
  ::SetBkColor(dc, colours.background);  // the context's default background

  // The y labels beside their lines. The row of x labels at the top starts
  // inside the clipped edge, and right of a y label that reaches up into it.
  struct Placed {
    const GraphLabel* label;
    POINT at;
  };
  std::vector<Placed> yTexts;
  const int gap = Scaled(kLabelGap);
  SIZE digit{};
  ::GetTextExtentPoint32A(dc, "0", 1, &digit);
  int rowLeft = client.left + Scaled(kClipInset);
  for (const GraphLabel& label : model_.YLabels()) {
    const int row = model_.PointYToPixel(plot_, label.value);
    ::MoveToEx(dc, client.left, row, nullptr);
    ::LineTo(dc, client.right, row);
    SIZE size{};
    ::GetTextExtentPoint32A(dc, label.text.c_str(), static_cast<int>(label.text.size()), &size);
    const POINT at{client.left + Scaled(kYLabelIndent), row - size.cy / 2};
    yTexts.push_back({&label, at});
    if (at.y < client.top + digit.cy) rowLeft = std::max(rowLeft, static_cast<int>(at.x + size.cx) + gap);
  }

  // Vertical lines at every x label; their texts at the top, thinned where
  // they would touch each other or stick out of the row.
  const auto& xLabels = model_.XLabels();
  std::vector<int> centres, widths;
  for (const GraphLabel& label : xLabels) {
    const int column = model_.XToPixel(plot_, label.value);
    ::MoveToEx(dc, column, client.top, nullptr);
    ::LineTo(dc, column, client.bottom);
    SIZE size{};
    ::GetTextExtentPoint32A(dc, label.text.c_str(), static_cast<int>(label.text.size()), &size);
    centres.push_back(column);
    widths.push_back(size.cx);
  }
  const int rowRight = client.right - Scaled(kClipInset);
  for (size_t i : ThinLabels(centres, widths, gap, rowLeft, rowRight)) {
    const GraphLabel& label = xLabels[i];
    ::TextOutA(dc, centres[i] - widths[i] / 2, client.top, label.text.c_str(), static_cast<int>(label.text.size()));
  }
  for (const Placed& text : yTexts) {
    ::TextOutA(dc, text.at.x, text.at.y, text.label->text.c_str(), static_cast<int>(text.label->text.size()));
  }
}

void CGraphCtrl::DrawCurve(HDC dc) {
  if (!model_.HasCurve()) return;
  UniqueGdiObject curvePen(::CreatePen(PS_SOLID, 0, CurrentColours().curve));
  ScopedSelect selectPen(dc, curvePen.get());
  if (model_.curveMode() == kCurveStraight) {
    auto to = [&](float x, bool first) {
      const int column = model_.XToPixel(plot_, x);
      const int row = model_.CurveYToPixel(plot_, model_.CurveValue(x));
      if (first) {
        ::MoveToEx(dc, column, row, nullptr);
      } else {
        ::LineTo(dc, column, row);
      }
    };
    to(model_.xMin(), true);
    for (const GraphPoint& point : model_.Points()) to(point.x, false);
    to(model_.xMax(), false);
    return;
  }
  // One segment per pixel column, at the curve's value at that column's x;
  // one polyline call instead of a call per column.
  std::vector<POINT>& line = curveLine_;
  line.clear();
  for (int column = plot_.left; column <= plot_.left + plot_.width; ++column) {
    line.push_back({column, model_.CurveYToPixel(plot_, model_.CurveValue(model_.PixelToX(plot_, column)))});
  }
  ::Polyline(dc, line.data(), static_cast<int>(line.size()));
}

void CGraphCtrl::DrawHandles(HDC dc) {
  const GraphColours colours = CurrentColours();
  const auto& points = model_.Points();
  for (size_t i = 0; i < points.size(); ++i) {
    const int cx = model_.XToPixel(plot_, points[i].x);
    const int cy = model_.PointYToPixel(plot_, points[i].y);
    if (static_cast<int32_t>(i) == hotPoint_) FillSquare(dc, cx, cy, Scaled(kHotRingSize), colours.hotRing);
    FillSquare(dc, cx, cy, Scaled(kHandleSize), colours.handle);
  }
}
