// The curve editor window under Wine: what its mouse handling tells the
// parent, and what it draws where.
#include <gtest/gtest.h>

#include <windows.h>

#include <vector>

#include "ui/graph_ctrl.h"

namespace {

constexpr int kGraphId = 1025;

// A top-level window that records the editor's notifications.
class Parent {
 public:
  Parent() {
    static const ATOM atom = [] {
      WNDCLASSA windowClass{};
      windowClass.lpfnWndProc = &Parent::Proc;
      windowClass.hInstance = ::GetModuleHandleA(nullptr);
      windowClass.lpszClassName = "GraphTestParent";
      return ::RegisterClassA(&windowClass);
    }();
    (void)atom;
    window = ::CreateWindowExA(0, "GraphTestParent", "parent", WS_POPUP | WS_VISIBLE, 0, 0, 640, 480,
                               nullptr, nullptr, ::GetModuleHandleA(nullptr), this);
    placeholder = ::CreateWindowExA(0, "STATIC", "", WS_CHILD, 20, 30, 520, 224, window, nullptr,
                                    ::GetModuleHandleA(nullptr), nullptr);
  }
  ~Parent() { ::DestroyWindow(window); }

  static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
      ::SetWindowLongPtrA(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams));
    }
    auto* self = reinterpret_cast<Parent*>(::GetWindowLongPtrA(window, GWLP_USERDATA));
    if (self != nullptr && message == WM_COMMAND && LOWORD(wParam) == kGraphId) {
      self->codes.push_back(HIWORD(wParam));
      self->senders.push_back(reinterpret_cast<HWND>(lParam));
      return 0;
    }
    return ::DefWindowProcA(window, message, wParam, lParam);
  }

  HWND window = nullptr;
  HWND placeholder = nullptr;
  std::vector<WORD> codes;
  std::vector<HWND> senders;
};

class TestGraph : public CGraphCtrl {
 public:
  using CGraphCtrl::OnDraw;
};

// The equalizer's set-up with three points (100 Hz, 1 kHz, 10 kHz) at gain 1.
void SetUpEqualizerLike(TestGraph& graph, bool xLocked) {
  graph.SetRange(4, 4096, 0, 2);
  graph.SetCurveMode(kCurveLinear);
  graph.SetXScale(kXScaleLog2);
  graph.ClearPoints();
  graph.SetPoint(0, 18.576f, 1.0f);
  graph.SetPoint(1, 185.76f, 1.0f);
  graph.SetPoint(2, 1857.6f, 1.0f);
  graph.SetXLocked(xLocked);
  graph.RepaintNow();
}

LPARAM At(int x, int y) { return MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y)); }

POINT PointPixel(const TestGraph& graph, size_t index) {
  const GraphPoint& p = graph.model().Points()[index];
  return {graph.model().XToPixel(graph.plot(), p.x), graph.model().PointYToPixel(graph.plot(), p.y)};
}

TEST(GraphCtrl, CreatedOverThePlaceholder) {
  Parent parent;
  TestGraph graph;
  ASSERT_TRUE(graph.CreateOver(parent.placeholder, kGraphId));
  RECT rect;
  ::GetWindowRect(graph.Handle(), &rect);
  ::MapWindowPoints(nullptr, parent.window, reinterpret_cast<POINT*>(&rect), 2);
  EXPECT_EQ(rect.left, 20);
  EXPECT_EQ(rect.top, 30);
  EXPECT_EQ(rect.right, 540);
  EXPECT_EQ(rect.bottom, 254);
  EXPECT_EQ(::GetDlgCtrlID(graph.Handle()), kGraphId);
  char text[32] = {};
  ::GetWindowTextA(graph.Handle(), text, sizeof text);
  EXPECT_STREQ(text, "GraphCtrl");
  EXPECT_TRUE(::IsWindowVisible(graph.Handle()));
  // The plot: 10 pixels in, 4 more at the top (96 DPI under Wine).
  EXPECT_EQ(graph.plot().left, 10);
  EXPECT_EQ(graph.plot().top, 14);
  EXPECT_EQ(graph.plot().width, 500);
  EXPECT_EQ(graph.plot().height, 200);
}

