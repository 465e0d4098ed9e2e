// The volume popup of the play list editor: a file's own volume adjustment
// (-100..100 %) and its equalizer preset. It opens centred on the mouse and
// closes after one change or when the user goes elsewhere; the caller then
// reads volumeAdjust and presetId, however it closed. Modal, UI thread.
#pragma once
#include <cstdint>
#include <climits>
#include <string>
#include <vector>

#include "framework/dialog.h"

struct PresetChoice {
  int32_t id;
  std::string name;
};

class CVolumeDlg : public CDialog {
 public:
  // The presets in table order, for the combo box.
  explicit CVolumeDlg(std::vector<PresetChoice> presets);

  int32_t volumeAdjust = 0;  // in and out
  int32_t presetId = 0;      // in and out
  // True when the popup closed by a rule that reads the slider or the
  // preset; Escape, Enter and going elsewhere change nothing.
  bool Changed() const { return changed_; }

 protected:
  bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
  bool PreTranslateMessage(MSG& message) override;
  BOOL OnInitDialog() override;

 private:
  LRESULT OnSliderReleased(WPARAM, LPARAM, bool& handled);
  LRESULT OnAnyNotify(WPARAM, LPARAM, bool& handled);
  LRESULT OnButtonDown(WPARAM, LPARAM, bool& handled);
  LRESULT OnPresetChosen(WPARAM, LPARAM, bool& handled);
  LRESULT OnActivate(WPARAM, LPARAM, bool& handled);
  int SliderPosition() const;
  void ShowAdjust(int value);
  void Close();

  static const MessageMapEntry<CVolumeDlg> kMessageMap[];

  std::vector<PresetChoice> presets_;
  int lastShown_ = INT_MIN;
  bool closing_ = false;
  bool changed_ = false;
};
