// Anchors, splitter steps, drag areas and minimum sizes of a resizable dialog.
#include "ui/layout_math.h"

#include <gtest/gtest.h>

namespace {
bool Same(const LayoutRect& a, const LayoutRect& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}
}  // namespace

TEST(LayoutMath, AnchorsDecideWhichEdgesFollowTheDialog) {
  const LayoutRect r{10, 20, 110, 220};
  struct Case {
    int anchor;
    LayoutRect expected;
  };
  const Case cases[] = {
      {5, {10, 20, 110, 220}},    // fixed
      {10, {50, 45, 150, 245}},   // moves with the bottom-right corner
      {12, {10, 20, 110, 245}},   // stretches vertically
      {15, {10, 20, 150, 245}},   // stretches both ways
  };
  for (const Case& c : cases) {
    EXPECT_TRUE(Same(AnchoredRect(r, c.anchor, 40, 25), c.expected)) << c.anchor;
  }
}

TEST(LayoutMath, SplitterStepStopsAtTheMinimumSizeOnEitherSide) {
  const LayoutRect bar{100, 0, 106, 200};
  // Left pane 10..100, right pane 106..400.
  struct Case {
    int delta, taken, leftRight, rightLeft;
  };
  const Case cases[] = {
      {-20, -20, 80, 86},     // free
      {-100, -58, 42, 48},    // left pane stops at 32 wide
      {500, 262, 362, 368},   // right pane stops at 32 wide
      {0, 0, 100, 106},
  };
  for (const Case& c : cases) {
    std::vector<LayoutRect> panes{{10, 0, 100, 200}, {106, 0, 400, 200}};
    EXPECT_EQ(SplitterStep(bar, kSplitterVertical, c.delta, 32, panes), c.taken) << c.delta;
    EXPECT_EQ(panes[0].right, c.leftRight);
    EXPECT_EQ(panes[1].left, c.rightLeft);
    EXPECT_EQ(panes[0].left, 10);
    EXPECT_EQ(panes[1].right, 400);
  }
  // A horizontal bar trades heights.
  std::vector<LayoutRect> stacked{{0, 0, 50, 100}, {0, 104, 50, 140}};
  EXPECT_EQ(SplitterStep({0, 100, 50, 104}, kSplitterHorizontal, 30, 32, stacked), 4);
  EXPECT_EQ(stacked[1].top, 108);
}

TEST(LayoutMath, DragAreaIsTheGroupShrunkAlongTheDragAxisOnly) {
  LayoutRect area;
  ASSERT_TRUE(SplitterDragArea({{10, 20, 100, 200}, {106, 20, 400, 200}}, kSplitterVertical, 32, area));
  EXPECT_TRUE(Same(area, {42, -32767, 368, 32767}));
  EXPECT_FALSE(SplitterDragArea({{10, 20, 50, 200}, {52, 20, 70, 200}}, kSplitterVertical, 32, area));
  ASSERT_TRUE(SplitterDragArea({{0, 0, 50, 100}, {0, 104, 50, 300}}, kSplitterHorizontal, 32, area));
  EXPECT_TRUE(Same(area, {-32767, 32, 32767, 268}));
}

TEST(LayoutMath, MinimumExtentKeepsThePaneBeyondTheBarAtItsMinimum) {
  const LayoutRect bar{100, 0, 106, 200};
  const std::vector<LayoutRect> group{{10, 0, 100, 200}, {106, 0, 400, 200}};
  // Right pane 294 wide: the window may lose 262 of its 700.
  EXPECT_EQ(MinimumExtent(300, 700, bar, kSplitterVertical, group, 32), 438);
  // Never below the initial size.
  EXPECT_EQ(MinimumExtent(600, 700, bar, kSplitterVertical, group, 32), 600);
}
