// What the play list editor needs from the application: the model, the
// presets' names, titles from the plug-ins, playing a file, the playing
// file's gain, the saved layout and the loudness analysis. UI thread only.
#pragma once
#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/loudness_analysis.h"

#include "playlist/play_list_set.h"
#include "settings/settings_data.h"
#include "ui/volume_dlg.h"

class PlayListEditHost {
 public:
  virtual ~PlayListEditHost() = default;
  virtual PlayListSet& PlayLists() = 0;
  // The equalizer presets in table order.
  virtual std::vector<PresetChoice> PresetChoices() = 0;
  // The title an input plug-in reports for a file; false when none does.
  virtual bool TitleOf(const std::string& path, std::string& title) = 0;
  // Makes the file current and plays it (the Play command).
  virtual void PlayFileById(int32_t id) = 0;
  // Adds the files to the play queue.
  virtual void QueueFiles(const std::vector<int32_t>& ids) = 0;
  // The playing file's own volume changed (percent).
  virtual void SetPlayingFileVolume(int32_t volume) = 0;
  // The editor's saved window and control rectangles (playListRects).
  virtual std::array<SettingsRect, kPlayListRectCount>& PlayListRects() = 0;
  // A loudness analysis through the player's plug-ins, not yet started.
  virtual std::unique_ptr<LoudnessAnalysis> NewLoudnessAnalysis() = 0;
  // Keeps what an analysis measured with the entries.
  virtual void StoreLoudness(const LoudnessProgress& results) = 0;
  // The measured loudness of an entry.
  virtual std::optional<LoudnessRecord> LoudnessOf(int32_t id) = 0;
};
