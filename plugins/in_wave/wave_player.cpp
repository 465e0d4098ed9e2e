// Playback of one WAV file: Play/Stop on the host's threads, decoding on our own.
#include "plugins/in_wave/wave_player.h"

#include <algorithm>
#include <vector>

#include "plugins/in_wave/wav_samples.h"

namespace {
// Frames per block handed to the DSP and the output.
constexpr int kBlockFrames = 576;
// Wait between polls of a full (or paused) output, and after the end while
// the thread stays for a seek back. A full output holds seconds, so a poll
// every 50 ms loses nothing and keeps the thread asleep; Stop, a seek and
// UnPause wake it at once (wake_).
constexpr DWORD kWaitMs = 50;
constexpr DWORD kEndPollMs = 10;
}  // namespace

int WavePlayer::Play(const char* path) {
  std::lock_guard<std::mutex> lock(control_);
  StopLocked();
  if (path == nullptr || *path == '\0') return 1;

  auto source = std::make_unique<WinFileSource>();
  if (!source->Open(path)) return 1;
  wav::WavFormat format;
  if (wav::ParseWav(*source, &format) != wav::ParseResult::kOk) return 1;

  Out_Module* out = module_.outMod;
  if (out == nullptr || !out->Open || !out->Close || !out->Write || !out->CanWrite || !out->IsPlaying ||
      !out->Flush)
    return 1;
  // Float samples leave as 32-bit integers, the same width as in the file.
  if (out->Open(static_cast<int>(format.sampleRate), format.channels, format.bitsPerSample, -1, -1) < 0)
    return 1;

  source_ = std::move(source);
  format_ = format;
  notifyWindow_ = module_.hMainWindow;
  dsp_ = module_.dsp_dosamples;
  stopRequested_ = false;
  paused_ = false;
  seekMs_ = -1;
  lengthMs_ = wav::FramesToMs(format.frameCount, format.sampleRate);
  output_ = out;
  {
    std::lock_guard<std::mutex> infoLock(info_);
    playingPath_ = path;
  }
  if (module_.SetInfo) {
    const uint64_t kbps = static_cast<uint64_t>(format.sampleRate) * format.frameBytes * 8 / 1000;
    module_.SetInfo(static_cast<int>(kbps), static_cast<int>(format.sampleRate / 1000), format.channels, 1);
  }

  thread_.reset(::CreateThread(nullptr, 0, &WavePlayer::ThreadMain, this, 0, &threadId_));
  if (!thread_) {
    StopLocked();
    return 1;
  }
  return 0;
}

void WavePlayer::Stop() {
  std::lock_guard<std::mutex> lock(control_);
  StopLocked();
}

void WavePlayer::StopLocked() {
  if (thread_) {
    stopRequested_ = true;
    ::SetEvent(wake_.get());
    // From inside one of our own output calls the thread cannot be joined;
    // it ends at its next check and the next Stop or Play cleans up.
    if (::GetCurrentThreadId() == threadId_) return;
    ::WaitForSingleObject(thread_.get(), INFINITE);
    thread_.reset();
  }
  if (Out_Module* out = output_.exchange(nullptr)) out->Close();
  source_.reset();
  paused_ = false;
  seekMs_ = -1;
  lengthMs_ = 0;
  std::lock_guard<std::mutex> infoLock(info_);
  playingPath_.clear();
}

void WavePlayer::Pause() {
  paused_ = true;
  Out_Module* out = output_.load();
  if (out && out->Pause) out->Pause(1);
}

void WavePlayer::UnPause() {
  paused_ = false;
  ::SetEvent(wake_.get());
  Out_Module* out = output_.load();
  if (out && out->Pause) out->Pause(0);
}

void WavePlayer::RequestSeek(int ms) {
  if (output_.load() == nullptr) return;
  seekMs_ = ms < 0 ? 0 : ms;
  ::SetEvent(wake_.get());
}

int WavePlayer::OutputTimeMs() const {
  const int pending = seekMs_.load();
  if (pending >= 0) return std::min(pending, lengthMs_.load());
  Out_Module* out = output_.load();
  return out && out->GetOutputTime ? out->GetOutputTime() : 0;
}

