// A plug-in's extended file information (winampGetExtendedFileInfoW, or the
// ANSI form when it has only that), asked through its module. Every string
// it returns is bounded by the buffer given, whatever it wrote.
#pragma once
#include <windows.h>

#include <optional>
#include <string>

#include "engine/replay_gain.h"

// The value named `name` for the file (text in the process's code page),
// nullopt when the plug-in has none or lacks both exports.
std::optional<std::string> ExtendedFileInfo(HMODULE plugin, const std::string& path, const char* name);

// The four ReplayGain values the plug-in reports for the file; a value that
// does not parse is left out (ParseGainDb, ParsePeak).
FileGainValues ReplayGainTags(HMODULE plugin, const std::string& path);
