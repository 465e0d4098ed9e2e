// The binary settings archive (".mlcfg"): a stream of little-endian fields
// in a fixed order, with no length or check field of its own.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "settings/settings_data.h"

// The first field of an archive: the bytes 00 01 00 01.
constexpr int32_t kSettingsFormatMark = 16777472;

enum class SettingsLoadStatus {
  Loaded,   // the archive was read; settings hold what it holds
  Missing,  // there is no archive (the text file may be imported instead)
  Damaged,  // the archive does not parse exactly; settings are the defaults
};

// Appends the whole archive to out: the classic fields (mark to editor
// layout), then the extension block (settings/settings_extension.h).
void WriteSettingsArchive(const SettingsData& settings, std::string& out);
std::string WriteSettingsArchive(const SettingsData& settings);

// Reads a whole archive held in memory.
//   Loaded:  every field comes from the archive, except controllerPos when
//            the first field is not the format mark (then it keeps its value
//            and reading goes on with PlayMode); lastId becomes the largest
//            id of all files and presets.
//   Damaged: the archive ends early, holds a count or length beyond its
//            remaining bytes, or has bytes after the editor layout that
//            are not the extension block. settings
//            then hold the defaults for everything (a new SettingsData after
//            ResetDefaults); the caller keeps the damaged file aside.
// Never reads outside bytes; allocations stay proportional to its size.
SettingsLoadStatus ReadSettingsArchive(std::string_view bytes, SettingsData& settings,
                                       std::string_view programFilesFolder);
