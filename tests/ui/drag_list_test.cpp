// The drag list under Wine, driven with real mouse input: moves inside a
// list, drops on another list, the drag image and the current row.
#include "ui/drag_list_ctrl.h"

#include <gtest/gtest.h>

#include "tests/ui/ui_test_window.h"

using namespace uitest;

namespace {
std::vector<int> Codes(const std::vector<Notice>& notices) {
  std::vector<int> codes;
  for (const Notice& n : notices) codes.push_back(n.code);
  return codes;
}

void Select(HWND list, std::initializer_list<int> rows) {
  LVITEMA none{};
  none.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  ::SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&none));
  for (int row : rows) {
    LVITEMA item{};
    item.state = item.stateMask = LVIS_SELECTED;
    ::SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
  }
}

const std::vector<int> kMoveNotices = {static_cast<int>(LVN_ITEMCHANGING), DLN_MOVESTART, DLN_MOVEEND,
                                       static_cast<int>(LVN_ITEMCHANGED)};
}  // namespace

TEST(DragList, MovesSelectedRowsWhereTheyAreDropped) {
  TestWindow window;
  CDragListCtrl list;
  ASSERT_TRUE(list.Attach(window.Item(kLeftList)));
  list.EnableDrag(true);
  const std::vector<std::string> five = {"r0", "r1", "r2", "r3", "r4"};

  struct Case {
    const char* what;
    std::initializer_list<int> selected;
    int pressRow;
    int dropRow;  // -1: below the last row
    std::vector<std::string> texts;
    std::vector<int> selectedAfter;
  };
  const Case cases[] = {
      {"rows 1 and 3 onto row 0", {1, 3}, 1, 0, {"r1", "r3", "r0", "r2", "r4"}, {0, 1}},
      {"rows 1 and 3 below the last row", {1, 3}, 3, -1, {"r0", "r2", "r4", "r1", "r3"}, {3, 4}},
      {"one row onto itself", {2}, 2, 2, five, {2}},
  };
  for (const Case& c : cases) {
    window.FillRows(kLeftList, 5, "r");
    Select(window.Item(kLeftList), c.selected);
    window.notices.clear();
    POINT from = window.RowPoint(kLeftList, c.pressRow);
    POINT to = c.dropRow >= 0 ? window.RowPoint(kLeftList, c.dropRow)
                              : POINT{from.x, window.RowPoint(kLeftList, 4).y + 60};
    if (c.dropRow == c.pressRow) {
      // Away and back again, so that a drag starts.
      MouseMove(from);
      MouseButton(true);
      MouseMove({from.x, from.y + 40});
      MouseMove({from.x, from.y + 10});
      MouseMove(to);
      MouseButton(false);
    } else {
      Drag(from, to);
    }
    EXPECT_EQ(window.Texts(kLeftList), c.texts) << c.what;
    EXPECT_EQ(window.RowsWith(kLeftList, LVIS_SELECTED), c.selectedAfter) << c.what;
    EXPECT_EQ(Codes(window.notices), kMoveNotices) << c.what;
    EXPECT_TRUE(window.RowsWith(kLeftList, LVIS_DROPHILITED).empty()) << c.what;
    // Item data travels with the rows.
    EXPECT_EQ(list.GetItemData(0), std::stoi(c.texts[0].substr(1))) << c.what;
  }
  EXPECT_FALSE(list.IsDragging());
}

