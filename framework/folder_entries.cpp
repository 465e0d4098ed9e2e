// Listing a folder's entries by a wildcard pattern.
#include "framework/folder_entries.h"

#include "framework/system_text_codec.h"
#include "framework/unique_handle.h"

bool ForEachFolderEntry(const std::string& pattern, const std::function<bool(const FolderEntry&)>& visit) {
  WIN32_FIND_DATAW found{};
  UniqueFindHandle search(::FindFirstFileW(WideFromProgramText(pattern).c_str(), &found));
  if (!search) return false;
  do {
    if (!visit(FolderEntry{ProgramTextFromWide(found.cFileName), found.dwFileAttributes})) break;
  } while (::FindNextFileW(search.get(), &found));
  return true;
}
