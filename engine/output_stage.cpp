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

void OutputStage::Reset(uint32_t token) {
  {
    std::lock_guard<std::mutex> lock(segmentLock_);
    segments_[0] = Segment{token, 0, 0, fileGain_.load(), loudness_.load()};
    segmentCount_ = 1;
  }
  endHeld_.store(false);
  doneNoticeDue_.store(false);
  heldSilenceBytes_ = 0;
  lastFillStreamEnd_ = 0;
  endState_.store(kRunning);
  fadedOut_.store(false);
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
  const int32_t gain = std::clamp(value, -kMaxFileGain, kMaxFileGain);
  {
    std::lock_guard<std::mutex> lock(segmentLock_);
    fileGain_.store(gain);
    segments_[0].fileGain = gain;  // the file heard; queued ones keep theirs
  }
  RecomputeMultiplier();
}

void OutputStage::SetLoudness(int32_t value) {
  const int32_t loudness = std::clamp(value, 0, kMaxLoudness);
  {
    std::lock_guard<std::mutex> lock(segmentLock_);
    loudness_.store(loudness);
    segments_[0].loudness = loudness;
  }
  RecomputeMultiplier();
}

int32_t OutputStage::MultiplierOf(int32_t fileGain, int32_t loudness) const {
  // One division, so that at unit loudness the product is the volumes' own.
  const int64_t m = (static_cast<int64_t>(fileGain) + 32768) * volume_.load() * loudness /
                    (int64_t{32768} * kLoudnessUnity);
  return static_cast<int32_t>(std::clamp<int64_t>(m, 0, kMaxMultiplier));
}

void OutputStage::RecomputeMultiplier() { multiplier_.store(MultiplierOf(fileGain_.load(), loudness_.load())); }

GainPlan OutputStage::CurrentGainPlan(bool ownGains) const {
  const bool muted = muted_.load() && !ownGains;
  std::lock_guard<std::mutex> lock(segmentLock_);
  GainPlan plan(muted ? 0 : MultiplierOf(segments_[0].fileGain, segments_[0].loudness));
  for (int i = 1; i < segmentCount_; ++i) {
    plan.SwitchAt(segments_[i].start, muted ? 0 : MultiplierOf(segments_[i].fileGain, segments_[i].loudness));
  }
  return plan;
}

// --- segments ---------------------------------------------------------------

bool OutputStage::AppendSegment(uint32_t token, int32_t fileGain, int32_t loudness) {
  std::lock_guard<std::mutex> lock(segmentLock_);
  if (segmentCount_ >= kMaxSegments) return false;
  const uint32_t start = ring_.WriteCounter();
  segments_[segmentCount_++] =
      Segment{token, start, start, std::clamp(fileGain, -kMaxFileGain, kMaxFileGain),
              std::clamp(loudness, 0, kMaxLoudness)};
  carryBytes_ = 0;
  ring_.decoderFinished.store(false);
  endHeld_.store(false);
  return true;
}

int OutputStage::DropQueuedSegments() {
  std::lock_guard<std::mutex> lock(segmentLock_);
  const uint32_t read = ring_.ReadCounter();
  int keep = 1;
  while (keep < segmentCount_ && static_cast<int32_t>(segments_[keep].start - read) < 0) ++keep;
  const int dropped = segmentCount_ - keep;
  if (dropped > 0) {
    ring_.SetWriteCounter(segments_[keep].start);
    segmentCount_ = keep;
    carryBytes_ = 0;
    // The file now last in the ring had delivered everything before the
    // dropped ones were queued.
    ring_.decoderFinished.store(true);
  }
  endHeld_.store(false);
  return dropped;
}

void OutputStage::NoteNowPlaying(uint32_t streamEnd,
                                 const std::function<void(uint32_t)>& heard) {
  for (;;) {
    uint32_t token;
    {
      std::lock_guard<std::mutex> lock(segmentLock_);
      if (segmentCount_ < 2 || static_cast<int32_t>(segments_[1].start - streamEnd) >= 0) return;
      std::move(segments_.begin() + 1, segments_.begin() + segmentCount_, segments_.begin());
      --segmentCount_;
      fileGain_.store(segments_[0].fileGain);
      loudness_.store(segments_[0].loudness);
      token = segments_[0].token;
    }
    RecomputeMultiplier();
    if (heard) heard(token);
  }
}

