// The play lists, the current file, the play order of the five modes and the
// id counter, as one single-threaded object. PlayListSet wraps it with the
// lock the user-interface and player threads share.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <unordered_set>
#include <utility>
#include <vector>

#include "playlist/play_order.h"
#include "playlist/play_queue.h"
#include "playlist/shuffle_order.h"
#include "playlist/sound_file.h"

// Everything the settings file keeps of the model (lastId is derived when
// the settings are read, see RecomputeLastId).
struct PlayListState {
  std::vector<PlayList> lists;
  int32_t selFileId = 0;
  int32_t playMode = kPlayModeList;
  int32_t repeat = 0;
};

// The caller's fields of a new entry; its id comes from NextEntryId.
struct NewSoundFile {
  // Implicit: most new entries are a path alone.
  NewSoundFile(std::string path) : path(std::move(path)) {}  // NOLINT
  NewSoundFile(std::string path, std::string title, int32_t volume, int32_t presetId)
      : path(std::move(path)), title(std::move(title)), volume(volume), presetId(presetId) {}

  std::string path;
  std::string title;
  int32_t volume = 0;
  int32_t presetId = 0;
};

// Where the Next walk stands: the shuffled order and the queue ahead of the
// play order. The model keeps its own; a look ahead walks a copy.
struct PlayWalk {
  explicit PlayWalk(uint64_t shuffleSeed) : shuffle(shuffleSeed) {}
  ShuffleOrder shuffle;
  PlayQueue queue;
};

// Not thread-safe. Inside a PlayListSet every member runs with the set's
// lock held (see play_list_set.h).
//
// Positions count from 0; operations given a position outside the lists
// fail and change nothing. Lookups by id take the first match, lists in
// order, then files in order. Changing SelFileID through a selection leaves
// a selection notice for the owner to deliver (TakeSelectionNotice).
class PlayListModel {
 public:
  explicit PlayListModel(uint64_t shuffleSeed);

  // --- queries ------------------------------------------------------------
  std::optional<FilePos> FindFile(int32_t id) const { return FindFileIn(lists_, id); }
  // L of the current file, or -1 when SelFileID names no file.
  int32_t CurrentListIndex() const;
  int32_t TotalFileCount() const { return CountFiles(lists_); }
  std::optional<SoundFile> CurrentSoundFile() const;
  // The current file's presetId, 0 when no file is current.
  int32_t CurrentPresetId() const;
  int32_t ListCount() const { return static_cast<int32_t>(lists_.size()); }
  const PlayList* List(int32_t list) const;
  const SoundFile* File(int32_t list, int32_t file) const;
  const std::vector<PlayList>& Lists() const { return lists_; }
  PlayListState State() const;
  // Changes whenever a list, an entry, a path or a title changes (not for
  // selections, volumes or presets): a search index built at one
  // generation is current while it stays.
  uint64_t ListsGeneration() const { return generation_; }

  // --- selection and play order (true when a file was selected) -----------
  // The user's choice: the play order goes on from this file, also when
  // queued files were playing.
  bool SelectFile(int32_t list, int32_t file);
  // Sets SelFileID without looking the id up.
  bool SelectFileById(int32_t id);
  // endOfFile: the player calls because a file played to its end (One
  // Repeat then keeps the file); false for the Next command. A queued file
  // comes first, in either case.
  bool NextFile(bool endOfFile);
  // Back over the step the queue made (into a queued file, or from the last
  // one on to the play order) when that step led to the current file;
  // otherwise the play order's previous file.
  bool PrevFile();
  bool NextList();
  bool PrevList();
  // Gapless playback looks ahead: the file the end of the current one will
  // play, after the files already queued behind it (their ids, in order),
  // without moving anything. Nothing when the walk selects no file.
  std::optional<SoundFile> PeekNextFile(const std::vector<int32_t>& queuedIds) const;
  // The queued file `id` is heard now: the walk moves on as at the end of a
  // file, and `id` becomes current even if the lists changed meanwhile.
  bool AdvanceToQueued(int32_t id);

  // --- the play queue (entry ids, head first) -------------------------------
  const PlayQueue& Queue() const { return walk_.queue; }
  // Queues the ids of existing entries that are not queued yet; returns how
  // many were added.
  int Enqueue(const std::vector<int32_t>& ids);
  void ClearQueue() { walk_.queue.Clear(); }
  // The settings reader: the ids that name entries, in their order.
  void SetQueue(const std::vector<int32_t>& ids);

  // --- settings values (no selection notice) -------------------------------
  int32_t SelFileId() const { return selFileId_; }
  void SetSelFileId(int32_t id) { selFileId_ = id; }
  int32_t PlayMode() const { return playMode_; }
  // Any value is kept; unknown ones walk as described in play_order.h.
  void SetPlayMode(int32_t mode);
  int32_t Repeat() const { return repeat_; }
  void SetRepeat(int32_t repeat) { repeat_ = repeat; }
  // Replaces lists, SelFileID, PlayMode and Repeat (the settings reader).
  void ReplaceAll(PlayListState state);
  void SetShuffleSeed(uint64_t seed) { walk_.shuffle.Reseed(seed); }

