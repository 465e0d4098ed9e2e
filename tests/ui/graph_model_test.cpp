// The curve editor's arithmetic: labels, mapping, curve shapes, and what
// drags and right clicks do to the points.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "engine/eq_stage.h"
#include "ui/graph_model.h"

namespace {

std::vector<std::string> Texts(const std::vector<GraphLabel>& labels) {
  std::vector<std::string> texts;
  for (const GraphLabel& label : labels) texts.push_back(label.text);
  return texts;
}

// The equalizer editor's set-up: 4..4096 bins on a log axis, gain 0..2.
GraphModel EqualizerModel(int32_t mode) {
  GraphModel model;
  model.SetRange(4, 4096, 0, 2);
  model.SetCurveMode(mode);
  model.SetXScale(kXScaleLog2);
  return model;
}

const PlotGeometry kPlot{10, 14, 500, 200};  // bottom 214

TEST(GraphModel, DefaultsLabelsAndSteps) {
  GraphModel model;
  ASSERT_EQ(model.Points().size(), 3u);
  EXPECT_EQ(model.Points()[0].x, -100);
  EXPECT_EQ(model.Points()[1].x, 0);
  EXPECT_EQ(model.Points()[2].x, 100);
  EXPECT_EQ(model.Points()[1].y, 50);
  EXPECT_EQ(Texts(model.XLabels()),
            (std::vector<std::string>{"-100", "-75", "-50", "-25", "0", "25", "50", "75", "100"}));
  EXPECT_EQ(Texts(model.YLabels()), (std::vector<std::string>{"0", "25", "50", "75", "100"}));

  EXPECT_FALSE(model.SetXLabelStep(0));
  EXPECT_EQ(model.XLabels().size(), 9u);  // step 0 leaves the labels alone
  model.SetRange(4, 4096, 0, 2);
  EXPECT_TRUE(model.XLabels().empty());
  EXPECT_TRUE(model.SetXLabelStep(1000));  // starts at 0, which lies below 4: skipped
  EXPECT_EQ(Texts(model.XLabels()), (std::vector<std::string>{"1000", "2000", "3000", "4000"}));

  // Refused outside the range and for an existing value; the list stays sorted.
  EXPECT_FALSE(model.AddXLabel(3.9f, "low"));
  EXPECT_FALSE(model.AddXLabel(4097, "high"));
  EXPECT_FALSE(model.AddXLabel(1000, "again"));
  EXPECT_TRUE(model.AddXLabel(185.76f, "1k"));
  EXPECT_TRUE(model.AddXLabel(4.64f));  // no text: the value truncated
  EXPECT_EQ(Texts(model.XLabels()), (std::vector<std::string>{"4", "1k", "1000", "2000", "3000", "4000"}));
  EXPECT_TRUE(model.AddYLabel(0.5f, "50%"));
  EXPECT_FALSE(model.AddYLabel(2.5f, "250%"));
}

TEST(GraphModel, ValuesAndPixels) {
  GraphModel linear;  // -100..100 x 0..100
  EXPECT_EQ(linear.XToPixel(kPlot, -100), 10);
  EXPECT_EQ(linear.XToPixel(kPlot, 0), 260);
  EXPECT_EQ(linear.XToPixel(kPlot, 100), 510);
  EXPECT_EQ(linear.PointYToPixel(kPlot, 0), 214);
  EXPECT_EQ(linear.PointYToPixel(kPlot, 100), 14);
  EXPECT_EQ(linear.CurveYToPixel(kPlot, 0), 213);    // clamped into top .. bottom - 1
  EXPECT_EQ(linear.CurveYToPixel(kPlot, 150), 14);
  linear.SetClampToPlot(false);
  EXPECT_EQ(linear.CurveYToPixel(kPlot, 150), -86);
  EXPECT_FLOAT_EQ(linear.PixelToX(kPlot, 260), 0);
  EXPECT_FLOAT_EQ(linear.PixelToY(kPlot, 114), 50);

  GraphModel log = EqualizerModel(kCurveLinear);
  EXPECT_EQ(log.XToPixel(kPlot, 4), 10);
  EXPECT_EQ(log.XToPixel(kPlot, 128), 260);  // 5 of 10 octaves
  EXPECT_EQ(log.XToPixel(kPlot, 4096), 510);
  EXPECT_NEAR(log.PixelToX(kPlot, 260), 128, 1e-3);
  for (int px = 10; px <= 510; px += 7) EXPECT_EQ(log.XToPixel(kPlot, log.PixelToX(kPlot, px) * 1.00001f), px);
}

TEST(GraphModel, CurveShapes) {
  GraphModel model;
  model.SetRange(0, 2, -1, 1);
  model.ClearPoints();
  model.SetPoint(0, 0, 0);
  model.SetPoint(1, 1, 1);
  model.SetPoint(2, 2, 0);
  // Natural spline through (0,0) (1,1) (2,0) is 1.5x - 0.5x^3 on [0, 1].
  model.SetCurveMode(kCurveSpline);
  model.PrepareCurve();
  EXPECT_NEAR(model.CurveValue(0.5f), 0.6875f, 1e-6);
  EXPECT_NEAR(model.CurveValue(1.5f), 0.6875f, 1e-6);
  EXPECT_EQ(model.CurveValue(1), 1);
  model.SetCurveMode(kCurveLinear);
  model.PrepareCurve();
  EXPECT_FLOAT_EQ(model.CurveValue(0.5f), 0.5f);
  EXPECT_FLOAT_EQ(model.CurveValue(-1), 0);  // the end values continue
  EXPECT_FLOAT_EQ(model.CurveValue(3), 0);

  // A spline through points on a line is that line, also past the ends.
  model.SetCurveMode(kCurveSpline);
  for (size_t i = 0; i < 6; ++i) model.SetPoint(i, static_cast<float>(i * i) * 0.1f, 0.25f * i * i * 0.1f - 0.5f);
  model.PrepareCurve();
  for (float x : {-0.3f, 0.05f, 0.7f, 1.9f, 2.6f, 3.1f}) EXPECT_NEAR(model.CurveValue(x), 0.25f * x - 0.5f, 1e-5) << x;

  EXPECT_TRUE(model.HasCurve());
  model.ClearPoints();
  model.SetPoint(0, 0, 0);
  model.SetPoint(1, 1, 1);
  EXPECT_FALSE(model.HasCurve());  // a spline needs 3 points
  model.SetCurveMode(kCurveStraight);
  EXPECT_TRUE(model.HasCurve());
}

// What the editor draws in per-pixel linear mode is what the equalizer
// applies: at every bin the same value.
TEST(GraphModel, LinearModeMatchesTheAppliedGains) {
  GraphModel model = EqualizerModel(kCurveLinear);
  const std::vector<std::pair<float, float>> points = {
      {4.64f, 1.0f}, {30.0f, 0.2f}, {185.76f, 2.0f}, {900.0f, 0.0f}, {3715.19f, 1.5f}};
  model.ClearPoints();
  EqualizerCurve curve;
  for (size_t i = 0; i < points.size(); ++i) {
    model.SetPoint(i, points[i].first, points[i].second);
    curve.x.push_back(points[i].first);
    curve.y.push_back(points[i].second);
  }
  std::vector<float> gains(4096);
  InterpolateBinGains(curve, 44100, gains.data(), 4096);
  model.PrepareCurve();
  for (int bin = 4; bin < 4096; ++bin) ASSERT_NEAR(model.CurveValue(static_cast<float>(bin)), gains[bin], 1e-5) << bin;
}

TEST(GraphModel, DraggingKeepsSeparationRangeAndLock) {
  GraphModel model = EqualizerModel(kCurveLinear);
  model.ClearPoints();
  model.SetPoint(0, 10, 1);
  model.SetPoint(1, 100, 1);
  model.SetPoint(2, 1000, 1);
  struct Case {
    int32_t index;
    int px, py;
    bool locked;
    float x, y;  // expected
  } cases[] = {
      {1, 0, 114, false, 11.0f, 1.0f},          // stops minSeparation right of its left neighbour
      {1, 505, 114, false, 999.0f, 1.0f},       // and left of its right neighbour
      {0, -50, 300, false, 4.0f, 0.0f},         // the first stops at xMin; y at yMin
      {2, 900, -40, false, 4096.0f, 2.0f},      // the last at xMax; y at yMax
      {1, 400, 14, true, 999.0f, 2.0f},         // locked: x stays where it was
  };
  for (const Case& c : cases) {
    model.SetXLocked(c.locked);
    model.DragPointTo(kPlot, c.index, c.px, c.py);
    EXPECT_NEAR(model.Points()[c.index].x, c.x, 1e-3) << c.index << " " << c.px;
    EXPECT_FLOAT_EQ(model.Points()[c.index].y, c.y) << c.index << " " << c.py;
  }
  model.DragPointTo(kPlot, 7, 0, 0);  // no such point: nothing happens
  EXPECT_EQ(model.Points().size(), 3u);
}

TEST(GraphModel, RightButtonAddsAndRemoves) {
  GraphModel model = EqualizerModel(kCurveLinear);
  model.ClearPoints();
  model.SetPoint(0, 4.64f, 1);
  model.SetPoint(1, 3715.19f, 1);
  const int right = model.XToPixel(kPlot, 3715.19f);

  // Two points (a fresh preset): right-clicking one removes nothing.
  EXPECT_EQ(model.RightClick(kPlot, 1, right, 114), -1);
  EXPECT_EQ(model.Points().size(), 2u);
  // A free spot adds a point there, sorted in, and makes it the hot one.
  EXPECT_EQ(model.RightClick(kPlot, -1, 260, 64), 1);
  ASSERT_EQ(model.Points().size(), 3u);
  EXPECT_NEAR(model.Points()[1].x, 128, 0.1);
  EXPECT_FLOAT_EQ(model.Points()[1].y, 1.5f);
  // Right of every point, inside the range: appended.
  EXPECT_EQ(model.RightClick(kPlot, -1, right + 2, 114), 3);
  ASSERT_EQ(model.Points().size(), 4u);
  // On a point's own spot (closer than minSeparation): nothing added.
  EXPECT_EQ(model.RightClick(kPlot, -1, 260, 114), -1);
  EXPECT_EQ(model.Points().size(), 4u);
  // Above 3 points a right click on one removes it, down to 3 and no further.
  EXPECT_EQ(model.RightClick(kPlot, 3, 0, 0), -1);
  EXPECT_EQ(model.Points().size(), 3u);
  EXPECT_EQ(model.RightClick(kPlot, 1, 0, 0), -1);
  EXPECT_EQ(model.Points().size(), 3u);

  model.SetCanAddRemove(false);
  EXPECT_EQ(model.RightClick(kPlot, -1, 200, 100), -1);
  EXPECT_EQ(model.Points().size(), 3u);
}

TEST(GraphModel, HitTestAndLabelThinning) {
  GraphModel model;  // points at pixels (10,114) (260,114) (510,114)
  EXPECT_EQ(model.HitTest(kPlot, 263, 111, 7), 1);
  EXPECT_EQ(model.HitTest(kPlot, 264, 114, 7), -1);
  EXPECT_EQ(model.HitTest(kPlot, 10, 117, 7), 0);
  EXPECT_EQ(model.HitTest(kPlot, 100, 100, 7), -1);

  // Centres 10 apart, texts 16 wide: every other one fits, a narrow one
  // fits again right after.
  EXPECT_EQ(ThinLabels({0, 10, 20, 30, 40}, {16, 16, 16, 16, 16}), (std::vector<size_t>{0, 2, 4}));
  EXPECT_EQ(ThinLabels({0, 10, 17}, {16, 16, 2}), (std::vector<size_t>{0, 2}));
}

TEST(ThinLabels, KeepsAGapBetweenNeighbours) {
  struct Case {
    std::vector<int> centres, widths;
    int gap;
    std::vector<size_t> kept;
  } cases[] = {
      // Touching labels read as one number ("100160250"): with a gap every other one goes.
      {{0, 16, 32, 48}, {16, 16, 16, 16}, 0, {0, 1, 2, 3}},
      {{0, 16, 32, 48}, {16, 16, 16, 16}, 4, {0, 2}},
      {{0, 20, 40}, {16, 16, 16}, 4, {0, 1, 2}},  // exactly the gap apart: all stay
      {{0, 19, 40}, {16, 16, 16}, 4, {0, 2}},     // a pixel short: the middle one goes
      // The low end of the third-octave row at 96 DPI (15 pixels a band):
      // "25" "31.5" "40" "50" "63" "80" "100" "125" "160" "200".
      {{10, 25, 40, 55, 70, 85, 100, 115, 130, 145}, {12, 22, 12, 12, 12, 12, 18, 18, 18, 18}, 4,
       {0, 2, 4, 6, 8}},
      // The same at 144 DPI: everything half as wide again, and so is the gap.
      {{15, 37, 60, 82, 105, 127, 150, 172, 195, 217}, {18, 33, 18, 18, 18, 18, 27, 27, 27, 27}, 6,
       {0, 2, 4, 6, 8}},
      // A lone label, and none at all.
      {{50}, {200}, 10, {0}},
      {{}, {}, 4, {}},
  };
  for (const Case& c : cases) EXPECT_EQ(ThinLabels(c.centres, c.widths, c.gap), c.kept) << c.gap;
}

TEST(ThinLabels, LeavesOutWhatSticksOutOfTheArea) {
  struct Case {
    int areaLeft, areaRight;
    std::vector<size_t> kept;
  } cases[] = {
      // Labels 16 wide centred at 10, 30, 50, 70 (edges 2..18, 22..38, 42..58, 62..78).
      {0, 100, {0, 1, 2, 3}},
      {2, 78, {0, 1, 2, 3}},   // exactly inside
      {3, 77, {1, 2}},         // a pixel short at either end
      // A label of the other axis at the top left (up to 40, with the gap):
      // the row starts after it, its neighbour keeps its place.
      {44, 100, {3}},
      {42, 100, {2, 3}},
      {100, 0, {}},            // no room at all
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ThinLabels({10, 30, 50, 70}, {16, 16, 16, 16}, 4, c.areaLeft, c.areaRight), c.kept) << c.areaLeft;
  }
}

TEST(GraphModel, KeyboardNudgeStaysInTheRange) {
  GraphModel model;  // range 0..100, points at the middle height 50
  model.NudgePoint(1, 10);
  EXPECT_EQ(model.Points()[1].y, 60);
  EXPECT_EQ(model.Points()[1].x, 0);  // x never moves
  model.NudgePoint(1, 45);
  EXPECT_EQ(model.Points()[1].y, 100);
  model.NudgePoint(0, -80);
  EXPECT_EQ(model.Points()[0].y, 0);
  model.NudgePoint(3, 5);   // no such point
  model.NudgePoint(-1, 5);
  EXPECT_EQ(model.Points()[2].y, 50);
}

}  // namespace
