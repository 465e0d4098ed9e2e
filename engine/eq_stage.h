// The equalizer stage of the wave output: blocks of 8192 stereo frames from
// the sample ring, filtered in the frequency domain by 4096 per-bin gains,
// scaled by the output multiplier and cross-faded over 128 frames.
#pragma once
#include <atomic>
#include <cstdint>
#include <mutex>

#include "engine/output_stage.h"
#include "engine/sample_ring.h"
#include "eq/aligned_floats.h"
#include "eq/eq_preset.h"
#include "eq/fft.h"
#include "eq/scheduled_curves.h"

class EqualizerStage final : public EqualizerPath {
 public:
  static constexpr int32_t kPoints = 8192;
  static constexpr int32_t kBins = 4096;
  static constexpr int32_t kBlockSamples = 16384;  // 8192 frames
  static constexpr int32_t kHopSamples = 16128;    // new samples per block
  static constexpr uint32_t kHopBytes = 32256;
  static constexpr int32_t kOverlapSamples = 256;  // 128 frames cross-faded
  static constexpr int32_t kFadeFrames = 128;
  // The rate the stored bin positions refer to (Bin = hertz * 8192 / 44100).
  static constexpr uint32_t kCurveRate = 44100;

  EqualizerStage();  // transform for 8192 points (left + i right); gains 1.0; off

  // --- player thread (SetStreamRate also from whichever thread opens the
  // device); both serialise on writerLock_ and never block the audio thread.
  // Interpolates the curve onto the bins for the current stream rate, or
  // switches the equalizer off for an empty curve (the gains then stay).
  void SetEqCurve(const EqualizerCurve& curve);
  // The curve of a file queued behind the one playing: it takes effect with
  // the block that delivers ring byte `at` (the file's first sample), across
  // the usual cross-fade, while the filter runs on through the join. An
  // empty curve switches the equalizer off after that block; a curve while
  // the equalizer is off switches it on at that block (the plain path plays
  // up to it). Curves of several queued files wait in order.
  void ScheduleEqCurve(const EqualizerCurve& curve, uint32_t at);
  // The queued files whose curves wait were dropped.
  void CancelSchedule() { scheduled_.Clear(); }
  // The rate of the stream the output carries; the applied curve is mapped
  // again so a point at f Hz keeps acting at f Hz. 0 counts as 44100.
  void SetStreamRate(uint32_t rate);
  // The table SetEqCurve (or SetStreamRate) wrote last. Writer thread only.
  const float* LatestGains() const;

  // --- EqualizerPath: the audio refill thread ----------------------------
  bool Active() const override { return eqActive.load(std::memory_order_acquire); }
  void Fill(SampleRing& ring, const GainPlan& gains, int16_t* dst, uint32_t samples) override {
    FillEqualized(ring, gains, dst, samples);
  }
  void Reset() override { ResetEqStage(); }
  uint32_t NextStreamByte(const SampleRing& ring) const override;
  uint32_t PlainBytesBefore(uint32_t read) const override;
  void Activate() override;
  uint32_t PendingStreamSamples() const override;
  uint32_t DrainPending(int16_t* dst, uint32_t samples) override;

  // Writes exactly `samples` equalized samples to dst. An empty ring gives
  // silence and leaves pending samples for later. When a new gain table
  // arrived since the last block, the pending samples are filtered again
  // with it first (cross-faded over 128 frames from the old result), so a
  // change is heard one block earlier.
  void FillEqualized(SampleRing& ring, const GainPlan& gains, int16_t* dst, uint32_t samples);
  void FillEqualized(SampleRing& ring, int32_t multiplier, int16_t* dst, uint32_t samples) {
    FillEqualized(ring, GainPlan(multiplier), dst, samples);
  }
  // One block into outBlock; advances R by one hop (not beyond W). Returns
  // the samples made ready at the start of outBlock (16128). A block that
  // does not follow on the previous one (the plain path ran in between, or
  // a seek) is cross-faded in from the unfiltered samples.
  int32_t ProcessEqBlock(SampleRing& ring, const GainPlan& gains);
  int32_t ProcessEqBlock(SampleRing& ring, int32_t multiplier) {
    return ProcessEqBlock(ring, GainPlan(multiplier));
  }
  // Before a file starts (output idle): no carried tail, nothing pending.
  void ResetEqStage();

