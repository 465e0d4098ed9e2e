// The play queue and the steps it made the walk take.
#include "playlist/play_queue.h"

#include <algorithm>

namespace {
// Previous goes back this many steps of the queue at most.
constexpr size_t kMaxSteps = 64;
}  // namespace

int PlayQueue::PlaceOf(int32_t id) const {
  const auto found = std::find(ids_.begin(), ids_.end(), id);
  return found == ids_.end() ? 0 : static_cast<int>(found - ids_.begin()) + 1;
}

int PlayQueue::Enqueue(const std::vector<int32_t>& ids) {
  std::unordered_set<int32_t> queued(ids_.begin(), ids_.end());
  int added = 0;
  for (int32_t id : ids) {
    if (queued.insert(id).second) {
      ids_.push_back(id);
      ++added;
    }
  }
  return added;
}

void PlayQueue::Remove(const std::unordered_set<int32_t>& ids) {
  if (ids.empty()) return;
  ids_.erase(std::remove_if(ids_.begin(), ids_.end(), [&](int32_t id) { return ids.count(id) != 0; }),
             ids_.end());
}

int32_t PlayQueue::ResumeFrom(int32_t current) {
  const int32_t from = resumeAfter_.value_or(current);
  resumeAfter_.reset();
  return from;
}

void PlayQueue::NoteResumed(int32_t from, int32_t to, int32_t resumedAfter) {
  Record(Step{from, to, true, resumedAfter});
}

std::optional<PlayQueue::Step> PlayQueue::StepInto(int32_t current) const {
  if (steps_.empty() || steps_.back().to != current) return std::nullopt;
  return steps_.back();
}

void PlayQueue::Undo(const Step& step) {
  if (!steps_.empty() && steps_.back().to == step.to && steps_.back().from == step.from) steps_.pop_back();
  resumeAfter_ = step.resumeBefore;
}

void PlayQueue::Record(Step step) {
  if (steps_.size() == kMaxSteps) steps_.erase(steps_.begin());
  steps_.push_back(step);
}
