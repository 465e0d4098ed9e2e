// The one play list model of the program, shared by the user-interface
// thread (commands, Controller, dialogs, the play list editor) and the
// player thread (starts files, walks on at the end of a file, writes titles).
#pragma once
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "playlist/play_list_model.h"

// Threading contract
//   Every public operation is one indivisible step: it holds mutex_ for its
//   whole length, so the other thread sees the model before or after it,
//   never halfway. Queries hand out copies, never references into the lists.
//
//   Lock rule: mutex_ guards model_ and listener_. Code that expects
//   mutex_ held is a PlayListModel member working on model_; only Edit and
//   Read hand model_ out, with the lock taken, and nothing else touches it. Callbacks given to Edit/Read run under
//   the lock: they must not call this object's public operations (the lock
//   is not recursive), must not block, and must not keep references into
//   the model past their return.
//
//   Change notice: after every operation that may change the model (Edit and
//   everything built on it), the change listener is called once, on the
//   thread that made it, after mutex_ has been released (the player thread
//   checks that the files it queued are still the ones the walk leads to).
//
//   Selection notice: whenever a selection sets SelFileID (SelectFile,
//   SelectFileById, NextFile, PrevFile, NextList, PrevList, also inside
//   Edit) the listener is called once per operation with the new SelFileID,
//   on the thread that made the change and AFTER mutex_ has been released,
//   so it may read the model again. Notices of the two threads may arrive
//   in either order; the application posts a window message from it.
class PlayListSet {
 public:
  using SelectionListener = std::function<void(int32_t selFileId)>;
  using ChangeListener = std::function<void()>;

  // The seed drives the shuffled modes; tests pass a fixed one.
  explicit PlayListSet(uint64_t shuffleSeed = FreshShuffleSeed());
  PlayListSet(const PlayListSet&) = delete;
  PlayListSet& operator=(const PlayListSet&) = delete;

  void SetSelectionListener(SelectionListener listener);
  void SetChangeListener(ChangeListener listener);
  void SetShuffleSeed(uint64_t seed);

  // Runs fn(PlayListModel&) as one step (compound editor changes, such as
  // "insert these files at the front and select the first"). Returns fn's
  // result; a selection made inside is notified after the lock is released.
  template <class Fn>
  auto Edit(Fn&& fn);
  // Runs fn(const PlayListModel&) as one step: consistent reads of several
  // values (the editor filling its rows, for instance).
  template <class Fn>
  auto Read(Fn&& fn) const {
    std::lock_guard<std::mutex> lock(mutex_);
    return std::forward<Fn>(fn)(std::as_const(model_));
  }

  // Each operation below is the PlayListModel operation of the same name
  // (documented in play_list_model.h) run as one step.

  // --- queries (copies) -----------------------------------------------------
  std::optional<FilePos> FindFile(int32_t id) const;
  int32_t CurrentListIndex() const;
  int32_t TotalFileCount() const;
  std::optional<SoundFile> CurrentSoundFile() const;
  int32_t CurrentPresetId() const;
  int32_t ListCount() const;
  std::optional<PlayList> List(int32_t list) const;
  std::optional<SoundFile> File(int32_t list, int32_t file) const;
  // All lists, for the settings writer (with SelFileID, PlayMode, Repeat).
  std::vector<PlayList> Lists() const;
  PlayListState State() const;

  // --- selection and play order ---------------------------------------------
  bool SelectFile(int32_t list, int32_t file);
  bool SelectFileById(int32_t id);
  bool NextFile(bool endOfFile);
  std::optional<SoundFile> PeekNextFile(const std::vector<int32_t>& queuedIds) const;
  bool AdvanceToQueued(int32_t id);
  bool PrevFile();
  bool NextList();
  bool PrevList();

  // --- the play queue -----------------------------------------------------------
  std::vector<int32_t> QueueIds() const;
  int Enqueue(const std::vector<int32_t>& ids);
  void ClearQueue();
  void SetQueue(const std::vector<int32_t>& ids);
  uint64_t ListsGeneration() const;

