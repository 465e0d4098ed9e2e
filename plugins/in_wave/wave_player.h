// One playback of in_wave.dll: opens and parses the file, opens the host's
// output and runs the decoding thread that feeds it.
#pragma once
#include <windows.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <string>

#include "common/plugin_api.h"
#include "framework/unique_handle.h"
#include "plugins/in_wave/wav_format.h"
#include "plugins/common/win_file_source.h"

class WavePlayer {
 public:
  explicit WavePlayer(In_Module& module) : module_(module), wake_(::CreateEventA(nullptr, FALSE, FALSE, nullptr)) {}
  WavePlayer(const WavePlayer&) = delete;
  WavePlayer& operator=(const WavePlayer&) = delete;

  // 0 when the file plays, non-zero when it cannot (nothing is left open).
  // A playback still running is stopped first.
  int Play(const char* path);
  // Ends the playback: joins the decoding thread, closes the file and the
  // output. Harmless when nothing plays.
  void Stop();

  void Pause();
  void UnPause();
  bool IsPaused() const { return paused_.load(); }
  void RequestSeek(int ms);

  int LengthMs() const { return lengthMs_.load(); }
  int OutputTimeMs() const;
  void SetVolume(int volume);
  void SetPan(int pan);
  // Path and length of the playing file; false when nothing plays.
  bool PlayingFile(std::string* path, int* lengthMs) const;

 private:
  static DWORD WINAPI ThreadMain(void* self);
  void Decode();
  enum class WriteResult { kWritten, kInterrupted, kFailed };
  // Hands len bytes to the output in pieces no larger than CanWrite allows,
  // waiting while the output is full or the playback is paused.
  WriteResult WriteAll(const char* data, int len);
  bool Interrupted() const { return stopRequested_.load() || seekMs_.load() >= 0; }
  // Decoding thread: sleeps up to `ms`, less when a request comes (wake_).
  void Wait(DWORD ms);
  void StopLocked();

  In_Module& module_;

  // Play, Stop and the end of the file are serialised by control_; the
  // fields below it are written only under it, with no thread running.
  std::mutex control_;
  UniqueHandle thread_;
  DWORD threadId_ = 0;
  std::unique_ptr<WinFileSource> source_;  // read only by the decoding thread while it runs
  wav::WavFormat format_;                  // immutable while the thread runs
  HWND notifyWindow_ = nullptr;            // hMainWindow at Play
  // dsp_dosamples at Play (the host fills it before calling Play).
  int(MELODEK_PLUGIN_CALL* dsp_)(short*, int, int, int, int) = nullptr;

  // The output of the playback, read by host threads (Pause, volume) too.
  std::atomic<Out_Module*> output_{nullptr};
  // Requests from the host's threads to the decoding thread.
  std::atomic<bool> stopRequested_{false};
  std::atomic<bool> paused_{false};
  std::atomic<int> seekMs_{-1};  // -1: no seek pending
  // Set (auto-reset) with every request above: the waiting thread looks at
  // them at once. Made with the player, closed with it.
  UniqueHandle wake_;
  std::atomic<int> lengthMs_{0};

  mutable std::mutex info_;  // guards playingPath_ (GetFileInfo may come from any thread)
  std::string playingPath_;
};
