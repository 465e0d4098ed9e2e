// The output stage: ring feeding, refills, volume, end detection, position.
#include "engine/output_stage.h"

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstring>
#include <thread>

namespace {

int16_t Saturate16(int64_t v) {
  return static_cast<int16_t>(std::clamp<int64_t>(v, -32768, 32767));
}

constexpr uint32_t kRingBytesPerFrame = 4;  // 16-bit stereo
constexpr uint32_t kConvertChunkFrames = 512;

}  // namespace

void OutputStage::Reset() {
  endState_.store(kRunning);
  paused_.store(false);
  drain_.store(kDefaultBufferCount);
  ring_.decoderFinished.store(false);
  ring_.ResetCounters();
  muted_.store(false);
  carryBytes_ = 0;
  if (EqualizerPath* eq = equalizer_.load()) eq->Reset();
}

void OutputStage::SetVolume(int32_t value) {
  volume_.store(std::clamp(value, 0, kMaxVolume));
  RecomputeMultiplier();
}

void OutputStage::SetFileGain(int32_t value) {
  fileGain_.store(std::clamp(value, -kMaxFileGain, kMaxFileGain));
  RecomputeMultiplier();
}

void OutputStage::RecomputeMultiplier() {
  const int64_t m = (static_cast<int64_t>(fileGain_.load()) + 32768) * volume_.load() / 32768;
  multiplier_.store(static_cast<int32_t>(std::clamp<int64_t>(m, 0, kMaxMultiplier)));
}

void OutputStage::MarkStopped() {
  muted_.store(true);
  endState_.store(kStopped);
}

bool OutputStage::Configure(uint32_t rate, uint32_t channels, uint32_t bits) {
  if (rate == 0 || rate > kMaxRate || !converter_.Configure(channels, bits)) return false;
  rate_.store(rate);
  carryBytes_ = 0;
  return true;
}

OutputStage::Format OutputStage::CurrentFormat() const {
  return Format{rate_.load(), converter_.Channels(), converter_.Bits()};
}

// --- decoder thread -------------------------------------------------------

int OutputStage::Write(const void* data, int len) {
  if (data == nullptr || len <= 0) return 0;
  const auto* src = static_cast<const uint8_t*>(data);
  uint32_t left = static_cast<uint32_t>(len);
  const uint32_t frameBytes = converter_.BytesPerFrame();
  uint32_t waitedMs = 0;

  if (carryBytes_ > 0) {
    const uint32_t take = std::min(frameBytes - carryBytes_, left);
    std::memcpy(carry_ + carryBytes_, src, take);
    carryBytes_ += take;
    src += take;
    left -= take;
    if (carryBytes_ < frameBytes) return 0;
    carryBytes_ = 0;
    WriteFrames(carry_, 1, waitedMs);
  }
  const uint32_t frames = left / frameBytes;
  WriteFrames(src, frames, waitedMs);
  src += frames * frameBytes;
  left -= frames * frameBytes;
  std::memcpy(carry_, src, left);
  carryBytes_ = left;
  return 0;
}

void OutputStage::WriteFrames(const uint8_t* src, uint32_t frames, uint32_t& waitedMs) {
  int16_t block[kConvertChunkFrames * 2];
  const uint32_t frameBytes = converter_.BytesPerFrame();
  while (frames > 0) {
    const uint32_t freeFrames = ring_.FreeBytes() / kRingBytesPerFrame;
    if (freeFrames == 0) {
      if (!WaitForSpace(waitedMs)) return;  // the rest is dropped
      continue;
    }
    const uint32_t n = std::min({frames, freeFrames, kConvertChunkFrames});
    converter_.Convert(src, n, block);
    ring_.Write(block, n * kRingBytesPerFrame);
    src += n * frameBytes;
    frames -= n;
  }
}

bool OutputStage::WaitForSpace(uint32_t& waitedMs) const {
  if (endState_.load() == kStopped || waitedMs >= writeWaitMs_) return false;
  std::this_thread::sleep_for(std::chrono::milliseconds(1));
  ++waitedMs;
  return true;
}

int OutputStage::CanWrite() const {
  const int64_t freeFrames = ring_.FreeBytes() / kRingBytesPerFrame;
  const int64_t bytes = freeFrames * converter_.BytesPerFrame() - carryBytes_;
  return static_cast<int>(std::clamp<int64_t>(bytes, 0, INT_MAX));
}

