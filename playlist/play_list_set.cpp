// The shared play list model: each operation is the model's own, run under
// the lock (see the contract in play_list_set.h).
#include "playlist/play_list_set.h"

PlayListSet::PlayListSet(uint64_t shuffleSeed) : model_(shuffleSeed) {}

void PlayListSet::SetSelectionListener(SelectionListener listener) {
  std::lock_guard<std::mutex> lock(mutex_);
  listener_ = std::move(listener);
}

void PlayListSet::SetChangeListener(ChangeListener listener) {
  std::lock_guard<std::mutex> lock(mutex_);
  changeListener_ = std::move(listener);
}

void PlayListSet::SetShuffleSeed(uint64_t seed) {
  Edit([&](PlayListModel& m) { m.SetShuffleSeed(seed); });
}

// --- queries ------------------------------------------------------------------

std::optional<FilePos> PlayListSet::FindFile(int32_t id) const {
  return Read([&](const PlayListModel& m) { return m.FindFile(id); });
}

int32_t PlayListSet::CurrentListIndex() const {
  return Read([](const PlayListModel& m) { return m.CurrentListIndex(); });
}

int32_t PlayListSet::TotalFileCount() const {
  return Read([](const PlayListModel& m) { return m.TotalFileCount(); });
}

std::optional<SoundFile> PlayListSet::CurrentSoundFile() const {
  return Read([](const PlayListModel& m) { return m.CurrentSoundFile(); });
}

int32_t PlayListSet::CurrentPresetId() const {
  return Read([](const PlayListModel& m) { return m.CurrentPresetId(); });
}

int32_t PlayListSet::ListCount() const {
  return Read([](const PlayListModel& m) { return m.ListCount(); });
}

std::optional<PlayList> PlayListSet::List(int32_t list) const {
  return Read([&](const PlayListModel& m) -> std::optional<PlayList> {
    const PlayList* found = m.List(list);
    if (!found) return std::nullopt;
    return *found;
  });
}

std::optional<SoundFile> PlayListSet::File(int32_t list, int32_t file) const {
  return Read([&](const PlayListModel& m) -> std::optional<SoundFile> {
    const SoundFile* found = m.File(list, file);
    if (!found) return std::nullopt;
    return *found;
  });
}

std::vector<PlayList> PlayListSet::Lists() const {
  return Read([](const PlayListModel& m) { return m.Lists(); });
}

PlayListState PlayListSet::State() const {
  return Read([](const PlayListModel& m) { return m.State(); });
}

// --- selection and play order -----------------------------------------------------

std::vector<int32_t> PlayListSet::QueueIds() const {
  return Read([](const PlayListModel& m) { return m.Queue().Ids(); });
}

int PlayListSet::Enqueue(const std::vector<int32_t>& ids) {
  return Edit([&](PlayListModel& m) { return m.Enqueue(ids); });
}

void PlayListSet::ClearQueue() {
  Edit([](PlayListModel& m) { m.ClearQueue(); });
}

void PlayListSet::SetQueue(const std::vector<int32_t>& ids) {
  Edit([&](PlayListModel& m) { m.SetQueue(ids); });
}

uint64_t PlayListSet::ListsGeneration() const {
  return Read([](const PlayListModel& m) { return m.ListsGeneration(); });
}

bool PlayListSet::SelectFile(int32_t list, int32_t file) {
  return Edit([&](PlayListModel& m) { return m.SelectFile(list, file); });
}

bool PlayListSet::SelectFileById(int32_t id) {
  return Edit([&](PlayListModel& m) { return m.SelectFileById(id); });
}

bool PlayListSet::NextFile(bool endOfFile) {
  return Edit([&](PlayListModel& m) { return m.NextFile(endOfFile); });
}

std::optional<SoundFile> PlayListSet::PeekNextFile(const std::vector<int32_t>& queuedIds) const {
  return Read([&](const PlayListModel& m) { return m.PeekNextFile(queuedIds); });
}

bool PlayListSet::AdvanceToQueued(int32_t id) {
  return Edit([&](PlayListModel& m) { return m.AdvanceToQueued(id); });
}

bool PlayListSet::PrevFile() {
  return Edit([](PlayListModel& m) { return m.PrevFile(); });
}

bool PlayListSet::NextList() {
  return Edit([](PlayListModel& m) { return m.NextList(); });
}

bool PlayListSet::PrevList() {
  return Edit([](PlayListModel& m) { return m.PrevList(); });
}

// --- settings values -----------------------------------------------------------------

int32_t PlayListSet::SelFileId() const {
  return Read([](const PlayListModel& m) { return m.SelFileId(); });
}

void PlayListSet::SetSelFileId(int32_t id) {
  Edit([&](PlayListModel& m) { m.SetSelFileId(id); });
}

int32_t PlayListSet::PlayMode() const {
  return Read([](const PlayListModel& m) { return m.PlayMode(); });
}

