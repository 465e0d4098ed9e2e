// The on-screen title display (resource 147): one line of white text with a
// dark outline at the screen's top-left corner, over every window, without
// frame or background (black is keyed out). It stays two seconds, fades over
// the next two and hides; every new text restarts the cycle. In high
// contrast it shows the system's text colour on its window colour instead.
//
// Threads: ShowText may be called on any thread (the volume keys on the UI
// thread, the player thread when a file has been opened). The text waits
// under lock_ and the window's own thread takes it on a posted message, so
// painting only ever reads text_, which the window's thread alone writes.
#pragma once
#include <windows.h>

#include <mutex>
#include <string>

#include "framework/dialog.h"
#include "framework/unique_handle.h"

class CTitleWnd : public CDialog {
 public:
  CTitleWnd();
  ~CTitleWnd() override;

  // UI thread: creates the hidden, layered window.
  bool CreateHidden();
  // Any thread: shows `text` now (soon after, from another thread).
  void ShowText(const std::string& text);

 protected:
  bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
  BOOL OnInitDialog() override;
  void OnDpiChanged(int dpi) override;
  void OnColoursChanged() override;

 private:
  LRESULT OnTakeText(WPARAM, LPARAM, bool& handled);
  LRESULT OnTimer(WPARAM, LPARAM, bool& handled);
  LRESULT OnPaint(WPARAM, LPARAM, bool& handled);
  LRESULT OnEraseBackground(WPARAM, LPARAM, bool& handled);

  void MakeFont(int dpi);
  // Posts UM_TITLE_TEXT to the window, if it exists; lock_ held.
  void PostTakeLocked();
  void Present();
  void Hide();
  int Outline() const;

  static const MessageMapEntry<CTitleWnd> kMessageMap[];

  // --- any thread, under lock_
  std::mutex lock_;
  std::string pending_;
  bool hasPending_ = false;    // pending_ holds a text not yet taken
  bool messagePosted_ = false;  // a UM_TITLE_TEXT is on its way
  HWND postTarget_ = nullptr;  // set once the window exists, cleared before it goes

  // --- the window's (UI) thread only
  std::string text_;
  DWORD shownAt_ = 0;
  bool timerRunning_ = false;
  UniqueGdiObject font_;
};
