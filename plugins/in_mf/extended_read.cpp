// in_mf.dll's extended read: a file decoded to 16-bit PCM without playing it,
// through the decoder the playback uses, with the same trim of an MP3's
// encoder delay and padding. The host calls open, getData and close from one
// thread at a time per handle; handles are checked against the open ones.
#include <windows.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "common/plugin_api.h"
#include "plugins/in_mf/file_info.h"
#include "plugins/in_mf/mf_audio_reader.h"
#include "plugins/in_mf/mf_runtime.h"
#include "plugins/in_mf/pcm_frames.h"

namespace {

class ExtendedReader {
 public:
  bool Open(const std::wstring& path) {
    const GaplessRecord gapless = ReadGaplessRecord(path);
    SourceView view;
    view.patches = gapless.mp4_source_patches;
    if (!StartMediaFoundation() || !reader_.Open(path, view)) return false;
    std::vector<int16_t> block;
    int64_t stamp = 0;
    // The first block gives the time stamp the content starts at (as in playback).
    if (reader_.Read(block, stamp) != MfAudioReader::Result::kData) return false;
    const PlayLength length = PlanPlayLength(gapless, reader_.duration_hns(), reader_.format().sample_rate);
    const int64_t origin = HnsToFrames(stamp, reader_.format().sample_rate);
    keepFrom_ = origin + length.trim.lead_frames;
    keepUntil_ = length.trim.content_frames >= 0 ? keepFrom_ + length.trim.content_frames : -1;
    contentFrames_ = length.trim.content_frames;
    if (contentFrames_ < 0 && reader_.duration_hns() > 0) {
      contentFrames_ = HnsToFrames(reader_.duration_hns(), reader_.format().sample_rate);
    }
    Keep(block, stamp);
    return true;
  }

  const PcmFormat& format() const { return reader_.format(); }
  int64_t contentFrames() const { return contentFrames_; }

  // Up to `bytes` bytes of whole frames; 0 at the end or on a request to stop.
  size_t Read(char* dest, size_t bytes, const int* killswitch) {
    const size_t frameBytes = 2 * static_cast<size_t>(format().channels);
    const size_t want = bytes / frameBytes * frameBytes;
    size_t done = 0;
    while (done < want) {
      if (killswitch && *killswitch) break;
      if (pendingAt_ == pending_.size()) {
        if (ended_ || !Decode()) break;
        continue;
      }
      const size_t take = std::min(want - done, (pending_.size() - pendingAt_) * 2);
      std::memcpy(dest + done, pending_.data() + pendingAt_, take);
      pendingAt_ += take / 2;
      done += take;
    }
    return done;
  }

 private:
  bool Decode() {
    std::vector<int16_t> block;
    int64_t stamp = 0;
    if (reader_.Read(block, stamp) != MfAudioReader::Result::kData) {
      ended_ = true;
      return false;
    }
    Keep(block, stamp);
    return true;
  }

  // Blocks after the first follow on by count, so rounded stamps open no gaps.
  void Keep(const std::vector<int16_t>& block, int64_t stamp) {
    const int channels = format().channels;
    const int64_t frames = static_cast<int64_t>(block.size()) / channels;
    const int64_t start = nextFrame_ >= 0 ? nextFrame_ : HnsToFrames(stamp, format().sample_rate);
    if (frames > 0) nextFrame_ = start + frames;
    const FrameSpan span = KeepFrames(start, frames, keepFrom_, keepUntil_);
    pending_.assign(block.begin() + span.skip * channels, block.begin() + (span.skip + span.count) * channels);
    pendingAt_ = 0;
    if (keepUntil_ >= 0 && nextFrame_ >= keepUntil_) ended_ = true;
  }

  MfAudioReader reader_;
  int64_t keepFrom_ = 0;
  int64_t keepUntil_ = -1;
  int64_t nextFrame_ = -1;
  int64_t contentFrames_ = -1;
  std::vector<int16_t> pending_;
  size_t pendingAt_ = 0;
  bool ended_ = false;
};

std::mutex g_handlesLock;
std::set<ExtendedReader*> g_handles;  // guarded by g_handlesLock

bool IsOpen(ExtendedReader* reader) {
  std::lock_guard<std::mutex> lock(g_handlesLock);
  return g_handles.count(reader) != 0;
}

intptr_t OpenReader(const std::wstring& path, int* size, int* bps, int* nch, int* srate) {
  if (path.empty()) return 0;
  ComApartment com;
  auto reader = std::make_unique<ExtendedReader>();
  if (!reader->Open(path)) return 0;
  const PcmFormat& format = reader->format();
  const int64_t bytes = reader->contentFrames() >= 0 ? reader->contentFrames() * 2 * format.channels : -1;
  if (size) *size = bytes >= 0 && bytes <= INT_MAX ? static_cast<int>(bytes) : -1;
  if (bps) *bps = 16;
  if (nch) *nch = format.channels;
  if (srate) *srate = format.sample_rate;
  std::lock_guard<std::mutex> lock(g_handlesLock);
  return reinterpret_cast<intptr_t>(*g_handles.insert(reader.release()).first);
}

}  // namespace

extern "C" __declspec(dllexport) intptr_t MELODEK_PLUGIN_CALL winampGetExtendedRead_openW(const wchar_t* file,
                                                                                         int* size, int* bps,
                                                                                         int* nch, int* srate) {
  return file ? OpenReader(file, size, bps, nch, srate) : 0;
}

extern "C" __declspec(dllexport) intptr_t MELODEK_PLUGIN_CALL winampGetExtendedRead_open(const char* file, int* size,
                                                                                        int* bps, int* nch,
                                                                                        int* srate) {
  return file ? OpenReader(AnsiToWide(file), size, bps, nch, srate) : 0;
}

extern "C" __declspec(dllexport) intptr_t MELODEK_PLUGIN_CALL winampGetExtendedRead_getData(intptr_t handle,
                                                                                           char* dest, size_t len,
                                                                                           int* killswitch) {
  auto* reader = reinterpret_cast<ExtendedReader*>(handle);
  if (!dest || !IsOpen(reader)) return 0;
  ComApartment com;
  return static_cast<intptr_t>(reader->Read(dest, std::min<size_t>(len, INT_MAX), killswitch));
}

extern "C" __declspec(dllexport) void MELODEK_PLUGIN_CALL winampGetExtendedRead_close(intptr_t handle) {
  auto* reader = reinterpret_cast<ExtendedReader*>(handle);
  {
    std::lock_guard<std::mutex> lock(g_handlesLock);
    if (g_handles.erase(reader) == 0) return;
  }
  ComApartment com;
  delete reader;
}
