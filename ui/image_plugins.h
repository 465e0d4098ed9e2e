// Picture-decoding plug-ins (".spi" libraries in the program's folder).
//
// They are found and loaded once during static start-up, before the
// application object starts, and stay loaded until the process exits. The
// program never calls them; it only keeps them available.
//
// Threading: loaded during static start-up (or by the first call of
// LoadImagePlugins, on the UI thread before any other thread starts); read-only
// afterwards.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "framework/unique_handle.h"

struct ImagePluginEntry {
  std::string path;      // full path of the library file
  UniqueModule module;   // released when the entry goes
  FARPROC IsSupported = nullptr;     // never null in a kept entry
  FARPROC GetPicture = nullptr;      // never null in a kept entry
  FARPROC GetPictureInfo = nullptr;  // optional
};

// Loads the plug-ins of the program's folder unless that was done already;
// returns how many are kept.
size_t LoadImagePlugins();
// Loads every "*.spi" of `folder` (with or without a trailing back slash)
// that exports both "IsSupported" and "GetPicture", in the order the file
// system lists them, and appends it to `entries`; the others are released at
// once, and files that do not load are skipped.
void LoadImagePluginsFrom(const std::string& folder, std::vector<ImagePluginEntry>& entries);

size_t ImagePluginCount();
// The kept plug-ins in the order found.
const std::vector<ImagePluginEntry>& ImagePlugins();
