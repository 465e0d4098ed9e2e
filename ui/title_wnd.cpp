// The on-screen title display.
#include "ui/title_wnd.h"

#include <algorithm>

#include "common/resource.h"
#include "common/window_messages.h"
#include "framework/dpi.h"
#include "framework/high_contrast.h"
#include "ui/layered_window.h"
#include "ui/title_fade.h"

namespace {
constexpr UINT_PTR kFadeTimer = 10;
constexpr UINT kFadeTickMs = 50;
constexpr COLORREF kKeyColour = RGB(0, 0, 0);        // keyed out: the window shows no background
constexpr COLORREF kOutlineColour = RGB(8, 8, 8);    // almost black, but not the key
constexpr COLORREF kTextColour = RGB(255, 255, 255);
constexpr UINT kTextFormat = DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS;

// In high contrast the window is opaque in the system's colours: no
// colour is keyed out (the scheme's background may well be black).
DWORD LayeredFlags() { return HighContrastOn() ? LWA_ALPHA : LWA_COLORKEY | LWA_ALPHA; }
}  // namespace

const MessageMapEntry<CTitleWnd> CTitleWnd::kMessageMap[] = {
    {UM_TITLE_TEXT, &CTitleWnd::OnTakeText},
    {WM_TIMER, &CTitleWnd::OnTimer},
    {WM_PAINT, &CTitleWnd::OnPaint},
    {WM_ERASEBKGND, &CTitleWnd::OnEraseBackground},
};

CTitleWnd::CTitleWnd() : CDialog(IDD_TITLE) {}

CTitleWnd::~CTitleWnd() {
  std::lock_guard<std::mutex> guard(lock_);
  postTarget_ = nullptr;
}

bool CTitleWnd::CreateHidden() {
  if (!Create(nullptr)) return false;
  std::lock_guard<std::mutex> guard(lock_);
  postTarget_ = Handle();
  // A text handed over before the window existed is shown now.
  if (hasPending_) PostTakeLocked();
  return true;
}

bool CTitleWnd::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  return DispatchMessageMap(this, kMessageMap, message, wParam, lParam, result);
}

BOOL CTitleWnd::OnInitDialog() {
  SetLayered(Handle(), true);
  MakeFont(WindowDpi(Handle()));
  return FALSE;
}

void CTitleWnd::MakeFont(int dpi) {
  // The system's message font, bold, twice its height, for this window's DPI.
  NONCLIENTMETRICSA metrics{};
  metrics.cbSize = sizeof metrics;
  LOGFONTA font{};
  if (::SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) {
    font = metrics.lfMessageFont;
  } else {
    ::GetObjectA(::GetStockObject(DEFAULT_GUI_FONT), sizeof font, &font);
  }
  HDC screen = ::GetDC(nullptr);
  const int screenDpi = screen != nullptr ? ::GetDeviceCaps(screen, LOGPIXELSY) : 96;
  if (screen != nullptr) ::ReleaseDC(nullptr, screen);
  if (font.lfHeight == 0) font.lfHeight = -DpiScale(screenDpi, 12);
  font.lfHeight = ::MulDiv(font.lfHeight * 2, dpi, screenDpi > 0 ? screenDpi : 96);
  font.lfWidth = 0;
  font.lfWeight = FW_BOLD;
  font_.reset(::CreateFontIndirectA(&font));
}

int CTitleWnd::Outline() const { return std::max(1, DpiScale(Handle(), 1)); }

void CTitleWnd::ShowText(const std::string& text) {
  std::lock_guard<std::mutex> guard(lock_);
  pending_ = text;
  hasPending_ = true;
  // One message is enough however many texts arrive before it is taken.
  if (!messagePosted_) PostTakeLocked();
}

void CTitleWnd::PostTakeLocked() {
  if (postTarget_ != nullptr) messagePosted_ = ::PostMessageA(postTarget_, UM_TITLE_TEXT, 0, 0) != FALSE;
}

void CTitleWnd::OnDpiChanged(int dpi) {
  MakeFont(dpi);
  if (::IsWindowVisible(Handle())) Present();  // measured again with the new font
}

LRESULT CTitleWnd::OnTakeText(WPARAM, LPARAM, bool&) {
  {
    std::lock_guard<std::mutex> guard(lock_);
    messagePosted_ = false;
    if (!hasPending_) return 0;
    text_ = std::move(pending_);
    pending_.clear();
    hasPending_ = false;
  }
  Present();
  return 0;
}

