// Paths derived from the program's own file.
#include "framework/module_path.h"

#include "framework/system_text_codec.h"

std::string ModuleFilePath(HMODULE module) {
  // The wide form with a growing buffer: in UTF-8 a path of MAX_PATH
  // characters takes more bytes than an ANSI buffer of MAX_PATH holds.
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = ::GetModuleFileNameW(module, &path[0], static_cast<DWORD>(path.size()));
    if (length == 0) return std::string();
    if (length < path.size()) {
      path.resize(length);
      return ProgramTextFromWide(path.c_str());
    }
    if (path.size() >= 32768) return std::string();
    path.resize(path.size() * 2);
  }
}

std::string ModuleFolder(HMODULE module) {
  std::string path = ModuleFilePath(module);
  const size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

std::string ModuleBaseName(HMODULE module) {
  std::string path = ModuleFilePath(module);
  const size_t slash = path.find_last_of("\\/");
  std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  const size_t dot = name.find_last_of('.');
  return dot == std::string::npos ? name : name.substr(0, dot);
}
