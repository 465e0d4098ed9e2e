// The settings file's two places on disk.
#include "settings/settings_location.h"

#include <windows.h>

#include <optional>

#include "framework/unique_handle.h"

namespace {
bool FileExists(const std::string& path) { return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// Creates and removes a file of its own: the folder's attributes and access
// lists do not tell whether this process may create files there.
bool FolderWritable(const std::string& folder) {
  const std::string probe = folder + "\\~melodek-write-test-" + std::to_string(::GetCurrentProcessId()) + ".tmp";
  UniqueFileHandle file(::CreateFileA(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                      FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
  return static_cast<bool>(file);
}

std::optional<uint64_t> LastWritten(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return std::nullopt;
  if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return std::nullopt;
  return (static_cast<uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) | data.ftLastWriteTime.dwLowDateTime;
}

SettingsPlace ChooseHome(const SettingsStore& programStore, const std::string& programFolder,
                         const std::string& userFolder, bool installedForAllUsers) {
  if (userFolder.empty()) return SettingsPlace::ProgramFolder;
  const bool hasSettings = FileExists(programStore.ArchivePath()) || FileExists(programStore.TextPath());
  if (hasSettings || installedForAllUsers) return HomeSettingsPlace(hasSettings, installedForAllUsers, false);
  return HomeSettingsPlace(false, false, FolderWritable(programFolder));
}
}  // namespace

SettingsLocation::SettingsLocation(const std::string& programFolder, const std::string& userFolder,
                                   const std::string& baseName, bool installedForAllUsers)
    : userFolder_(userFolder),
      programStore_(programFolder, baseName),
      home_(ChooseHome(programStore_, programFolder, userFolder, installedForAllUsers)),
      userStore_(userFolder, UserFolderBaseName(home_, baseName, programFolder)) {}

bool SettingsLocation::Load(SettingsData& settings, const std::string& programFilesFolder) const {
  const SettingsPlace other = OtherSettingsPlace(home_);
  const std::optional<uint64_t> otherWritten =
      userFolder_.empty() ? std::nullopt : LastWritten(Store(other).ArchivePath());
  const SettingsPlace place = PlaceToRead(home_, LastWritten(Store(home_).ArchivePath()), otherWritten);
  const SettingsLoadStatus status = Store(place).Load(settings, programFilesFolder);
  // The text file counts only while there is no archive at all; a damaged
  // archive means the defaults.
  if (status == SettingsLoadStatus::Missing) Store(home_).ImportText(settings, programFilesFolder);
  return status == SettingsLoadStatus::Loaded;
}

bool SettingsLocation::SaveAt(SettingsPlace place, const SettingsData& settings) const {
  if (place == SettingsPlace::UserFolder) ::CreateDirectoryA(userFolder_.c_str(), nullptr);  // may exist
  return Store(place).Save(settings);
}

SettingsSaveResult SettingsLocation::Save(const SettingsData& settings) const {
  SettingsSaveResult result;
  const SettingsPlace other = OtherSettingsPlace(home_);
  result.homePath = Store(home_).ArchivePath();
  if (!userFolder_.empty()) result.fallbackPath = Store(other).ArchivePath();
  if (SaveAt(home_, settings)) {
    // A portable copy's fallback is older now; left behind, it would only
    // confuse someone looking for the settings.
    if (home_ == SettingsPlace::ProgramFolder) ::DeleteFileA(result.fallbackPath.c_str());
    result.saved = true;
    result.savedTo = result.homePath;
  } else if (!userFolder_.empty() && SaveAt(other, settings)) {
    result.saved = true;
    result.savedTo = result.fallbackPath;
  }
  return result;
}
