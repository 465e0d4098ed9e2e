// Gathering the paths of sound files from a folder tree, a ".m3u" list or a
// command-line argument.
#include "playlist/gather.h"

#include <windows.h>

#include "framework/folder_entries.h"
#include "framework/unique_handle.h"

namespace {
struct FolderScan {
  const GatherLimits& limits;
  std::vector<std::string>& paths;
  size_t foldersEntered = 0;

  bool Full() const { return paths.size() >= limits.maxPaths; }
  bool MayEnter(int depth) const { return depth < limits.maxDepth && foldersEntered < limits.maxFolders; }

  void Scan(const std::string& folder, int depth) {
    ++foldersEntered;
    ForEachFolderEntry(folder + "\\*.*", [&](const FolderEntry& entry) {
      if (Full()) return false;
      if (entry.name == "." || entry.name == "..") return true;
      const std::string path = folder + "\\" + entry.name;
      if ((entry.attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        // A junction or link may point back up the tree.
        if ((entry.attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) return true;
        if (MayEnter(depth)) Scan(path, depth + 1);
      } else {
        paths.push_back(path);
      }
      return true;
    });
  }
};
}  // namespace

void GatherFolder(const std::string& folder, std::vector<std::string>& paths, const GatherLimits& limits) {
  FolderScan scan{limits, paths};
  if (!scan.Full()) scan.Scan(folder, 0);
}

bool ReadM3u(const std::string& file, std::vector<std::string>& paths) {
  UniqueFileHandle handle(::CreateFileA(file.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!handle) return false;
  const size_t first = paths.size();
  M3uLineReader reader(paths, kMaxGatheredPaths, M3uEncodingOf(file));
  char buffer[65536];
  DWORD got = 0;
  while (!reader.Full() && ::ReadFile(handle.get(), buffer, sizeof buffer, &got, nullptr) && got > 0) {
    reader.Feed(buffer, got);
  }
  reader.Finish();
  // A list names its files relative to where it lies (an album's list beside
  // its files), not to the program's folder.
  for (size_t i = first; i < paths.size(); ++i) paths[i] = ResolveM3uLine(file, paths[i]);
  return true;
}

void GatherArgument(const std::string& argument, std::vector<std::string>& paths) {
  const DWORD attributes = ::GetFileAttributesA(argument.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    GatherFolder(argument, paths);
  } else if (HasM3uExtension(argument)) {
    ReadM3u(argument, paths);
  } else if (paths.size() < kMaxGatheredPaths) {
    paths.push_back(argument);
  }
}