void WavePlayer::SetVolume(int volume) {
  Out_Module* out = output_.load();
  if (out && out->SetVolume) out->SetVolume(volume);
}

void WavePlayer::SetPan(int pan) {
  Out_Module* out = output_.load();
  if (out && out->SetPan) out->SetPan(pan);
}

bool WavePlayer::PlayingFile(std::string* path, int* lengthMs) const {
  std::lock_guard<std::mutex> lock(info_);
  if (playingPath_.empty()) return false;
  *path = playingPath_;
  *lengthMs = lengthMs_.load();
  return true;
}

DWORD WINAPI WavePlayer::ThreadMain(void* self) {
  static_cast<WavePlayer*>(self)->Decode();
  return 0;
}

void WavePlayer::Decode() {
  Out_Module* out = output_.load();
  const wav::WavFormat f = format_;
  // Twice a block: a DSP may return more samples than it was given.
  std::vector<char> block(static_cast<size_t>(kBlockFrames) * 2 * f.frameBytes);
  uint64_t frame = 0;
  uint64_t frameCount = f.frameCount;
  bool endPosted = false;

  while (!stopRequested_) {
    const int seek = seekMs_.exchange(-1);
    if (seek >= 0) {
      frame = wav::MsToFrame(seek, f.sampleRate, frameCount);
      out->Flush(std::min(seek, lengthMs_.load()));
      endPosted = false;
      continue;
    }
    if (paused_) {
      Wait(kWaitMs);
      continue;
    }
    if (frame >= frameCount) {
      // Wait for the output to drain; a seek may still bring us back.
      if (out->IsPlaying()) {
        Wait(kEndPollMs);
        continue;
      }
      if (!endPosted && notifyWindow_) ::PostMessageA(notifyWindow_, MELODEK_PLUGIN_EOF_MESSAGE, 0, 0);
      endPosted = true;
      // The whole file may sit in the host's buffer long before it has been
      // heard: the thread stays until Stop, so a seek back still works.
      Wait(kWaitMs);
      continue;
    }

    const size_t want = static_cast<size_t>(std::min<uint64_t>(kBlockFrames, frameCount - frame));
    const size_t got = source_->ReadAt(f.dataOffset + frame * f.frameBytes, block.data(), want * f.frameBytes) /
                       f.frameBytes;
    if (got < want) frameCount = frame + got;  // the file shrank or cannot be read: end there
    if (got == 0) continue;
    frame += got;
    if (f.kind == wav::SampleKind::kFloat) {
      wav::FloatToInt32(reinterpret_cast<const uint8_t*>(block.data()), reinterpret_cast<int32_t*>(block.data()),
                        got * f.channels);
    }
    int frames = static_cast<int>(got);
    if (dsp_) {
      frames = dsp_(reinterpret_cast<short*>(block.data()), frames, f.bitsPerSample, f.channels,
                    static_cast<int>(f.sampleRate));
      frames = std::clamp(frames, 0, 2 * kBlockFrames);
    }
    const WriteResult written = WriteAll(block.data(), frames * static_cast<int>(f.frameBytes));
    if (written == WriteResult::kFailed) return;  // the output refuses data: end quietly
  }
}

void WavePlayer::Wait(DWORD ms) { ::WaitForSingleObject(wake_.get(), ms); }

WavePlayer::WriteResult WavePlayer::WriteAll(const char* data, int len) {
  Out_Module* out = output_.load();
  const int frameBytes = static_cast<int>(format_.frameBytes);
  int done = 0;
  while (done < len) {
    if (Interrupted()) return WriteResult::kInterrupted;
    const int room = paused_ ? 0 : out->CanWrite();
    const int chunk = std::min(len - done, room) / frameBytes * frameBytes;
    if (chunk <= 0) {
      Wait(kWaitMs);
      continue;
    }
    if (out->Write(const_cast<char*>(data + done), chunk) != 0) return WriteResult::kFailed;
    done += chunk;
  }
  return WriteResult::kWritten;
}
