// "Start Melodek when Windows starts": the per-user Run entry, value
// "Melodek" of HKCU\Software\Microsoft\Windows\CurrentVersion\Run, holding
// the program's quoted path. The setup writes the same entry and its
// uninstaller removes it. The registry is the only record: nothing of it is
// kept in the settings file. UI thread only.
#pragma once
#include <string>

// True when the entry exists and starts this program file (letter case
// ignored). An entry for another copy, of another type or too long to be a
// path counts as absent.
bool StartsWithWindows(const std::string& programPath);

// Writes the entry for programPath, or removes it. False when the registry
// refused (removing an absent entry succeeds).
bool SetStartWithWindows(const std::string& programPath, bool on);