void CTitleWnd::Present() {
  // Measured with the font it is drawn with; never wider than the screen.
  SIZE size{0, 0};
  if (HDC dc = ::GetDC(Handle())) {
    ScopedSelect select(dc, font_.get());
    RECT measured{0, 0, 0, 0};
    // Without the ellipsis flag: measuring is what decides whether it is needed.
    ::DrawTextA(dc, text_.c_str(), static_cast<int>(text_.size()), &measured,
                DT_SINGLELINE | DT_NOPREFIX | DT_CALCRECT);
    size = {measured.right - measured.left, measured.bottom - measured.top};
    ::ReleaseDC(Handle(), dc);
  }
  const int border = 2 * Outline();
  const int width = std::min<int>(size.cx + border, ::GetSystemMetrics(SM_CXSCREEN));
  ::SetWindowPos(Handle(), HWND_TOPMOST, 0, 0, width, size.cy + border, SWP_NOACTIVATE);
  ::SetWindowTextA(Handle(), text_.c_str());  // what assistive tools read
  SetLayeredAttributes(Handle(), kKeyColour, 255, LayeredFlags());
  ::ShowWindow(Handle(), SW_SHOWNOACTIVATE);
  shownAt_ = ::GetTickCount();
  ::RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
  // The fade timer runs only while the text is on screen.
  if (!timerRunning_) timerRunning_ = ::SetTimer(Handle(), kFadeTimer, kFadeTickMs, nullptr) != 0;
}

void CTitleWnd::Hide() {
  ::ShowWindow(Handle(), SW_HIDE);
  if (timerRunning_) ::KillTimer(Handle(), kFadeTimer);
  timerRunning_ = false;
}

LRESULT CTitleWnd::OnTimer(WPARAM, LPARAM, bool&) {
  const int alpha = TitleAlphaAt(::GetTickCount() - shownAt_);
  if (alpha < 0) {
    Hide();
    return 0;
  }
  if (!::IsWindowVisible(Handle())) ::ShowWindow(Handle(), SW_SHOWNOACTIVATE);
  SetLayeredAttributes(Handle(), kKeyColour, static_cast<BYTE>(alpha), LayeredFlags());
  return 0;
}

void CTitleWnd::OnColoursChanged() {
  // A text on screen changes its look at once, at the alpha of its fade.
  const int alpha = TitleAlphaAt(::GetTickCount() - shownAt_);
  if (::IsWindowVisible(Handle()) && alpha >= 0) {
    SetLayeredAttributes(Handle(), kKeyColour, static_cast<BYTE>(alpha), LayeredFlags());
  }
}

LRESULT CTitleWnd::OnEraseBackground(WPARAM, LPARAM, bool&) {
  return 1;  // painting fills the whole window itself
}

LRESULT CTitleWnd::OnPaint(WPARAM, LPARAM, bool&) {
  ScopedPaint paint(Handle());
  HDC dc = paint.dc();
  RECT client;
  ::GetClientRect(Handle(), &client);
  const bool contrast = HighContrastOn();
  UniqueGdiObject background(::CreateSolidBrush(contrast ? ::GetSysColor(COLOR_WINDOW) : kKeyColour));
  ::FillRect(dc, &client, static_cast<HBRUSH>(background.get()));
  ScopedSelect select(dc, font_.get());
  const int oldMode = ::SetBkMode(dc, TRANSPARENT);
  const int o = Outline();
  const int textWidth = client.right - 2 * o;
  const int textHeight = client.bottom - 2 * o;
  auto draw = [&](int x, int y) {
    RECT at{x, y, x + textWidth, y + textHeight};
    ::DrawTextA(dc, text_.c_str(), static_cast<int>(text_.size()), &at, kTextFormat);
  };
  if (contrast) {
    // The scheme's text on its background, framed in the text colour.
    UniqueGdiObject frame(::CreateSolidBrush(::GetSysColor(COLOR_WINDOWTEXT)));
    ::FrameRect(dc, &client, static_cast<HBRUSH>(frame.get()));
    ::SetTextColor(dc, ::GetSysColor(COLOR_WINDOWTEXT));
  } else {
    // The outline: the text eight times around its place, then the text itself.
    ::SetTextColor(dc, kOutlineColour);
    static constexpr int kAround[8][2] = {{0, 0}, {1, 0}, {2, 0}, {0, 1}, {2, 1}, {0, 2}, {1, 2}, {2, 2}};
    for (const auto& step : kAround) draw(step[0] * o, step[1] * o);
    ::SetTextColor(dc, kTextColour);
  }
  draw(o, o);
  ::SetBkMode(dc, oldMode);
  return 0;
}
