// The floating Controller window (resource 133): seven transport buttons, a
// seek slider across the top, a volume slider at the right end, and a caption
// that follows the playing file's title. Created hidden at start-up, shown
// and hidden by the "Controller..." command, alive until exit.
//
// Every control has a name (its window text) and a tool tip; the seek
// slider's tip tells the time under the mouse, the volume slider's the
// volume. Tab walks the controls, Space and Enter press the focused button.
// In high contrast the button icons take the system's button text colour.
//
// UI thread only. Playback (position, length, title) is read through the
// target, which hands out consistent copies of what the player thread wrote.
// Timer 1 runs only while the window is visible and no seek is held.
#pragma once
#include <string>

#include "framework/dialog.h"
#include "framework/dpi.h"
#include "framework/unique_handle.h"
#include "ui/control_tips.h"
#include "ui/controller_target.h"
#include "ui/track_bar.h"

class CControllerDlg : public CDialog {
 public:
  explicit CControllerDlg(ControllerTarget& target);
  ~CControllerDlg() override;

  // One timer tick: the seek thumb follows the playing position and the
  // caption the title (set only when the title changed).
  void Tick();
  // Shows the window, active, with the keyboard focus on Play.
  void ShowWithFocusOnPlay();

 protected:
  bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
  BOOL OnInitDialog() override;
  void OnDpiChanged(int dpi) override { LoadButtonIcons(dpi); }
  void OnColoursChanged() override { LoadButtonIcons(WindowDpi(Handle())); }
  // Escape and the close box hide it; it is destroyed only at exit.
  void OnCancel() override { ::ShowWindow(Handle(), SW_HIDE); }
  // Enter presses the focused button; elsewhere it does nothing.
  void OnOK() override;

 private:
  // Why the seek thumb is held away from the playing position.
  enum class SeekHold { kNone, kMouse, kKeys };

  LRESULT OnTimer(WPARAM, LPARAM, bool& handled);
  LRESULT OnShowWindow(WPARAM, LPARAM, bool& handled);
  LRESULT OnButton(WPARAM, LPARAM, bool& handled);
  LRESULT OnPlayListChosen(WPARAM, LPARAM, bool& handled);
  LRESULT OnScroll(WPARAM, LPARAM, bool& handled);
  LRESULT OnSeekReleased(WPARAM, LPARAM, bool& handled);
  LRESULT OnPlayStarted(WPARAM, LPARAM, bool& handled);
  LRESULT OnVolumeChanged(WPARAM, LPARAM, bool& handled);
  LRESULT OnNonClientRightButton(WPARAM, LPARAM, bool& handled);

  void LoadButtonIcons(int dpi);
  void AddTips();
  std::wstring SeekTip(POINT at) const;
  std::wstring VolumeTip() const;
  void SetUpVolumeSlider();
  void ApplySliderVolume();
  void ResetSeekSlider();
  void OnSeekInput(UINT message, WPARAM wParam);
  void HoldSeek(SeekHold reason);
  void SeekAndResume();
  void StartTimer();
  void StopTimer();
  void ShowPlayListMenu(POINT cursor);

  static const MessageMapEntry<CControllerDlg> kMessageMap[];

  ControllerTarget& target_;
  CTrackBar seekSlider_;
  CTrackBar volumeSlider_;
  UniqueIcon icons_[7];
  CControlTips tips_;  // after the sliders: destroyed before them
  // The seek slider is told the position only when its thumb moves by a
  // pixel (on screen nothing changes in between); before the user acts on
  // it, it gets the exact position.
  uint32_t positionMs_ = 0;
  int64_t seekLengthMs_ = 0;
  int seekPixels_ = 1;
  int64_t thumbPixel_ = -1;
  std::string shownTitle_;  // the caption text last shown; empty until a title is known
  SeekHold seekHold_ = SeekHold::kNone;
  bool timerRunning_ = false;
};
