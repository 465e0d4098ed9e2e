// Decoding through the extended-read exports, measuring, album groups.
#include "engine/loudness_analysis.h"

#include <algorithm>
#include <map>

#include "common/plugin_api.h"
#include "engine/loudness_meter.h"
#include "engine/plugin_info.h"
#include "engine/plugin_library.h"
#include "framework/system_text_codec.h"
#include "framework/unique_handle.h"

namespace {

constexpr size_t kReadBytes = 64 * 1024;

// The module of the plug-in that claims the path, with a reference of our
// own: the player may reload its plug-ins while the file is decoded.
UniqueModule PluginModuleFor(PluginLibrary& plugins, const std::string& path) {
  wchar_t file[MAX_PATH * 4] = {};
  {
    std::lock_guard<std::mutex> guard(plugins.lock());
    const InputPluginRecord* record = plugins.FindPluginLocked(path);
    if (record == nullptr) return UniqueModule();
    const DWORD n = ::GetModuleFileNameW(record->module.get(), file, static_cast<DWORD>(std::size(file)));
    if (n == 0 || n >= std::size(file)) return UniqueModule();
  }
  return UniqueModule(::LoadLibraryW(file));
}

}  // namespace

LoudnessAnalysis::~LoudnessAnalysis() {
  Cancel();
  if (worker_.joinable()) worker_.join();
}

bool LoudnessAnalysis::Start(std::vector<LoudnessJob> jobs, HWND window, UINT message) {
  if (worker_.joinable()) return false;
  jobs_ = std::move(jobs);
  window_ = window;
  message_ = message;
  cancel_ = false;
  killswitch_ = 0;
  {
    std::lock_guard<std::mutex> guard(lock_);
    results_ = LoudnessProgress();
    results_.total = jobs_.size();
  }
  worker_ = std::thread([this] { Run(); });
  return true;
}

void LoudnessAnalysis::Cancel() {
  cancel_ = true;
  killswitch_ = 1;
}

LoudnessProgress LoudnessAnalysis::Take() {
  LoudnessProgress taken;
  {
    std::lock_guard<std::mutex> guard(lock_);
    taken = std::move(results_);
    results_ = LoudnessProgress();
    results_.done = taken.done;
    results_.total = taken.total;
  }
  if (taken.finished && worker_.joinable()) worker_.join();
  return taken;
}

void LoudnessAnalysis::Run() {
  ::SetThreadPriority(::GetCurrentThread(), THREAD_PRIORITY_BELOW_NORMAL);
  struct Album {
    std::vector<int32_t> ids;
    std::vector<std::vector<double>> blocks;
    double peak = 0;
  };
  std::map<int32_t, Album> albums;
  for (const LoudnessJob& job : jobs_) {
    std::vector<double> blocks;
    LoudnessTrackResult result =
        cancel_ ? LoudnessTrackResult{job.entryId, job.path, LoudnessOutcome::kCancelled} : Measure(job, blocks);
    if (result.outcome == LoudnessOutcome::kMeasured && job.albumGroup >= 0) {
      Album& album = albums[job.albumGroup];
      album.ids.push_back(job.entryId);
      album.blocks.push_back(std::move(blocks));
      album.peak = std::max(album.peak, result.peak);
    }
    {
      std::lock_guard<std::mutex> guard(lock_);
      results_.tracks.push_back(std::move(result));
      ++results_.done;
    }
    ::PostMessageW(window_, message_, 0, 0);
  }
  std::vector<LoudnessAlbumResult> albumResults;
  if (!cancel_) {
    for (auto& [group, album] : albums) {
      std::vector<const std::vector<double>*> sets;
      for (const auto& blocks : album.blocks) sets.push_back(&blocks);
      if (const std::optional<double> lufs = GatedLoudness(sets)) {
        albumResults.push_back({album.ids, *lufs, album.peak});
      }
    }
  }
  {
    std::lock_guard<std::mutex> guard(lock_);
    results_.albums = std::move(albumResults);
    results_.finished = true;
  }
  ::PostMessageW(window_, message_, 0, 0);
}

