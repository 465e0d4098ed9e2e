// The ReplayGain settings and the measured loudness of play list entries,
// shared by the user-interface thread (Config dialog, analysis results,
// settings file) and the player thread (a file's gain before it starts).
//
// Threading: every operation is one step under the object's own mutex;
// queries hand out copies.
#pragma once
#include <cstdint>
#include <mutex>
#include <optional>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "engine/replay_gain.h"
#include "settings/settings_extension.h"

class LoudnessStore {
 public:
  ReplayGainSettings Settings() const;
  void SetSettings(const ReplayGainSettings& settings);

  // The records as the settings file holds them, in entry id order.
  std::vector<LoudnessRecord> Records() const;
  void ReplaceRecords(const std::vector<LoudnessRecord>& records);
  std::optional<LoudnessRecord> Find(int32_t entryId) const;
  // A file's own measurement replaces what was known of it, album included.
  void PutTrack(int32_t entryId, float lufs, float peak);
  // The album values of entries measured before (others are left alone).
  void PutAlbum(const std::vector<int32_t>& entryIds, float lufs, float peak);
  // Forgets the entries no list holds any more.
  void KeepOnly(const std::unordered_set<int32_t>& liveIds);

  // The gain rules under the settings; `shuffled` when the list plays in a
  // random order (the "By play order" mode takes track values then).
  GainPolicy Policy(bool shuffled) const;
  // What is measured of the entry, as gains to the reference loudness.
  FileGainValues Measured(int32_t entryId) const;

 private:
  mutable std::mutex mutex_;
  // --- guarded by mutex_ ---
  ReplayGainSettings settings_;
  std::unordered_map<int32_t, LoudnessRecord> records_;
};

// The settings as the gain rules take them.
GainPolicy GainPolicyOf(const ReplayGainSettings& settings, bool shuffled);
