// The curve editor's state and arithmetic (no window).
#include "ui/graph_model.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>

GraphModel::GraphModel() {
  points_.reserve(kPointGrowth);
  SetCurveMode(kCurveSpline);
  SetXScale(kXScaleLinear);
  SetRange(-100, 100, 0, 100);
  SetXLabelStep(25);
  SetYLabelStep(25);
  SetClampToPlot(true);
}

void GraphModel::SetRange(float xMin, float xMax, float yMin, float yMax) {
  xMin_ = xMin;
  xMax_ = xMax;
  yMin_ = yMin;
  yMax_ = yMax;
  xSpan_ = xMax - xMin;
  ySpan_ = yMax - yMin;
  xLogMin_ = 0;
  xLogSpan_ = 0;
  if (xMin > 0) {
    xLogMin_ = std::log2(xMin);
    xLogSpan_ = std::log2(xMax) - xLogMin_;
  }
  const float middle = (yMin + yMax) / 2;
  points_.clear();
  points_.push_back({xMin, middle});
  points_.push_back({(xMin + xMax) / 2, middle});
  points_.push_back({xMax, middle});
  xLabels_.clear();
  yLabels_.clear();
}

bool GraphModel::AddLabel(std::vector<GraphLabel>& labels, float low, float high, float value,
                          const char* text) {
  if (!(value >= low && value <= high)) return false;
  auto at = std::lower_bound(labels.begin(), labels.end(), value,
                             [](const GraphLabel& label, float v) { return label.value < v; });
  if (at != labels.end() && at->value == value) return false;
  GraphLabel label{value, {}};
  if (text != nullptr) {
    label.text = text;
  } else {
    char number[16];
    std::snprintf(number, sizeof number, "%d", static_cast<int>(value));
    label.text = number;
  }
  labels.insert(at, std::move(label));
  return true;
}

bool GraphModel::AddXLabel(float value, const char* text) { return AddLabel(xLabels_, xMin_, xMax_, value, text); }
bool GraphModel::AddYLabel(float value, const char* text) { return AddLabel(yLabels_, yMin_, yMax_, value, text); }

bool GraphModel::SetLabelStep(std::vector<GraphLabel>& labels, float low, float high, int32_t step) {
  if (step == 0) return false;
  labels.clear();
  // Whole numbers: the first multiple of step at or below the range's start
  // (C++ remainder keeps the dividend's sign), then every step up to the end.
  const int64_t first = static_cast<int64_t>(low);
  const int64_t last = static_cast<int64_t>(high);
  const int64_t magnitude = step < 0 ? -static_cast<int64_t>(step) : step;
  for (int64_t d = first - first % magnitude; d <= last; d += magnitude) {
    if (d < first) continue;
    AddLabel(labels, low, high, static_cast<float>(d), nullptr);
  }
  return true;
}

bool GraphModel::SetXLabelStep(int32_t step) { return SetLabelStep(xLabels_, xMin_, xMax_, step); }
bool GraphModel::SetYLabelStep(int32_t step) { return SetLabelStep(yLabels_, yMin_, yMax_, step); }

void GraphModel::SetPoint(size_t index, float x, float y) {
  if (index >= points_.size()) {
    if (index >= points_.capacity()) points_.reserve((index / kPointGrowth + 1) * kPointGrowth);
    points_.resize(index + 1);
  }
  points_[index] = {x, y};
}

std::vector<std::pair<float, float>> GraphModel::CopyPoints() const {
  std::vector<std::pair<float, float>> copy;
  copy.reserve(points_.size());
  for (const GraphPoint& p : points_) copy.emplace_back(p.x, p.y);
  return copy;
}

// --- mapping -------------------------------------------------------------------

int GraphModel::XToPixel(const PlotGeometry& plot, float x) const {
  double offset;
  if (xScale_ == kXScaleLog2) {
    if (!(x > 0) || xLogSpan_ == 0) return plot.left;
    offset = (std::log2(static_cast<double>(x)) - xLogMin_) * plot.width / xLogSpan_;
  } else {
    if (xSpan_ == 0) return plot.left;
    offset = static_cast<double>(plot.width) / xSpan_ * (x - xMin_);
  }
  offset = std::clamp(offset, -1e6, 1e6);  // a far point must not overflow the pixel
  return plot.left + static_cast<int>(offset);
}

