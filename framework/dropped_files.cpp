// Files dropped from the shell.
#include "framework/dropped_files.h"

#include <shellapi.h>

#include "framework/system_text_codec.h"

std::vector<std::string> TakeDroppedPaths(HDROP drop) {
  std::vector<std::string> paths;
  const UINT count = ::DragQueryFileW(drop, 0xFFFFFFFFu, nullptr, 0);
  for (UINT index = 0; index < count; ++index) {
    // The wide form: the ANSI one counts bytes, which a UTF-8 path has more
    // of than characters.
    const UINT length = ::DragQueryFileW(drop, index, nullptr, 0);
    if (length == 0) continue;
    std::wstring path(length + 1, L'\0');
    const UINT copied = ::DragQueryFileW(drop, index, &path[0], length + 1);
    path.resize(copied);
    if (!path.empty()) paths.push_back(ProgramTextFromWide(path.c_str()));
  }
  ::DragFinish(drop);
  return paths;
}
