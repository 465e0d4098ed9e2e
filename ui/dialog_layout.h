// Makes a resizable dialog's controls follow its size and lets the user drag
// splitter bars between controls. The dialog forwards its size, minimum-size
// and mouse messages here. User-interface thread only.
//
//   layout.Init(Handle());
//   layout.SetAnchor(IDC_FILES, kAnchorLeft | kAnchorRight | kAnchorTop | kAnchorBottom);
//   layout.AddSplitter(IDC_SPLITTER, kSplitterVertical, {IDC_LISTS, IDC_FILES});
#pragma once
#include <windows.h>

#include <initializer_list>
#include <vector>

#include "ui/layout_math.h"

class CDialogLayout {
 public:
  // Records every child with its current rectangle and the default anchor,
  // the client size and the window size (the smallest the dialog may get).
  // Only controls that exist now are managed.
  void Init(HWND dialog);
  // Sets one control's anchor (LayoutAnchor bits) and reads its rectangle
  // again; false when no child has that id.
  bool SetAnchor(int id, int anchor);
  // Declares a splitter bar (a thin, usually hidden static) and the controls
  // on its two sides; the list ends at the first id that is no child.
  void AddSplitter(int splitterId, int orientation, std::initializer_list<int> ids);

  // WM_SIZE. False when a recorded control no longer exists.
  bool OnSize(UINT type, int cx, int cy);
  // WM_GETMINMAXINFO: sets the minimum tracking size.
  void GetMinMaxInfo(MINMAXINFO* info) const;
  // Mouse messages in the dialog's client coordinates; true when handled.
  bool OnMouseMove(int x, int y);
  bool OnLButtonDown(int x, int y);
  bool OnLButtonUp(int x, int y);
  // WM_SETCURSOR: keeps the sizing arrow over a splitter; true when set.
  bool OnSetCursor();
  // Ends a splitter drag without a button release (capture lost).
  void CancelDrag();
  // Reads every control's rectangle again, after the dialog moved them.
  void RefreshRects();

  bool IsDragging() const { return dragging_; }
  // Controls closer to a splitter than this stay (pixels at 96 DPI).
  static constexpr int kMinPaneSize = 32;

 private:
  struct Entry {
    int id;
    HWND window;
    LayoutRect rect;
    int anchor;
  };
  struct Splitter {
    int id;
    int orientation;
    std::vector<int> controls;
  };

  Entry* Find(int id);
  const Entry* Find(int id) const;
  LayoutRect ReadRect(HWND control) const;
  void Place(Entry& entry, const LayoutRect& rect);
  void DragBy(int delta);
  int MinPaneSize() const;
  std::vector<LayoutRect> GroupRects(const Splitter& splitter) const;

  HWND dialog_ = nullptr;
  std::vector<Entry> entries_;      // sorted by id
  std::vector<Splitter> splitters_;  // sorted by splitter id
  SIZE initialWindow_{0, 0};
  SIZE client_{0, 0};
  bool initialised_ = false;
  const Splitter* hot_ = nullptr;  // the splitter under the mouse
  bool dragging_ = false;
  POINT last_{0, 0};
};
