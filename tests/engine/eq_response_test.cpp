// A preset's band acts at its frequency, at 44100 Hz and at other stream
// rates; presets that change nothing keep the signal as it was.
#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <memory>
#include <optional>
#include <vector>

#include "eq/eq_presets.h"
#include "engine/eq_stage.h"
#include "tests/engine/eq_test_signals.h"

namespace {

using eq_test::Feed;
using eq_test::kPi;
using eq_test::Plain;
using eq_test::ReferenceFft;
using eq_test::Stereo;
using eq_test::Tone;

constexpr int32_t kN = 8192;
constexpr uint32_t kHopFrames = 8064;
constexpr double kAmplitude = 10000;

// The octave preset's bands, with the 1000 Hz band at 0.
const std::vector<double> kBands = {31.5, 63, 125, 250, 500, 1000, 2000, 4000, 8000, 16000};
std::vector<double> BandGains() {
  std::vector<double> gains(kBands.size(), 1.0);
  gains[5] = 0.0;
  return gains;
}

// Gain at a frequency: linear between band centres, held outside them.
double GainAt(double hertz, const std::vector<double>& gains) {
  if (hertz <= kBands.front()) return gains.front();
  if (hertz >= kBands.back()) return gains.back();
  size_t hi = 1;
  while (kBands[hi] < hertz) ++hi;
  const double t = (hertz - kBands[hi - 1]) / (kBands[hi] - kBands[hi - 1]);
  return gains[hi - 1] + t * (gains[hi] - gains[hi - 1]);
}

// The block filter in double precision on one channel: blocks of 8192
// frames every 8064, gains by frequency (bands placed for `bandRate`), the
// 128-frame cross-fade. Returns the power ratio in dB over blocks 1..4.
double PredictedGainDb(double hertz, double rate, double bandRate) {
  const std::vector<double> gains = BandGains();
  std::vector<double> gain(kN);
  for (int32_t k = 0; k < kN; ++k) {
    const int32_t mirrored = k <= kN / 2 ? k : kN - k;
    gain[k] = k == kN / 2 ? 1.0 : GainAt(mirrored * bandRate / kN, gains);
  }
  const double omega = 2 * kPi * hertz / rate;
  std::vector<double> out(5 * kHopFrames, 0.0), tail(128, 0.0);
  std::vector<std::complex<double>> block(kN);
  for (uint32_t b = 0; b < 5; ++b) {
    for (int32_t n = 0; n < kN; ++n) block[n] = kAmplitude * std::cos(omega * (b * kHopFrames + n));
    ReferenceFft(block, -1);
    for (int32_t k = 0; k < kN; ++k) block[k] *= gain[k] / kN;
    ReferenceFft(block, +1);
    for (uint32_t n = 0; n < kHopFrames; ++n) {
      const double v = block[n].real();
      out[b * kHopFrames + n] = n < 128 ? v * (n / 128.0) + tail[n] : v;
    }
    for (uint32_t n = 0; n < 128; ++n) tail[n] = (128 - n) / 128.0 * block[kHopFrames + n].real();
  }
  double power = 0;
  for (uint32_t f = kHopFrames; f < 5 * kHopFrames; ++f) power += out[f] * out[f];
  power /= 4 * kHopFrames;
  return 10 * std::log10(power / (kAmplitude * kAmplitude / 2));
}

double PowerOf(const std::vector<int16_t>& samples, size_t firstFrame, size_t endFrame) {
  double sum = 0;
  for (size_t f = firstFrame; f < endFrame; ++f) sum += double(samples[2 * f]) * samples[2 * f];
  return sum / static_cast<double>(endFrame - firstFrame);
}

// Plays a cosine through the stage and measures blocks 1..4 of the output.
double MeasuredGainDb(EqualizerStage& stage, double hertz, double rate) {
  const uint32_t frames = 6 * kHopFrames + 128;
  const auto input = Stereo(frames, Tone(kAmplitude, hertz / rate), Tone(kAmplitude, hertz / rate, 1));
  auto ring = std::make_unique<SampleRing>();
  Feed(*ring, input);
  stage.ResetEqStage();
  std::vector<int16_t> out(input.size());
  stage.FillEqualized(*ring, 16384, out.data(), static_cast<uint32_t>(out.size()));
  return 10 * std::log10(PowerOf(out, kHopFrames, 5 * kHopFrames) /
                         PowerOf(input, kHopFrames, 5 * kHopFrames));
}

class PresetThroughStage : public testing::Test {
 protected:
  void SetUp() override {
    stage = std::make_unique<EqualizerStage>();
    id = presets.AddNewPreset([this] { return ++lastId; });
  }
  void Apply() {
    EqualizerCurve curve;
    ASSERT_TRUE(presets.BuildEqualizerCurve(id, curve));
    stage->SetEqCurve(curve);
  }
  std::unique_ptr<EqualizerStage> stage;
  EqPresetList presets;
  int32_t lastId = 0;
  int32_t id = 0;
};

TEST_F(PresetThroughStage, OctaveBandAtZeroActsAtItsFrequencyAtEveryRate) {
  ASSERT_TRUE(presets.SetPresetType(id, EqTypeOctave));
  std::vector<std::pair<float, float>> points;
  const std::optional<EqPreset> octave = presets.FindPreset(id);
  ASSERT_TRUE(octave);
  for (const EqPoint& p : octave->points) points.emplace_back(p.x, p.y);
  ASSERT_EQ(points.size(), 10u);
  points[5].second = 0.0f;  // the 1000 Hz band
  ASSERT_TRUE(presets.ReplacePresetPoints(id, points));
  Apply();

  for (double rate : {44100.0, 48000.0}) {
    SCOPED_TRACE(rate);
    stage->SetStreamRate(static_cast<uint32_t>(rate));
    const double notch = MeasuredGainDb(*stage, 1000, rate);
    EXPECT_NEAR(notch, PredictedGainDb(1000, rate, rate), 0.5);
    EXPECT_LT(notch, -25.0);
    EXPECT_NEAR(MeasuredGainDb(*stage, 4000, rate), 0.0, 0.05);
  }
  // Left at the 44100 Hz mapping, a 48000 Hz stream would get the notch at
  // 1088 Hz: 1000 Hz would pass far less attenuated.
  stage->SetStreamRate(44100);
  const double misplaced = MeasuredGainDb(*stage, 1000, 48000);
  EXPECT_NEAR(misplaced, PredictedGainDb(1000, 48000, 44100), 0.5);
  EXPECT_GT(misplaced, -20.0);
}

TEST_F(PresetThroughStage, FreshPresetKeepsTheSignalButStaysEngaged) {
  Apply();
  EXPECT_TRUE(stage->Active());
  const auto input = Stereo(30000, Tone(12000, 0.013), Tone(9000, 0.21, 0.5));
  auto ring = std::make_unique<SampleRing>();
  Feed(*ring, input);
  stage->ResetEqStage();
  std::vector<int16_t> out(input.size());
  stage->FillEqualized(*ring, 16384, out.data(), static_cast<uint32_t>(out.size()));
  for (size_t i = 256; i < input.size(); ++i) {
    ASSERT_LE(std::abs(out[i] - Plain(input[i], 16384)), 2) << i;
  }

  // "NoEQ" leaves no points: the curve switches the equalizer off.
  ASSERT_TRUE(presets.SetPresetType(id, EqTypeNone));
  Apply();
  EXPECT_FALSE(stage->Active());
  // Back to an octave equalizer: ten flat bands, engaged again.
  ASSERT_TRUE(presets.SetPresetType(id, EqTypeOctave));
  Apply();
  EXPECT_TRUE(stage->Active());
  for (int i = 0; i < 4096; ++i) ASSERT_EQ(stage->LatestGains()[i], 1.0f) << i;
}

}  // namespace