int GraphModel::PointYToPixel(const PlotGeometry& plot, float y) const {
  if (ySpan_ == 0) return plot.Bottom();
  const double offset = std::clamp((static_cast<double>(y) - yMin_) / ySpan_ * plot.height, -1e6, 1e6);
  return plot.Bottom() - static_cast<int>(offset);
}

int GraphModel::CurveYToPixel(const PlotGeometry& plot, float value) const {
  if (ySpan_ == 0) return plot.Bottom();
  double offset = static_cast<double>(plot.height) / ySpan_ * (value - yMin_);
  if (!std::isfinite(offset)) offset = 0;
  offset = std::clamp(offset, -1e6, 1e6);
  int row = plot.Bottom() - static_cast<int>(offset);
  if (clampToPlot_) row = std::clamp(row, plot.top, plot.Bottom() - 1);
  return row;
}

float GraphModel::PixelToX(const PlotGeometry& plot, int px) const {
  const double along = static_cast<double>(px - plot.left) / std::max(plot.width, 1);
  if (xScale_ == kXScaleLog2) return static_cast<float>(std::exp2(along * xLogSpan_ + xLogMin_));
  return static_cast<float>(along * xSpan_ + xMin_);
}

float GraphModel::PixelToY(const PlotGeometry& plot, int py) const {
  return static_cast<float>(static_cast<double>(plot.Bottom() - py) * ySpan_ / std::max(plot.height, 1) + yMin_);
}

// --- curve ---------------------------------------------------------------------

bool GraphModel::HasCurve() const {
  return points_.size() >= (curveMode_ == kCurveSpline ? 3u : 2u);
}

void GraphModel::PrepareCurve() {
  splineX_.clear();
  splineY_.clear();
  splineH_.clear();
  splineD_.clear();
  splineM_.clear();
  if (curveMode_ != kCurveSpline || points_.size() < 3) return;
  const size_t n = points_.size();
  for (const GraphPoint& p : points_) {
    splineX_.push_back(p.x);
    splineY_.push_back(p.y);
  }
  splineH_.resize(n - 1);
  splineD_.resize(n - 1);
  for (size_t i = 0; i + 1 < n; ++i) {
    splineH_[i] = splineX_[i + 1] - splineX_[i];
    splineD_[i] = splineH_[i] != 0 ? (splineY_[i + 1] - splineY_[i]) / splineH_[i] : 0.0f;
  }
  // h[i-1] m[i-1] + 2 (h[i-1] + h[i]) m[i] + h[i] m[i+1] = d[i] - d[i-1],
  // m at both ends 0: a tridiagonal system, forward elimination then back
  // substitution.
  splineM_.assign(n, 0.0f);
  std::vector<double> diag(n, 0.0), rhs(n, 0.0);
  for (size_t i = 1; i + 1 < n; ++i) {
    diag[i] = 2.0 * (splineH_[i - 1] + splineH_[i]);
    rhs[i] = splineD_[i] - splineD_[i - 1];
    if (i > 1 && diag[i - 1] != 0) {
      const double factor = splineH_[i - 1] / diag[i - 1];
      diag[i] -= factor * splineH_[i - 1];
      rhs[i] -= factor * rhs[i - 1];
    }
  }
  for (size_t i = n - 2; i >= 1; --i) {
    const double next = splineM_[i + 1];  // the last one stays 0
    splineM_[i] = diag[i] != 0 ? static_cast<float>((rhs[i] - splineH_[i] * next) / diag[i]) : 0.0f;
  }
}

float GraphModel::LinearValue(float x) const {
  if (points_.empty()) return 0;
  if (x <= points_.front().x) return points_.front().y;
  if (x >= points_.back().x) return points_.back().y;
  auto hi = std::lower_bound(points_.begin(), points_.end(), x,
                             [](const GraphPoint& p, float v) { return p.x < v; });
  if (hi->x == x) return hi->y;
  const GraphPoint& a = *(hi - 1);
  const GraphPoint& b = *hi;
  return static_cast<float>(a.y + (static_cast<double>(x) - a.x) * (b.y - a.y) / (static_cast<double>(b.x) - a.x));
}

