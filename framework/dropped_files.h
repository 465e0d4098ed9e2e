// Files dropped from the shell.
#pragma once
#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

// The dropped paths as program text, in the order the shell gives them; the
// drop is released once read. Paths of any length are read whole.
std::vector<std::string> TakeDroppedPaths(HDROP drop);
