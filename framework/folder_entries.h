// Listing a folder's entries by a wildcard pattern.
#pragma once
#include <windows.h>

#include <functional>
#include <string>

struct FolderEntry {
  std::string name;  // program text, without the folder
  DWORD attributes;
};

// Calls `visit` for every entry matching `pattern` (program text such as
// "C:\\music\\*.*"), in the order the file system returns them, until it
// returns false. False when the search could not start (no folder, nothing
// matches). Names of any length come whole: the search runs on the wide
// form, whose name buffer holds what the UTF-8 one may not.
bool ForEachFolderEntry(const std::string& pattern, const std::function<bool(const FolderEntry&)>& visit);