  // --- settings values (no selection notice) ----------------------------------
  int32_t SelFileId() const;
  void SetSelFileId(int32_t id);
  int32_t PlayMode() const;
  void SetPlayMode(int32_t mode);
  int32_t Repeat() const;
  void SetRepeat(int32_t repeat);
  // The settings reader: lists, SelFileID, PlayMode, Repeat.
  void ReplaceAll(PlayListState state);

  // --- ids ---------------------------------------------------------------------
  int32_t NextEntryId();
  uint32_t LastId() const;
  void RecomputeLastId(uint32_t largestPresetId);
  void RaiseLastId(uint32_t id);

  // --- editor changes ----------------------------------------------------------
  int32_t AppendList(std::string name);
  int32_t InsertList(int32_t before, std::string name);
  bool DeleteList(int32_t list);
  bool RenameList(int32_t list, std::string name);
  bool ReorderLists(const std::vector<int32_t>& orderKeys);
  int32_t AppendFile(int32_t list, NewSoundFile entry);
  int32_t InsertFile(int32_t list, int32_t before, NewSoundFile entry);
  int32_t InsertFileAtFront(int32_t list, NewSoundFile entry);
  bool DeleteFile(int32_t list, int32_t file);
  bool MoveFiles(int32_t from, std::vector<int32_t> files, int32_t to);
  bool ReorderFiles(int32_t list, const std::vector<int32_t>& newOrder);
  int32_t InsertFiles(int32_t list, int32_t before, std::vector<NewSoundFile> entries);
  bool DeleteFiles(int32_t list, std::vector<int32_t> files);

  // --- fields of entries ----------------------------------------------------------
  // By id: the player writes the title of the file it started, which may no
  // longer be the current one.
  bool SetFileTitle(int32_t id, std::string title);
  bool SetFileVolume(int32_t id, int32_t volume);
  bool SetFilePresetId(int32_t id, int32_t presetId);
  bool SetCurrentTitle(std::string title);
  bool SetCurrentPresetId(int32_t presetId);
  int32_t ResetPresetId(int32_t presetId);

 private:
  // Carries a selection notice out of the locked section; its destructor,
  // which runs after the lock is released, calls the listener.
  class NoticeDelivery {
   public:
    NoticeDelivery() = default;
    NoticeDelivery(const NoticeDelivery&) = delete;
    NoticeDelivery& operator=(const NoticeDelivery&) = delete;
    ~NoticeDelivery() {
      if (selFileId_ && listener_) listener_(*selFileId_);
      if (changed_) changed_();
    }
    // Under the lock: takes the model's pending notice and the listeners.
    void Collect(PlayListModel& model, const SelectionListener& listener,
                 const ChangeListener& changed) {
      selFileId_ = model.TakeSelectionNotice();
      if (selFileId_) listener_ = listener;
      changed_ = changed;
    }

   private:
    std::optional<int32_t> selFileId_;
    SelectionListener listener_;
    ChangeListener changed_;
  };

  // Takes the notice while the lock is still held (declared after it, so
  // destroyed before it).
  class NoticeCollector {
   public:
    NoticeCollector(PlayListSet& owner, NoticeDelivery& delivery)
        : owner_(owner), delivery_(delivery) {}
    NoticeCollector(const NoticeCollector&) = delete;
    NoticeCollector& operator=(const NoticeCollector&) = delete;
    ~NoticeCollector() { delivery_.Collect(owner_.model_, owner_.listener_, owner_.changeListener_); }

   private:
    PlayListSet& owner_;
    NoticeDelivery& delivery_;
  };

  mutable std::mutex mutex_;
  // --- guarded by mutex_ ---
  PlayListModel model_;
  SelectionListener listener_;
  ChangeListener changeListener_;
};

template <class Fn>
auto PlayListSet::Edit(Fn&& fn) {
  // Destroyed in reverse order: collector (locked), lock, delivery (unlocked).
  NoticeDelivery delivery;
  std::lock_guard<std::mutex> lock(mutex_);
  NoticeCollector collector(*this, delivery);
  return std::forward<Fn>(fn)(model_);
}
