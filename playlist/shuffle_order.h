// The shuffled walk of "Random All" and "Random List": every file of the
// range plays once per cycle, and the file that just played never plays next
// while the range holds two or more files.
#pragma once
#include <cstdint>
#include <optional>
#include <random>
#include <vector>

// A seed that differs from run to run (for the program; tests pass their own).
uint64_t FreshShuffleSeed();

// Not thread-safe: the owner serialises the calls (PlayListSet holds its
// lock around them).
//
// The order is a permutation of the range's ids. Its first `next_` entries
// have played in this cycle and the last of them is the current file; Next
// moves forward, Prev moves back along it. The order is rebuilt when the mode
// or the set of ids in the range differs from the last call, and a new cycle
// is shuffled when every file has played. A current file chosen outside the
// walk (the user picked it) is taken into the order as played.
class ShuffleOrder {
 public:
  explicit ShuffleOrder(uint64_t seed);

  // Restarts the random sequence and forgets the order.
  void Reseed(uint64_t seed);
  // The next walk builds a fresh order.
  void Forget();

  // The id to play after `current`. `range` holds the ids the mode plays
  // from, in list order (duplicates allowed) and should include `current`.
  // Returns `current` when the range is empty.
  int32_t Next(int32_t mode, const std::vector<int32_t>& range, int32_t current);

  // The id that played before `current` along the order, or none when the
  // order has no earlier file (the caller then falls back to the list
  // order).
  std::optional<int32_t> Prev(int32_t mode, const std::vector<int32_t>& range, int32_t current);

 private:
  // Brings the order up to date with mode, range and current file.
  void Adopt(int32_t mode, const std::vector<int32_t>& range, int32_t current);
  void Build(std::vector<int32_t> members, int32_t current);
  void StartCycle(int32_t current);

  std::mt19937_64 random_;
  int32_t mode_ = -1;             // mode the order was built for; -1: none
  std::vector<int32_t> members_;  // ids of the range, sorted, no duplicates
  std::vector<int32_t> order_;    // the same ids in play order
  size_t next_ = 0;               // order_[0, next_) played in this cycle
};
