// A stand-in for Melodek's plug-in host in the plug-in tests: fills an
// In_Module's host members and records every call the plug-in makes to its
// output, with a CanWrite budget the test controls.
#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "common/plugin_api.h"

struct OpenCall {
  int rate, channels, bits, bufferMs, prebufferMs;
  DWORD thread;
};
struct FlushCall {
  int ms;
  size_t writtenBefore;  // bytes written before the flush
};
struct DspCall {
  int frames, bits, channels, rate;
};

enum class DspMode { kPassThrough, kHalf };

// All plug-in calls land in one instance (the output's members are plain
// functions). The recorded state is guarded by one mutex; the test reads it
// through the snapshot accessors.
class FakeHost {
 public:
  static FakeHost& Instance();

  // Forgets all records and restores the defaults: Open returns 0, CanWrite
  // answers at most 4096 bytes, no budget limit, pass-through DSP.
  void Reset();
  // Writes every host member of module, as the real host does before Play.
  void Attach(In_Module* module, HINSTANCE instance);

  void SetOpenResult(int result);
  void SetCanWriteChunk(int bytes);
  // Total bytes the output accepts; CanWrite answers 0 once they are
  // written. -1: no limit.
  void SetBudget(int64_t bytes);
  void SetDspMode(DspMode mode);

  std::vector<uint8_t> Written();
  size_t WrittenSize();
  std::vector<OpenCall> Opens();
  std::vector<FlushCall> Flushes();
  std::vector<DspCall> DspCalls();
  std::vector<int> PauseCalls();
  int CloseCount();
  int IsPlayingCount();
  int CanWriteCount();
  // Writes larger than the CanWrite answer before them, or not whole frames.
  int Overruns();
  int MisalignedWrites();

  // Polls pred (every 2 ms) until it holds or timeoutMs pass.
  static bool WaitFor(const std::function<bool()>& pred, int timeoutMs = 20000);
  // Waits for the plug-in's end-of-file message to the main window.
  bool WaitForEndMessage(int timeoutMs = 20000);
  HWND Window() const { return window_; }

 private:
  FakeHost();
  static int MELODEK_PLUGIN_CALL Open(int rate, int channels, int bits, int bufferMs, int prebufferMs);
  static void MELODEK_PLUGIN_CALL Close();
  static int MELODEK_PLUGIN_CALL Write(char* buf, int len);
  static int MELODEK_PLUGIN_CALL CanWrite();
  static int MELODEK_PLUGIN_CALL IsPlaying();
  static int MELODEK_PLUGIN_CALL Pause(int pause);
  static void MELODEK_PLUGIN_CALL Flush(int ms);
  // Nothing is ever heard: the position is where the last Flush put it.
  static int MELODEK_PLUGIN_CALL OutputTime();
  static int MELODEK_PLUGIN_CALL DspDoSamples(short* samples, int frames, int bits, int channels, int rate);

  std::mutex mutex_;
  int openResult_ = 0;
  int canWriteChunk_ = 4096;
  int64_t budget_ = -1;
  DspMode dspMode_ = DspMode::kPassThrough;
  int frameBytes_ = 0;       // from the last Open
  int lastCanWrite_ = 0;     // answer of the last CanWrite, less what was written since
  std::vector<uint8_t> written_;
  std::vector<OpenCall> opens_;
  std::vector<FlushCall> flushes_;
  std::vector<DspCall> dspCalls_;
  std::vector<int> pauseCalls_;
  int closeCount_ = 0;
  int isPlayingCount_ = 0;
  int canWriteCount_ = 0;
  int overruns_ = 0;
  int misaligned_ = 0;

  Out_Module out_ = {};
  HWND window_ = nullptr;  // message-only; receives the end-of-file message
};

// Test files in a private temporary folder, removed at exit.
std::string TestFolder();
// A path in that folder (deleted at exit too), for files others write.
std::string TestPath(const std::string& name);
std::string WriteTestFile(const std::string& name, const std::vector<uint8_t>& bytes);
std::string WriteTestFile(const std::string& name, const std::string& text);
// Path of a file built next to this test, given relative to the test's folder.
std::string BuiltFile(const char* relativePath);
