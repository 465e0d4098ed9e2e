// The equalizer stage: gain tables from curves, block processing, refills.
#include "engine/eq_stage.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <thread>

#include "eq/eq_block_math.h"

void InterpolateBinGains(const EqualizerCurve& curve, uint32_t rate, float* gains,
                         int32_t binCount) {
  const int32_t count = std::min(curve.Count(), static_cast<int32_t>(curve.y.size()));
  if (count <= 0) return;
  if (rate == 0) rate = EqualizerStage::kCurveRate;
  const double scale = static_cast<double>(EqualizerStage::kCurveRate) / rate;
  const float* xs = curve.x.data();
  const float* ys = curve.y.data();
  auto x = [&](int32_t j) { return static_cast<double>(xs[j]) * scale; };

  const double first = x(0);
  const double last = x(count - 1);
  // lo = first index whose position is at least i. It only moves forward as
  // i grows (positions below i stay below i + 1), even for an unsorted curve.
  int32_t lo = 0;
  for (int32_t i = 0; i < binCount; ++i) {
    while (lo < count && !(x(lo) >= i)) ++lo;
    const int32_t at = lo < count ? lo : count - 1;
    double g;
    if (i < first) {
      g = ys[0];
    } else if (i > last) {
      g = ys[count - 1];
    } else if (i == x(at) || at == 0) {
      g = ys[at];
    } else {
      const double x0 = x(at - 1);
      g = ys[at - 1] + (i - x0) * (static_cast<double>(ys[at]) - ys[at - 1]) / (x(at) - x0);
    }
    const float stored = static_cast<float>(g);
    gains[i] = std::isfinite(stored) ? stored : 1.0f;
  }
}

EqualizerStage::EqualizerStage() {
  fft_.Init(kPoints, 1);  // left + i right: one complex transform
  blockSpectrum_.Allocate(static_cast<size_t>(kPoints) * 2);
  for (auto& table : binGain) std::fill(table, table + kBins, 1.0f);
}

// --- writer side ------------------------------------------------------------

void EqualizerStage::SetEqCurve(const EqualizerCurve& curve) {
  std::lock_guard<std::mutex> lock(writerLock_);
  if (curve.Count() == 0 || curve.y.empty()) {
    curve_ = EqualizerCurve();
    eqActive.store(false, std::memory_order_release);
    scheduled_.Clear();  // no block runs to reach them
    return;
  }
  curve_ = curve;
  PublishGains();
  eqActive.store(true, std::memory_order_release);
}

void EqualizerStage::ScheduleEqCurve(const EqualizerCurve& curve, uint32_t at) {
  std::lock_guard<std::mutex> lock(writerLock_);
  const bool on = curve.Count() != 0 && !curve.y.empty();
  // Off already, and no curve waiting to switch it on: nothing changes.
  if (!on && !eqActive.load(std::memory_order_relaxed) && scheduled_.Empty()) return;
  float gains[kBins];
  if (on) InterpolateBinGains(curve, rate_, gains, kBins);
  scheduled_.Push(at, on ? gains : nullptr);
  curve_ = on ? curve : EqualizerCurve();
}

uint32_t EqualizerStage::PlainBytesBefore(uint32_t read) const {
  uint32_t at;
  if (!scheduled_.FirstOnAt(at)) return UINT32_MAX;
  // The first block that delivers `at` may start one hop before it.
  const int32_t left = static_cast<int32_t>(at - kHopBytes + 4 - read);
  return left > 0 ? static_cast<uint32_t>(left) : 0;
}

void EqualizerStage::Activate() { eqActive.store(true, std::memory_order_release); }

void EqualizerStage::SetStreamRate(uint32_t rate) {
  if (rate == 0) rate = kCurveRate;
  std::lock_guard<std::mutex> lock(writerLock_);
  if (rate == rate_) return;
  rate_ = rate;
  if (curve_.Count() != 0) PublishGains();
}

void EqualizerStage::PublishGains() {
  InterpolateBinGains(curve_, rate_, binGain[writerTable_], kBins);
  latestTable_ = writerTable_;
  // The table the audio thread gave back (or never took) becomes ours.
  const uint8_t handed = static_cast<uint8_t>(writerTable_ | kFresh);
  writerTable_ = sharedTable_.exchange(handed, std::memory_order_acq_rel) & kIndexMask;
}

const float* EqualizerStage::LatestGains() const { return binGain[latestTable_]; }

// --- audio thread -----------------------------------------------------------

bool EqualizerStage::NewGainsWaiting() const {
  return (sharedTable_.load(std::memory_order_relaxed) & kFresh) != 0;
}

