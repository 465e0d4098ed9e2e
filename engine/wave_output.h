// The wave-out device behind the output stage: opens it as 16-bit stereo,
// keeps its buffers circulating from a refill thread of its own, and posts
// UM_TRACK_END when a file has drained at its natural end.
#pragma once
#include <windows.h>
#include <mmsystem.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "engine/output_stage.h"
#include "framework/unique_handle.h"

// Threads
//   Open, AppendStream: any thread (the plug-in's Play on the player thread,
//   or its decoding thread). Close, DropQueuedFiles and the stage's
//   player-side calls: player thread.
//   The refill thread handles every returned buffer. The device only signals
//   an event (CALLBACK_EVENT): waveOut functions must not be called from
//   inside a waveOut callback (see waveOutProc), so the callback does no work.
//   deviceLock_ guards device_ and buffers_ between Open/Close and the refill
//   thread; the drained callback and the UM_TRACK_END post run outside it.
class CWaveOutput {
 public:
  static constexpr int kBufferCount = 2;
  static constexpr int kBufferBytes = 32768;

  CWaveOutput();
  ~CWaveOutput();
  CWaveOutput(const CWaveOutput&) = delete;
  CWaveOutput& operator=(const CWaveOutput&) = delete;

  // Opens the wave mapper as 16-bit stereo at `rate` for PCM of the given
  // format, allocates `count` buffers of `size` bytes (size 0: one second)
  // and queues them all, filled from the ring: at once when the ring already
  // holds what the first refills need (or the output is paused), otherwise
  // from the refill thread as soon as it does, or after 150 ms with what
  // there is.
  // Returns the device latency in ms, or -1 when the format is not supported
  // or no device could be opened; the output then stays inactive. A device
  // still open from the previous file is closed first.
  int Open(int rate, int channels, int bits, int count = kBufferCount, int size = kBufferBytes);
  // Closes the device and frees the buffers; both ring counters return to 0.
  // Meant for an idle output; buffers still out are recalled first.
  void Close();
  // Gapless playback: the output of a file queued behind the one playing,
  // whose decoder has delivered everything. With the device open at the
  // same rate, the new file's samples follow in the same ring and stream (a
  // new segment `token` with its file gain and loudness; `start` gets the ring position
  // of its first sample) and the device latency is returned; otherwise -1
  // and nothing changes: the caller lets the playing file end as usual.
  int AppendStream(int rate, int channels, int bits, uint32_t token, int32_t fileGain,
                   int32_t loudness, uint32_t& start);
  // Drops the queued files none of whose samples was played yet, with the
  // refill kept out; returns how many.
  int DropQueuedFiles();

  // True from the first filled buffer until the last one came back after an
  // end or a stop: the host's stop waits for this to clear.
  bool IsActive() const { return stage_.Active(); }
  uint32_t PositionMs() const { return stage_.PositionMs(); }
  // The thread that gets UM_TRACK_END, UM_DECODER_DONE and UM_FILE_HEARD
  // (0 = nobody).
  void SetNotifyThread(DWORD threadId) { notifyThread_.store(threadId); }
  // Buffers at the device right now.
  int QueuedBuffers() const;

  OutputStage& Stage() { return stage_; }
  const OutputStage& Stage() const { return stage_; }

 private:
  struct Buffer {
    WAVEHDR header{};
    std::unique_ptr<int16_t[]> data;
    bool queued = false;
    uint32_t order = 0;  // queue order, to serve returns oldest first
    uint32_t streamEnd = 0;  // ring position after the last stream sample it holds
  };

  void RefillLoop();
  // Serves every buffer the device has returned; true when a drain finished.
  bool ServeReturnedBuffersLocked();
  // Prepares and writes a filled buffer (its first `bytes`, 0: all of it);
  // false when the device refused it.
  bool QueueLocked(Buffer& buffer, uint32_t bytes = 0);
  // The oldest buffer still at the device is the one playing: a queued
  // file starting in it is heard now.
  void NoteNowPlayingLocked();
  void Notify(uint32_t message, uint32_t token) const;
  // The first buffers go out once the ring holds enough for all of them, the
  // decoder is done, playback is paused, or a short wait has passed.
  bool PrimeReadyLocked() const;
  // Fills and queues every buffer; false (device closed) when none was taken.
  bool PrimeLocked();
  void CloseDeviceLocked();

  OutputStage stage_;
  UniqueHandle wake_;  // auto-reset event the device signals on every return

  mutable std::mutex deviceLock_;
  UniqueWaveOut device_;
  std::vector<Buffer> buffers_;  // sized at Open, never while buffers are out
  uint32_t bufferBytes_ = 0;
  uint32_t nextOrder_ = 0;
  bool priming_ = false;   // the buffers wait for the first samples
  DWORD primeStart_ = 0;

  std::atomic<bool> primingPending_{false};  // mirrors priming_ for the refill loop's wait

  std::atomic<DWORD> notifyThread_{0};
  std::atomic<bool> quit_{false};
  std::thread refillThread_;
};
