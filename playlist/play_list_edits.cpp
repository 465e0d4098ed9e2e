// The play list model: the editor's changes to lists and entries.
#include <algorithm>
#include <iterator>
#include <unordered_set>

#include "playlist/play_list_model.h"

int32_t PlayListModel::AppendList(std::string name) {
  PlayList list;
  list.name = std::move(name);
  lists_.push_back(std::move(list));
  ListsChanged();
  return ListCount() - 1;
}

int32_t PlayListModel::InsertList(int32_t before, std::string name) {
  if (before < 0) return -1;
  if (before >= ListCount()) return AppendList(std::move(name));
  PlayList list;
  list.name = std::move(name);
  lists_.insert(lists_.begin() + before, std::move(list));
  ListsChanged();
  return before;
}

bool PlayListModel::DeleteList(int32_t list) {
  if (!ValidList(list)) return false;
  std::unordered_set<int32_t> removed;
  for (const SoundFile& file : lists_[list].files) removed.insert(file.id);
  lists_.erase(lists_.begin() + list);
  ForgetEntries(std::move(removed));
  ListsChanged();
  return true;
}

bool PlayListModel::RenameList(int32_t list, std::string name) {
  if (!ValidList(list)) return false;
  lists_[list].name = std::move(name);
  ListsChanged();
  return true;
}

bool PlayListModel::ReorderLists(const std::vector<int32_t>& orderKeys) {
  if (orderKeys.size() != lists_.size()) return false;
  for (size_t i = 0; i < lists_.size(); ++i) lists_[i].order = orderKeys[i];
  std::stable_sort(lists_.begin(), lists_.end(),
                   [](const PlayList& a, const PlayList& b) { return a.order < b.order; });
  ListsChanged();
  return true;
}

SoundFile PlayListModel::MakeEntry(NewSoundFile entry) {
  SoundFile file;
  file.id = NextEntryId();
  file.path = std::move(entry.path);
  file.title = std::move(entry.title);
  file.volume = entry.volume;
  file.presetId = entry.presetId;
  return file;
}

int32_t PlayListModel::AppendFile(int32_t list, NewSoundFile entry) {
  if (!ValidList(list)) return 0;
  std::vector<SoundFile>& files = lists_[list].files;
  return InsertFile(list, static_cast<int32_t>(files.size()), std::move(entry));
}

int32_t PlayListModel::InsertFile(int32_t list, int32_t before, NewSoundFile entry) {
  if (!ValidList(list) || before < 0) return 0;
  std::vector<SoundFile>& files = lists_[list].files;
  const size_t at = std::min(static_cast<size_t>(before), files.size());
  // The id is only taken once the entry is sure to go in.
  SoundFile file = MakeEntry(std::move(entry));
  const int32_t id = file.id;
  files.insert(files.begin() + static_cast<std::ptrdiff_t>(at), std::move(file));
  ListsChanged();
  return id;
}

bool PlayListModel::DeleteFile(int32_t list, int32_t file) {
  if (!File(list, file)) return false;
  std::vector<SoundFile>& files = lists_[list].files;
  const int32_t id = files[static_cast<size_t>(file)].id;
  files.erase(files.begin() + file);
  ForgetEntries({id});
  ListsChanged();
  return true;
}

bool PlayListModel::MoveFiles(int32_t from, std::vector<int32_t> files, int32_t to) {
  if (!ValidList(from) || !ValidList(to)) return false;
  for (int32_t file : files) {
    if (!File(from, file)) return false;
  }
  std::sort(files.begin(), files.end());
  files.erase(std::unique(files.begin(), files.end()), files.end());
  std::vector<SoundFile>& source = lists_[from].files;
  std::vector<SoundFile> moved;
  moved.reserve(files.size());
  for (int32_t file : files) moved.push_back(std::move(source[file]));
  for (auto it = files.rbegin(); it != files.rend(); ++it) source.erase(source.begin() + *it);
  std::vector<SoundFile>& target = lists_[to].files;
  for (SoundFile& file : moved) target.push_back(std::move(file));
  ListsChanged();
  return true;
}