std::vector<uint32_t> OutputStage::SegmentTokens() const {
  std::lock_guard<std::mutex> lock(segmentLock_);
  std::vector<uint32_t> tokens;
  for (int i = 0; i < segmentCount_; ++i) tokens.push_back(segments_[i].token);
  return tokens;
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
  if (!ring_.decoderFinished.exchange(true)) {
    if (gaplessHold_.load()) endHeld_.store(true);
    doneNoticeDue_.store(true);
    NoticeDoneWhenNear();
  }
  return 0;
}

void OutputStage::NoticeDoneWhenNear() {
  if (!doneNoticeDue_.load()) return;
  const uint64_t left = ring_.AvailableBytes();
  if (left * 1000 > uint64_t{kQueueLeadMs} * DeviceBytesPerSecond()) return;
  if (!doneNoticeDue_.exchange(false) || !decoderDone_) return;
  uint32_t token;
  {
    std::lock_guard<std::mutex> lock(segmentLock_);
    token = segments_[segmentCount_ - 1].token;
  }
  decoderDone_(token);
}

void OutputStage::Flush(int ms) {
  // Rounded up to a whole frame so that PositionMs reports ms right after.
  const uint64_t frames = (static_cast<uint64_t>(std::max(ms, 0)) * rate_.load() + 999) / 1000;
  const uint32_t offset = static_cast<uint32_t>(frames * kRingBytesPerFrame);
  carryBytes_ = 0;
  // More data follows a seek; cleared before the counters move so a refill
  // that sees the new counters never sees the old flag.
  ring_.decoderFinished.store(false);
  doneNoticeDue_.store(false);
  std::lock_guard<std::mutex> lock(segmentLock_);
  Segment& newest = segments_[segmentCount_ - 1];
  const uint32_t read = ring_.ReadCounter();
  if (segmentCount_ > 1 && static_cast<int32_t>(newest.start - read) >= 0) {
    ring_.SetWriteCounter(newest.start);  // the heard file plays on
  } else {
    // Forward from the write position: the counters never run backwards,
    // so the positions of buffers already out stay in order.
    const uint32_t at = ring_.WriteCounter();
    ring_.SetBothCounters(at);
    newest.start = at;
  }
  newest.base = newest.start - offset;
}

// --- refill thread --------------------------------------------------------

uint32_t OutputStage::FillOutputBuffer(int16_t* dst, uint32_t bytes) {
  const uint32_t samples = bytes / 2;
  if (muted_.load() && !fadedOut_.load() && !paused_.load()) {
    FillFadeOut(dst, samples);
  } else {
    FillStream(dst, samples, CurrentGainPlan());
  }
  if (bytes & 1) reinterpret_cast<uint8_t*>(dst)[bytes - 1] = 0;
  return bytes;
}

void OutputStage::FillStream(int16_t* dst, uint32_t samples, const GainPlan& gains) {
  const uint32_t bytes = samples * 2;
  EqualizerPath* eq = equalizer_.load();
  const bool equalizing = eq != nullptr && eq->Active();
  uint32_t streamEnd = lastFillStreamEnd_;
  if (paused_.load()) {
    std::memset(dst, 0, samples * sizeof(int16_t));
  } else if (ring_.AvailableBytes() != 0) {
    if (equalizing) {
      eq->Fill(ring_, gains, dst, samples);
      streamEnd = eq->NextStreamByte(ring_);
    } else {
      // Switched off mid-stream: what the equalizer already filtered plays
      // first, then the ring from where its blocks stopped reading, until
      // the equalizer is due to take over.
      uint32_t done = eq != nullptr ? eq->DrainPending(dst, samples) : 0;
      const uint32_t plainLimit = eq != nullptr ? eq->PlainBytesBefore(ring_.ReadCounter()) / 2 : UINT32_MAX;
      const uint32_t plain = std::min(samples - done, plainLimit);
      FillPlain(dst + done, plain, gains);
      done += plain;
      streamEnd = ring_.ReadCounter();
      if (done < samples) {
        eq->Activate();
        eq->Fill(ring_, gains, dst + done, samples - done);
        streamEnd = eq->NextStreamByte(ring_);
      }
    }
  } else {
    // The ring ran empty: the equalizer may still hold the end of the stream.
    const uint32_t drained = equalizing ? eq->DrainPending(dst, samples) : 0;
    std::memset(dst + drained, 0, (samples - drained) * sizeof(int16_t));
    if (drained > 0) streamEnd = eq->NextStreamByte(ring_);
    NoteEmptyFillLocked(bytes);
  }
  lastFillStreamEnd_ = streamEnd;
  NoticeDoneWhenNear();

  // The end is reached when the decoder is done and nothing of its stream
  // is left, in the ring or filtered and waiting in the equalizer, and no
  // next file is being queued.
  const bool streamLeft = equalizing && eq->PendingStreamSamples() > 0;
  if (ring_.AvailableBytes() == 0 && ring_.decoderFinished.load() && !streamLeft &&
      !endHeld_.load()) {
    int32_t running = kRunning;  // a stop (2) stays a stop
    endState_.compare_exchange_strong(running, kNaturalEnd);
  }
}