  // The transform, for tests and the benchmark to choose its kernel. Audio
  // thread (or before playback).
  CFft& fft() { return fft_; }
  int32_t PendingStart() const { return pendingStart; }
  int32_t PendingCount() const { return pendingCount; }

 private:
  void PublishGains();  // writerLock_ held
  const float* TakeNewestGains();  // audio thread
  bool NewGainsWaiting() const;    // audio thread
  // The last block again with the newest gains, for its samples not yet
  // delivered (and the overlap it hands on). Audio thread.
  void RefilterPending(const GainPlan& gains);
  // outBlock-like samples from the transform's time buffer, each scaled by
  // the plan's multiplier at its ring position (blockStartByte_ onwards).
  void ScaleBlock(const GainPlan& gains, int16_t* out);
  // A scheduled curve whose position this block reaches becomes the
  // block's table. Audio thread.
  void AdoptScheduledGains();

  // --- audio thread (or the player thread while the output is idle:
  // construction and ResetEqStage) ----------------------------------------
  CFft fft_;
  int16_t outBlock[kBlockSamples] = {};  // the last processed block
  int16_t fadeTail[kOverlapSamples] = {};  // faded-out overlap for the next block
  int32_t pendingStart = 0;  // first sample of outBlock not yet delivered
  int32_t pendingCount = 0;  // samples of outBlock not yet delivered
  int32_t blockStreamSamples = 0;  // samples of outBlock that came from the ring (the rest is padding)
  uint32_t blockStartByte_ = 0;    // ring byte position of outBlock[0]
  uint32_t followOnByte_ = 0;      // where the next block continues this one
  // The last block before its gains, and the tail it was cross-faded with:
  // enough to filter it again when the gains change while it is pending.
  AlignedFloats blockSpectrum_;                  // kPoints packed points
  int16_t blockFadeIn_[kOverlapSamples] = {};
  int16_t refiltered_[kBlockSamples] = {};

  // --- gain tables: triple buffer between the writer (player thread) and
  // the audio thread; no locks on the audio side, no table ever read while
  // it is written. The writer fills binGain[writerTable_], then swaps it
  // with the shared slot (release) marking it fresh; before each block the
  // audio thread swaps its table binGain[readerTable_] with the shared slot
  // (acquire) if that is fresh, and uses one complete table for the block.
  static constexpr uint8_t kFresh = 4;
  static constexpr uint8_t kIndexMask = 3;
  float binGain[3][kBins];
  std::atomic<uint8_t> sharedTable_{1};  // index | kFresh
  uint8_t readerTable_ = 0;              // audio thread only
  // eqActive: stored by the writer after the table it refers to is shared
  // (release); loaded by the audio thread (acquire). So a block never sees
  // it set before the first complete table.
  std::atomic<bool> eqActive{false};

  // --- the curves of queued files, each due at its file's first sample
  // (the writer pushes under writerLock_, the audio thread takes them).
  ScheduledCurves scheduled_;

  // --- writer side, under writerLock_ ------------------------------------
  std::mutex writerLock_;
  uint8_t writerTable_ = 2;
  uint8_t latestTable_ = 0;
  EqualizerCurve curve_;  // the curve in force (empty: off)
  uint32_t rate_ = kCurveRate;
};

// Bin gains from a curve (bin positions at 44100 Hz) for a stream at `rate`:
// each position x moves to x * 44100 / rate, then the gains run linearly
// between points and stay at the end values outside them. At 44100 Hz this
// is exactly the stored curve. Gains that come out non-finite (a damaged
// curve) are taken as 1.0.
void InterpolateBinGains(const EqualizerCurve& curve, uint32_t rate, float* gains,
                         int32_t binCount);
