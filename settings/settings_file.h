// Reading the settings files from disk into memory; the parsers work on the
// bytes. Replacing the archive safely on save is the Win32 side's part.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>

#include "settings/settings_archive.h"

// Larger files are not settings this program wrote: they count as damaged
// instead of being read into memory whole.
constexpr size_t kMaxSettingsFileBytes = 256u << 20;

enum class FileReadResult { Read, Missing, TooLarge };

// Reads a whole file (ANSI path). Missing when it cannot be opened or read.
FileReadResult ReadWholeFile(const std::string& path, std::string& bytes,
                             size_t maxBytes = kMaxSettingsFileBytes);

// ResetDefaults, then opens and reads the archive at path: Missing when it
// cannot be opened, otherwise the result of ReadSettingsArchive (a file over
// the size limit is Damaged, with the defaults in settings).
SettingsLoadStatus LoadSettingsFile(const std::string& path, SettingsData& settings,
                                    std::string_view programFilesFolder);
