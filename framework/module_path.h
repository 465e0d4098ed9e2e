// Paths derived from the program's own file.
#pragma once
#include <windows.h>

#include <string>

// Full path of a module's file (the program when module is NULL).
std::string ModuleFilePath(HMODULE module = nullptr);
// The folder of that file, without a trailing back slash.
std::string ModuleFolder(HMODULE module = nullptr);
// The file name without folder and extension ("melodek" for melodek.exe).
std::string ModuleBaseName(HMODULE module = nullptr);
