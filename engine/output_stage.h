// The portable heart of the wave output: the sample ring fed by the plug-in,
// volume and file gain, pause, the refill of device buffers, end-of-file
// detection with the drain of the last buffers, and the playing position.
// For gapless playback the ring carries several files one after another:
// each is a segment starting at a ring position, with its own gain, and
// becomes the one heard when the device reaches its first sample.
#pragma once
#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <vector>

#include "engine/gain_plan.h"
#include "engine/pcm_converter.h"
#include "engine/replay_gain.h"
#include "engine/sample_ring.h"

// The equalizer path of the refill; implemented by the equalizer stage.
class EqualizerPath {
 public:
  virtual ~EqualizerPath() = default;
  virtual bool Active() const = 0;   // a curve with points is applied
  // Writes exactly `samples` equalized samples (16-bit stereo interleaved) to dst,
  // consuming the ring; each sample is scaled by the plan's multiplier at
  // its ring position (all 0 while muted).
  virtual void Fill(SampleRing& ring, const GainPlan& gains, int16_t* dst, uint32_t samples) = 0;
  virtual void Reset() = 0;          // before a new file starts
  // The ring byte position of the next stream sample it will deliver.
  virtual uint32_t NextStreamByte(const SampleRing& ring) const = 0;
  // While off: how many more bytes from ring position `read` the plain path
  // may play before the equalizer must take over (a queued file's curve
  // starts at its block); then Activate. Unlimited: UINT32_MAX.
  virtual uint32_t PlainBytesBefore(uint32_t read) const = 0;
  virtual void Activate() = 0;
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
  kFadeOut,  // refilled with the fade-out of a stop: write its first FadeOutBytes() again
  kIdle,     // the end drain goes on: leave it idle
  kDrained,  // it was the last one: call FinishDrain outside any device lock
};

// Threads (the "refill side" is one consumer at a time: the device owner's
// refill thread, or the thread opening the device while the owner keeps its
// refill thread out):
//   decoder thread : Write, CanWrite, IsPlaying, Flush (the plug-in's calls)
//   refill side    : FillOutputBuffer, FillPlain, StartBuffer, OnBufferDone,
//                    BufferLost, FinishDrain, Abandon
//   player thread  : Reset, TogglePause, SetVolume, SetFileGain, SetLoudness, Mute,
//                    MarkStopped, SetEqualizer, SetGaplessHold,
//                    ReleaseEndHold; Configure and BeginDevice from whichever
//                    thread opens the device, before the first buffer is
//                    queued and before the plug-in writes; AppendSegment
//                    from whichever thread opens the output of a queued
//                    file, while no decoder writes
//   refill side    : also NoteNowPlaying; DropQueuedSegments with the
//                    refill side kept out (the device owner's lock)
//   any thread     : PositionMs and the state getters
// Every field shared between them is atomic, except the segments, which are
// guarded by segmentLock_; the ring has its own contract.
class OutputStage {
 public:
  static constexpr int32_t kUnity = 16384;
  static constexpr int32_t kMaxVolume = 32768;
  static constexpr int32_t kMaxFileGain = 16384;
  // Room for a quiet file's loudness gain on top of the volumes; every
  // path saturates the scaled samples, so any multiplier is safe.
  static constexpr int32_t kMaxMultiplier = kUnity * 64;
  // A file's loudness factor (LoudnessFixedPoint): fine enough for 0.01 dB
  // steps at any level.
  static constexpr int32_t kLoudnessUnity = ::kLoudnessUnity;
  static constexpr int32_t kMaxLoudness = ::kMaxLoudness;
  static constexpr uint32_t kDefaultBufferCount = 2;
  static constexpr uint32_t kMaxRate = 768000;
  // How long Write waits for ring space a plug-in did not ask for with CanWrite.
  static constexpr uint32_t kDefaultWriteWaitMs = 300;

