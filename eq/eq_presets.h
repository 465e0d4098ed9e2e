// The six equalizer types with their bands, and the application's list of
// named presets that the dialog edits and the player thread reads.
#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "eq/eq_preset.h"

// Index = EqPreset::type = position in the dialog's type box.
enum EqType : int32_t {
  EqTypeNone = 0,               // "NoEQ": no points, equalizer off
  EqTypeParametric = 1,         // "ParaEQ": points placed freely
  EqTypeThreeHalvesOctave = 2,  // "GraEQ 3/2 oct": 7 bands
  EqTypeOctave = 3,             // "GraEQ 1 oct": 10 bands
  EqTypeTwoThirdsOctave = 4,    // "GraEQ 2/3 oct": 15 bands
  EqTypeThirdOctave = 5,        // "GraEQ 1/3 oct": 30 bands
};
constexpr int32_t kEqTypeCount = 6;

struct EqTypeInfo {
  const char* displayName;
  const double* centres;  // hertz, ascending; the points a type change creates
  int32_t centreCount;
};

// The type's name and bands; nullptr for a type outside 0..5.
const EqTypeInfo* FindEqType(int32_t type);

// Bin position (8192-point transform at 44100 Hz) of a frequency.
float HertzToBin(double hertz);

// The list of presets, in creation order (the order of the dialog's list).
// Lookups by id take the first preset with that id.
//
// Threading: edited on the user-interface thread, read by the player thread
// (BuildEqualizerCurve) and by the settings code. Every member takes mutex_
// for its whole run and hands out copies, never references into the list,
// so a curve is never built from points that are being replaced. Callbacks
// passed in run without the lock held.
class EqPresetList {
 public:
  static constexpr int32_t kDefaultCapacity = 256;
  static constexpr int32_t kDefaultGrowth = 256;

  EqPresetList();  // holds only the "Default" preset

  // Back to the single "Default" preset (id 0, "Default", "NoEQ", no points)
  // with the default storage hints; done before the settings are read.
  void ResetToDefault();
  // Replaces the whole list, e.g. with the presets read from the settings.
  // Capacity hints too small for what is stored grow by whole steps.
  void ReplaceAll(std::vector<EqPreset> presets, int32_t capacity, int32_t growth);
  // A copy of the list and its hints, e.g. for writing the settings.
  std::vector<EqPreset> Presets() const;
  int32_t Capacity() const;
  int32_t Growth() const;

  size_t Count() const;
  std::optional<EqPreset> PresetAt(size_t index) const;
  std::optional<EqPreset> FindPreset(int32_t id) const;
  // Index of the first preset with that id, or -1.
  int32_t FindPresetIndex(int32_t id) const;
  // Largest preset id (0 for a list with only "Default"), so the id counter
  // can be moved past it after a load.
  int32_t MaxPresetId() const;

  // Appends "new" ("ParaEQ", points at 25 Hz and 20 kHz, both 1.0) with the
  // id nextEntryId hands out (the counter shared with file entries); returns
  // the id.
  int32_t AddNewPreset(const std::function<int32_t()>& nextEntryId);
  // Removes every preset with that id (scanning from the last), then calls
  // resetFileEntries(id) so every file entry holding it goes back to 0.
  // Returns the number removed.
  int32_t DeletePreset(int32_t id, const std::function<void(int32_t)>& resetFileEntries);
  // The type's band centres as flat points (gain 1.0); "NoEQ" leaves none.
  // Even the same type again starts over. False for an unknown id or type.
  bool SetPresetType(int32_t id, int32_t type);
  bool SetPresetName(int32_t id, const std::string& name);
  // Points (x, x, y) in the given order (the graph's, ascending x).
  bool ReplacePresetPoints(int32_t id, const std::vector<std::pair<float, float>>& points);

  // Player thread: the preset's points as a curve. False, and the curve
  // unchanged, when no preset has that id.
  bool BuildEqualizerCurve(int32_t id, EqualizerCurve& curve) const;

 private:
  // mutex_ held.
  EqPreset* FindLocked(int32_t id);
  const EqPreset* FindLocked(int32_t id) const;

  mutable std::mutex mutex_;
  std::vector<EqPreset> presets_;  // guarded by mutex_
  int32_t capacity_ = kDefaultCapacity;  // guarded by mutex_
  int32_t growth_ = kDefaultGrowth;      // guarded by mutex_
};

// A capacity hint that holds `count` entries: `capacity` itself when it is
// large enough, else grown by whole growth steps (256 when the step is not
// positive). Saturates at the int32 maximum.
int32_t StorageCapacityFor(int32_t capacity, int32_t growth, size_t count);