const float* EqualizerStage::TakeNewestGains() {
  if (sharedTable_.load(std::memory_order_relaxed) & kFresh) {
    readerTable_ = sharedTable_.exchange(readerTable_, std::memory_order_acq_rel) & kIndexMask;
  }
  return binGain[readerTable_];
}

void EqualizerStage::AdoptScheduledGains() {
  // Several short files may start within one block: the last one's curve.
  bool taken = false;
  bool on = true;
  while (scheduled_.TakeDue(blockStartByte_ + kHopBytes, binGain[readerTable_], on)) taken = true;
  if (taken && !on) {
    // This block plays through flat gains, then the plain path takes over
    // where it stopped reading.
    std::fill(binGain[readerTable_], binGain[readerTable_] + kBins, 1.0f);
    eqActive.store(false, std::memory_order_release);
  }
}

uint32_t EqualizerStage::NextStreamByte(const SampleRing& ring) const {
  return pendingCount > 0 ? blockStartByte_ + 2 * static_cast<uint32_t>(pendingStart)
                          : ring.ReadCounter();
}

void EqualizerStage::ResetEqStage() {
  std::memset(fadeTail, 0, sizeof fadeTail);
  pendingStart = 0;
  pendingCount = 0;
  blockStreamSamples = 0;
  blockStartByte_ = 0;
  followOnByte_ = 0;  // the stream starts at 0: its first block fades in
  scheduled_.Clear();
}

uint32_t EqualizerStage::PendingStreamSamples() const {
  // Pending samples past the stream's end in the last block are padding.
  const int32_t end = std::min(pendingStart + pendingCount, blockStreamSamples);
  return end > pendingStart ? static_cast<uint32_t>(end - pendingStart) : 0;
}

uint32_t EqualizerStage::DrainPending(int16_t* dst, uint32_t samples) {
  const uint32_t take = std::min(PendingStreamSamples(), samples);
  std::memcpy(dst, outBlock + pendingStart, take * sizeof(int16_t));
  pendingStart += static_cast<int32_t>(take);
  pendingCount -= static_cast<int32_t>(take);
  return take;
}

void EqualizerStage::ScaleBlock(const GainPlan& gains, int16_t* out) {
  const CFft::Kernel kernel = fft_.ActiveKernel();
  const float* t = fft_.timeBuffer();
  gains.ForEachRun(blockStartByte_, 2 * kBlockSamples,
                   [&](uint32_t offset, uint32_t length, int32_t multiplier) {
    // A run that starts inside a block (a file's first sample) leaves the
    // vector forms' alignment: the scalar form takes the samples up to the
    // next 8-sample boundary and after the last whole group of 8.
    const int32_t first = static_cast<int32_t>(offset / 2);
    const int32_t count = static_cast<int32_t>(length / 2);
    const int32_t head = std::min(count, (8 - first % 8) % 8);
    const int32_t wide = (count - head) & ~7;
    const int32_t tail = first + head + wide;
    eq_block_math::ScaleToSamples(t + first, multiplier, out + first, head, CFft::Kernel::kScalar);
    eq_block_math::ScaleToSamples(t + first + head, multiplier, out + first + head, wide, kernel);
    eq_block_math::ScaleToSamples(t + tail, multiplier, out + tail, first + count - tail,
                                  CFft::Kernel::kScalar);
  });
}

