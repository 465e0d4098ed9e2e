// Integrated loudness (EBU R128 / ITU-R BS.1770: K-weighting, 400 ms blocks
// every 100 ms, an absolute gate at -70 LUFS and a relative gate 10 LU below
// the gated mean) and the sample peak of one stream. Portable; one thread.
//
// Channels are weighted in the usual WAVE order: 1.0 for the fronts and the
// centre, 1.41 for the surrounds, 0 for the low-frequency channel:
//   1: mono (counted twice with dual mono: it plays on both speakers)
//   2: L R   3: L R C   4: L R Ls Rs   5: L R C Ls Rs   6: L R C LFE Ls Rs
//   more: the six of 6, the rest left out.
#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

class LoudnessMeter {
 public:
  static constexpr uint32_t kMaxChannels = 32;

  // rate 1..768000 Hz, channels 1..kMaxChannels (outside: nothing is measured).
  LoudnessMeter(uint32_t rate, uint32_t channels, bool dualMono);

  bool Valid() const { return rate_ != 0; }
  // Interleaved samples, full scale +-1.0; NaN counts as silence.
  void AddFrames(const float* samples, size_t frames);

  // Integrated loudness in LUFS; nullopt when no block passes the gates
  // (silence, or shorter than one 400 ms block).
  std::optional<double> IntegratedLufs() const;
  // Largest absolute sample value seen.
  double SamplePeak() const { return peak_; }
  // The weighted mean square of every complete block, in order.
  const std::vector<double>& BlockEnergies() const { return blocks_; }

 private:
  struct Biquad {
    double b0, b1, b2, a1, a2;
  };
  struct State {
    double x1 = 0, x2 = 0, y1 = 0, y2 = 0;
  };
  static double Run(const Biquad& f, State& s, double x);
  void EndSubBlock();

  uint32_t rate_ = 0;
  uint32_t channels_ = 0;
  Biquad shelf_{};
  Biquad highPass_{};
  std::vector<double> weights_;
  std::vector<State> shelfState_;
  std::vector<State> highPassState_;
  uint32_t subBlockFrames_ = 0;  // 100 ms
  uint32_t subBlockFill_ = 0;
  double subBlockSum_ = 0;       // weighted sum of squares of the current 100 ms
  double lastSums_[3] = {};      // the three 100 ms sums before it
  uint32_t subBlocksSeen_ = 0;
  std::vector<double> blocks_;
  double peak_ = 0;
};

// Little-endian integer PCM as plug-ins give it (8-bit unsigned, 16/24/32-bit
// signed) to floats at full scale +-1.0. `samples` counts single samples.
// False (nothing written) for another width.
bool PcmToFloat(const uint8_t* pcm, size_t samples, int bits, float* out);

// The integrated loudness of all the blocks together (an album's tracks
// measured one after another), with the same gates; nullopt as above.
std::optional<double> GatedLoudness(const std::vector<const std::vector<double>*>& blockSets);
