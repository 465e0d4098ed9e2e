// What the play list editor needs from the application: the model, the
// presets' names, titles from the plug-ins, playing a file, the playing
// file's gain and the saved layout. UI thread only.
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

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
};