int OutputStage::IsPlaying() {
  ring_.decoderFinished.store(true);
  return 0;
}

void OutputStage::Flush(int ms) {
  // Rounded up to a whole frame so that PositionMs reports ms right after.
  const uint64_t frames = (static_cast<uint64_t>(std::max(ms, 0)) * rate_.load() + 999) / 1000;
  carryBytes_ = 0;
  // More data follows a seek; cleared before the counters move so a refill
  // that sees the new counters never sees the old flag.
  ring_.decoderFinished.store(false);
  ring_.SetBothCounters(static_cast<uint32_t>(frames * kRingBytesPerFrame));
}

// --- refill thread --------------------------------------------------------

uint32_t OutputStage::FillOutputBuffer(int16_t* dst, uint32_t bytes) {
  const uint32_t samples = bytes / 2;
  EqualizerPath* eq = equalizer_.load();
  const bool equalizing = eq != nullptr && eq->Active();
  if (paused_.load()) {
    std::memset(dst, 0, samples * sizeof(int16_t));
  } else if (ring_.AvailableBytes() != 0) {
    if (equalizing) {
      eq->Fill(ring_, muted_.load() ? 0 : multiplier_.load(), dst, samples);
    } else {
      FillPlain(dst, samples);
    }
  } else {
    // The ring ran empty: the equalizer may still hold the end of the stream.
    const uint32_t drained = equalizing ? eq->DrainPending(dst, samples) : 0;
    std::memset(dst + drained, 0, (samples - drained) * sizeof(int16_t));
  }
  if (bytes & 1) reinterpret_cast<uint8_t*>(dst)[bytes - 1] = 0;

  // The end is reached when the decoder is done and nothing of its stream
  // is left, in the ring or filtered and waiting in the equalizer.
  const bool streamLeft = equalizing && eq->PendingStreamSamples() > 0;
  if (ring_.AvailableBytes() == 0 && ring_.decoderFinished.load() && !streamLeft) {
    int32_t running = kRunning;  // a stop (2) stays a stop
    endState_.compare_exchange_strong(running, kNaturalEnd);
  }
  return bytes;
}

void OutputStage::FillPlain(int16_t* dst, uint32_t samples) {
  const uint32_t r = ring_.ReadCounter();
  const uint32_t w = ring_.WriteCounter();
  const uint32_t available = w - r > SampleRing::kBytes ? 0 : (w - r) / 2;
  const uint32_t m = std::min(samples, available);
  const int64_t multiplier = muted_.load() ? 0 : multiplier_.load();
  const uint32_t first = r / 2;
  for (uint32_t k = 0; k < m; ++k) {
    dst[k] = Saturate16((ring_.Sample(first + k) * multiplier) >> 14);
  }
  std::fill(dst + m, dst + samples, int16_t{0});
  ring_.AdvanceReadFrom(r, 2 * m);
}

void OutputStage::StartBuffer(int16_t* dst, uint32_t bytes) {
  active_.store(true);
  FillOutputBuffer(dst, bytes);
}

BufferAction OutputStage::OnBufferDone(int16_t* dst, uint32_t bytes) {
  if (endState_.load() != kRunning) {
    const int32_t left = drain_.fetch_sub(1) - 1;
    if (left > 0) return BufferAction::kIdle;
    if (left == 0) return BufferAction::kDrained;
    drain_.store(0);  // more buffers came back than were counted
    return BufferAction::kIdle;
  }
  active_.store(true);
  FillOutputBuffer(dst, bytes);
  return BufferAction::kRequeue;
}

bool OutputStage::BufferLost() { return drain_.fetch_sub(1) - 1 == 0; }

bool OutputStage::FinishDrain() {
  // The path is emptied before active clears: the player thread starts the
  // next file only once it sees the output idle or gets UM_TRACK_END.
  if (drained_) drained_();
  active_.store(false);
  return endState_.load() == kNaturalEnd;
}

// --- any thread -----------------------------------------------------------

uint32_t OutputStage::PositionMs() const {
  const uint64_t frames = ring_.ReadCounter() / kRingBytesPerFrame;
  return static_cast<uint32_t>(frames * 1000 / rate_.load());
}
