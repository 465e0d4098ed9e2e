// The curve editor's state and arithmetic without any window: points over a
// value range, axis labels, value <-> pixel mapping, the three curve shapes,
// and what a drag step or a right click does to the points. CGraphCtrl
// (graph_ctrl.h) draws it and feeds it the mouse.
#pragma once
#include <climits>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

struct GraphPoint {
  float x = 0;
  float y = 0;
};

struct GraphLabel {
  float value = 0;
  std::string text;
};

// Where the plot lies in the window, in pixels; recomputed for every drawing
// and used by the mouse handlers in between.
struct PlotGeometry {
  int left = 0;
  int top = 0;
  int width = 1;
  int height = 1;
  int Bottom() const { return top + height; }
};

enum GraphCurveMode : int32_t {
  kCurveStraight = 0,   // straight lines through the points (on screen)
  kCurveLinear = 1,     // per pixel column, linear in x between the points
  kCurveSpline = 2,     // per pixel column, natural cubic spline
};

enum GraphXScale : int32_t {
  kXScaleLinear = 0,
  kXScaleLog2 = 1,
};

class GraphModel {
 public:
  static constexpr size_t kPointGrowth = 256;

  GraphModel();  // range -100..100 x 0..100, labels every 25, spline, linear x

  // --- configuration -----------------------------------------------------
  // Stores the range; replaces the points by three at the middle height
  // (left end, centre, right end); clears both label lists.
  void SetRange(float xMin, float xMax, float yMin, float yMax);
  void SetCurveMode(int32_t mode) { curveMode_ = mode; }
  void SetXScale(int32_t scale) { xScale_ = scale; }
  void SetClampToPlot(bool flag) { clampToPlot_ = flag; }
  void SetCanAddRemove(bool flag) { canAddRemove_ = flag; }
  void SetXLocked(bool flag) { xLocked_ = flag; }
  void SetMinSeparation(float distance) { minSeparation_ = distance; }

  // Refused (false) outside the range or when a label with exactly that
  // value exists. Without text the label reads the value truncated, "%d".
  bool AddXLabel(float value, const char* text = nullptr);
  bool AddYLabel(float value, const char* text = nullptr);
  // A label without text at every multiple of step within the range
  // (integers); step 0 does nothing and returns false.
  bool SetXLabelStep(int32_t step);
  bool SetYLabelStep(int32_t step);

  // --- points --------------------------------------------------------------
  void ClearPoints() { points_.clear(); }
  // Grows the list to index + 1 if needed; the caller keeps x ascending.
  void SetPoint(size_t index, float x, float y);
  const std::vector<GraphPoint>& Points() const { return points_; }
  std::vector<std::pair<float, float>> CopyPoints() const;

  // --- mapping (plot geometry from the last drawing) -----------------------
  int XToPixel(const PlotGeometry& plot, float x) const;
  int PointYToPixel(const PlotGeometry& plot, float y) const;
  // Row of a curve value; with clampToPlot limited to top .. bottom - 1.
  int CurveYToPixel(const PlotGeometry& plot, float value) const;
  float PixelToX(const PlotGeometry& plot, int px) const;
  float PixelToY(const PlotGeometry& plot, int py) const;

  // --- curve ---------------------------------------------------------------
  // Rebuilds the spline coefficients after the points changed; cheap for
  // the other modes. CurveValue uses what Prepare built.
  void PrepareCurve();
  float CurveValue(float x) const;
  // Whether the mode has enough points to draw a curve.
  bool HasCurve() const;

  // --- mouse ---------------------------------------------------------------
  // First point whose square of `handleSize` pixels contains the position,
  // or -1.
  int32_t HitTest(const PlotGeometry& plot, int px, int py, int handleSize) const;
  // Moves point `index` toward the position, keeping minSeparation from its
  // neighbours, x inside the range (unchanged when x is locked) and y inside
  // the range.
  void DragPointTo(const PlotGeometry& plot, int32_t index, int px, int py);
  // The keyboard's step: moves point `index` up (dy > 0) or down by `dy`
  // values, kept inside the range; x stays.
  void NudgePoint(int32_t index, float dy);
  // Right button at a position, `hot` the point under it or -1: adds a point
  // on a free spot or removes the hot point while more than 3 exist (only
  // when adding and removing is allowed). Returns the new hot point: the
  // added point, else -1.
  int32_t RightClick(const PlotGeometry& plot, int32_t hot, int px, int py);

  // --- state for drawing ---------------------------------------------------
  const std::vector<GraphLabel>& XLabels() const { return xLabels_; }
  const std::vector<GraphLabel>& YLabels() const { return yLabels_; }
  int32_t curveMode() const { return curveMode_; }
  int32_t xScale() const { return xScale_; }
  bool canAddRemove() const { return canAddRemove_; }
  bool xLocked() const { return xLocked_; }
  float xMin() const { return xMin_; }
  float xMax() const { return xMax_; }
  float yMin() const { return yMin_; }
  float yMax() const { return yMax_; }

 private:
  static bool AddLabel(std::vector<GraphLabel>& labels, float low, float high, float value, const char* text);
  bool SetLabelStep(std::vector<GraphLabel>& labels, float low, float high, int32_t step);
  float LinearValue(float x) const;
  float SplineValue(float x) const;

  std::vector<GraphPoint> points_;  // ascending x
  std::vector<GraphLabel> xLabels_;  // ascending value
  std::vector<GraphLabel> yLabels_;
  float xMin_ = -100, xMax_ = 100, yMin_ = 0, yMax_ = 100;
  float xSpan_ = 200, ySpan_ = 100;
  float xLogMin_ = 0, xLogSpan_ = 0;  // log2 of the range; 0 unless xMin > 0
  int32_t curveMode_ = kCurveSpline;
  int32_t xScale_ = kXScaleLinear;
  bool clampToPlot_ = true;
  bool canAddRemove_ = true;
  bool xLocked_ = false;
  float minSeparation_ = 1.0f;

  // Natural spline of the points as PrepareCurve found them: interval
  // widths, slopes and second derivatives / 6.
  std::vector<float> splineX_, splineY_, splineH_, splineD_, splineM_;
};

// Which labels of a row fit: each label is centred at `centres[i]` and is
// `widths[i]` wide. One is left out when it would stick out of the area
// areaLeft..areaRight, or when its left edge would come closer than `gap`
// pixels to the right edge of the last one kept. Returns the kept indices
// in order.
std::vector<size_t> ThinLabels(const std::vector<int>& centres, const std::vector<int>& widths, int gap = 0,
                               int areaLeft = INT_MIN, int areaRight = INT_MAX);
