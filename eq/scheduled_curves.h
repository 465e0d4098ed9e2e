// Gain tables due at stream positions: the equalizer curves of files queued
// for gapless playback, handed from the player side to the audio thread,
// which takes each with the block that delivers its file's first sample.
#pragma once
#include <array>
#include <atomic>
#include <cstdint>
#include <mutex>

// Threads: Push and Clear from the writer (the player side); TakeDue and
// FirstOnAt from the audio thread. lock_ guards the entries; the audio
// thread only tries it, so a block never waits for the writer (the entry
// then goes with the next block). pending_ and the front's position are
// mirrored in atomics for the audio thread's checks.
class ScheduledCurves {
 public:
  static constexpr int kCapacity = 8;
  static constexpr int kBins = 4096;

  // A curve (gains of kBins, or null: the equalizer off) due at ring byte
  // `at`. False when the queue is full.
  bool Push(uint32_t at, const float* gains);
  void Clear();
  bool Empty() const { return pending_.load(std::memory_order_acquire) == 0; }

  // The oldest entry whose position comes before `hopEnd` (the ring position
  // after the samples a block delivers): its gains go to `gains` (or it
  // switches the equalizer off: `on` false). False when none is due.
  bool TakeDue(uint32_t hopEnd, float* gains, bool& on);
  // The position of the oldest entry when it switches the equalizer on.
  bool FirstOnAt(uint32_t& at) const;

 private:
  struct Entry {
    uint32_t at = 0;
    bool on = false;
    std::array<float, kBins> gains{};
  };
  void MirrorFrontLocked();

  std::mutex lock_;
  std::array<Entry, kCapacity> entries_;
  int head_ = 0;   // guarded by lock_
  int count_ = 0;  // guarded by lock_
  std::atomic<int> pending_{0};
  std::atomic<bool> frontOn_{false};
  std::atomic<uint32_t> frontAt_{0};
};
