// Shared helpers of the play list tests: lists built from id layouts and a
// recorder of selection notices.
#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "playlist/play_list_set.h"

// One inner vector per list, one id per file; paths are "f<id>".
using Layout = std::vector<std::vector<int32_t>>;

inline PlayListState MakeState(const Layout& layout, int32_t selFileId, int32_t playMode) {
  PlayListState state;
  for (size_t l = 0; l < layout.size(); ++l) {
    PlayList list;
    list.name = "list" + std::to_string(l);
    for (int32_t id : layout[l]) {
      SoundFile file;
      file.id = id;
      file.path = "f" + std::to_string(id);
      list.files.push_back(file);
    }
    state.lists.push_back(list);
  }
  state.selFileId = selFileId;
  state.playMode = playMode;
  return state;
}

inline std::vector<int32_t> IdsOf(const PlayList& list) {
  std::vector<int32_t> ids;
  for (const SoundFile& file : list.files) ids.push_back(file.id);
  return ids;
}

inline Layout LayoutOf(const PlayListSet& set) {
  Layout layout;
  for (const PlayList& list : set.Lists()) layout.push_back(IdsOf(list));
  return layout;
}

// The current file followed by `count` further files of the walk; the end
// of a file and the Next command alternate.
inline std::vector<int32_t> Walk(PlayListSet& set, int count) {
  std::vector<int32_t> played = {set.SelFileId()};
  for (int i = 0; i < count; ++i) {
    EXPECT_TRUE(set.NextFile(i % 2 == 0));
    played.push_back(set.SelFileId());
  }
  return played;
}

// Collects the ids the selection listener receives (from any thread).
class NoticeRecorder {
 public:
  void Attach(PlayListSet& set) {
    set.SetSelectionListener([this](int32_t id) {
      std::lock_guard<std::mutex> lock(mutex_);
      ids_.push_back(id);
    });
  }
  std::vector<int32_t> Take() {
    std::lock_guard<std::mutex> lock(mutex_);
    std::vector<int32_t> ids;
    ids.swap(ids_);
    return ids;
  }

 private:
  std::mutex mutex_;
  std::vector<int32_t> ids_;
};
