// Plain records of the play list model; shared with the settings formats.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

// One entry of a play list.
struct SoundFile {
  int32_t id = 0;        // unique among all files; from NextEntryId
  std::string path;      // as gathered (ANSI)
  std::string title;     // empty until the editor or the player fills it
  int32_t volume = 0;    // per-file offset in percent; gain = volume * 163.84
  int32_t presetId = 0;  // equalizer preset; 0 is "Default"
};

struct PlayList {
  int32_t order = 0;  // sort key set by the editor when lists are reordered
  std::string name;
  std::vector<SoundFile> files;
};

// The five play modes, in the order of the editor's combo box.
enum PlayMode : int32_t {
  kPlayModeAllList = 0,
  kPlayModeList = 1,
  kPlayModeRandomAll = 2,
  kPlayModeRandomList = 3,
  kPlayModeOneRepeat = 4,
};