void PlayListSet::SetPlayMode(int32_t mode) {
  Edit([&](PlayListModel& m) { m.SetPlayMode(mode); });
}

int32_t PlayListSet::Repeat() const {
  return Read([](const PlayListModel& m) { return m.Repeat(); });
}

void PlayListSet::SetRepeat(int32_t repeat) {
  Edit([&](PlayListModel& m) { m.SetRepeat(repeat); });
}

void PlayListSet::ReplaceAll(PlayListState state) {
  Edit([&](PlayListModel& m) { m.ReplaceAll(std::move(state)); });
}

// --- ids -------------------------------------------------------------------------------

int32_t PlayListSet::NextEntryId() {
  return Edit([](PlayListModel& m) { return m.NextEntryId(); });
}

uint32_t PlayListSet::LastId() const {
  return Read([](const PlayListModel& m) { return m.LastId(); });
}

void PlayListSet::RecomputeLastId(uint32_t largestPresetId) {
  Edit([&](PlayListModel& m) { m.RecomputeLastId(largestPresetId); });
}

void PlayListSet::RaiseLastId(uint32_t id) {
  Edit([&](PlayListModel& m) { m.RaiseLastId(id); });
}

// --- editor changes ----------------------------------------------------------------------

int32_t PlayListSet::AppendList(std::string name) {
  return Edit([&](PlayListModel& m) { return m.AppendList(std::move(name)); });
}

int32_t PlayListSet::InsertList(int32_t before, std::string name) {
  return Edit([&](PlayListModel& m) { return m.InsertList(before, std::move(name)); });
}

bool PlayListSet::DeleteList(int32_t list) {
  return Edit([&](PlayListModel& m) { return m.DeleteList(list); });
}

bool PlayListSet::RenameList(int32_t list, std::string name) {
  return Edit([&](PlayListModel& m) { return m.RenameList(list, std::move(name)); });
}

bool PlayListSet::ReorderLists(const std::vector<int32_t>& orderKeys) {
  return Edit([&](PlayListModel& m) { return m.ReorderLists(orderKeys); });
}

int32_t PlayListSet::AppendFile(int32_t list, NewSoundFile entry) {
  return Edit([&](PlayListModel& m) { return m.AppendFile(list, std::move(entry)); });
}

int32_t PlayListSet::InsertFile(int32_t list, int32_t before, NewSoundFile entry) {
  return Edit([&](PlayListModel& m) { return m.InsertFile(list, before, std::move(entry)); });
}

int32_t PlayListSet::InsertFileAtFront(int32_t list, NewSoundFile entry) {
  return Edit([&](PlayListModel& m) { return m.InsertFileAtFront(list, std::move(entry)); });
}

bool PlayListSet::DeleteFile(int32_t list, int32_t file) {
  return Edit([&](PlayListModel& m) { return m.DeleteFile(list, file); });
}

bool PlayListSet::MoveFiles(int32_t from, std::vector<int32_t> files, int32_t to) {
  return Edit([&](PlayListModel& m) { return m.MoveFiles(from, std::move(files), to); });
}

bool PlayListSet::ReorderFiles(int32_t list, const std::vector<int32_t>& newOrder) {
  return Edit([&](PlayListModel& m) { return m.ReorderFiles(list, newOrder); });
}

int32_t PlayListSet::InsertFiles(int32_t list, int32_t before, std::vector<NewSoundFile> entries) {
  return Edit([&](PlayListModel& m) { return m.InsertFiles(list, before, std::move(entries)); });
}

bool PlayListSet::DeleteFiles(int32_t list, std::vector<int32_t> files) {
  return Edit([&](PlayListModel& m) { return m.DeleteFiles(list, std::move(files)); });
}

// --- fields of entries ---------------------------------------------------------------------

bool PlayListSet::SetFileTitle(int32_t id, std::string title) {
  return Edit([&](PlayListModel& m) { return m.SetFileTitle(id, std::move(title)); });
}

bool PlayListSet::SetFileVolume(int32_t id, int32_t volume) {
  return Edit([&](PlayListModel& m) { return m.SetFileVolume(id, volume); });
}

bool PlayListSet::SetFilePresetId(int32_t id, int32_t presetId) {
  return Edit([&](PlayListModel& m) { return m.SetFilePresetId(id, presetId); });
}

bool PlayListSet::SetCurrentTitle(std::string title) {
  return Edit([&](PlayListModel& m) { return m.SetCurrentTitle(std::move(title)); });
}

bool PlayListSet::SetCurrentPresetId(int32_t presetId) {
  return Edit([&](PlayListModel& m) { return m.SetCurrentPresetId(presetId); });
}

int32_t PlayListSet::ResetPresetId(int32_t presetId) {
  return Edit([&](PlayListModel& m) { return m.ResetPresetId(presetId); });
}