  enum EndState : int32_t { kRunning = 0, kNaturalEnd = 1, kStopped = 2 };
  static constexpr int kMaxSegments = GainPlan::kMaxSwitches;

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
  // equalizer's carried samples dropped; one segment, `token`, with the
  // current file gain.
  void Reset(uint32_t token = 0);
  void TogglePause() { paused_.store(!paused_.load()); }
  void SetVolume(int32_t value);    // clamped to 0..32768
  void SetFileGain(int32_t value);  // clamped to -16384..16384
  // The heard file's loudness factor (ReplayGain), clamped to 0..kMaxLoudness.
  void SetLoudness(int32_t value);
  // First step of a stop: the next refill fades the stream out over
  // kFadeOutFrames (no click where it is cut), every later one carries
  // silence.
  void Mute() { muted_.store(true); }
  // The host's stop: muted, end state 2; the buffers out drain silently,
  // the first one back carrying the fade-out unless a refill did.
  void MarkStopped();
  static constexpr uint32_t kFadeOutFrames = 256;
  static constexpr uint32_t FadeOutBytes() { return kFadeOutFrames * 4; }
  void SetEqualizer(EqualizerPath* path) { equalizer_.store(path); }
  // Runs on the refill thread when the last buffer of a file came back, so
  // the engine can forget its current path.
  void SetDrainedCallback(std::function<void()> callback) { drained_ = std::move(callback); }
  // Runs when the newest segment's plug-in has delivered everything (the
  // first IsPlaying after its last Write) and no more than kQueueLeadMs of
  // the stream is left to play, with that segment's token: the moment to
  // queue the next file. On the decoder thread, or later on the refill side.
  // Until then the plug-in stays, so a seek in its file stays cheap.
  void SetDecoderDoneCallback(std::function<void(uint32_t token)> callback) {
    decoderDone_ = std::move(callback);
  }
  // While on, the end of the stream is not declared between a decoder's
  // "done" and the answer to it (AppendSegment or ReleaseEndHold): a short
  // file's end must not close the stream while the next one is being queued.
  // A hold nobody answers ends after kMaxEndHoldMs of silence.
  void SetGaplessHold(bool on) { gaplessHold_.store(on); }
  void ReleaseEndHold() { endHeld_.store(false); }
  static constexpr uint32_t kMaxEndHoldMs = 2000;
  static constexpr uint32_t kQueueLeadMs = 5000;

  // --- segments (gapless) --------------------------------------------------
  // A queued file: its samples start at the ring's write position. The
  // caller has configured the format (same rate as the device). False when
  // kMaxSegments are queued already.
  bool AppendSegment(uint32_t token, int32_t fileGain, int32_t loudness = kLoudnessUnity);
  // Drops the queued segments none of whose samples was read yet, with
  // their samples (the write position moves back to the first one's start);
  // the newest remaining segment's decoder counts as done again. Returns how
  // many were dropped. Refill side kept out.
  int DropQueuedSegments();
  // The refill side tells which stream position the buffer the device plays
  // now ends at; each queued segment starting before it becomes the one
  // heard, and `heard(token)` is called for it, oldest first.
  void NoteNowPlaying(uint32_t streamEnd, const std::function<void(uint32_t token)>& heard);
  // The tokens of the segments in the ring: the heard one first, then
  // those queued behind it.
  std::vector<uint32_t> SegmentTokens() const;
  // The ring byte position after the last stream sample of the last refill
  // (for NoteNowPlaying); refill side.
  uint32_t LastFillStreamEnd() const { return lastFillStreamEnd_; }
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
  // A seek in the newest segment: what it wrote is dropped and its
  // position restarts at t ms. When that segment is being read already,
  // everything unread goes (both counters move to the write position);
  // while it waits behind the heard file, only its own samples go.
  void Flush(int ms);
  void SetWriteWaitLimit(uint32_t ms) { writeWaitMs_ = ms; }

