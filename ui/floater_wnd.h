// The drag image of the drag list: a see-through pop-up that follows the
// mouse, showing a picture whose pure green pixels are invisible.
#pragma once
#include <windows.h>

#include "framework/unique_handle.h"
#include "ui/dib.h"

class CFloaterWnd {
 public:
  CFloaterWnd() = default;
  CFloaterWnd(const CFloaterWnd&) = delete;
  CFloaterWnd& operator=(const CFloaterWnd&) = delete;

  // The pop-up window named "FloaterWnd", owned by `owner`, layered with
  // green as colour key and half opacity. Hidden until Show.
  bool Create(HWND owner);
  bool IsCreated() const { return static_cast<bool>(window_); }
  HWND Handle() const { return window_.get(); }

  // Takes a copy of the picture, sizes the window to it and repaints it.
  bool SetPicture(const CDib& picture);
  const CDib& Picture() const { return picture_; }
  void SetHotSpot(POINT hotSpot) { hotSpot_ = hotSpot; }
  POINT HotSpot() const { return hotSpot_; }
  // Screen position of the owning list's top-left corner.
  void SetListOrigin(POINT origin) { listOrigin_ = origin; }
  // Puts the hot spot at `mouse` (client coordinates of the list) and shows
  // the window without activating it.
  void MoveTo(POINT mouse);
  void Hide();

  static constexpr COLORREF kKeyColour = RGB(0, 255, 0);
  static constexpr BYTE kAlpha = 127;

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void Paint();

  UniqueWindow window_;
  CDib picture_;
  POINT hotSpot_{0, 0};
  POINT listOrigin_{0, 0};
};
