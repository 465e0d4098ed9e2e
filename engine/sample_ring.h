// The 2 MiB ring between a plug-in's decoding thread and the audio refills:
// interleaved 16-bit stereo, single producer / single consumer.
#pragma once
#include <atomic>
#include <cstddef>
#include <cstdint>

// Threading contract
//   write counter  W: stored by the producer (plug-in decoding thread, Write)
//   read counter   R: stored by the consumer (audio refill thread)
//   Both counters are free-running byte counts; byte c lives at c mod kBytes.
//   Each side publishes its counter with a release store after touching the
//   data and reads the other's with an acquire load, so the bytes between
//   R and W are always complete when seen.
//   ResetCounters (player thread, output idle) and Flush (decoder thread,
//   a seek) store both counters, W first and then R; dropping a queued file
//   moves W back alone (never below R). The consumer loads R
//   before W, treats a difference above kBytes (a snapshot torn by a flush)
//   as empty, and moves R only from the value it loaded (compare-exchange):
//   a flush between its loads and its advance wins, so R never passes W.
//   A refill that straddles a flush may play one buffer of stale samples.
class SampleRing {
 public:
  static constexpr uint32_t kBytes = 2097152;  // 2 MiB
  static constexpr uint32_t kSamples = kBytes / 2;
  static constexpr uint32_t kMask = kBytes - 1;

  SampleRing();
  SampleRing(const SampleRing&) = delete;
  SampleRing& operator=(const SampleRing&) = delete;

  // --- producer side -------------------------------------------------
  // Bytes that can be written now without overwriting unread data.
  uint32_t FreeBytes() const;
  // Copies len bytes at W (wrapping) and advances W. Does not check space:
  // the producer asks FreeBytes first.
  void Write(const void* data, uint32_t len);
  // In-place conversion: the producer stores samples at ring sample index
  // (W/2 + k) mod kSamples through SampleSlot, then publishes them with
  // CommitWrite.
  int16_t& SampleSlot(uint32_t sampleIndex) { return samples_[sampleIndex % kSamples]; }
  void CommitWrite(uint32_t len);

  // --- consumer side -------------------------------------------------
  uint32_t ReadCounter() const { return read_.load(std::memory_order_acquire); }
  uint32_t WriteCounter() const { return write_.load(std::memory_order_acquire); }
  // W - R: bytes waiting (R loaded first; 0 for a snapshot torn by a flush).
  uint32_t AvailableBytes() const;
  // The sample at ring sample index i (wraps at kSamples).
  int16_t Sample(uint32_t sampleIndex) const { return samples_[sampleIndex % kSamples]; }
  void AdvanceRead(uint32_t bytes);
  // R <- from + bytes, unless R is no longer `from` (a flush moved it).
  bool AdvanceReadFrom(uint32_t from, uint32_t bytes);
  // R <- min(R + bytes, W) as the equalizer does at the end of a block.
  void AdvanceReadCapped(uint32_t bytes);

  // --- both counters ---------------------------------------------------
  void ResetCounters() { SetBothCounters(0); }
  void SetBothCounters(uint32_t byteCounter);  // W first, then R
  // Moves W back to `byteCounter` (not below R): the unread samples after it
  // are dropped. The producer is idle and the consumer kept out meanwhile,
  // or it may still read what was dropped.
  void SetWriteCounter(uint32_t byteCounter) { write_.store(byteCounter, std::memory_order_release); }

  // "No more data will come": set by the plug-in's IsPlaying call.
  std::atomic<bool> decoderFinished{false};

 private:
  int16_t* samples_;  // kSamples entries, owned
  std::atomic<uint32_t> write_{0};
  std::atomic<uint32_t> read_{0};

 public:
  ~SampleRing();
};
