// A host for in_mf.dll in the tests: loads the DLL like a player does, fills
// the host members of In_Module and gives it an output that records what
// the plug-in writes (PCM, flushes, open and close calls). The output's
// CanWrite answers from a byte budget the test controls, IsPlaying answers
// 0, and the plug-in's end-of-file message arrives at a window of the test
// thread.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "common/plugin_api.h"

struct FlushRecord {
  int ms;
  size_t sample_index;  // recorded samples before the flush
};

struct OutputRecord {
  int open_calls = 0;
  int close_calls = 0;
  int sample_rate = 0, channels = 0, bits = 0;
  std::vector<int16_t> pcm;         // everything written, interleaved
  std::vector<FlushRecord> flushes;
  int64_t dsp_frames = 0;           // frames passed through dsp_dosamples
  int64_t written_frames = 0;       // frames written
};

namespace fake_host {

// Loads in_mf.dll once (from the build's melodek/Plugins folder); the
// module stays loaded for the test run. nullptr when it cannot be loaded.
In_Module* Plugin();

// Clears the record and sets the budget: bytes the output accepts from now
// on (-1: unlimited). Open fails with a negative latency when fail_open.
void ResetOutput(int64_t budget = -1, bool fail_open = false);
void AddBudget(int64_t bytes);
OutputRecord Output();  // a copy, taken under the output's lock

// Pumps the test thread's messages until the end-of-file message arrives or
// the wait (a guard against hangs, not a timing check) runs out.
bool WaitForEndOfFile(DWORD limit_ms = 60000);
// Waits until the recorded frames reach count (or the guard runs out).
bool WaitForFrames(int64_t count, DWORD limit_ms = 60000);
bool WaitForFlushes(size_t count, DWORD limit_ms = 60000);
// Drops end-of-file messages left from an earlier playback.
void DrainMessages();

// Folder of the generated media, ending in a back slash.
std::string MediaPath(const std::string& name);

}  // namespace fake_host