  // --- ids, shared by sound files and equalizer presets ---------------------
  // Adds 1 to lastId and returns it: 1 first, never 0 (0 is skipped should
  // the counter ever wrap).
  int32_t NextEntryId();
  uint32_t LastId() const { return lastId_; }
  // After reading settings: lastId = the largest id of all files and
  // largestPresetId, compared as unsigned 32-bit; 0 when all are 0.
  void RecomputeLastId(uint32_t largestPresetId);
  // lastId = max(lastId, id), unsigned (the text settings reader, per line).
  void RaiseLastId(uint32_t id);

  // --- lists (index of the new list, or -1) ----------------------------------
  int32_t AppendList(std::string name);
  // Before list `before`; at the end when `before` is not below ListCount().
  int32_t InsertList(int32_t before, std::string name);
  bool DeleteList(int32_t list);
  bool RenameList(int32_t list, std::string name);
  // Gives list i the order key orderKeys[i], then sorts the lists by key,
  // equal keys keeping their relative order. Needs one key per list.
  bool ReorderLists(const std::vector<int32_t>& orderKeys);

  // --- files (id of the new entry, or 0) ---------------------------------
  int32_t AppendFile(int32_t list, NewSoundFile entry);
  // Before file `before`; at the end when `before` is not below the count.
  int32_t InsertFile(int32_t list, int32_t before, NewSoundFile entry);
  int32_t InsertFileAtFront(int32_t list, NewSoundFile entry) {
    return InsertFile(list, 0, std::move(entry));
  }
  // SelFileID stays, so deleting the current file leaves no file current.
  bool DeleteFile(int32_t list, int32_t file);
  // Appends files `files` of list `from` (in their list order; repeated
  // positions count once) to list `to` with all their fields and removes
  // them from `from`. Fails without change when any position is invalid.
  bool MoveFiles(int32_t from, std::vector<int32_t> files, int32_t to);
  // Entry i of the list becomes the former entry newOrder[i]; newOrder must
  // be a permutation of the list's positions.
  bool ReorderFiles(int32_t list, const std::vector<int32_t>& newOrder);
  // Many entries in one pass (a drop of a whole folder): `entries` go before
  // file `before` (at the end when it is not below the count) in their
  // order, each with an id from NextEntryId. Returns the number inserted.
  int32_t InsertFiles(int32_t list, int32_t before, std::vector<NewSoundFile> entries);
  // Removes the files at `files` (any order, repeats count once) in one
  // pass. Fails without change when any position is invalid.
  bool DeleteFiles(int32_t list, std::vector<int32_t> files);

  // --- fields of entries (false when no file has the id) -------------------
  bool SetFileTitle(int32_t id, std::string title);
  bool SetFileVolume(int32_t id, int32_t volume);
  bool SetFilePresetId(int32_t id, int32_t presetId);
  bool SetCurrentTitle(std::string title) { return SetFileTitle(selFileId_, std::move(title)); }
  bool SetCurrentPresetId(int32_t presetId) { return SetFilePresetId(selFileId_, presetId); }
  // Every entry holding presetId gets 0 (the preset was deleted). Returns
  // the number of entries changed.
  int32_t ResetPresetId(int32_t presetId);

  // The SelFileID of the latest selection since the last call, if any.
  std::optional<int32_t> TakeSelectionNotice();

 private:
  // The id the Next walk goes to after `current`, advancing `walk` (the
  // model's own, or a copy for a look ahead): the queue's head, else the
  // play order's next file after the one it had reached; nothing when no
  // file is selected. One Repeat at the end of a file stays on its file.
  std::optional<int32_t> NextIdAfter(int32_t current, bool endOfFile, PlayWalk& walk) const;
  // The play order's part of the walk.
  std::optional<int32_t> OrderNextAfter(int32_t current, bool endOfFile, ShuffleOrder& shuffle) const;
  // Sets SelFileID as a step of the walk (the user's selections also leave
  // the queue's resume point behind).
  bool Select(int32_t id);
  // Entries removed from the lists leave the queue.
  void ForgetEntries(std::unordered_set<int32_t> ids);
  void ListsChanged() { ++generation_; }
  SoundFile* MutableFile(int32_t id);
  bool ValidList(int32_t list) const { return list >= 0 && list < ListCount(); }
  SoundFile MakeEntry(NewSoundFile entry);

  std::vector<PlayList> lists_;
  int32_t selFileId_ = 0;
  int32_t playMode_ = kPlayModeList;
  int32_t repeat_ = 0;
  uint32_t lastId_ = 0;
  uint64_t generation_ = 0;
  PlayWalk walk_;
  std::optional<int32_t> selectionNotice_;
};
