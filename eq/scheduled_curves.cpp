// Gain tables due at stream positions.
#include "eq/scheduled_curves.h"

#include <algorithm>

bool ScheduledCurves::Push(uint32_t at, const float* gains) {
  std::lock_guard<std::mutex> lock(lock_);
  if (count_ == kCapacity) return false;
  Entry& entry = entries_[(head_ + count_) % kCapacity];
  entry.at = at;
  entry.on = gains != nullptr;
  if (gains != nullptr) std::copy(gains, gains + kBins, entry.gains.begin());
  ++count_;
  MirrorFrontLocked();
  return true;
}

void ScheduledCurves::Clear() {
  std::lock_guard<std::mutex> lock(lock_);
  count_ = 0;
  MirrorFrontLocked();
}

bool ScheduledCurves::TakeDue(uint32_t hopEnd, float* gains, bool& on) {
  if (Empty() || static_cast<int32_t>(frontAt_.load(std::memory_order_relaxed) - hopEnd) >= 0) return false;
  std::unique_lock<std::mutex> lock(lock_, std::try_to_lock);
  if (!lock.owns_lock() || count_ == 0) return false;
  const Entry& entry = entries_[head_];
  if (static_cast<int32_t>(entry.at - hopEnd) >= 0) return false;
  on = entry.on;
  if (on) std::copy(entry.gains.begin(), entry.gains.end(), gains);
  head_ = (head_ + 1) % kCapacity;
  --count_;
  MirrorFrontLocked();
  return true;
}

bool ScheduledCurves::FirstOnAt(uint32_t& at) const {
  if (Empty() || !frontOn_.load(std::memory_order_acquire)) return false;
  at = frontAt_.load(std::memory_order_relaxed);
  return true;
}

void ScheduledCurves::MirrorFrontLocked() {
  if (count_ > 0) {
    frontAt_.store(entries_[head_].at, std::memory_order_relaxed);
    frontOn_.store(entries_[head_].on, std::memory_order_relaxed);
  }
  pending_.store(count_, std::memory_order_release);
}