float GraphModel::SplineValue(float x) const {
  const size_t n = splineX_.size();
  if (n < 3) return LinearValue(x);
  // Interval i holds x; outside the points the end intervals continue.
  size_t i = static_cast<size_t>(std::upper_bound(splineX_.begin(), splineX_.end(), x) - splineX_.begin());
  i = i == 0 ? 0 : std::min(i - 1, n - 2);
  if (splineX_[i] == x) return splineY_[i];
  const double h = splineH_[i];
  if (h == 0) return splineY_[i];
  const double t = static_cast<double>(x) - splineX_[i];
  const double mi = splineM_[i], mj = splineM_[i + 1];
  return static_cast<float>(splineY_[i] + t * (splineD_[i] - h * (2 * mi + mj)) + 3 * mi * t * t +
                            (mj - mi) / h * t * t * t);
}

float GraphModel::CurveValue(float x) const {
  for (const GraphPoint& p : points_) {
    if (p.x == x) return p.y;
  }
  return curveMode_ == kCurveSpline ? SplineValue(x) : LinearValue(x);
}

// --- mouse ---------------------------------------------------------------------

int32_t GraphModel::HitTest(const PlotGeometry& plot, int px, int py, int handleSize) const {
  const int half = handleSize / 2;
  for (size_t i = 0; i < points_.size(); ++i) {
    const int cx = XToPixel(plot, points_[i].x);
    const int cy = PointYToPixel(plot, points_[i].y);
    if (px >= cx - half && px <= cx + half && py >= cy - half && py <= cy + half) {
      return static_cast<int32_t>(i);
    }
  }
  return -1;
}

void GraphModel::DragPointTo(const PlotGeometry& plot, int32_t index, int px, int py) {
  if (index < 0 || static_cast<size_t>(index) >= points_.size()) return;
  const size_t i = static_cast<size_t>(index);
  GraphPoint& point = points_[i];
  if (!xLocked_) {
    const float low = i > 0 ? points_[i - 1].x + minSeparation_ : xMin_;
    const float high = i + 1 < points_.size() ? points_[i + 1].x - minSeparation_ : xMax_;
    const float x = PixelToX(plot, px);
    // Neighbours already closer than the separation pin the point at `low`.
    point.x = std::max(low, std::min(x, high));
  }
  point.y = std::max(yMin_, std::min(PixelToY(plot, py), yMax_));
}

void GraphModel::NudgePoint(int32_t index, float dy) {
  if (index < 0 || static_cast<size_t>(index) >= points_.size()) return;
  GraphPoint& point = points_[static_cast<size_t>(index)];
  point.y = std::max(yMin_, std::min(point.y + dy, yMax_));
}

int32_t GraphModel::RightClick(const PlotGeometry& plot, int32_t hot, int px, int py) {
  if (!canAddRemove_) return hot;
  if (hot >= 0 && static_cast<size_t>(hot) < points_.size()) {
    // A curve keeps at least 3 points once it has them.
    if (points_.size() > 3) points_.erase(points_.begin() + hot);
    return -1;
  }
  const float x = PixelToX(plot, px);
  const float y = std::max(yMin_, std::min(PixelToY(plot, py), yMax_));
  float low = xMin_, high = xMax_;
  size_t insertAt = 0;
  if (!points_.empty()) {
    auto above = std::lower_bound(points_.begin(), points_.end(), x,
                                  [](const GraphPoint& p, float v) { return p.x < v; });
    const size_t lo = above == points_.end() ? points_.size() - 1 : static_cast<size_t>(above - points_.begin());
    if (points_[lo].x < x) {
      low = points_[lo].x + minSeparation_;
    } else {
      if (lo > 0) low = points_[lo - 1].x + minSeparation_;
      high = points_[lo].x - minSeparation_;
    }
    insertAt = static_cast<size_t>(std::upper_bound(points_.begin(), points_.end(), x,
                                                    [](float v, const GraphPoint& p) { return v < p.x; }) -
                                   points_.begin());
  }
  if (!(x >= low && x <= high)) return -1;
  points_.insert(points_.begin() + static_cast<std::ptrdiff_t>(insertAt), GraphPoint{x, y});
  return static_cast<int32_t>(insertAt);
}

std::vector<size_t> ThinLabels(const std::vector<int>& centres, const std::vector<int>& widths, int gap,
                               int areaLeft, int areaRight) {
  std::vector<size_t> kept;
  int lastRight = INT_MIN;
  for (size_t i = 0; i < centres.size() && i < widths.size(); ++i) {
    const int left = centres[i] - widths[i] / 2;
    if (left < areaLeft || left + widths[i] > areaRight) continue;
    if (!kept.empty() && left - lastRight < gap) continue;
    kept.push_back(i);
    lastRight = left + widths[i];
  }
  return kept;
}
