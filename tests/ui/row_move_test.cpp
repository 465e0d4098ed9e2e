// Moving selected rows by drag and drop, and the rows a drag image shows.
#include "ui/row_move.h"

#include <gtest/gtest.h>

#include <string>

namespace {
std::vector<bool> Selection(int count, std::initializer_list<int> rows) {
  std::vector<bool> selected(static_cast<size_t>(count), false);
  for (int row : rows) selected[static_cast<size_t>(row)] = true;
  return selected;
}
}  // namespace

TEST(RowMove, SelectedRowsLandBeforeTheTargetInTheirOrder) {
  struct Case {
    const char* what;
    int count;
    std::initializer_list<int> selected;
    int target;
    std::vector<int> order;
  };
  const Case cases[] = {
      {"rows 1 and 3 onto row 0", 5, {1, 3}, 0, {1, 3, 0, 2, 4}},
      {"rows 1 and 3 below the last row", 5, {1, 3}, 5, {0, 2, 4, 1, 3}},
      {"one row onto itself", 5, {2}, 2, {0, 1, 2, 3, 4}},
      {"neighbours 2 and 3 onto row 0", 5, {2, 3}, 0, {2, 3, 0, 1, 4}},
      {"the target is selected and stays after the others", 5, {1, 2, 4}, 2, {0, 1, 4, 2, 3}},
      {"rows from both sides of the target", 6, {0, 5}, 3, {1, 2, 0, 5, 3, 4}},
      {"nothing selected", 3, {}, 1, {0, 1, 2}},
      {"target beyond the end counts as the end", 3, {0}, 9, {1, 2, 0}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(MovedRowOrder(Selection(c.count, c.selected), c.target), c.order) << c.what;
  }
}

TEST(RowMove, ChangedSpanCoversOnlyTheRowsThatMove) {
  EXPECT_EQ(ChangedSpan({0, 1, 2}).last, 0);
  const RowSpan span = ChangedSpan({0, 3, 1, 2, 4});
  EXPECT_EQ(span.first, 1);
  EXPECT_EQ(span.last, 4);
}

TEST(RowMove, ThousandRowsOfTenThousandMoveInOnePass) {
  std::vector<bool> selected(10000, false);
  for (int row = 5; row < 10000; row += 10) selected[static_cast<size_t>(row)] = true;
  const std::vector<int> order = MovedRowOrder(selected, 0);
  ASSERT_EQ(order.size(), 10000u);
  for (int i = 0; i < 1000; ++i) EXPECT_EQ(order[static_cast<size_t>(i)], i * 10 + 5);
  EXPECT_EQ(order[1000], 0);
  EXPECT_EQ(order[1005], 6);
  std::vector<bool> seen(10000, false);
  for (int row : order) seen[static_cast<size_t>(row)] = true;
  EXPECT_EQ(std::count(seen.begin(), seen.end(), true), 10000);
}

TEST(RowMove, DragImageShowsTheRowsAroundThePressedOneUpToItsCapacity) {
  struct Case {
    int count, pressed, capacity, first, last;
  };
  const Case cases[] = {
      {3, 1, 50, 0, 3},            // all fit
      {10000, 0, 40, 0, 40},       // pressed on the first
      {10000, 5000, 40, 4980, 5020},
      {10000, 9999, 40, 9960, 10000},
      {5, 2, 0, 2, 3},             // at least one row
      {0, 0, 10, 0, 0},
  };
  for (const Case& c : cases) {
    const RowSpan span = DragImageRows(c.count, c.pressed, c.capacity);
    EXPECT_EQ(span.first, c.first) << c.count << " " << c.pressed;
    EXPECT_EQ(span.last, c.last) << c.count << " " << c.pressed;
  }
}
