// Where the settings file lives. Two places: beside the program (as the
// portable download has always kept it) and the user's own folder,
// %APPDATA%\Melodek. The rules here decide between them from facts the
// caller read from the disk; settings_location.h does the reading.
#pragma once
#include <cstdint>
#include <optional>
#include <string>

enum class SettingsPlace { ProgramFolder, UserFolder };

// The place saves go to first ("home"): the program's folder when a
// settings file (archive or text file) is there already, or when the folder
// is writable and the setup did not install the program there for all users;
// otherwise the user folder. (A copy installed for all users that runs with
// administrator rights, as when the setup starts it, can write its folder,
// but must keep finding the settings of the user's other runs.) The other
// place takes a save only when the home could not be written.
SettingsPlace HomeSettingsPlace(bool programFolderHasSettings, bool installedForAllUsers,
                                bool programFolderWritable);

constexpr SettingsPlace OtherSettingsPlace(SettingsPlace place) {
  return place == SettingsPlace::ProgramFolder ? SettingsPlace::UserFolder : SettingsPlace::ProgramFolder;
}

// The base name (without ".mlcfg") of the archive in the user folder. A copy
// whose home is the user folder (an installed program in a folder it cannot
// write) uses the program's base name, "melodek". A copy whose home is its
// own folder writes there only when its own folder failed, under a name of
// its own, "melodek-<8 hex digits>" (a hash of its folder's path, letter case
// ignored): a portable copy's emergency save never overwrites an installed
// copy's settings.
std::string UserFolderBaseName(SettingsPlace home, const std::string& baseName, const std::string& programFolder);

// The archive to read at start-up, from the last-write times of the two
// places' archives (empty: no archive there): the home's, unless only the
// other place has one or the other one is newer (a save once went there).
SettingsPlace PlaceToRead(SettingsPlace home, std::optional<uint64_t> homeWritten,
                          std::optional<uint64_t> otherWritten);
