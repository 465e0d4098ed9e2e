// The shuffled walk of "Random All" and "Random List".
#include "playlist/shuffle_order.h"

#include <algorithm>
#include <chrono>

uint64_t FreshShuffleSeed() {
  std::random_device device;
  const uint64_t high = device();
  const uint64_t low = device();
  // Some runtimes give a fixed random_device sequence; the clock still varies.
  const uint64_t clock = static_cast<uint64_t>(
      std::chrono::steady_clock::now().time_since_epoch().count());
  return ((high << 32) | low) ^ (clock * 0x9E3779B97F4A7C15ull);
}

ShuffleOrder::ShuffleOrder(uint64_t seed) : random_(seed) {}

void ShuffleOrder::Reseed(uint64_t seed) {
  random_.seed(seed);
  Forget();
}

void ShuffleOrder::Forget() {
  mode_ = -1;
  members_.clear();
  order_.clear();
  next_ = 0;
}

int32_t ShuffleOrder::Next(int32_t mode, const std::vector<int32_t>& range, int32_t current) {
  Adopt(mode, range, current);
  if (order_.empty()) return current;
  if (next_ >= order_.size()) StartCycle(current);
  return order_[next_++];
}

std::optional<int32_t> ShuffleOrder::Prev(int32_t mode, const std::vector<int32_t>& range,
                                          int32_t current) {
  Adopt(mode, range, current);
  if (next_ < 2 || order_[next_ - 1] != current) return std::nullopt;
  // The current file goes back to "not played", so Next returns to it.
  --next_;
  return order_[next_ - 1];
}

void ShuffleOrder::Adopt(int32_t mode, const std::vector<int32_t>& range, int32_t current) {
  std::vector<int32_t> members = range;
  std::sort(members.begin(), members.end());
  members.erase(std::unique(members.begin(), members.end()), members.end());
  if (mode != mode_ || members != members_) {
    mode_ = mode;
    members_ = members;
    Build(std::move(members), current);
    return;
  }
  const auto found = std::find(order_.begin(), order_.end(), current);
  if (found == order_.end()) return;
  const size_t at = static_cast<size_t>(found - order_.begin());
  if (next_ > 0 && at == next_ - 1) return;
  if (at >= next_) {
    // Picked ahead of the walk: it counts as played from now on.
    std::swap(order_[at], order_[next_]);
    ++next_;
  } else {
    // Picked again after it played: make it the latest played file.
    std::rotate(order_.begin() + static_cast<std::ptrdiff_t>(at),
                order_.begin() + static_cast<std::ptrdiff_t>(at) + 1,
                order_.begin() + static_cast<std::ptrdiff_t>(next_));
  }
}

void ShuffleOrder::Build(std::vector<int32_t> members, int32_t current) {
  order_ = std::move(members);
  std::shuffle(order_.begin(), order_.end(), random_);
  next_ = 0;
  const auto found = std::find(order_.begin(), order_.end(), current);
  if (found != order_.end()) {
    // The current file has played: it opens the cycle.
    std::iter_swap(order_.begin(), found);
    next_ = 1;
  }
}

void ShuffleOrder::StartCycle(int32_t current) {
  std::shuffle(order_.begin(), order_.end(), random_);
  if (order_.size() >= 2 && order_.front() == current) {
    std::uniform_int_distribution<size_t> pick(1, order_.size() - 1);
    std::swap(order_.front(), order_[pick(random_)]);
  }
  next_ = 0;
}
