// The sequential walk of the play modes over the lists.
#include "playlist/play_order.h"

namespace {

int32_t ListCount(const std::vector<PlayList>& lists) {
  return static_cast<int32_t>(lists.size());
}

int32_t FileCount(const PlayList& list) { return static_cast<int32_t>(list.files.size()); }

bool WalksAllLists(int32_t mode) {
  return mode == kPlayModeAllList || mode == kPlayModeRandomAll;
}

bool WalksOneList(int32_t mode) {
  return mode == kPlayModeList || mode == kPlayModeRandomList;
}

}  // namespace

std::optional<FilePos> FindFileIn(const std::vector<PlayList>& lists, int32_t id) {
  for (int32_t l = 0; l < ListCount(lists); ++l) {
    const std::vector<SoundFile>& files = lists[l].files;
    for (int32_t f = 0; f < FileCount(lists[l]); ++f) {
      if (files[f].id == id) return FilePos{l, f};
    }
  }
  return std::nullopt;
}

int32_t CountFiles(const std::vector<PlayList>& lists) {
  size_t total = 0;
  for (const PlayList& list : lists) total += list.files.size();
  return static_cast<int32_t>(total);
}

std::optional<FilePos> SequentialNext(const std::vector<PlayList>& lists, FilePos current,
                                      int32_t mode) {
  const int32_t listCount = ListCount(lists);
  if (current.list < 0 || current.list >= listCount) return std::nullopt;
  if (current.file + 1 < FileCount(lists[current.list])) {
    return FilePos{current.list, current.file + 1};
  }
  if (!WalksAllLists(mode)) return FilePos{current.list, 0};
  // The current list holds a file, so this stops at the latest on it.
  int32_t l = current.list;
  do {
    l = (l + 1) % listCount;
  } while (lists[l].files.empty());
  return FilePos{l, 0};
}

std::optional<FilePos> SequentialPrev(const std::vector<PlayList>& lists, FilePos current,
                                      int32_t mode) {
  const int32_t listCount = ListCount(lists);
  if (current.list < 0 || current.list >= listCount) return std::nullopt;
  if (current.file > 0) return FilePos{current.list, current.file - 1};
  if (WalksAllLists(mode)) {
    int32_t l = current.list;
    do {
      l = (l + listCount - 1) % listCount;
    } while (lists[l].files.empty());
    return FilePos{l, FileCount(lists[l]) - 1};
  }
  if (WalksOneList(mode)) {
    if (lists[current.list].files.empty()) return std::nullopt;
    return FilePos{current.list, FileCount(lists[current.list]) - 1};
  }
  return FilePos{current.list, 0};
}

std::vector<int32_t> ShuffleRange(const std::vector<PlayList>& lists, int32_t mode,
                                  int32_t list) {
  std::vector<int32_t> ids;
  auto add = [&ids](const PlayList& from) {
    for (const SoundFile& file : from.files) ids.push_back(file.id);
  };
  if (mode == kPlayModeRandomAll) {
    for (const PlayList& each : lists) add(each);
  } else if (mode == kPlayModeRandomList && list >= 0 && list < ListCount(lists)) {
    add(lists[list]);
  }
  return ids;
}
