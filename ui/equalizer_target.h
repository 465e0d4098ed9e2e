// What the Equalizer dialog needs of the application: the preset list, the
// id counter, the current file's preset, and the road to the player thread.
// The application object provides it; tests give the dialog a stand-in.
// Everything here is called on the user-interface thread only.
#pragma once
#include <cstdint>

#include "eq/eq_presets.h"

class EqualizerTarget {
 public:
  virtual EqPresetList& presets() = 0;
  // A fresh id from the counter shared with the file entries.
  virtual int32_t NextEntryId() = 0;
  // The current file entry's preset id; 0 when there is no current file.
  virtual int32_t CurrentPresetId() = 0;
  // Assigns the preset to the current file (if any) and has the player
  // apply it now (PC_SET_EQUALIZER).
  virtual void ApplyPreset(int32_t presetId) = 0;
  // Every file entry holding the id goes back to 0 ("Default").
  virtual void ResetFilePresets(int32_t presetId) = 0;
  // PC_HOLD_EQUALIZER: while held, a file that starts keeps the curve the
  // dialog applied last.
  virtual void HoldEqualizer(bool hold) = 0;

 protected:
  ~EqualizerTarget() = default;
};