TEST(GraphCtrl, DragNotifiesAndMovesThePoint) {
  for (bool locked : {false, true}) {
    Parent parent;
    TestGraph graph;
    ASSERT_TRUE(graph.CreateOver(parent.placeholder, kGraphId));
    SetUpEqualizerLike(graph, locked);
    HWND window = graph.Handle();
    const POINT p = PointPixel(graph, 1);

    ::SendMessageA(window, WM_MOUSEMOVE, 0, At(p.x + 2, p.y - 3));
    EXPECT_EQ(graph.hotPoint(), 1);
    EXPECT_TRUE(parent.codes.empty());
    ::SendMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, At(p.x + 2, p.y - 3));
    EXPECT_TRUE(graph.dragging());
    EXPECT_EQ(::GetCapture(), window);
    // Far right and below the plot: y stops at 0; x moves unless locked.
    ::SendMessageA(window, WM_MOUSEMOVE, MK_LBUTTON, At(p.x + 60, 400));
    ::SendMessageA(window, WM_MOUSEMOVE, MK_LBUTTON, At(p.x + 80, 60000));  // -5536: far above
    ::SendMessageA(window, WM_LBUTTONUP, 0, At(p.x + 80, 40));
    EXPECT_FALSE(graph.dragging());
    EXPECT_EQ(::GetCapture(), nullptr);
    EXPECT_EQ(parent.codes, (std::vector<WORD>{kGraphDragStart, kGraphChanged, kGraphChanged, kGraphDragEnd}))
        << locked;
    for (HWND sender : parent.senders) EXPECT_EQ(sender, window);

    const auto points = graph.CopyPoints();
    ASSERT_EQ(points.size(), 3u);
    EXPECT_EQ(points[1].second, 2.0f) << locked;  // the last move: far above
    if (locked) {
      EXPECT_EQ(points[1].first, 185.76f);
    } else {
      EXPECT_NEAR(points[1].first, graph.model().PixelToX(graph.plot(), p.x + 80), 0.01);
    }
    EXPECT_EQ(points[0].first, 18.576f);
    EXPECT_EQ(points[2].first, 1857.6f);
  }
}

TEST(GraphCtrl, RightButtonNotifiesOnlyWhenAllowed) {
  Parent parent;
  TestGraph graph;
  ASSERT_TRUE(graph.CreateOver(parent.placeholder, kGraphId));
  SetUpEqualizerLike(graph, false);
  HWND window = graph.Handle();
  const POINT p = PointPixel(graph, 1);

  graph.SetCanAddRemove(false);
  ::SendMessageA(window, WM_RBUTTONDOWN, MK_RBUTTON, At(p.x + 50, p.y + 50));
  EXPECT_TRUE(parent.codes.empty());
  EXPECT_EQ(graph.CopyPoints().size(), 3u);

  graph.SetCanAddRemove(true);
  ::SendMessageA(window, WM_MOUSEMOVE, 0, At(p.x + 50, p.y + 50));
  ::SendMessageA(window, WM_RBUTTONDOWN, MK_RBUTTON, At(p.x + 50, p.y + 50));  // free spot: added
  EXPECT_EQ(graph.CopyPoints().size(), 4u);
  ::SendMessageA(window, WM_MOUSEMOVE, 0, At(p.x, p.y));
  ::SendMessageA(window, WM_RBUTTONDOWN, MK_RBUTTON, At(p.x, p.y));  // on a point, 4 exist: removed
  EXPECT_EQ(graph.CopyPoints().size(), 3u);
  ::SendMessageA(window, WM_MOUSEMOVE, 0, At(p.x + 50, p.y + 50));
  ::SendMessageA(window, WM_RBUTTONDOWN, MK_RBUTTON, At(p.x + 50, p.y + 50));  // on the new point, 3 left: kept
  EXPECT_EQ(graph.CopyPoints().size(), 3u);
  EXPECT_EQ(parent.codes, (std::vector<WORD>{kGraphChanged, kGraphChanged, kGraphChanged}));
}