TEST(DragList, DropOnAnotherListTellsTheParentWhere) {
  TestWindow window;
  CDragListCtrl left;
  CDragListCtrl right;
  ASSERT_TRUE(left.Attach(window.Item(kLeftList)));
  ASSERT_TRUE(right.Attach(window.Item(kRightList)));
  left.EnableDrag(true);
  left.EnableDropOnOtherLists(true);
  window.FillRows(kLeftList, 5, "a");
  window.FillRows(kRightList, 4, "b");
  Select(window.Item(kLeftList), {0, 1, 2});

  // Three rows selected, dragged from the middle one: the image is three
  // rows high and its middle row lies under the mouse.
  const POINT from = window.RowPoint(kLeftList, 1);
  const POINT target = window.RowPoint(kRightList, 2);
  MouseMove(from);
  MouseButton(true);
  MouseMove({from.x, from.y + 8});
  MouseMove({from.x + 20, from.y + 8});
  HWND floater = ::FindWindowA("MelodekFloater", "FloaterWnd");
  ASSERT_NE(floater, nullptr);
  EXPECT_TRUE(::IsWindowVisible(floater));
  RECT image{};
  ::GetWindowRect(floater, &image);
  RECT row{};
  row.left = LVIR_BOUNDS;
  ::SendMessageA(window.Item(kLeftList), LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&row));
  const int height = row.bottom - row.top;
  EXPECT_EQ(image.bottom - image.top, 3 * height);
  EXPECT_GE(from.y + 8 - image.top, height);
  EXPECT_LT(from.y + 8 - image.top, 2 * height);

  // Over the other list its row is highlighted as the drop target.
  MouseMove({(from.x + target.x) / 2, target.y});
  MouseMove(target);
  EXPECT_EQ(window.RowsWith(kRightList, LVIS_DROPHILITED), std::vector<int>{2});
  // Over the dialog background and released there: no highlight anywhere.
  const POINT background{target.x - 40, window.ScreenRect(kLeftList).bottom + 20};
  MouseMove(background);
  MouseButton(false);
  Pump(50);
  EXPECT_TRUE(window.RowsWith(kRightList, LVIS_DROPHILITED).empty());
  EXPECT_TRUE(window.RowsWith(kLeftList, LVIS_DROPHILITED).empty());
  EXPECT_FALSE(::IsWindowVisible(floater));
  ASSERT_EQ(Codes(window.notices), std::vector<int>{DLN_DROPOUTSIDE});
  POINT expected = background;
  ::ScreenToClient(window.Handle(), &expected);
  EXPECT_EQ(window.notices[0].point.x, expected.x);
  EXPECT_EQ(window.notices[0].point.y, expected.y);
  EXPECT_EQ(window.notices[0].id, kLeftList);

  // A drop on the other list's row; the parent finds the row itself.
  window.notices.clear();
  Drag(window.RowPoint(kLeftList, 0), target);
  ASSERT_EQ(Codes(window.notices), std::vector<int>{DLN_DROPOUTSIDE});
  POINT inRight = {window.notices[0].point.x, window.notices[0].point.y};
  ::MapWindowPoints(window.Handle(), window.Item(kRightList), &inRight, 1);
  EXPECT_EQ(right.RowAtPoint(inRight), 2);
  EXPECT_EQ(window.Texts(kLeftList).size(), 5u);  // the parent moves rows, not the control

  // A right click cancels a drag: nothing is sent, nothing moves.
  window.notices.clear();
  Pump(700);  // not a double click
  MouseMove(window.RowPoint(kLeftList, 0));
  MouseButton(true);
  MouseMove(window.RowPoint(kLeftList, 3));
  // (A right click on an idle list runs the list's own modal mouse loop,
  // which this single-threaded test could not end.)
  ASSERT_TRUE(left.IsDragging());
  MouseButton(true, true);
  MouseButton(false, true);
  MouseButton(false);
  EXPECT_TRUE(window.notices.empty());
  EXPECT_FALSE(left.IsDragging());
  EXPECT_EQ(window.Texts(kLeftList)[0], "a0");
}

TEST(DragList, CurrentMarkIsOnOneRowAndDragNeedsEnabling) {
  TestWindow window;
  CDragListCtrl list;
  ASSERT_TRUE(list.Attach(window.Item(kLeftList)));
  window.FillRows(kLeftList, 5, "c");
  EXPECT_EQ(list.FindCurrent(), -1);
  list.SetItemStateBits(1, DLIS_CURRENT);
  EXPECT_EQ(list.FindCurrent(), 1);
  list.SetItemStateBits(3, DLIS_CURRENT);
  EXPECT_EQ(list.FindCurrent(), 3);
  EXPECT_EQ(window.RowsWith(kLeftList, DLIS_CURRENT), std::vector<int>{3});
  list.ClearItemStateBits(3, DLIS_CURRENT);
  EXPECT_EQ(list.FindCurrent(), -1);
  EXPECT_EQ(list.GetColumnCount(), 1);

  // Dragging while not enabled does nothing.
  Select(window.Item(kLeftList), {1});
  window.notices.clear();
  Drag(window.RowPoint(kLeftList, 1), window.RowPoint(kLeftList, 4));
  EXPECT_EQ(window.Texts(kLeftList)[1], "c1");
  EXPECT_TRUE(window.notices.empty());
  EXPECT_EQ(list.GetFirstSelected(), window.RowsWith(kLeftList, LVIS_SELECTED).at(0));
}
