// The portable heart of the wave output: the sample ring fed by the plug-in,
// volume and file gain, pause, the refill of device buffers, end-of-file
// detection with the drain of the last buffers, and the playing position.
#pragma once
#include <atomic>
#include <cstdint>
#include <functional>

#include "engine/pcm_converter.h"
#include "engine/sample_ring.h"

// The equalizer path of the refill; implemented by the equalizer stage.
class EqualizerPath {
 public:
  virtual ~EqualizerPath() = default;
  virtual bool Active() const = 0;   // a curve with points is applied
  // Writes exactly `samples` equalized samples (16-bit stereo interleaved) to dst,
  // consuming the ring; multiplier is M (0 while muted).
  virtual void Fill(SampleRing& ring, int32_t multiplier, int16_t* dst, uint32_t samples) = 0;
  virtual void Reset() = 0;          // before a new file starts
  // Samples of the stream already filtered but not yet delivered: the rest
  // of the last block once the ring ran empty (the end of a file).
  virtual uint32_t PendingStreamSamples() const = 0;
  // Delivers up to `samples` of them to dst without reading the ring;
  // returns how many.
  virtual uint32_t DrainPending(int16_t* dst, uint32_t samples) = 0;
};

// What the owner of the device does with a buffer that came back.
enum class BufferAction {
  kRequeue,  // it was refilled: prepare and write it again
  kIdle,     // the end drain goes on: leave it idle
  kDrained,  // it was the last one: call FinishDrain outside any device lock
};

// Threads (the "refill side" is one consumer at a time: the device owner's
// refill thread, or the thread opening the device while the owner keeps its
// refill thread out):
//   decoder thread : Write, CanWrite, IsPlaying, Flush (the plug-in's calls)
//   refill side    : FillOutputBuffer, FillPlain, StartBuffer, OnBufferDone,
//                    BufferLost, FinishDrain, Abandon
//   player thread  : Reset, TogglePause, SetVolume, SetFileGain, Mute,
//                    MarkStopped, SetEqualizer; Configure and BeginDevice
//                    from whichever thread opens the device, before the
//                    first buffer is queued and before the plug-in writes
//   any thread     : PositionMs and the state getters
// Every field shared between them is atomic; the ring has its own contract.
class OutputStage {
 public:
  static constexpr int32_t kUnity = 16384;
  static constexpr int32_t kMaxVolume = 32768;
  static constexpr int32_t kMaxFileGain = 16384;
  static constexpr int32_t kMaxMultiplier = 65536;
  static constexpr uint32_t kDefaultBufferCount = 2;
  static constexpr uint32_t kMaxRate = 768000;
  // How long Write waits for ring space a plug-in did not ask for with CanWrite.
  static constexpr uint32_t kDefaultWriteWaitMs = 300;

  enum EndState : int32_t { kRunning = 0, kNaturalEnd = 1, kStopped = 2 };

  struct Format {
    uint32_t rate = 44100;
    uint32_t channels = 2;
    uint32_t bits = 16;
  };

  OutputStage() = default;
  OutputStage(const OutputStage&) = delete;
  OutputStage& operator=(const OutputStage&) = delete;

  // --- player thread -----------------------------------------------------
  // Before a new file: running, not paused or muted, both counters 0, the
  // equalizer's carried samples dropped.
  void Reset();
  void TogglePause() { paused_.store(!paused_.load()); }
  void SetVolume(int32_t value);    // clamped to 0..32768
  void SetFileGain(int32_t value);  // clamped to -16384..16384
  // First step of a stop: from now on every refill carries silence.
  void Mute() { muted_.store(true); }
  // The host's stop: muted, end state 2; the buffers out drain silently.
  void MarkStopped();
  void SetEqualizer(EqualizerPath* path) { equalizer_.store(path); }
  // Runs on the refill thread when the last buffer of a file came back, so
  // the engine can forget its current path.
  void SetDrainedCallback(std::function<void()> callback) { drained_ = std::move(callback); }

  // --- device opening ----------------------------------------------------
  // The plug-in's format. False when it is not supported (the format stays).
  bool Configure(uint32_t rate, uint32_t channels, uint32_t bits);
  // The device is about to get `bufferCount` buffers.
  void BeginDevice(uint32_t bufferCount) { drain_.store(static_cast<int32_t>(bufferCount)); }
  Format CurrentFormat() const;
  // Bytes of 16-bit stereo per second at the current rate: the device format.
  uint32_t DeviceBytesPerSecond() const { return rate_.load() * 4; }

