// A plain snapshot of everything the settings files hold, with the defaults
// the program starts from. The application copies its fields in and out.
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "eq/eq_preset.h"
#include "hotkey/hotkey_entry.h"
#include "hotkey/hotkey_table.h"
#include "playlist/sound_file.h"
#include "settings/settings_extension.h"

// The saved layout of the play list editor: [0] its window in screen
// coordinates, then in client coordinates [1] the play list pane, [2] the
// file pane, [3] OK, [4] Cancel, [5] the splitter. [0] with left == right
// means no layout is saved.
constexpr int kPlayListRectCount = 6;
enum PlayListRectSide : int { kRectLeft = 0, kRectTop = 1, kRectRight = 2, kRectBottom = 3 };
using SettingsRect = std::array<int32_t, 4>;  // left, top, right, bottom

// Storage hint of the preset array and of each point array.
constexpr int32_t kDefaultArrayCapacity = 256;
constexpr int32_t kDefaultArrayGrowth = 256;

struct SettingsData {
  struct Position {
    int32_t left = 0;
    int32_t top = 0;
  };

  Position controllerPos;             // Controller window; its size is not stored
  int32_t PlayMode = kPlayModeList;   // 0..4, see PlayMode
  int32_t Repeat = 0;                 // the editor's Repeat box
  int32_t SelFileID = 0;              // id of the current file (may name none)
  int32_t ControlAlpha = 255;         // Controller opacity, 255 opaque
  int32_t Volume = 100;               // percent, or decibels in decibel mode
  int32_t VolumeType = 0;             // 0 percent, 1 decibels
  int32_t VolumeStep = 1;             // change per Volume Up / Down
  std::vector<std::string> pluginFolders;  // searched in this order
  std::vector<PlayList> playLists;
  std::vector<EqPreset> presets;      // presets[0] is "Default" after a reset
  int32_t presetCapacity = kDefaultArrayCapacity;  // storage hints of presets
  int32_t presetGrowth = kDefaultArrayGrowth;
  ClassicHotKeyTable hotKeys = DefaultClassicHotKeys();  // the later commands' in extension
  std::array<SettingsRect, kPlayListRectCount> playListRects{};
  // Everything after the classic fields (settings/settings_extension.h).
  SettingsExtension extension;
  // Last id handed out to a sound file or preset; not stored in the file
  // but recomputed from it.
  uint32_t lastId = 0;

  uint32_t NextEntryId() { return ++lastId; }
};

// The third default plug-in folder: the Program Files folder (empty when the
// system did not give it) followed by "\Winamp\plugins".
std::string DefaultPluginFolder(std::string_view programFilesFolder);

// Resets what both readers reset before reading: the hot key table, the
// plug-in folders (".", "Plugins", DefaultPluginFolder) and the presets (the
// single "Default": id 0, type 0, no points). Other fields keep their values;
// their defaults are those of a new SettingsData.
void ResetDefaults(SettingsData& settings, std::string_view programFilesFolder);

// The largest id of all sound files and presets, compared as unsigned
// numbers; 0 when there are none.
uint32_t LargestEntryId(const SettingsData& settings);
