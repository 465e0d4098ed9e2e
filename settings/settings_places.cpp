// Where the settings file lives: the rules between the two places.
#include "settings/settings_places.h"

#include <cstdio>

SettingsPlace HomeSettingsPlace(bool programFolderHasSettings, bool installedForAllUsers,
                                bool programFolderWritable) {
  if (programFolderHasSettings) return SettingsPlace::ProgramFolder;
  return !installedForAllUsers && programFolderWritable ? SettingsPlace::ProgramFolder : SettingsPlace::UserFolder;
}

std::string UserFolderBaseName(SettingsPlace home, const std::string& baseName, const std::string& programFolder) {
  if (home == SettingsPlace::UserFolder) return baseName;
  // FNV-1a over the folder's path with ASCII letters folded: Windows paths
  // name the same folder in any letter case.
  uint32_t hash = 2166136261u;
  for (const char c : programFolder) {
    const unsigned char folded = static_cast<unsigned char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    hash = (hash ^ folded) * 16777619u;
  }
  char digits[9];
  std::snprintf(digits, sizeof digits, "%08x", static_cast<unsigned>(hash));
  return baseName + "-" + digits;
}

SettingsPlace PlaceToRead(SettingsPlace home, std::optional<uint64_t> homeWritten,
                          std::optional<uint64_t> otherWritten) {
  if (!otherWritten) return home;
  if (!homeWritten || *otherWritten > *homeWritten) return OtherSettingsPlace(home);
  return home;
}
