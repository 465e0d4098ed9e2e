#include "plugins/in_mf/decode_session.h"

#include <algorithm>
#include <cstring>

#include "plugins/common/win_file_source.h"
#include "plugins/in_mf/file_info.h"
#include "plugins/in_mf/mf_audio_reader.h"
#include "plugins/in_mf/mf_runtime.h"
#include "plugins/in_mf/mp3_carry.h"
#include "plugins/in_mf/pcm_frames.h"

namespace {

constexpr DWORD kOpenTimeoutMs = 20000;  // first use of the decoders can be slow
constexpr DWORD kStopTimeoutMs = 5000;
constexpr int64_t kChunkFrames = 576;    // what hosts' visualisation expects per call
constexpr DWORD kPollMs = 5;
constexpr int64_t kSeekPrerollFrames = 4096;

// Puts the previous file's last frames before the file when the two are
// files of an MP3 gapless set; returns the frames they decode to (0: none).
int64_t CarryFromPrevious(const std::wstring& previous, const std::wstring& path, SourceView& view) {
  WinFileSource before, file;
  if (previous.empty() || !before.Open(previous) || !file.Open(path)) return 0;
  const Mp3Carry carry = PlanMp3Carry(before, file);
  if (!carry.valid() || !before.ReadBlock(carry.tail_offset, static_cast<size_t>(carry.tail_bytes), view.head)) {
    return 0;
  }
  view.file_from = carry.next_audio_offset;
  return carry.lead_frames();
}

}  // namespace

struct DecodeSession::ThreadStart {
  std::shared_ptr<DecodeSession> session;
  HMODULE dll;
};

DecodeSession::DecodeSession(In_Module* module, std::wstring path, std::wstring previous)
    : module_(module),
      path_(std::move(path)),
      previous_(std::move(previous)),
      opened_event_(CreateEventW(nullptr, TRUE, FALSE, nullptr)),
      go_event_(CreateEventW(nullptr, TRUE, FALSE, nullptr)),
      stop_event_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}

DecodeSession::~DecodeSession() = default;

bool DecodeSession::Start() {
  if (!opened_event_ || !go_event_ || !stop_event_) return false;
  HMODULE dll = nullptr;
  if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, reinterpret_cast<LPCWSTR>(&ThreadMain), &dll)) {
    return false;
  }
  auto* start = new ThreadStart{shared_from_this(), dll};
  thread_.reset(CreateThread(nullptr, 0, ThreadMain, start, 0, nullptr));
  if (!thread_) {
    delete start;
    FreeLibrary(dll);
    return false;
  }
  HANDLE waits[] = {opened_event_.get(), thread_.get()};
  if (WaitForMultipleObjects(2, waits, FALSE, kOpenTimeoutMs) == WAIT_OBJECT_0 && open_ok_) return true;
  Stop();
  return false;
}

void DecodeSession::Go(Out_Module* output) {
  output_ = output;
  SetEvent(go_event_.get());
}

void DecodeSession::Stop() {
  stop_ = true;
  SetEvent(stop_event_.get());
  if (thread_) {
    // A thread still busy after the bound is left to end by itself (see the header).
    WaitForSingleObject(thread_.get(), kStopTimeoutMs);
    thread_.reset();
  }
}

DWORD WINAPI DecodeSession::ThreadMain(void* param) {
  HMODULE dll;
  {
    auto* start = static_cast<ThreadStart*>(param);
    dll = start->dll;
    std::shared_ptr<DecodeSession> self = std::move(start->session);
    delete start;
    self->Run();
  }
  FreeLibraryAndExitThread(dll, 0);
  return 0;
}

void DecodeSession::Run() {
  ComApartment com;
  MfAudioReader reader;
  const GaplessRecord gapless = ReadGaplessRecord(path_);
  SourceView view;
  view.patches = gapless.mp4_source_patches;
  // A file with a LAME header says its own delay: it was not cut from a set.
  int64_t carried = gapless.mp3.valid ? 0 : CarryFromPrevious(previous_, path_, view);
  bool ok = StartMediaFoundation() && !stop_ && reader.Open(path_, view);
  if (!reader.through_view()) carried = 0;
  // The first block proves there is sound to play and gives the time stamp
  // the content starts at.
  std::vector<int16_t> first_block;
  int64_t first_stamp = 0;
  ok = ok && reader.Read(first_block, first_stamp) == MfAudioReader::Result::kData;
  if (ok) {
    const PcmFormat& format = reader.format();
    info_.sample_rate = format.sample_rate;
    info_.channels = format.channels;
    info_.bitrate_kbps = reader.bitrate() / 1000;
    // The carried frames are no part of this file.
    int64_t duration = reader.duration_hns();
    if (carried > 0 && duration > 0) {
      duration = std::max<int64_t>(0, duration - FramesToHns(carried, format.sample_rate));
    }
    const PlayLength length = PlanPlayLength(gapless, duration, format.sample_rate);
    trim_ = length.trim;
    trim_.lead_frames += carried;
    info_.length_ms = length.length_ms;
    chunk_.resize(2 * kChunkFrames * format.channels);  // DSP may lengthen a block up to twice
  }
  open_ok_ = ok;
  SetEvent(opened_event_.get());
  if (!ok) return;
  HANDLE waits[] = {go_event_.get(), stop_event_.get()};
  WaitForMultipleObjects(2, waits, FALSE, INFINITE);  // Play signals one of them right away
  if (stop_ || !output_) return;
  Decode(reader, std::move(first_block), first_stamp);
}