// Draws the control into a 32-bit picture of its client size.
struct Picture {
  int width = 0, height = 0;
  std::vector<uint32_t> pixels;  // 0x00RRGGBB, top row first
  uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

Picture Draw(TestGraph& graph) {
  RECT client;
  ::GetClientRect(graph.Handle(), &client);
  Picture picture;
  picture.width = client.right;
  picture.height = client.bottom;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = picture.width;
  info.bmiHeader.biHeight = -picture.height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HDC dc = ::CreateCompatibleDC(nullptr);
  HBITMAP bitmap = ::CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = ::SelectObject(dc, bitmap);
  graph.OnDraw(dc);
  ::GdiFlush();
  const auto* data = static_cast<const uint32_t*>(bits);
  picture.pixels.assign(data, data + picture.width * picture.height);
  for (uint32_t& pixel : picture.pixels) pixel &= 0xFFFFFF;
  ::SelectObject(dc, old);
  ::DeleteObject(bitmap);
  ::DeleteDC(dc);
  return picture;
}

constexpr uint32_t kWhite = 0xFFFFFF, kBlack = 0x000000, kHandleBlue = 0x0080FF, kRingOrange = 0xFF8000,
                   kGridGrey = 0xC0C0C0;

TEST(GraphCtrl, DrawsHandlesRingGridAndTheCurveItEvaluates) {
  Parent parent;
  TestGraph graph;
  ASSERT_TRUE(graph.CreateOver(parent.placeholder, kGraphId));
  SetUpEqualizerLike(graph, false);
  graph.SetPoint(1, 185.76f, 0.25f);  // a dip at 1 kHz
  graph.AddYLabel(1.5f, nullptr);
  const POINT p = PointPixel(graph, 1);
  ::SendMessageA(graph.Handle(), WM_MOUSEMOVE, 0, At(p.x, p.y));  // makes it hot
  const Picture picture = Draw(graph);

  EXPECT_EQ(picture.At(p.x, p.y), kHandleBlue);
  EXPECT_EQ(picture.At(p.x + 3, p.y + 3), kHandleBlue);  // 7 x 7
  EXPECT_EQ(picture.At(p.x + 4, p.y), kRingOrange);      // 9 x 9 ring round the hot one
  EXPECT_NE(picture.At(p.x + 5, p.y), kRingOrange);
  const POINT q = PointPixel(graph, 2);
  EXPECT_EQ(picture.At(q.x + 3, q.y), kHandleBlue);
  EXPECT_NE(picture.At(q.x + 4, q.y), kRingOrange);  // not hot: no ring

  // The grid line of the 150% label, right of its text.
  const int gridRow = graph.model().PointYToPixel(graph.plot(), 1.5f);
  EXPECT_EQ(picture.At(300, gridRow), kGridGrey);
  EXPECT_EQ(picture.At(300, gridRow + 1), kWhite);

  // Per-pixel linear curve: in every column away from the handles a curve
  // pixel lies at the row the model computes for that column's x.
  int checked = 0;
  const PlotGeometry& plot = graph.plot();
  for (int column = plot.left + 1; column < plot.left + plot.width; column += 3) {
    bool nearHandle = false;
    for (size_t i = 0; i < 3; ++i) nearHandle |= std::abs(column - PointPixel(graph, i).x) <= 5;
    if (nearHandle) continue;
    const int row = graph.model().CurveYToPixel(plot, graph.model().CurveValue(graph.model().PixelToX(plot, column)));
    bool found = false;
    for (int y = row - 1; y <= row + 1; ++y) found |= picture.At(column, y) == kBlack;
    EXPECT_TRUE(found) << column << " " << row;
    ++checked;
  }
  EXPECT_GT(checked, 100);
}

}  // namespace