bool PlayListModel::ReorderFiles(int32_t list, const std::vector<int32_t>& newOrder) {
  if (!ValidList(list)) return false;
  std::vector<SoundFile>& files = lists_[list].files;
  if (newOrder.size() != files.size()) return false;
  std::vector<bool> used(files.size(), false);
  for (int32_t from : newOrder) {
    if (from < 0 || static_cast<size_t>(from) >= files.size() || used[from]) return false;
    used[from] = true;
  }
  std::vector<SoundFile> reordered;
  reordered.reserve(files.size());
  for (int32_t from : newOrder) reordered.push_back(std::move(files[from]));
  files = std::move(reordered);
  ListsChanged();
  return true;
}

int32_t PlayListModel::InsertFiles(int32_t list, int32_t before, std::vector<NewSoundFile> entries) {
  if (!ValidList(list) || before < 0) return 0;
  std::vector<SoundFile>& files = lists_[list].files;
  const size_t at = std::min(static_cast<size_t>(before), files.size());
  std::vector<SoundFile> made;
  made.reserve(entries.size());
  for (NewSoundFile& entry : entries) made.push_back(MakeEntry(std::move(entry)));
  files.insert(files.begin() + static_cast<std::ptrdiff_t>(at), std::make_move_iterator(made.begin()),
               std::make_move_iterator(made.end()));
  ListsChanged();
  return static_cast<int32_t>(made.size());
}

bool PlayListModel::DeleteFiles(int32_t list, std::vector<int32_t> files) {
  if (!ValidList(list)) return false;
  std::vector<SoundFile>& entries = lists_[list].files;
  std::vector<bool> doomed(entries.size(), false);
  for (int32_t file : files) {
    if (file < 0 || static_cast<size_t>(file) >= entries.size()) return false;
    doomed[static_cast<size_t>(file)] = true;
  }
  std::unordered_set<int32_t> removed;
  size_t kept = 0;
  for (size_t i = 0; i < entries.size(); ++i) {
    if (doomed[i]) {
      removed.insert(entries[i].id);
    } else {
      if (kept != i) entries[kept] = std::move(entries[i]);
      ++kept;
    }
  }
  entries.resize(kept);
  ForgetEntries(std::move(removed));
  ListsChanged();
  return true;
}

void PlayListModel::ForgetEntries(std::unordered_set<int32_t> ids) {
  if (walk_.queue.Empty()) return;
  // An id is in the lists twice only through a damaged settings file; while
  // one of them is left, it stays queued.
  for (auto it = ids.begin(); it != ids.end();) it = FindFile(*it) ? ids.erase(it) : std::next(it);
  walk_.queue.Remove(ids);
}

SoundFile* PlayListModel::MutableFile(int32_t id) {
  const std::optional<FilePos> at = FindFile(id);
  return at ? &lists_[at->list].files[at->file] : nullptr;
}

bool PlayListModel::SetFileTitle(int32_t id, std::string title) {
  SoundFile* file = MutableFile(id);
  if (!file) return false;
  if (file->title != title) ListsChanged();
  file->title = std::move(title);
  return true;
}

bool PlayListModel::SetFileVolume(int32_t id, int32_t volume) {
  SoundFile* file = MutableFile(id);
  if (!file) return false;
  file->volume = volume;
  return true;
}

bool PlayListModel::SetFilePresetId(int32_t id, int32_t presetId) {
  SoundFile* file = MutableFile(id);
  if (!file) return false;
  file->presetId = presetId;
  return true;
}

int32_t PlayListModel::ResetPresetId(int32_t presetId) {
  int32_t changed = 0;
  for (PlayList& list : lists_) {
    for (SoundFile& file : list.files) {
      if (file.presetId == presetId && presetId != 0) {
        file.presetId = 0;
        ++changed;
      }
    }
  }
  return changed;
}