// Frames are counted on the decoder's time line from the first block's time
// stamp (origin). Media Foundation seeks in content time, but some sources
// stamp blocks with an offset (Wine's, when it applies an MP4 edit list
// itself: the edit's start); counting from the first stamp cancels that.
// The content starts trim_.lead_frames in (non-zero when the plug-in trims
// encoder delay and decoder priming itself: MP3, MP4, or when the decoder
// starts in the previous file's last frames) and is
// trim_.content_frames long when that is known.
void DecodeSession::Decode(MfAudioReader& reader, std::vector<int16_t> block, int64_t stamp) {
  const int channels = info_.channels;
  const int rate = info_.sample_rate;
  const int64_t origin = HnsToFrames(stamp, rate);
  const int64_t lead = trim_.lead_frames;
  const int64_t content = trim_.content_frames;
  const int64_t keep_until = content >= 0 ? origin + lead + content : -1;
  int64_t keep_from = origin + lead;
  int64_t next_frame = -1;  // -1: take the next block's time stamp
  bool have_block = true;
  for (;;) {
    if (stop_) return;
    const int seek_ms = seek_ms_.exchange(-1);
    if (seek_ms >= 0) {
      int64_t target = MsToFrames(seek_ms, rate);
      if (content >= 0) target = std::min(target, content);
      // Start decoding a little early: decoders that restart cold (AAC's
      // overlapping transform) spoil their first frame. The frames before
      // the target are dropped by time stamp below.
      const int64_t from = std::max<int64_t>(0, target + lead - kSeekPrerollFrames);
      reader.Seek(FramesToHns(from, rate));
      output_->Flush(seek_ms);
      position_frames_ = target;
      keep_from = origin + lead + target;
      next_frame = -1;
      have_block = false;
      continue;
    }
    if (paused_) {
      Sleep(10);
      continue;
    }
    if (!have_block) {
      const MfAudioReader::Result result = reader.Read(block, stamp);
      if (result != MfAudioReader::Result::kData) {
        if (FinishOrResume()) continue;
        return;
      }
    }
    have_block = false;
    const int64_t frames = static_cast<int64_t>(block.size()) / channels;
    if (frames == 0) continue;
    // Time stamps place the first block after opening or seeking; later
    // blocks follow on by count, so rounded stamps cannot open gaps.
    const int64_t start = next_frame >= 0 ? next_frame : HnsToFrames(stamp, rate);
    next_frame = start + frames;
    const FrameSpan span = KeepFrames(start, frames, keep_from, keep_until);
    if (span.count > 0 && !WriteFrames(block.data() + span.skip * channels, span.count)) continue;
    if (keep_until >= 0 && next_frame >= keep_until) {
      if (FinishOrResume()) continue;
      return;
    }
  }
}

bool DecodeSession::WriteFrames(const int16_t* pcm, int64_t frames) {
  const int channels = info_.channels;
  while (frames > 0) {
    const int count = static_cast<int>(std::min(frames, kChunkFrames));
    const int bytes = count * channels * 2;
    const bool dsp = module_->dsp_isactive && module_->dsp_isactive();
    for (;;) {
      if (Interrupted()) return false;
      if (!paused_ && output_->CanWrite() >= (dsp ? 2 * bytes : bytes)) break;
      Sleep(paused_ ? 10 : kPollMs);
    }
    std::memcpy(chunk_.data(), pcm, bytes);
    const int time_ms = static_cast<int>(FramesToMs(position_frames_, info_.sample_rate));
    if (module_->SAAddPCMData) module_->SAAddPCMData(chunk_.data(), channels, 16, time_ms);
    if (module_->VSAAddPCMData) module_->VSAAddPCMData(chunk_.data(), channels, 16, time_ms);
    int out = count;
    if (module_->dsp_dosamples) {
      out = module_->dsp_dosamples(chunk_.data(), count, 16, channels, info_.sample_rate);
      out = std::max(0, std::min(out, 2 * count));
    }
    if (out > 0) output_->Write(reinterpret_cast<char*>(chunk_.data()), out * channels * 2);
    position_frames_ += count;
    pcm += static_cast<size_t>(count) * channels;
    frames -= count;
  }
  return true;
}

bool DecodeSession::FinishOrResume() {
  while (!stop_ && seek_ms_ < 0) {
    if (!output_->IsPlaying()) {
      reached_end_ = true;
      if (module_->hMainWindow) PostMessageW(module_->hMainWindow, MELODEK_PLUGIN_EOF_MESSAGE, 0, 0);
      return false;
    }
    Sleep(10);
  }
  return !stop_;
}