void OutputStage::FillFadeOut(int16_t* dst, uint32_t samples) {
  const uint32_t fade = std::min(samples, 2 * kFadeOutFrames);
  FillStream(dst, fade, CurrentGainPlan(true));
  fadedOut_.store(true);
  for (uint32_t i = 0; i < fade; ++i) {
    dst[i] = static_cast<int16_t>(dst[i] * static_cast<int32_t>(kFadeOutFrames - i / 2) /
                                  static_cast<int32_t>(kFadeOutFrames));
  }
  std::fill(dst + fade, dst + samples, int16_t{0});
}

void OutputStage::NoteEmptyFillLocked(uint32_t bytes) {
  if (!endHeld_.load()) {
    heldSilenceBytes_ = 0;
    return;
  }
  heldSilenceBytes_ += bytes;
  if (uint64_t{heldSilenceBytes_} * 1000 >= uint64_t{kMaxEndHoldMs} * DeviceBytesPerSecond()) {
    endHeld_.store(false);  // nobody answered: the stream ends as usual
  }
}

void OutputStage::FillPlain(int16_t* dst, uint32_t samples) {
  FillPlain(dst, samples, CurrentGainPlan());
}

void OutputStage::FillPlain(int16_t* dst, uint32_t samples, const GainPlan& gains) {
  const uint32_t r = ring_.ReadCounter();
  const uint32_t w = ring_.WriteCounter();
  const uint32_t available = w - r > SampleRing::kBytes ? 0 : (w - r) / 2;
  const uint32_t m = std::min(samples, available);
  gains.ForEachRun(r, 2 * m, [&](uint32_t offset, uint32_t length, int32_t multiplier) {
    const uint32_t first = (r + offset) / 2;
    int16_t* out = dst + offset / 2;
    for (uint32_t k = 0; k < length / 2; ++k) {
      out[k] = Saturate16((ring_.Sample(first + k) * int64_t{multiplier}) >> 14);
    }
  });
  std::fill(dst + m, dst + samples, int16_t{0});
  ring_.AdvanceReadFrom(r, 2 * m);
}

void OutputStage::StartBuffer(int16_t* dst, uint32_t bytes) {
  active_.store(true);
  FillOutputBuffer(dst, bytes);
}

BufferAction OutputStage::OnBufferDone(int16_t* dst, uint32_t bytes) {
  if (endState_.load() == kStopped && !fadedOut_.load()) {
    // The stop came before any refill could fade the stream out: this
    // buffer goes out once more with the fade (it is counted when it comes
    // back), unless nothing of the stream is left to fade.
    EqualizerPath* eq = equalizer_.load();
    const bool streamLeft = ring_.AvailableBytes() > 0 || (eq != nullptr && eq->PendingStreamSamples() > 0);
    if (streamLeft && bytes >= FadeOutBytes()) {
      FillFadeOut(dst, FadeOutBytes() / 2);
      return BufferAction::kFadeOut;
    }
    fadedOut_.store(true);
  }
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
  uint32_t read = ring_.ReadCounter();
  uint32_t base;
  {
    std::lock_guard<std::mutex> lock(segmentLock_);
    base = segments_[0].base;
    // Read on into the next file, which is not heard yet: the heard one is
    // at its end.
    if (segmentCount_ > 1 && static_cast<int32_t>(read - segments_[1].start) > 0) {
      read = segments_[1].start;
    }
  }
  const uint64_t frames = (read - base) / kRingBytesPerFrame;
  return static_cast<uint32_t>(frames * 1000 / rate_.load());
}
