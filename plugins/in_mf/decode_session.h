// One playback of one file: the decoding thread and the state it shares
// with the host's threads.
//
// Ownership: the plug-in holds one shared_ptr, the decoding thread another,
// and the thread holds a reference on the DLL that it drops with
// FreeLibraryAndExitThread. A thread that outlives a Stop whose wait ran out
// (a decoder stuck inside Media Foundation) therefore still works on valid
// state in a loaded DLL, and ends by itself.
//
// Threading: Start, Go and Stop come from the thread that runs the host's
// Play and Stop; SetPaused, RequestSeek and the getters from any host
// thread. stop_, paused_, seek_ms_ and reached_end_ are atomics; the results
// of opening (info_, trim_, open_ok_) are written by the decoding thread
// before it sets opened_event_ and read by others only after that.
#pragma once
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "common/plugin_api.h"
#include "framework/unique_handle.h"
#include "plugins/in_mf/decoder_trim.h"

class MfAudioReader;

struct StreamInfo {
  int sample_rate = 0;
  int channels = 0;
  int bitrate_kbps = 0;
  int length_ms = -1;  // -1: unknown
};

class DecodeSession : public std::enable_shared_from_this<DecodeSession> {
 public:
  // previous: the file that played to its end right before this one (empty
  // if none); when the two are files of an MP3 gapless set, decoding starts
  // in the previous file's last frames (mp3_carry.h).
  DecodeSession(In_Module* module, std::wstring path, std::wstring previous = std::wstring());
  ~DecodeSession();
  DecodeSession(const DecodeSession&) = delete;
  DecodeSession& operator=(const DecodeSession&) = delete;

  // Starts the decoding thread and waits (bounded) until it has opened the
  // file. false: not playable; the thread is already told to stop.
  bool Start();
  const StreamInfo& info() const { return info_; }
  // The host's output is open: start writing to it.
  void Go(Out_Module* output);
  // Ends the thread: sets the stop flag and waits a bounded time.
  void Stop();

  void SetPaused(bool paused) { paused_ = paused; }
  // Seeks on the decoding thread, which flushes the output to ms.
  void RequestSeek(int ms) { seek_ms_ = ms < 0 ? 0 : ms; }
  int pending_seek_ms() const { return seek_ms_; }
  // The file played to its end: the host was told.
  bool reached_end() const { return reached_end_; }

 private:
  struct ThreadStart;
  static DWORD WINAPI ThreadMain(void* start);
  void Run();
  // Decodes from the first block (read while opening) to the end.
  void Decode(MfAudioReader& reader, std::vector<int16_t> first_block, int64_t first_stamp);
  // Writes frames to the output in blocks the host's output accepts; false
  // when a stop or a seek interrupted the wait for room.
  bool WriteFrames(const int16_t* pcm, int64_t frames);
  // At the end of the data: waits for the output to finish and tells the
  // host. true: a seek came meanwhile and decoding goes on.
  bool FinishOrResume();
  bool Interrupted() const { return stop_ || seek_ms_ >= 0; }

  In_Module* const module_;
  const std::wstring path_;
  const std::wstring previous_;
  Out_Module* output_ = nullptr;  // set by Go before go_event_
  UniqueHandle thread_;
  UniqueHandle opened_event_;
  UniqueHandle go_event_;
  UniqueHandle stop_event_;
  std::atomic<bool> stop_{false};
  std::atomic<bool> paused_{false};
  std::atomic<int> seek_ms_{-1};
  std::atomic<bool> open_ok_{false};
  std::atomic<bool> reached_end_{false};
  StreamInfo info_;
  DecoderTrim trim_;
  int64_t position_frames_ = 0;  // decoding thread only
  std::vector<int16_t> chunk_;   // decoding thread only
};
