// Defaults of the settings snapshot.
#include "settings/settings_data.h"

#include <algorithm>

std::string DefaultPluginFolder(std::string_view programFilesFolder) {
  std::string folder(programFilesFolder);
  folder += "\\Winamp\\plugins";
  return folder;
}

void ResetDefaults(SettingsData& settings, std::string_view programFilesFolder) {
  ResetHotKeys(settings.hotKeys);
  settings.pluginFolders = {".", "Plugins", DefaultPluginFolder(programFilesFolder)};
  EqPreset preset;
  preset.id = 0;
  preset.name = "Default";
  preset.type = 0;
  settings.presets.clear();
  settings.presets.push_back(std::move(preset));
  settings.presetCapacity = kDefaultArrayCapacity;
  settings.presetGrowth = kDefaultArrayGrowth;
}

uint32_t LargestEntryId(const SettingsData& settings) {
  uint32_t largest = 0;
  for (const PlayList& list : settings.playLists) {
    for (const SoundFile& file : list.files) largest = std::max(largest, static_cast<uint32_t>(file.id));
  }
  for (const EqPreset& preset : settings.presets) {
    largest = std::max(largest, static_cast<uint32_t>(preset.id));
  }
  return largest;
}
