// CGraphCtrl: a curve editor window. It shows points over a value range with
// grid lines and axis labels, draws a curve through them (straight lines,
// per-pixel linear, or a natural cubic spline), and lets the user drag
// points and, when allowed, add and remove them with the right button. Every
// change goes to the parent as WM_COMMAND (id, code) with the control's
// window: kGraphChanged on each drag step and right click, kGraphDragStart
// and kGraphDragEnd around a drag. The control knows nothing of what the
// values mean: its parent may give a describer, and the point being dragged
// (or moved with the keys) is then announced in a tip beside it.
//
// The keyboard: the control is a tab stop; Left and Right pick a point,
// Up and Down move it by a hundredth of the range (Page Up and Page Down by
// a tenth), each step reported as kGraphChanged. In high contrast it draws
// in the system's colours.
//
// UI thread only. The object must outlive its window (the window is
// destroyed with the object at the latest).
#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "ui/graph_model.h"
#include "framework/unique_handle.h"

constexpr WORD kGraphChanged = 0x100;
constexpr WORD kGraphDragStart = 0x101;
constexpr WORD kGraphDragEnd = 0x102;

class CGraphCtrl {
 public:
  CGraphCtrl();
  virtual ~CGraphCtrl();
  CGraphCtrl(const CGraphCtrl&) = delete;
  CGraphCtrl& operator=(const CGraphCtrl&) = delete;

  // Creates the control as a visible child of the placeholder's parent, on
  // the placeholder's rectangle, with that id and the text "GraphCtrl". The
  // labels use the parent's font.
  bool CreateOver(HWND placeholder, int id);
  HWND Handle() const { return window_.get(); }

  void SetCurveMode(int32_t mode);  // GraphCurveMode; repaints
  void SetXScale(int32_t scale);    // GraphXScale; repaints
  void SetRange(float xMin, float xMax, float yMin, float yMax);  // 3 middle points, no labels; repaints
  bool AddXLabel(float value, const char* text = nullptr) { return model_.AddXLabel(value, text); }
  bool AddYLabel(float value, const char* text = nullptr) { return model_.AddYLabel(value, text); }
  bool SetXLabelStep(int32_t step) { return model_.SetXLabelStep(step); }
  bool SetYLabelStep(int32_t step) { return model_.SetYLabelStep(step); }
  void ClearPoints() { model_.ClearPoints(); }
  void SetPoint(size_t index, float x, float y) { model_.SetPoint(index, x, y); }
  std::vector<std::pair<float, float>> CopyPoints() const { return model_.CopyPoints(); }
  void SetXLocked(bool flag) { model_.SetXLocked(flag); }
  void SetClampToPlot(bool flag) { model_.SetClampToPlot(flag); }
  void SetCanAddRemove(bool flag) { model_.SetCanAddRemove(flag); }
  // Redraws now (not at the next WM_PAINT).
  void RepaintNow();
  // The tip's text for a point (x, y); without one no tip shows.
  using PointDescriber = std::function<std::wstring(float x, float y)>;
  void SetPointDescriber(PointDescriber describer) { describer_ = std::move(describer); }
  // The tooltip window that announces the dragged point (for tests).
  HWND TipWindow() const { return tip_.get(); }

  const GraphModel& model() const { return model_; }
  int32_t hotPoint() const { return hotPoint_; }
  bool dragging() const { return dragging_; }
  // The plot as the last drawing placed it (client pixels).
  const PlotGeometry& plot() const { return plot_; }

 protected:
  // Draws the whole control into `dc` (an off-screen picture of the client
  // size with the font selected).
  virtual void OnDraw(HDC dc);

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void OnPaint();
  void OnMouseMove(int x, int y);
  void OnLeftButtonDown();
  void OnLeftButtonUp();
  void OnRightButtonDown(int x, int y);
  bool OnKey(WPARAM key);
  void CreateTip();
  // Shows the tip beside the hot point with its description, or hides it.
  void ShowPointTip(bool show);
  void Notify(WORD code);
  void UpdateGeometry();
  void DrawLabels(HDC dc, const RECT& client);
  void DrawCurve(HDC dc);
  void DrawHandles(HDC dc);
  int Scaled(int pixels) const;

  GraphModel model_;
  UniqueWindow window_;
  UniqueWindow tip_;  // tracking tooltip, owned by the dialog
  PointDescriber describer_;
  bool tipShown_ = false;
  bool tipUpdatePosted_ = false;
  std::wstring tipText_;  // what the tip shows, where
  POINT tipAt_{0, 0};
  HFONT font_ = nullptr;  // the parent's (or WM_SETFONT's) font; not owned
  int32_t hotPoint_ = -1;
  bool dragging_ = false;
  RECT client_{};
  PlotGeometry plot_;
  int dpi_ = 96;
  // Drawing resources kept between paints (UI thread only).
  UniqueGdiObject backBuffer_;  // off-screen picture of the client size
  SIZE backSize_{0, 0};
  std::vector<POINT> curveLine_;
};
