// The play list model: queries, selection, play order and ids. The editor's
// changes to lists and entries are in play_list_edits.cpp.
#include "playlist/play_list_model.h"

#include <algorithm>

PlayListModel::PlayListModel(uint64_t shuffleSeed) : shuffle_(shuffleSeed) {}

int32_t PlayListModel::CurrentListIndex() const {
  const std::optional<FilePos> current = FindFile(selFileId_);
  return current ? current->list : -1;
}

std::optional<SoundFile> PlayListModel::CurrentSoundFile() const {
  const std::optional<FilePos> current = FindFile(selFileId_);
  if (!current) return std::nullopt;
  return lists_[current->list].files[current->file];
}

int32_t PlayListModel::CurrentPresetId() const {
  const std::optional<FilePos> current = FindFile(selFileId_);
  return current ? lists_[current->list].files[current->file].presetId : 0;
}

const PlayList* PlayListModel::List(int32_t list) const {
  return ValidList(list) ? &lists_[list] : nullptr;
}

const SoundFile* PlayListModel::File(int32_t list, int32_t file) const {
  const PlayList* owner = List(list);
  if (!owner || file < 0 || file >= static_cast<int32_t>(owner->files.size())) return nullptr;
  return &owner->files[file];
}

PlayListState PlayListModel::State() const {
  return PlayListState{lists_, selFileId_, playMode_, repeat_};
}

bool PlayListModel::SelectFile(int32_t list, int32_t file) {
  const SoundFile* target = File(list, file);
  if (!target) return false;
  return SelectFileById(target->id);
}

bool PlayListModel::SelectFileById(int32_t id) {
  selFileId_ = id;
  selectionNotice_ = id;
  return true;
}

std::optional<int32_t> PlayListModel::NextIdAfter(int32_t currentId, bool endOfFile,
                                                  ShuffleOrder& shuffle) const {
  int32_t mode = playMode_;
  if (mode == kPlayModeOneRepeat) {
    if (endOfFile) return currentId;
    mode = kPlayModeAllList;
  }
  if (TotalFileCount() == 0) return std::nullopt;
  const std::optional<FilePos> current = FindFile(currentId);
  if (!current) return std::nullopt;
  if (IsShuffleMode(mode)) {
    return shuffle.Next(mode, ShuffleRange(lists_, mode, current->list), currentId);
  }
  const std::optional<FilePos> target = SequentialNext(lists_, *current, mode);
  if (!target) return std::nullopt;
  return lists_[target->list].files[target->file].id;
}

bool PlayListModel::NextFile(bool endOfFile) {
  if (playMode_ == kPlayModeOneRepeat && endOfFile) return true;  // the same file plays again
  const std::optional<int32_t> next = NextIdAfter(selFileId_, endOfFile, shuffle_);
  return next && SelectFileById(*next);
}

std::optional<SoundFile> PlayListModel::PeekNextFile(const std::vector<int32_t>& queuedIds) const {
  ShuffleOrder walk = shuffle_;
  int32_t current = selFileId_;
  for (int32_t id : queuedIds) {
    NextIdAfter(current, true, walk);
    current = id;
  }
  const std::optional<int32_t> next = NextIdAfter(current, true, walk);
  if (!next) return std::nullopt;
  const std::optional<FilePos> at = FindFile(*next);
  if (!at) return std::nullopt;
  return lists_[at->list].files[at->file];
}

bool PlayListModel::AdvanceToQueued(int32_t id) {
  const std::optional<int32_t> next = NextIdAfter(selFileId_, true, shuffle_);
  return SelectFileById(next && *next == id ? *next : id);
}

bool PlayListModel::PrevFile() {
  const int32_t mode = playMode_;
  if (TotalFileCount() == 0) return false;
  const std::optional<FilePos> current = FindFile(selFileId_);
  if (!current) return false;
  if (IsShuffleMode(mode)) {
    const std::vector<int32_t> range = ShuffleRange(lists_, mode, current->list);
    if (const std::optional<int32_t> previous = shuffle_.Prev(mode, range, selFileId_)) {
      return SelectFileById(*previous);
    }
  }
  const std::optional<FilePos> target = SequentialPrev(lists_, *current, mode);
  return target && SelectFile(target->list, target->file);
}

bool PlayListModel::NextList() {
  int32_t list = CurrentListIndex() + 1;
  if (list >= ListCount()) list = 0;
  return SelectFile(list, 0);
}

bool PlayListModel::PrevList() {
  int32_t list = CurrentListIndex() - 1;
  if (list < 0) list = ListCount() - 1;
  return SelectFile(list, 0);
}

void PlayListModel::SetPlayMode(int32_t mode) {
  if (mode != playMode_) shuffle_.Forget();
  playMode_ = mode;
}

void PlayListModel::ReplaceAll(PlayListState state) {
  lists_ = std::move(state.lists);
  selFileId_ = state.selFileId;
  playMode_ = state.playMode;
  repeat_ = state.repeat;
  shuffle_.Forget();
}

int32_t PlayListModel::NextEntryId() {
  ++lastId_;
  if (lastId_ == 0) ++lastId_;
  return static_cast<int32_t>(lastId_);
}

void PlayListModel::RecomputeLastId(uint32_t largestPresetId) {
  lastId_ = largestPresetId;
  for (const PlayList& list : lists_) {
    for (const SoundFile& file : list.files) RaiseLastId(static_cast<uint32_t>(file.id));
  }
}

void PlayListModel::RaiseLastId(uint32_t id) { lastId_ = std::max(lastId_, id); }

std::optional<int32_t> PlayListModel::TakeSelectionNotice() {
  std::optional<int32_t> notice = selectionNotice_;
  selectionNotice_.reset();
  return notice;
}