int32_t EqualizerStage::ProcessEqBlock(SampleRing& ring, const GainPlan& gains) {
  fft_.ClearTime();
  float* t = fft_.timeBuffer();
  blockStartByte_ = ring.ReadCounter();
  const uint32_t start = blockStartByte_ / 2;
  const uint32_t available = ring.AvailableBytes() / 2;
  const uint32_t count = std::min<uint32_t>(available, kBlockSamples);
  for (uint32_t i = 0; i < count; ++i) t[i] = ring.Sample(start + i);
  blockStreamSamples = static_cast<int32_t>(count);

  if (blockStartByte_ != followOnByte_) {
    // The previous block's tail is not what comes before these samples:
    // fade in from the samples themselves, unfiltered.
    for (int32_t i = 0; i < kOverlapSamples; ++i) {
      const int32_t f = i / 2;
      const int64_t scaled =
          (static_cast<int64_t>(i < static_cast<int32_t>(count) ? ring.Sample(start + i) : 0) *
           gains.At(blockStartByte_ + 2 * i)) >> 14;
      fadeTail[i] = static_cast<int16_t>(
          (kFadeFrames - f) * std::clamp<int64_t>(scaled, -32768, 32767) / kFadeFrames);
    }
  }
  followOnByte_ = blockStartByte_ + kHopBytes;

  const CFft::Kernel kernel = fft_.ActiveKernel();
  fft_.Forward();
  std::memcpy(blockSpectrum_.data(), fft_.spectrumBuffer(), blockSpectrum_.size() * sizeof(float));
  TakeNewestGains();
  AdoptScheduledGains();
  eq_block_math::ApplyBinGains(fft_.spectrumBuffer(), binGain[readerTable_], kPoints, kernel);
  fft_.Inverse();
  ScaleBlock(gains, outBlock);

  // Cross-fade with the tail of the previous block, then keep this block's
  // overlap, faded out, for the next one.
  std::memcpy(blockFadeIn_, fadeTail, sizeof fadeTail);
  for (int32_t i = 0; i < kOverlapSamples; ++i) {
    const int32_t f = i / 2;
    outBlock[i] = static_cast<int16_t>(f * outBlock[i] / kFadeFrames + fadeTail[i]);
  }
  for (int32_t i = 0; i < kOverlapSamples; ++i) {
    const int32_t f = i / 2;
    fadeTail[i] = static_cast<int16_t>((kFadeFrames - f) * outBlock[kHopSamples + i] / kFadeFrames);
  }
  ring.AdvanceReadCapped(kHopBytes);
  return kHopSamples;
}

void EqualizerStage::RefilterPending(const GainPlan& gains) {
  const CFft::Kernel kernel = fft_.ActiveKernel();
  std::memcpy(fft_.spectrumBuffer(), blockSpectrum_.data(), blockSpectrum_.size() * sizeof(float));
  eq_block_math::ApplyBinGains(fft_.spectrumBuffer(), TakeNewestGains(), kPoints, kernel);
  fft_.Inverse();
  ScaleBlock(gains, refiltered_);
  for (int32_t i = 0; i < kOverlapSamples; ++i) {
    const int32_t f = i / 2;
    refiltered_[i] = static_cast<int16_t>(f * refiltered_[i] / kFadeFrames + blockFadeIn_[i]);
  }
  // From the first sample not yet delivered, fade from the old result to
  // the new one: the same signal under two curves, so no step is heard.
  const int32_t end = pendingStart + pendingCount;
  for (int32_t i = pendingStart; i < end; ++i) {
    const int32_t f = (i - pendingStart) / 2;
    outBlock[i] = f < kFadeFrames
                      ? static_cast<int16_t>(((kFadeFrames - f) * outBlock[i] + f * refiltered_[i]) / kFadeFrames)
                      : refiltered_[i];
  }
  for (int32_t i = 0; i < kOverlapSamples; ++i) {
    const int32_t f = i / 2;
    outBlock[kHopSamples + i] = refiltered_[kHopSamples + i];
    fadeTail[i] = static_cast<int16_t>((kFadeFrames - f) * refiltered_[kHopSamples + i] / kFadeFrames);
  }
}

void EqualizerStage::FillEqualized(SampleRing& ring, const GainPlan& gains, int16_t* dst,
                                   uint32_t samples) {
  if (samples == 0) return;
  if (ring.AvailableBytes() == 0) {
    // Nothing to play: silence; what is pending waits (or goes at the reset).
    std::memset(dst, 0, samples * sizeof(int16_t));
    return;
  }
  uint32_t delivered = 0;
  if (pendingCount > 0 && NewGainsWaiting()) RefilterPending(gains);
  if (pendingCount > 0) {
    const uint32_t take = std::min<uint32_t>(static_cast<uint32_t>(pendingCount), samples);
    std::memcpy(dst, outBlock + pendingStart, take * sizeof(int16_t));
    delivered = take;
    if (take < static_cast<uint32_t>(pendingCount)) {  // a request shorter than the rest
      pendingStart += static_cast<int32_t>(take);
      pendingCount -= static_cast<int32_t>(take);
      return;
    }
  }
  for (;;) {
    const uint32_t ready = static_cast<uint32_t>(ProcessEqBlock(ring, gains));
    if (delivered + ready <= samples) {
      std::memcpy(dst + delivered, outBlock, ready * sizeof(int16_t));
      delivered += ready;
      continue;
    }
    const uint32_t k = samples - delivered;
    std::memcpy(dst + delivered, outBlock, k * sizeof(int16_t));
    pendingStart = static_cast<int32_t>(k);
    pendingCount = static_cast<int32_t>(ready - k);
    return;
  }
}
