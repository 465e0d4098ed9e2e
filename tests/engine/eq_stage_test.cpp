// The equalizer stage: blocks, cross-fade, saturation, bins, refills.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <memory>
#include <vector>

#include "engine/eq_stage.h"
#include "tests/engine/eq_test_signals.h"

namespace {

using eq_test::Curve;
using eq_test::Feed;
using eq_test::Flat;
using eq_test::Plain;
using eq_test::Stereo;
using eq_test::Tone;

constexpr uint32_t kRequest = 16384;  // what the wave output asks for (32768-byte buffers)

std::vector<CFft::Kernel> Kernels() {
  std::vector<CFft::Kernel> kernels{CFft::Kernel::kScalar};
  if (CFft::VectorKernelAvailable()) kernels.push_back(CFft::Kernel::kVector);
  if (CFft::WideKernelAvailable()) kernels.push_back(CFft::Kernel::kWide);
  return kernels;
}

// Runs `input` through the stage (after a reset) in requests of 16384 and
// returns the output of the blocks that lie wholly inside the input: the
// last 32768 samples are only there to keep the ring from running dry.
std::vector<int16_t> Equalize(EqualizerStage& stage, const std::vector<int16_t>& input,
                              int32_t multiplier) {
  auto ring = std::make_unique<SampleRing>();
  stage.ResetEqStage();
  Feed(*ring, input);
  std::vector<int16_t> out;
  std::vector<int16_t> chunk(kRequest);
  const size_t wanted = input.size() - 2 * kRequest;
  while (out.size() < wanted) {
    stage.FillEqualized(*ring, multiplier, chunk.data(), kRequest);
    out.insert(out.end(), chunk.begin(), chunk.end());
  }
  out.resize(wanted);
  return out;
}

// |out - expected| within tolerance from sample `from` on; reports the first miss.
void ExpectClose(const std::vector<int16_t>& out, const std::vector<int16_t>& expected,
                 int tolerance, size_t from = 256) {
  ASSERT_LE(out.size(), expected.size());
  for (size_t i = from; i < out.size(); ++i) {
    ASSERT_LE(std::abs(out[i] - expected[i]), tolerance) << "sample " << i;
  }
}

// The first 128 frames after a reset fade in from silence.
void ExpectFadeIn(const std::vector<int16_t>& out, const std::vector<int16_t>& steady) {
  for (int32_t i = 0; i < 256; ++i) {
    const int expected = (i / 2) * steady[i] / 128;
    ASSERT_LE(std::abs(out[i] - expected), 2) << "sample " << i;
  }
}

class EqStageTest : public testing::TestWithParam<CFft::Kernel> {
 protected:
  void SetUp() override {
    stage = std::make_unique<EqualizerStage>();
    ASSERT_TRUE(stage->fft().SelectKernel(GetParam()));
  }
  std::unique_ptr<EqualizerStage> stage;
};

TEST_P(EqStageTest, UnityGainsEqualThePlainPathAfterTheFadeIn) {
  stage->SetEqCurve(Flat(1.0f));
  ASSERT_TRUE(stage->Active());
  // Three and a half blocks of two tones off the bin grid and some noise.
  std::srand(7);
  const auto input = Stereo(
      46000, [](uint32_t n) { return Tone(9000, 440.3 / 44100)(n) + (std::rand() % 2001 - 1000); },
      [](uint32_t n) { return Tone(7000, 5123.0 / 44100, 1.0)(n) + Tone(3000, 0.31)(n); });
  for (int32_t m : {16384, 9000, 40000}) {
    SCOPED_TRACE(m);
    const auto out = Equalize(*stage, input, m);
    std::vector<int16_t> plain(out.size());
    for (size_t i = 0; i < out.size(); ++i) plain[i] = Plain(input[i], m);
    ExpectFadeIn(out, plain);
    ExpectClose(out, plain, 2);
  }
}

TEST_P(EqStageTest, GainTwoSaturatesFullScaleEvenBeyondThirtyTwoBits) {
  stage->SetEqCurve(Flat(2.0f));
  // On the bin grid: no leakage into the Nyquist point, which keeps gain 1.
  const auto input = Stereo(40000, Tone(32767, 100.0 / 8192), Tone(-32768, 58.0 / 8192));
  // M = 65536: M * 2 * 32767 is beyond the 32-bit range.
  const auto out = Equalize(*stage, input, 65536);
  int saturatedHigh = 0, saturatedLow = 0;
  for (size_t i = 256; i < out.size(); ++i) {
    const int wanted = std::clamp(8 * input[i], -32768, 32767);
    // Saturated; the cross-fade's two truncating divisions may take 1 or 2.
    if (wanted == 32767 && input[i] > 4200) {
      ASSERT_GE(out[i], 32765) << i;
      ++saturatedHigh;
    } else if (wanted == -32768 && input[i] < -4200) {
      ASSERT_LE(out[i], -32766) << i;
      ++saturatedLow;
    } else if (std::abs(input[i]) < 4000) {
      ASSERT_LE(std::abs(out[i] - wanted), 2) << i;
    }
  }
  EXPECT_GT(saturatedHigh, 1000);
  EXPECT_GT(saturatedLow, 1000);
}

TEST_P(EqStageTest, ZeroGainRemovesABinFromBothChannels) {
  // Bin 100 off, everything else flat; tones exactly on bins 100 and 300.
  stage->SetEqCurve(Curve({99, 100, 101}, {1, 0, 1}));
  const double bin = 1.0 / 8192;
  const auto input = Stereo(
      40000, [&](uint32_t n) { return Tone(12000, 100 * bin)(n) + Tone(6000, 300 * bin)(n); },
      [&](uint32_t n) { return Tone(12000, 100 * bin, 1.2)(n) + Tone(6000, 300 * bin, 2.0)(n); });
  const auto kept = Stereo(40000, Tone(6000, 300 * bin), Tone(6000, 300 * bin, 2.0));
  ExpectClose(Equalize(*stage, input, 16384), kept, 3);
}

TEST_P(EqStageTest, DcFollowsTheFirstGainAndNyquistIsNeverScaled) {
  const double bin = 1.0 / 8192;
  {
    SCOPED_TRACE("DC at half gain");
    stage->SetEqCurve(Curve({0, 1}, {0.5f, 1.0f}));
    const auto input = Stereo(
        40000, [&](uint32_t n) { return 10000 + Tone(5000, 300 * bin)(n); },
        [&](uint32_t n) { return -8000 + Tone(5000, 301 * bin)(n); });
    const auto expected = Stereo(
        40000, [&](uint32_t n) { return 5000 + Tone(5000, 300 * bin)(n); },
        [&](uint32_t n) { return -4000 + Tone(5000, 301 * bin)(n); });
    ExpectClose(Equalize(*stage, input, 16384), expected, 2);
  }
  {
    SCOPED_TRACE("every gain 0");
    stage->SetEqCurve(Flat(0.0f));
    const auto nyquist = [](uint32_t n) { return (n % 2 ? -9000.0 : 9000.0); };
    const auto input = Stereo(
        40000, [&](uint32_t n) { return nyquist(n) + 3000 + Tone(4000, 0.01)(n); },
        [&](uint32_t n) { return -nyquist(n) + Tone(4000, 0.2)(n); });
    const auto expected = Stereo(40000, nyquist, [&](uint32_t n) { return -nyquist(n); });
    ExpectClose(Equalize(*stage, input, 16384), expected, 2);
  }
}

TEST_P(EqStageTest, RequestsOfWholeHopsKeepTheLastBlockPending) {
  stage->SetEqCurve(Flat(1.0f));
  auto ring = std::make_unique<SampleRing>();
  const auto input = Stereo(5 * 8192, Tone(5000, 0.01), Tone(5000, 0.02));
  Feed(*ring, input);
  std::vector<int16_t> out(3 * 16128);

  stage->FillEqualized(*ring, 16384, out.data(), 2 * 16128);
  EXPECT_EQ(ring->ReadCounter(), 3u * EqualizerStage::kHopBytes);  // k + 1 = 3 blocks
  EXPECT_EQ(stage->PendingStart(), 0);
  EXPECT_EQ(stage->PendingCount(), 16128);

  stage->FillEqualized(*ring, 16384, out.data() + 2 * 16128, 1000);  // from the pending block
  EXPECT_EQ(ring->ReadCounter(), 3u * EqualizerStage::kHopBytes);
  EXPECT_EQ(stage->PendingStart(), 1000);
  EXPECT_EQ(stage->PendingCount(), 15128);

  stage->FillEqualized(*ring, 16384, out.data() + 2 * 16128 + 1000, 15128);
  EXPECT_EQ(ring->ReadCounter(), 4u * EqualizerStage::kHopBytes);
  EXPECT_EQ(stage->PendingCount(), 16128);

  std::vector<int16_t> head(input.begin(), input.begin() + static_cast<long>(out.size()));
  ExpectClose(out, head, 2);
}

TEST_P(EqStageTest, AnEmptyRingAnswersSilenceAndKeepsWhatIsPending) {
  stage->SetEqCurve(Flat(1.0f));
  auto ring = std::make_unique<SampleRing>();
  Feed(*ring, Stereo(10000, Tone(5000, 0.01), Tone(5000, 0.02)));
  std::vector<int16_t> out(kRequest, 1);
  // Two blocks: the second reads the last 3872 samples and R stops at W.
  stage->FillEqualized(*ring, 16384, out.data(), kRequest);
  EXPECT_EQ(ring->AvailableBytes(), 0u);
  EXPECT_EQ(ring->ReadCounter(), 20000u * 2);
  EXPECT_EQ(stage->PendingStart(), 256);
  EXPECT_EQ(stage->PendingCount(), 15872);

  std::fill(out.begin(), out.end(), 1);
  stage->FillEqualized(*ring, 16384, out.data(), kRequest);
  EXPECT_EQ(std::count(out.begin(), out.end(), 0), static_cast<long>(kRequest));
  EXPECT_EQ(stage->PendingCount(), 15872);

  stage->ResetEqStage();
  EXPECT_EQ(stage->PendingCount(), 0);
  EXPECT_EQ(stage->PendingStart(), 0);
}

INSTANTIATE_TEST_SUITE_P(Kernels, EqStageTest, testing::ValuesIn(Kernels()),
                         [](const testing::TestParamInfo<CFft::Kernel>& info) {
                           switch (info.param) {
                             case CFft::Kernel::kVector: return "Vector";
                             case CFft::Kernel::kWide: return "Wide";
                             default: return "Scalar";
                           }
                         });

TEST(EqCurveToGains, InterpolatesBetweenPointsAndHoldsTheEnds) {
  std::vector<float> g(4096);
  InterpolateBinGains(Curve({300.0f}, {0.25f}), 44100, g.data(), 4096);
  EXPECT_EQ(std::count(g.begin(), g.end(), 0.25f), 4096);

  // 25 Hz, a whole bin, and a last point below the top.
  InterpolateBinGains(Curve({4.64399f, 20.0f, 1000.0f}, {0.5f, 1.5f, 2.0f}), 44100, g.data(),
                      4096);
  for (int i = 0; i <= 4; ++i) EXPECT_EQ(g[i], 0.5f) << i;
  EXPECT_NEAR(g[10], 0.5 + (10 - 4.64399) / (20 - 4.64399), 1e-6);
  EXPECT_EQ(g[20], 1.5f);
  EXPECT_NEAR(g[510], 1.75, 1e-6);
  for (int i = 1000; i < 4096; ++i) ASSERT_EQ(g[i], 2.0f) << i;

  // A curve for 44100 Hz applied to a 22050 Hz stream: positions double.
  InterpolateBinGains(Curve({100, 200}, {0, 1}), 22050, g.data(), 4096);
  EXPECT_EQ(g[199], 0.0f);
  EXPECT_EQ(g[200], 0.0f);
  EXPECT_NEAR(g[300], 0.5, 1e-6);
  EXPECT_EQ(g[400], 1.0f);
  InterpolateBinGains(Curve({100, 200}, {0, 1}), 48000, g.data(), 4096);
  EXPECT_NEAR(g[138], (138 - 91.875) / 91.875, 1e-6);

  // Damaged curves (from a damaged settings file) give finite gains.
  const float nan = std::nanf("");
  InterpolateBinGains(Curve({nan, 50, 10, nan}, {1, nan, 2, 3}), 44100, g.data(), 4096);
  for (float v : g) ASSERT_TRUE(std::isfinite(v));
}

TEST(EqCurveToGains, TheStageMapsForTheStreamRateAndEmptyCurvesSwitchOff) {
  auto stage = std::make_unique<EqualizerStage>();
  EXPECT_FALSE(stage->Active());
  stage->SetEqCurve(Curve({100, 200}, {0, 1}));
  EXPECT_TRUE(stage->Active());
  EXPECT_NEAR(stage->LatestGains()[150], 0.5, 1e-6);

  stage->SetStreamRate(22050);
  EXPECT_NEAR(stage->LatestGains()[300], 0.5, 1e-6);
  EXPECT_EQ(stage->LatestGains()[150], 0.0f);
  stage->SetStreamRate(0);  // taken as 44100
  EXPECT_NEAR(stage->LatestGains()[150], 0.5, 1e-6);

  stage->SetEqCurve(EqualizerCurve());
  EXPECT_FALSE(stage->Active());
  EXPECT_NEAR(stage->LatestGains()[150], 0.5, 1e-6);  // the gains stay
  stage->SetStreamRate(48000);  // nothing applied: nothing to map
  EXPECT_NEAR(stage->LatestGains()[150], 0.5, 1e-6);
  stage->SetEqCurve(Curve({100, 200}, {0, 1}));  // mapped at the rate now in force
  EXPECT_NEAR(stage->LatestGains()[138], (138 - 91.875) / 91.875, 1e-6);
}

}  // namespace
