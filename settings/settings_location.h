// The settings file's two places on disk (settings_places.h has the rules):
// where it is read from at start-up and where a save goes.
//
// Search order at start-up: the archive of the home place (beside the
// program when a settings file is there, or when the folder is writable and
// the setup did not install the program there for all users; otherwise
// %APPDATA%\Melodek\melodek.mlcfg) and the archive of the other place (for a
// copy at home beside itself: %APPDATA%\Melodek\melodek-<hash>.mlcfg; for one
// at home in the user folder: beside the program); the newer of the two is
// read. With no archive in either place the home folder's text file is
// imported. Saving writes the home's archive, and when that fails the other
// place's; a save at home removes a portable copy's older fallback file.
// UI thread only.
#pragma once
#include <string>

#include "settings/settings_places.h"
#include "settings/settings_store.h"

struct SettingsSaveResult {
  bool saved = false;
  std::string savedTo;                 // the archive written, when saved
  std::string homePath, fallbackPath;  // the archives tried, for telling the user
};

class SettingsLocation {
 public:
  // Looks at the disk once to choose the home place. programFolder: the
  // program's folder; userFolder: %APPDATA%\Melodek (created when a save
  // goes there), empty when the system names none; baseName: the program
  // file's name without extension; installedForAllUsers: the setup's
  // machine-wide record names programFolder.
  SettingsLocation(const std::string& programFolder, const std::string& userFolder, const std::string& baseName,
                   bool installedForAllUsers);

  SettingsPlace home() const { return home_; }
  const SettingsStore& Store(SettingsPlace place) const {
    return place == SettingsPlace::ProgramFolder ? programStore_ : userStore_;
  }

  // Reads the archive of the search order above (or imports the text file);
  // true when an archive was loaded.
  bool Load(SettingsData& settings, const std::string& programFilesFolder) const;
  SettingsSaveResult Save(const SettingsData& settings) const;

 private:
  bool SaveAt(SettingsPlace place, const SettingsData& settings) const;

  std::string userFolder_;  // empty when the system named none: then the program's folder only
  SettingsStore programStore_;
  SettingsPlace home_;
  SettingsStore userStore_;
};
