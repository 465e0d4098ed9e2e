// A top-level test window holding two owner-drawn report lists, a splitter
// and two buttons, and real input through SendInput, for the control tests.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

namespace uitest {
constexpr int kLeftList = 1000;
constexpr int kRightList = 1001;
constexpr int kSplitter = 1020;

struct Notice {
  int id;
  int code;
  POINT point;  // DLN_DROPOUTSIDE only
};

class TestWindow {
 public:
  TestWindow();
  ~TestWindow();
  HWND Handle() const { return window_; }
  HWND Item(int id) const { return ::GetDlgItem(window_, id); }
  // Rows "<prefix>0".. with item data 0.. in one column.
  void FillRows(int id, int count, const char* prefix);
  std::vector<std::string> Texts(int id) const;
  std::vector<int> RowsWith(int id, UINT state) const;
  // Screen point in the middle of a row's first cell.
  POINT RowPoint(int id, int row) const;
  RECT ScreenRect(int id) const;

  std::vector<Notice> notices;
  // Called for messages the window does not handle itself (layout tests).
  LRESULT (*extra)(HWND, UINT, WPARAM, LPARAM, bool&) = nullptr;

 private:
  static LRESULT CALLBACK Proc(HWND, UINT, WPARAM, LPARAM);
  HWND window_ = nullptr;
};

// Runs the message loop for `ms` milliseconds.
void Pump(int ms);
void MouseMove(POINT screen);
void MouseButton(bool down, bool right = false);
// Presses at `from`, moves in steps to `to` (pausing at each), releases.
void Drag(POINT from, POINT to, int steps = 8);
}  // namespace uitest