  // --- refill side -------------------------------------------------------
  // Refills a device buffer of `bytes` bytes; returns bytes.
  uint32_t FillOutputBuffer(int16_t* dst, uint32_t bytes);
  // Volume-scaled copy of up to `samples` ring samples, zero padded.
  void FillPlain(int16_t* dst, uint32_t samples);
  void FillPlain(int16_t* dst, uint32_t samples, const GainPlan& gains);
  // Each segment's multiplier at its start (all 0 while muted, unless
  // `ownGains`).
  GainPlan CurrentGainPlan(bool ownGains = false) const;
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
  // Milliseconds of the heard file handed to the refills since its start
  // or from the flush position (not beyond the next file's start).
  uint32_t PositionMs() const;
  int32_t Volume() const { return volume_.load(); }
  int32_t FileGain() const { return fileGain_.load(); }
  bool EndHeld() const { return endHeld_.load(); }
  int32_t Multiplier() const { return multiplier_.load(); }
  int32_t EndStateNow() const { return endState_.load(); }
  int32_t DrainCount() const { return drain_.load(); }
  bool Active() const { return active_.load(); }
  bool Paused() const { return paused_.load(); }
  bool Muted() const { return muted_.load(); }
  SampleRing& Ring() { return ring_; }
  const SampleRing& Ring() const { return ring_; }

 private:
  struct Segment {
    uint32_t token = 0;
    uint32_t start = 0;   // ring byte position of its first sample
    uint32_t base = 0;    // ring byte position of its time 0 (moved by a seek)
    int32_t fileGain = 0;
    int32_t loudness = kLoudnessUnity;
  };

  void RecomputeMultiplier();
  int32_t MultiplierOf(int32_t fileGain, int32_t loudness) const;
  void NoteEmptyFillLocked(uint32_t bytes);
  // Calls decoderDone_ once the stream left to play is within kQueueLeadMs.
  void NoticeDoneWhenNear();
  // The refill proper: `samples` of the stream (or silence) at `gains`.
  void FillStream(int16_t* dst, uint32_t samples, const GainPlan& gains);
  // The stream's next samples at their own gains, faded to silence.
  void FillFadeOut(int16_t* dst, uint32_t samples);
  // Converts `frames` whole frames into the ring, waiting for space.
  void WriteFrames(const uint8_t* src, uint32_t frames, uint32_t& waitedMs);
  bool WaitForSpace(uint32_t& waitedMs) const;

  SampleRing ring_;

  // Player thread writes; refill thread reads M.
  std::atomic<int32_t> volume_{kUnity};
  std::atomic<int32_t> fileGain_{0};
  std::atomic<int32_t> loudness_{kLoudnessUnity};
  std::atomic<int32_t> multiplier_{0};  // 0 until the first SetVolume / SetFileGain

  std::atomic<int32_t> endState_{kRunning};   // refill: 0->1; player: 2 and 0
  std::atomic<int32_t> drain_{kDefaultBufferCount};  // refill thread counts down
  std::atomic<bool> active_{false};           // refill sets and clears; all read
  std::atomic<bool> paused_{false};
  std::atomic<bool> muted_{false};
  std::atomic<bool> fadedOut_{false};  // refill side sets, Reset clears
  std::atomic<EqualizerPath*> equalizer_{nullptr};
  std::function<void()> drained_;  // set before playback starts
  std::function<void(uint32_t)> decoderDone_;  // set before playback starts
  std::atomic<bool> gaplessHold_{false};  // player thread sets
  std::atomic<bool> endHeld_{false};      // decoder sets, player / refill clear
  std::atomic<bool> doneNoticeDue_{false};  // decoder sets, refill side clears when it calls decoderDone_
  uint32_t heldSilenceBytes_ = 0;         // refill side: silence played while held

  // --- guarded by segmentLock_: [0] is heard, the rest queued in order.
  mutable std::mutex segmentLock_;
  std::array<Segment, kMaxSegments> segments_{};
  int segmentCount_ = 1;

  uint32_t lastFillStreamEnd_ = 0;  // refill side only

  // The plug-in's format: written before the plug-in writes (Configure);
  // the rate is read by PositionMs from any thread.
  std::atomic<uint32_t> rate_{44100};
  PcmConverter converter_;  // decoder thread after Configure

  // Decoder thread only: the partial frame of the last Write.
  uint8_t carry_[PcmConverter::kMaxBytesPerFrame] = {};
  uint32_t carryBytes_ = 0;
  uint32_t writeWaitMs_ = kDefaultWriteWaitMs;
};
