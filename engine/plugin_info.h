// What the host asks of a plug-in's module besides its In_Module: optional
// exports by name, and the extended file information (winampGetExtendedFileInfoW,
// or the ANSI form when it has only that). Every string a plug-in returns is
// bounded by the buffer given, whatever it wrote.
#pragma once
#include <windows.h>

#include <optional>
#include <string>

#include "engine/replay_gain.h"

// An optional export of the module, null when it lacks it.
template <typename Fn>
Fn PluginExport(HMODULE module, const char* name) {
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
}

// The value named `name` for the file (text in the process's code page),
// nullopt when the plug-in has none or lacks both exports.
std::optional<std::string> ExtendedFileInfo(HMODULE plugin, const std::string& path, const char* name);

// The four ReplayGain values the plug-in reports for the file; a value that
// does not parse is left out (ParseGainDb, ParsePeak).
FileGainValues ReplayGainTags(HMODULE plugin, const std::string& path);

// The same, asked of the plug-in the library plays the file with (none
// when no plug-in takes it).
class PluginLibrary;
FileGainValues ReplayGainTagsOf(const PluginLibrary& plugins, const std::string& path);
