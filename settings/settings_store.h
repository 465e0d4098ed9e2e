// The settings files on disk: named after the program file, in its folder.
// Loading reads the whole archive into memory before parsing; saving never
// truncates the archive in place, so a failed save keeps the previous one.
#pragma once
#include <string>

#include "settings/settings_archive.h"
#include "settings/settings_data.h"

class SettingsStore {
 public:
  // folder: the program's folder; baseName: the program file's name without
  // extension ("melodek" gives melodek.mlcfg and melodek.cfg).
  SettingsStore(std::string folder, std::string baseName);

  std::string ArchivePath() const { return folder_ + "\\" + baseName_ + ".mlcfg"; }
  std::string TextPath() const { return folder_ + "\\" + baseName_ + ".cfg"; }

  // Reads the archive. Damaged: settings hold the defaults, and the damaged
  // file was moved aside (DamagedPath) so the next save does not overwrite
  // it. Missing: settings hold the defaults (after ResetDefaults).
  SettingsLoadStatus Load(SettingsData& settings, const std::string& programFilesFolder) const;
  // Imports the text file; false (settings at their defaults) when missing.
  bool ImportText(SettingsData& settings, const std::string& programFilesFolder) const;
  // Writes a temporary file beside the archive and replaces the archive with
  // it only once it is complete. False when anything failed (the previous
  // archive then stands).
  bool Save(const SettingsData& settings) const;

  // Where a damaged archive is kept: <archive>.damaged, or .damaged2, ...
  // when earlier ones exist.
  std::string DamagedPath() const;

 private:
  std::string folder_;
  std::string baseName_;
};
