// What the player thread needs from the application: the current file, the
// play order, equalizer presets, plug-in folders and the notices it shows.
// Every call comes from the player thread; implementations make each one a
// single consistent step towards the user-interface thread.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "eq/eq_preset.h"
#include "playlist/sound_file.h"

class PlayerHost {
 public:
  virtual ~PlayerHost() = default;

  virtual std::optional<SoundFile> CurrentSoundFile() = 0;
  virtual void SetFileTitle(int32_t fileId, const std::string& title) = 0;
  virtual bool PrevFile() = 0;
  virtual bool NextFile(bool endOfFile) = 0;
  // Gapless playback: the file the end of the current one will play, after
  // the files already queued (ids in order); and the step on to a queued
  // file once it is heard.
  virtual std::optional<SoundFile> PeekNextFile(const std::vector<int32_t>& queuedIds) = 0;
  virtual void AdvanceToQueued(int32_t fileId) = 0;
  // The loudness factor the file plays at (LoudnessFixedPoint) under the
  // ReplayGain settings: its plug-in's values, else what was measured of it.
  virtual int32_t LoudnessOf(const SoundFile& file) = 0;
  // False (curve untouched) when no preset has the id.
  virtual bool BuildEqualizerCurve(int32_t presetId, EqualizerCurve& curve) = 0;
  virtual std::vector<std::string> PluginFolders() = 0;
  virtual void ShowTitleText(const std::string& text) = 0;
  // Tells the program's windows a play attempt was made (UM_PLAY_STARTED).
  virtual void BroadcastPlayStarted() = 0;
  // Tells them playback paused, resumed or stopped (UM_PLAY_STATE_CHANGED).
  virtual void BroadcastPlayState() = 0;
};
