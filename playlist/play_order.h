// The sequential walk of the play modes over the lists, and the lookups it
// rests on. Plain functions of the lists: no state, no locking.
#pragma once
#include <cstdint>
#include <optional>
#include <vector>

#include "playlist/sound_file.h"

// File F of list L, both counted from 0.
struct FilePos {
  int32_t list = 0;
  int32_t file = 0;
  bool operator==(const FilePos& other) const { return list == other.list && file == other.file; }
  bool operator!=(const FilePos& other) const { return !(*this == other); }
};

// Position of the first file with this id, lists in order, then files in order.
std::optional<FilePos> FindFileIn(const std::vector<PlayList>& lists, int32_t id);

// Number of files in all lists together.
int32_t CountFiles(const std::vector<PlayList>& lists);

// The position the Next walk selects after `current` (which names a file).
// Modes 0 and 2 run on through the next non-empty list (wrapping), modes 1
// and 3 wrap within the list; any other value (One Repeat is mapped to
// "All List" by the caller) goes back to the list's first file.
std::optional<FilePos> SequentialNext(const std::vector<PlayList>& lists, FilePos current,
                                      int32_t mode);

// The position the Prev walk selects before `current`. At the first file of
// a list: modes 0 and 2 go back to the last file of the previous non-empty
// list, modes 1 and 3 to the last file of the same list; One Repeat and any
// other value stay at the first file.
std::optional<FilePos> SequentialPrev(const std::vector<PlayList>& lists, FilePos current,
                                      int32_t mode);

// Ids of the files a shuffled mode plays from: every file for "Random All",
// the files of list `list` for "Random List" (empty for other modes).
std::vector<int32_t> ShuffleRange(const std::vector<PlayList>& lists, int32_t mode,
                                  int32_t list);

inline bool IsShuffleMode(int32_t mode) {
  return mode == kPlayModeRandomAll || mode == kPlayModeRandomList;
}
