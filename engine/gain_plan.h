// The output multiplier along the stream: the file that plays and the files
// queued behind it each have their own (master volume times the file's
// gain), switching exactly at a file's first sample.
#pragma once
#include <cstdint>

// Positions are the sample ring's free-running byte counters; a position
// "before" another is compared on the signed difference, so the plan stays
// right across the counters' wrap.
class GainPlan {
 public:
  static constexpr int kMaxSwitches = 8;

  explicit GainPlan(int32_t multiplier = 0) : initial_(multiplier) {}

  // From ring byte `at` on, `multiplier` applies. Calls come in stream
  // order; more than kMaxSwitches are ignored (the last multiplier then
  // stays).
  void SwitchAt(uint32_t at, int32_t multiplier);
  // Every multiplier becomes 0 (a stop in progress).
  void Mute();

  int32_t At(uint32_t position) const;

  // Splits [first, first + bytes) into runs of one multiplier and calls
  // fn(offsetBytes, lengthBytes, multiplier) for each, in order.
  template <class Fn>
  void ForEachRun(uint32_t first, uint32_t bytes, Fn&& fn) const {
    uint32_t offset = 0;
    int32_t multiplier = At(first);
    for (int i = 0; i < count_ && offset < bytes; ++i) {
      const int32_t distance = static_cast<int32_t>(switches_[i].at - first);
      if (distance <= static_cast<int32_t>(offset)) continue;  // at or before the run's start
      const uint32_t end = static_cast<uint32_t>(distance) < bytes ? static_cast<uint32_t>(distance) : bytes;
      fn(offset, end - offset, multiplier);
      offset = end;
      multiplier = switches_[i].multiplier;
    }
    if (offset < bytes) fn(offset, bytes - offset, multiplier);
  }

 private:
  struct Switch {
    uint32_t at;
    int32_t multiplier;
  };
  int32_t initial_;
  Switch switches_[kMaxSwitches] = {};
  int count_ = 0;
};
