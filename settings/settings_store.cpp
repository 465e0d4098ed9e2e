// The settings files on disk.
#include "settings/settings_store.h"

#include <windows.h>

#include <algorithm>

#include "framework/unique_handle.h"
#include "settings/settings_file.h"
#include "settings/text_settings.h"

SettingsStore::SettingsStore(std::string folder, std::string baseName)
    : folder_(std::move(folder)), baseName_(std::move(baseName)) {}

std::string SettingsStore::DamagedPath() const {
  const std::string first = ArchivePath() + ".damaged";
  if (::GetFileAttributesA(first.c_str()) == INVALID_FILE_ATTRIBUTES) return first;
  for (int n = 2; n < 1000; ++n) {
    const std::string candidate = first + std::to_string(n);
    if (::GetFileAttributesA(candidate.c_str()) == INVALID_FILE_ATTRIBUTES) return candidate;
  }
  return first + "999";
}

SettingsLoadStatus SettingsStore::Load(SettingsData& settings, const std::string& programFilesFolder) const {
  const SettingsLoadStatus status = LoadSettingsFile(ArchivePath(), settings, programFilesFolder);
  if (status == SettingsLoadStatus::Damaged) {
    // Kept for the user to inspect or restore; the next save writes a new archive.
    ::MoveFileExA(ArchivePath().c_str(), DamagedPath().c_str(), MOVEFILE_REPLACE_EXISTING);
  }
  return status;
}

bool SettingsStore::ImportText(SettingsData& settings, const std::string& programFilesFolder) const {
  std::string text;
  if (ReadWholeFile(TextPath(), text) != FileReadResult::Read) {
    ResetDefaults(settings, programFilesFolder);
    return false;
  }
  ImportTextSettings(text, settings, programFilesFolder);
  return true;
}

bool SettingsStore::Save(const SettingsData& settings) const {
  const std::string bytes = WriteSettingsArchive(settings);
  const std::string temporary = ArchivePath() + ".tmp";
  {
    UniqueFileHandle file(::CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    size_t written = 0;
    while (written < bytes.size()) {
      DWORD chunk = 0;
      const DWORD want = static_cast<DWORD>(std::min<size_t>(bytes.size() - written, 1u << 20));
      if (!::WriteFile(file.get(), bytes.data() + written, want, &chunk, nullptr) || chunk == 0) break;
      written += chunk;
    }
    // The data must be on disk before the rename makes it the archive.
    if (written != bytes.size() || !::FlushFileBuffers(file.get())) {
      file.reset();
      ::DeleteFileA(temporary.c_str());
      return false;
    }
  }
  // A rename within the folder: the archive is either the old or the new one.
  if (!::MoveFileExA(temporary.c_str(), ArchivePath().c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    ::DeleteFileA(temporary.c_str());
    return false;
  }
  return true;
}
