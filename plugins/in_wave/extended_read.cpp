// in_wave.dll's extended read: the file's samples without playing them, in
// the file's own width (float files as 32-bit integers, as in playback).
// One thread at a time per handle; handles are checked against the open ones.
#include <windows.h>

#include <algorithm>
#include <climits>
#include <memory>
#include <mutex>
#include <set>
#include <string>

#include "common/plugin_api.h"
#include "plugins/common/win_file_source.h"
#include "plugins/in_wave/wav_format.h"
#include "plugins/in_wave/wav_samples.h"

namespace {

struct WavReader {
  WinFileSource source;
  wav::WavFormat format;
  uint64_t frame = 0;
};

std::mutex g_handlesLock;
std::set<WavReader*> g_handles;  // guarded by g_handlesLock

template <typename Path>
intptr_t OpenReader(const Path& path, int* size, int* bps, int* nch, int* srate) {
  auto reader = std::make_unique<WavReader>();
  if (!reader->source.Open(path) || wav::ParseWav(reader->source, &reader->format) != wav::ParseResult::kOk) return 0;
  const wav::WavFormat& f = reader->format;
  const uint64_t bytes = f.frameCount * f.frameBytes;
  if (size) *size = bytes <= INT_MAX ? static_cast<int>(bytes) : -1;
  if (bps) *bps = f.bitsPerSample;
  if (nch) *nch = f.channels;
  if (srate) *srate = static_cast<int>(f.sampleRate);
  std::lock_guard<std::mutex> lock(g_handlesLock);
  return reinterpret_cast<intptr_t>(*g_handles.insert(reader.release()).first);
}

}  // namespace

extern "C" __declspec(dllexport) intptr_t MELODEK_PLUGIN_CALL winampGetExtendedRead_open(const char* file, int* size,
                                                                                        int* bps, int* nch,
                                                                                        int* srate) {
  return file && *file ? OpenReader(file, size, bps, nch, srate) : 0;
}

extern "C" __declspec(dllexport) intptr_t MELODEK_PLUGIN_CALL winampGetExtendedRead_openW(const wchar_t* file,
                                                                                         int* size, int* bps,
                                                                                         int* nch, int* srate) {
  return file && *file ? OpenReader(std::wstring(file), size, bps, nch, srate) : 0;
}

extern "C" __declspec(dllexport) intptr_t MELODEK_PLUGIN_CALL winampGetExtendedRead_getData(intptr_t handle,
                                                                                           char* dest, size_t len,
                                                                                           int* killswitch) {
  auto* reader = reinterpret_cast<WavReader*>(handle);
  {
    std::lock_guard<std::mutex> lock(g_handlesLock);
    if (!dest || g_handles.count(reader) == 0) return 0;
  }
  if (killswitch && *killswitch) return 0;
  const wav::WavFormat& f = reader->format;
  const uint64_t want = std::min<uint64_t>(std::min<size_t>(len, INT_MAX) / f.frameBytes, f.frameCount - reader->frame);
  const size_t bytes = reader->source.ReadAt(f.dataOffset + reader->frame * f.frameBytes, dest,
                                             static_cast<size_t>(want * f.frameBytes));
  const size_t frames = bytes / f.frameBytes;
  reader->frame = frames < want ? f.frameCount : reader->frame + frames;  // a short read ends the file
  if (f.kind == wav::SampleKind::kFloat) {
    wav::FloatToInt32(reinterpret_cast<const uint8_t*>(dest), reinterpret_cast<int32_t*>(dest), frames * f.channels);
  }
  return static_cast<intptr_t>(frames * f.frameBytes);
}

extern "C" __declspec(dllexport) void MELODEK_PLUGIN_CALL winampGetExtendedRead_close(intptr_t handle) {
  auto* reader = reinterpret_cast<WavReader*>(handle);
  {
    std::lock_guard<std::mutex> lock(g_handlesLock);
    if (g_handles.erase(reader) == 0) return;
  }
  delete reader;
}
