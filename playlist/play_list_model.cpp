// The play list model: queries, selection, play order and ids. The editor's
// changes to lists and entries are in play_list_edits.cpp.
#include "playlist/play_list_model.h"

#include <algorithm>

PlayListModel::PlayListModel(uint64_t shuffleSeed) : walk_(shuffleSeed) {}

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
  walk_.queue.ForgetResumePoint();
  return Select(id);
}

bool PlayListModel::Select(int32_t id) {
  selFileId_ = id;
  selectionNotice_ = id;
  return true;
}

std::optional<int32_t> PlayListModel::NextIdAfter(int32_t currentId, bool endOfFile, PlayWalk& walk) const {
  const auto exists = [this](int32_t id) { return FindFile(id).has_value(); };
  if (const std::optional<int32_t> head = walk.queue.TakeHead(currentId, exists)) return head;
  const bool resuming = walk.queue.Redirects();
  int32_t from = walk.queue.ResumeFrom(currentId);
  if (!exists(from)) from = currentId;  // its place was deleted meanwhile
  const std::optional<int32_t> next = OrderNextAfter(from, endOfFile, walk.shuffle);
  if (resuming && next) walk.queue.NoteResumed(currentId, *next, from);
  return next;
}

std::optional<int32_t> PlayListModel::OrderNextAfter(int32_t currentId, bool endOfFile,
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
  // The same file plays again, unless the queue has a say.
  if (playMode_ == kPlayModeOneRepeat && endOfFile && !walk_.queue.Redirects()) return true;
  const std::optional<int32_t> next = NextIdAfter(selFileId_, endOfFile, walk_);
  return next && Select(*next);
}

std::optional<SoundFile> PlayListModel::PeekNextFile(const std::vector<int32_t>& queuedIds) const {
  PlayWalk walk = walk_;
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
  const std::optional<int32_t> next = NextIdAfter(selFileId_, true, walk_);
  return Select(next && *next == id ? *next : id);
}

bool PlayListModel::PrevFile() {
  const int32_t mode = playMode_;
  if (const std::optional<PlayQueue::Step> step = walk_.queue.StepInto(selFileId_)) {
    if (FindFile(step->from)) {
      // Back from the play order to the last queued file: the shuffled
      // order steps back too, so that Next comes here again.
      const std::optional<FilePos> current = FindFile(selFileId_);
      if (step->resumed && IsShuffleMode(mode) && current) {
        walk_.shuffle.Prev(mode, ShuffleRange(lists_, mode, current->list), selFileId_);
      }
      walk_.queue.Undo(*step);
      return Select(step->from);
    }
  }
  if (TotalFileCount() == 0) return false;
  const std::optional<FilePos> current = FindFile(selFileId_);
  if (!current) return false;
  if (IsShuffleMode(mode)) {
    const std::vector<int32_t> range = ShuffleRange(lists_, mode, current->list);
    if (const std::optional<int32_t> previous = walk_.shuffle.Prev(mode, range, selFileId_)) {
      return Select(*previous);
    }
  }
  const std::optional<FilePos> target = SequentialPrev(lists_, *current, mode);
  return target && Select(lists_[target->list].files[target->file].id);
}

int PlayListModel::Enqueue(const std::vector<int32_t>& ids) {
  std::vector<int32_t> existing;
  for (int32_t id : ids) {
    if (FindFile(id)) existing.push_back(id);
  }
  return walk_.queue.Enqueue(existing);
}

void PlayListModel::SetQueue(const std::vector<int32_t>& ids) {
  walk_.queue = PlayQueue();
  Enqueue(ids);
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
  if (mode != playMode_) walk_.shuffle.Forget();
  playMode_ = mode;
}

void PlayListModel::ReplaceAll(PlayListState state) {
  lists_ = std::move(state.lists);
  selFileId_ = state.selFileId;
  playMode_ = state.playMode;
  repeat_ = state.repeat;
  walk_.shuffle.Forget();
  walk_.queue = PlayQueue();
  ListsChanged();
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
