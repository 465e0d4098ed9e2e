// The dialog layout under Wine: anchors on resizing, the splitter dragged
// with the real mouse, the minimum size.
#include "ui/dialog_layout.h"

#include <gtest/gtest.h>

#include <windowsx.h>

#include "tests/ui/ui_test_window.h"

using namespace uitest;

namespace {
CDialogLayout* g_layout = nullptr;

LRESULT LayoutMessages(HWND, UINT message, WPARAM wParam, LPARAM lParam, bool& handled) {
  handled = false;
  if (g_layout == nullptr) return 0;
  const int x = GET_X_LPARAM(lParam);
  const int y = GET_Y_LPARAM(lParam);
  switch (message) {
    case WM_SIZE:
      g_layout->OnSize(static_cast<UINT>(wParam), LOWORD(lParam), HIWORD(lParam));
      break;
    case WM_MOUSEMOVE:
      handled = g_layout->OnMouseMove(x, y);
      break;
    case WM_LBUTTONDOWN:
      handled = g_layout->OnLButtonDown(x, y);
      break;
    case WM_LBUTTONUP:
      handled = g_layout->OnLButtonUp(x, y);
      break;
    default:
      break;
  }
  return 0;
}

RECT ClientRectOf(HWND parent, HWND control) {
  RECT rect{};
  ::GetWindowRect(control, &rect);
  ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}
}  // namespace

TEST(DialogLayout, ControlsFollowTheDialogAndTheSplitter) {
  TestWindow window;
  CDialogLayout layout;
  g_layout = &layout;
  window.extra = &LayoutMessages;
  layout.Init(window.Handle());
  ASSERT_TRUE(layout.SetAnchor(kLeftList, kAnchorLeft | kAnchorTop | kAnchorBottom));
  ASSERT_TRUE(layout.SetAnchor(kRightList, kAnchorLeft | kAnchorRight | kAnchorTop | kAnchorBottom));
  ASSERT_TRUE(layout.SetAnchor(IDOK, kAnchorRight | kAnchorBottom));
  ASSERT_TRUE(layout.SetAnchor(IDCANCEL, kAnchorRight | kAnchorBottom));
  ASSERT_TRUE(layout.SetAnchor(kSplitter, kAnchorLeft | kAnchorTop | kAnchorBottom));
  EXPECT_FALSE(layout.SetAnchor(4242, kAnchorDefault));
  layout.AddSplitter(kSplitter, kSplitterVertical, {kLeftList, kRightList});
  HWND dialog = window.Handle();
  HWND left = window.Item(kLeftList);
  HWND right = window.Item(kRightList);

  // Wider by 40: the right list and its first column grow, OK and Cancel move.
  const RECT leftBefore = ClientRectOf(dialog, left);
  const RECT rightBefore = ClientRectOf(dialog, right);
  const RECT okBefore = ClientRectOf(dialog, window.Item(IDOK));
  const int columnBefore = static_cast<int>(::SendMessageA(right, LVM_GETCOLUMNWIDTH, 0, 0));
  RECT frame{};
  ::GetWindowRect(dialog, &frame);
  ::SetWindowPos(dialog, nullptr, 0, 0, frame.right - frame.left + 40, frame.bottom - frame.top + 10,
                 SWP_NOMOVE | SWP_NOZORDER);
  Pump(50);
  const RECT rightAfter = ClientRectOf(dialog, right);
  EXPECT_EQ(rightAfter.right - rightAfter.left, rightBefore.right - rightBefore.left + 40);
  EXPECT_EQ(rightAfter.bottom - rightAfter.top, rightBefore.bottom - rightBefore.top + 10);
  EXPECT_EQ(::SendMessageA(right, LVM_GETCOLUMNWIDTH, 0, 0), columnBefore + 40);
  const RECT okAfter = ClientRectOf(dialog, window.Item(IDOK));
  EXPECT_EQ(okAfter.left, okBefore.left + 40);
  EXPECT_EQ(okAfter.top, okBefore.top + 10);
  const RECT leftAfter = ClientRectOf(dialog, left);
  EXPECT_EQ(leftAfter.left, leftBefore.left);
  EXPECT_EQ(leftAfter.right, leftBefore.right);

  // The minimum size is the initial one.
  MINMAXINFO info{};
  layout.GetMinMaxInfo(&info);
  EXPECT_EQ(info.ptMinTrackSize.x, frame.right - frame.left);
  EXPECT_EQ(info.ptMinTrackSize.y, frame.bottom - frame.top);

  // The splitter dragged far left stops with the left list 32 wide; the
  // cursor is held inside the lists' area shrunk by 32.
  RECT bar = ClientRectOf(dialog, window.Item(kSplitter));
  POINT grip{(bar.left + bar.right) / 2, (bar.top + bar.bottom) / 2};
  ::ClientToScreen(dialog, &grip);
  MouseMove(grip);
  MouseButton(true);
  for (int x = grip.x; x > grip.x - 400; x -= 40) MouseMove({x, grip.y});
  MouseButton(false);
  const RECT leftDragged = ClientRectOf(dialog, left);
  EXPECT_EQ(leftDragged.right - leftDragged.left, 32);
  const RECT rightDragged = ClientRectOf(dialog, right);
  EXPECT_EQ(rightDragged.right, rightAfter.right);
  EXPECT_GT(rightDragged.right - rightDragged.left, rightAfter.right - rightAfter.left);
  EXPECT_FALSE(layout.IsDragging());

  // Now the right list may not get narrower than 32 when the window shrinks.
  layout.GetMinMaxInfo(&info);
  RECT now{};
  ::GetWindowRect(dialog, &now);
  EXPECT_EQ(info.ptMinTrackSize.x,
            std::max<LONG>(frame.right - frame.left, now.right - now.left - (rightDragged.right - rightDragged.left - 32)));
  g_layout = nullptr;
}
