// A thin owner of a track bar control ("msctls_trackbar32") in a dialog:
// typed calls for range, position and ticks, and a notice when the user
// presses the left button or a key, or turns the wheel on it (before the
// control acts on it).
#pragma once
#include <windows.h>

#include <functional>

class CTrackBar {
 public:
  CTrackBar() = default;
  ~CTrackBar();
  CTrackBar(const CTrackBar&) = delete;
  CTrackBar& operator=(const CTrackBar&) = delete;

  // Takes the control `id` of `dialog`; `onInput` (may be empty) gets
  // WM_LBUTTONDOWN, WM_KEYDOWN and WM_MOUSEWHEEL (with their wParam) before
  // the control handles them.
  using InputHandler = std::function<void(UINT message, WPARAM wParam)>;
  void Attach(HWND dialog, int id, InputHandler onInput = {});
  HWND Handle() const { return window_; }

  void SetRange(int low, int high, bool redraw);
  void SetPosition(int position, bool redraw);
  int Position() const;
  // Width of the channel the thumb runs along, in pixels (at least 1).
  int ChannelPixels() const;
  // The value the thumb would have with its centre at `x` (client pixels).
  int ValueAt(int x) const;
  // How far an arrow key (line) and Page Up/Down (page) move the thumb.
  void SetSteps(int line, int page);
  void ClearTicks(bool redraw);
  void SetTick(int position);

 private:
  static LRESULT CALLBACK SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                       UINT_PTR id, DWORD_PTR self);

  HWND window_ = nullptr;
  InputHandler onInput_;
};
