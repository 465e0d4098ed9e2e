// Import of the older line-oriented text settings file (".cfg"). It is only
// read, never written, and only when there is no binary settings file.
#pragma once
#include <string_view>
#include <vector>

#include "settings/settings_data.h"

// Reads the text file's contents into settings. First ResetDefaults; then
// every key the text has replaces its field, missing keys leave their field
// as it was. Play list entries of a file without "Version=" (version 0) get
// ids from settings.NextEntryId(); other entries raise settings.lastId to
// their id. Any text is accepted; nothing is read outside it.
void ImportTextSettings(std::string_view text, SettingsData& settings,
                        std::string_view programFilesFolder);

// The lines of a text: each ends at a line feed, which is not part of it, and
// so is a carriage return right before it. A line also ends at a NUL byte (the
// rest of that line is ignored, as C string handling would).
std::vector<std::string_view> SplitTextLines(std::string_view text);