  // --- decoder thread: the emulated output ------------------------------
  // Converts len bytes of the plug-in's PCM into the ring. A trailing partial
  // frame waits for the next call. Data beyond the free space waits up to the
  // write wait limit for the refills to make room; what still does not fit is
  // dropped (at once after a stop). Returns 0.
  int Write(const void* data, int len);
  // Plug-in bytes that fit now, in whole frames of its format.
  int CanWrite() const;
  // "No more data will come." Always answers 0 (nothing left to wait for).
  int IsPlaying();
  // A seek: output restarts at t ms; both counters move to that frame.
  void Flush(int ms);
  void SetWriteWaitLimit(uint32_t ms) { writeWaitMs_ = ms; }

  // --- refill side -------------------------------------------------------
  // Refills a device buffer of `bytes` bytes; returns bytes.
  uint32_t FillOutputBuffer(int16_t* dst, uint32_t bytes);
  // Volume-scaled copy of up to `samples` ring samples, zero padded.
  void FillPlain(int16_t* dst, uint32_t samples);
  // True when the ring holds what the first refills of `count` buffers of
  // `bytes` each will take: all of them are filled at once, and the
  // equalizer reads a block ahead of what it delivers, so one buffer more.
  bool HoldsEnoughToStart(uint32_t bytes, uint32_t count) const {
    return ring_.AvailableBytes() >= uint64_t{bytes} * (count + 1);
  }
  // Fills a buffer queued when the device opens.
  void StartBuffer(int16_t* dst, uint32_t bytes);
  // A queued buffer came back: drain bookkeeping or a refill into dst.
  BufferAction OnBufferDone(int16_t* dst, uint32_t bytes);
  // A buffer that could not be queued again; true when it was the last one
  // out (then call FinishDrain).
  bool BufferLost();
  // After kDrained: runs the drained callback, clears active, and returns
  // true when the file ended naturally (post UM_TRACK_END then).
  bool FinishDrain();
  // The device was closed with buffers out, or never got one: idle at once.
  void Abandon() { active_.store(false); }

  // --- any thread --------------------------------------------------------
  // Milliseconds of the stream handed to the refills since the reset or from
  // the flush position.
  uint32_t PositionMs() const;
  int32_t Volume() const { return volume_.load(); }
  int32_t FileGain() const { return fileGain_.load(); }
  int32_t Multiplier() const { return multiplier_.load(); }
  int32_t EndStateNow() const { return endState_.load(); }
  int32_t DrainCount() const { return drain_.load(); }
  bool Active() const { return active_.load(); }
  bool Paused() const { return paused_.load(); }
  bool Muted() const { return muted_.load(); }
  SampleRing& Ring() { return ring_; }
  const SampleRing& Ring() const { return ring_; }

 private:
  void RecomputeMultiplier();
  // Converts `frames` whole frames into the ring, waiting for space.
  void WriteFrames(const uint8_t* src, uint32_t frames, uint32_t& waitedMs);
  bool WaitForSpace(uint32_t& waitedMs) const;

  SampleRing ring_;

  // Player thread writes; refill thread reads M.
  std::atomic<int32_t> volume_{kUnity};
  std::atomic<int32_t> fileGain_{0};
  std::atomic<int32_t> multiplier_{0};  // 0 until the first SetVolume / SetFileGain

  std::atomic<int32_t> endState_{kRunning};   // refill: 0->1; player: 2 and 0
  std::atomic<int32_t> drain_{kDefaultBufferCount};  // refill thread counts down
  std::atomic<bool> active_{false};           // refill sets and clears; all read
  std::atomic<bool> paused_{false};
  std::atomic<bool> muted_{false};
  std::atomic<EqualizerPath*> equalizer_{nullptr};
  std::function<void()> drained_;  // set before playback starts

  // The plug-in's format: written before the plug-in writes (Configure);
  // the rate is read by PositionMs from any thread.
  std::atomic<uint32_t> rate_{44100};
  PcmConverter converter_;  // decoder thread after Configure

  // Decoder thread only: the partial frame of the last Write.
  uint8_t carry_[PcmConverter::kMaxBytesPerFrame] = {};
  uint32_t carryBytes_ = 0;
  uint32_t writeWaitMs_ = kDefaultWriteWaitMs;
};
