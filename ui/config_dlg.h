// The Config dialog: plug-in folders, the Controller's transparency, the
// volume with its mode, the step of the volume keys, ReplayGain (mode,
// pre-amplification, the gain of files without values, clipping prevention),
// gapless playback, and whether the program starts with Windows (the Run
// entry, read when the dialog opens, written on OK only when the box changed).
//
// Volume and transparency follow the sliders at once; OK stores the rest;
// Cancel puts back only the Controller's stored transparency (volume changes
// made meanwhile stay). UI thread only, modal, on the stack of its command.
#pragma once
#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "framework/dialog.h"
#include "ui/config_target.h"

class CConfigDlg : public CDialog {
 public:
  explicit CConfigDlg(ConfigTarget& target);
  ~CConfigDlg() override;
  // The open Config dialog's window, or null: a second command while one is
  // open brings that one forward instead of stacking another on it.
  static HWND OpenWindow();

 protected:
  bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
  bool PreTranslateMessage(MSG& message) override;
  BOOL OnInitDialog() override;
  void OnOK() override;
  void OnCancel() override;

 private:
  LRESULT OnScroll(WPARAM, LPARAM, bool& handled);
  LRESULT OnTransparencyReleased(WPARAM, LPARAM, bool& handled);
  LRESULT OnVolumeReleased(WPARAM, LPARAM, bool& handled);
  LRESULT OnFolderKeyDown(WPARAM, LPARAM, bool& handled);
  LRESULT OnDecibelsClicked(WPARAM, LPARAM, bool& handled);
  LRESULT OnVolumeChanged(WPARAM, LPARAM, bool& handled);

  void InitFolderList();
  void AddFolderRow(const std::string& path);
  void AddDroppedFolders(HDROP drop);
  std::vector<std::string> FolderRows() const;
  void DeleteSelectedFolder();

  int SliderPosition(int id) const;
  void SetSliderRange(int id, int low, int high, int page);
  void SetVolumeRange(bool decibels);
  bool DecibelsTicked() const;
  void UpdateVolumeText();
  // The slider's volume to the application, unless it holds it already.
  void ApplySliderVolume();
  void ApplyTransparency(int alpha);
  void InitReplayGain();
  // The ReplayGain settings the controls show.
  ReplayGainSettings ReplayGainShown() const;

  static const MessageMapEntry<CConfigDlg> kMessageMap[];

  static CConfigDlg* open_;  // UI thread only

  ConfigTarget& target_;
  bool decibelRange_ = false;  // the volume slider's current range: -60..6 dB or 0..200 %
  bool startsWithWindows_ = false;  // the Run entry as the dialog found it
};
