// The arithmetic of a resizable dialog: controls anchored to its edges and
// splitter bars that trade space between the controls beside them. No
// windows here; CDialogLayout applies the results.
#pragma once
#include <vector>

struct LayoutRect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
};

// Anchor bits: which edges of a control follow the dialog.
enum LayoutAnchor : int {
  kAnchorLeft = 1,    // the left edge stays
  kAnchorRight = 2,   // the right edge follows the dialog's right edge
  kAnchorTop = 4,     // the top edge stays
  kAnchorBottom = 8,  // the bottom edge follows the dialog's bottom edge
  kAnchorDefault = kAnchorLeft | kAnchorTop,
};

// Splitter bars: 0 is a vertical bar dragged left and right, 1 a horizontal
// bar dragged up and down.
enum SplitterOrientation : int { kSplitterVertical = 0, kSplitterHorizontal = 1 };

// The rectangle after the dialog's client area grew by dx, dy.
LayoutRect AnchoredRect(LayoutRect rect, int anchor, int dx, int dy);

// One splitter step: moves the edges of `controls` that face `bar` by
// `delta` along the bar's axis, reducing the step so that no control becomes
// narrower (lower) than `minSize`. Returns the step actually taken and
// updates the rectangles; the caller moves the bar by the same amount.
int SplitterStep(const LayoutRect& bar, int orientation, int delta, int minSize,
                 std::vector<LayoutRect>& controls);

// Where the mouse may go while it drags a bar: the union of the controls
// shrunk by `margin` on every side, unlimited along the other axis. False
// when the shrunk union is empty along the drag axis (no drag then).
bool SplitterDragArea(const std::vector<LayoutRect>& controls, int orientation, int margin,
                      LayoutRect& area);

// The smallest window extent along the bar's axis that leaves every control
// beside the outermost bar (those right of / below it) at least `minSize`
// wide: current extent minus the smallest spare size. The initial extent is
// the floor. `controlsBeyond` are the controls of the outermost bar's group
// lying right of (or below) it.
int MinimumExtent(int initialExtent, int currentExtent, const LayoutRect& bar, int orientation,
                  const std::vector<LayoutRect>& groupControls, int minSize);
