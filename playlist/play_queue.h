// The play queue: files the user chose to hear next, ahead of the play
// order. Each plays once and leaves the queue; then the play order goes on
// from the file it had reached. The queue also remembers the steps it took
// the walk, so that Previous can go back along them.
#pragma once
#include <cstdint>
#include <optional>
#include <unordered_set>
#include <vector>

// Not thread-safe: part of the play list model's walk state (see
// PlayListModel), which its owner's lock guards. Copied for a look ahead.
class PlayQueue {
 public:
  // --- the queued entry ids, head first ------------------------------------
  const std::vector<int32_t>& Ids() const { return ids_; }
  bool Empty() const { return ids_.empty(); }
  // 1 for the head, 0 for an id that is not queued.
  int PlaceOf(int32_t id) const;
  // Appends the ids that are not queued yet, in their order; returns how
  // many were added.
  int Enqueue(const std::vector<int32_t>& ids);
  void Clear() { ids_.clear(); }
  // Entries deleted from their lists leave the queue.
  void Remove(const std::unordered_set<int32_t>& ids);

  // --- the walk (PlayListModel::NextIdAfter) --------------------------------
  // True while the next step is the queue's: a file is queued, or queued
  // files played and the play order has not resumed yet.
  bool Redirects() const { return !ids_.empty() || resumeAfter_.has_value(); }
  // The step after `current`: the queue's head, taken off, when a file is
  // queued (the first one remembers `current` as the play order's place);
  // nothing when the play order goes on. `exists` tells ids of entries
  // still in a list from stale ones, which are skipped.
  template <class Exists>
  std::optional<int32_t> TakeHead(int32_t current, Exists exists);
  // Where the play order goes on after queued files: the file it had
  // reached, taken, or `current` when no queued file played.
  int32_t ResumeFrom(int32_t current);
  // The walk moved from `from` to `to` out of the queue (the play order's
  // next file after the queued ones); Previous can come back.
  void NoteResumed(int32_t from, int32_t to, int32_t resumedAfter);

  // --- going back ----------------------------------------------------------
  // The last step the queue made the walk take, when it led to `current`.
  struct Step {
    int32_t from = 0;
    int32_t to = 0;
    bool resumed = false;                  // out of the queue, not into it
    std::optional<int32_t> resumeBefore;  // the play order's place before the step
  };
  std::optional<Step> StepInto(int32_t current) const;
  // Previous went back over that step: the walk stands where it stood before.
  void Undo(const Step& step);
  // The user chose a file: the play order goes on from there.
  void ForgetResumePoint() { resumeAfter_.reset(); }

 private:
  void Record(Step step);

  std::vector<int32_t> ids_;
  std::optional<int32_t> resumeAfter_;  // the play order's place while queued files play
  std::vector<Step> steps_;             // newest last, at most kMaxSteps
};

template <class Exists>
std::optional<int32_t> PlayQueue::TakeHead(int32_t current, Exists exists) {
  while (!ids_.empty()) {
    const int32_t head = ids_.front();
    ids_.erase(ids_.begin());
    if (!exists(head)) continue;
    const std::optional<int32_t> before = resumeAfter_;
    if (!resumeAfter_) resumeAfter_ = current;
    Record(Step{current, head, false, before});
    return head;
  }
  return std::nullopt;
}
