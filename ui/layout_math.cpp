// The arithmetic of a resizable dialog's anchors and splitters.
#include "ui/layout_math.h"

#include <algorithm>
#include <climits>

namespace {
// Views a rectangle along one axis: near/far edges of the dragged axis.
struct AxisEdges {
  int* nearEdge;
  int* farEdge;
};

AxisEdges Along(LayoutRect& rect, int orientation) {
  return orientation == kSplitterVertical ? AxisEdges{&rect.left, &rect.right}
                                          : AxisEdges{&rect.top, &rect.bottom};
}
}  // namespace

LayoutRect AnchoredRect(LayoutRect rect, int anchor, int dx, int dy) {
  if (anchor & kAnchorRight) {
    rect.right += dx;
    if (!(anchor & kAnchorLeft)) rect.left += dx;
  }
  if (anchor & kAnchorBottom) {
    rect.bottom += dy;
    if (!(anchor & kAnchorTop)) rect.top += dy;
  }
  return rect;
}

int SplitterStep(const LayoutRect& bar, int orientation, int delta, int minSize,
                 std::vector<LayoutRect>& controls) {
  LayoutRect barCopy = bar;
  const AxisEdges barEdges = Along(barCopy, orientation);
  // First pass: shrink the step for each control in turn, so that none ends
  // up below the minimum size.
  for (LayoutRect control : controls) {
    AxisEdges edges = Along(control, orientation);
    if (*edges.farEdge < *barEdges.farEdge) {  // before the bar: its far edge follows
      const int size = *edges.farEdge + delta - *edges.nearEdge;
      if (size < minSize) delta += minSize - size;
    } else if (*edges.nearEdge > *barEdges.nearEdge) {  // after the bar: its near edge follows
      const int size = *edges.farEdge - (*edges.nearEdge + delta);
      if (size < minSize) delta -= minSize - size;
    }
  }
  // Second pass: apply the final step.
  for (LayoutRect& control : controls) {
    AxisEdges edges = Along(control, orientation);
    if (*edges.farEdge < *barEdges.farEdge) {
      *edges.farEdge += delta;
    } else if (*edges.nearEdge > *barEdges.nearEdge) {
      *edges.nearEdge += delta;
    }
  }
  return delta;
}

bool SplitterDragArea(const std::vector<LayoutRect>& controls, int orientation, int margin,
                      LayoutRect& area) {
  if (controls.empty()) return false;
  LayoutRect all = controls.front();
  for (const LayoutRect& r : controls) {
    all.left = std::min(all.left, r.left);
    all.top = std::min(all.top, r.top);
    all.right = std::max(all.right, r.right);
    all.bottom = std::max(all.bottom, r.bottom);
  }
  all.left += margin;
  all.top += margin;
  all.right -= margin;
  all.bottom -= margin;
  if (orientation == kSplitterVertical) {
    if (all.right <= all.left) return false;
    all.top = -32767;
    all.bottom = 32767;
  } else {
    if (all.bottom <= all.top) return false;
    all.left = -32767;
    all.right = 32767;
  }
  area = all;
  return true;
}

int MinimumExtent(int initialExtent, int currentExtent, const LayoutRect& bar, int orientation,
                  const std::vector<LayoutRect>& groupControls, int minSize) {
  LayoutRect barCopy = bar;
  const AxisEdges barEdges = Along(barCopy, orientation);
  int spare = INT_MAX;
  for (LayoutRect control : groupControls) {
    AxisEdges edges = Along(control, orientation);
    if (*edges.nearEdge > *barEdges.nearEdge) spare = std::min(spare, *edges.farEdge - *edges.nearEdge - minSize);
  }
  if (spare == INT_MAX) return initialExtent;
  return std::max(initialExtent, currentExtent - spare);
}