LoudnessTrackResult LoudnessAnalysis::Measure(const LoudnessJob& job, std::vector<double>& blocks) {
  LoudnessTrackResult result{job.entryId, job.path, LoudnessOutcome::kUnreadable};
  const UniqueModule module = PluginModuleFor(plugins_, job.path);
  if (!module) {
    result.outcome = LoudnessOutcome::kNoPlugin;
    return result;
  }
  const auto openW = PluginExport<ExtendedReadOpenWFn>(module.get(), MELODEK_EXTENDED_READ_OPEN_W_NAME);
  const auto open = PluginExport<ExtendedReadOpenFn>(module.get(), MELODEK_EXTENDED_READ_OPEN_NAME);
  const auto getData = PluginExport<ExtendedReadGetDataFn>(module.get(), MELODEK_EXTENDED_READ_GET_DATA_NAME);
  const auto close = PluginExport<ExtendedReadCloseFn>(module.get(), MELODEK_EXTENDED_READ_CLOSE_NAME);
  if ((!openW && !open) || !getData || !close) {
    result.outcome = LoudnessOutcome::kNoExtendedRead;
    return result;
  }
  int size = -1, bits = 0, channels = 0, rate = 0;
  const std::wstring wide = WideFromProgramText(job.path);
  const intptr_t handle = openW && !wide.empty() ? openW(wide.c_str(), &size, &bits, &channels, &rate)
                                                  : open(job.path.c_str(), &size, &bits, &channels, &rate);
  if (handle == 0) return result;
  const bool usable = (bits == 8 || bits == 16 || bits == 24 || bits == 32) && channels >= 1 &&
                      channels <= static_cast<int>(LoudnessMeter::kMaxChannels) && rate >= 1 && rate <= 768000;
  if (!usable) {
    close(handle);
    return result;
  }
  LoudnessMeter meter(static_cast<uint32_t>(rate), static_cast<uint32_t>(channels), channels == 1);
  const size_t frameBytes = static_cast<size_t>(channels) * (bits / 8);
  const size_t bufferBytes = kReadBytes / frameBytes * frameBytes;
  std::vector<uint8_t> buffer(bufferBytes + frameBytes);  // room for a partial frame carried over
  std::vector<float> samples(bufferBytes / (bits / 8));
  const double maxFrames = kMaxAnalysedSeconds * rate;
  double frames = 0;
  size_t carried = 0;
  for (;;) {
    if (cancel_) break;
    const intptr_t got = getData(handle, reinterpret_cast<char*>(buffer.data() + carried), bufferBytes - carried,
                                 const_cast<int*>(&killswitch_));
    // What a plug-in claims beyond the room it was given is not trusted.
    if (got <= 0 || static_cast<size_t>(got) > bufferBytes - carried) break;
    const size_t bytes = carried + static_cast<size_t>(got);
    const size_t whole = bytes / frameBytes;
    PcmToFloat(buffer.data(), whole * channels, bits, samples.data());
    meter.AddFrames(samples.data(), whole);
    carried = bytes - whole * frameBytes;
    std::copy(buffer.begin() + whole * frameBytes, buffer.begin() + bytes, buffer.begin());
    frames += whole;
    if (frames > maxFrames) break;
  }
  close(handle);
  if (cancel_) {
    result.outcome = LoudnessOutcome::kCancelled;
    return result;
  }
  const std::optional<double> lufs = meter.IntegratedLufs();
  result.peak = meter.SamplePeak();
  if (!lufs) {
    result.outcome = LoudnessOutcome::kSilent;
    return result;
  }
  result.outcome = LoudnessOutcome::kMeasured;
  result.lufs = *lufs;
  blocks = meter.BlockEnergies();
  return result;
}
