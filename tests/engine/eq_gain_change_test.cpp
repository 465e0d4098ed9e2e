// A new curve while a block's samples are still pending: they are filtered
// again with it, so the change is heard from the next request on.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <vector>

#include "engine/eq_stage.h"
#include "tests/engine/eq_test_signals.h"

namespace {

using eq_test::Feed;
using eq_test::Flat;
using eq_test::Stereo;
using eq_test::Tone;

constexpr uint32_t kRequest = 16384;
constexpr int32_t kUnity = 16384;

struct Requests {
  std::vector<int16_t> first, second;  // two requests of 16384 samples
  int32_t pendingBefore = 0;           // pending when the curve changed
};

// Two requests through the stage on a 1 kHz tone, with `between` (a curve, or
// none) applied after the first.
Requests TwoRequests(const EqualizerCurve* between) {
  auto stage = std::make_unique<EqualizerStage>();
  auto ring = std::make_unique<SampleRing>();
  stage->SetEqCurve(Flat(1.0f));
  Feed(*ring, Stereo(8 * 8192, Tone(8000, 1000.0 / 44100), Tone(-8000, 1000.0 / 44100)));
  Requests run;
  run.first.resize(kRequest);
  run.second.resize(kRequest);
  stage->FillEqualized(*ring, kUnity, run.first.data(), kRequest);
  run.pendingBefore = stage->PendingCount();
  if (between != nullptr) stage->SetEqCurve(*between);
  stage->FillEqualized(*ring, kUnity, run.second.data(), kRequest);
  return run;
}

TEST(EqGainChange, PendingSamplesTakeANewCurveAtOnce) {
  const Requests unchanged = TwoRequests(nullptr);
  ASSERT_EQ(unchanged.pendingBefore, 2 * 16128 - 16384);

  // The same curve again (a drag step that moved nothing) changes no sample.
  const EqualizerCurve same = Flat(1.0f);
  const Requests again = TwoRequests(&same);
  EXPECT_EQ(again.first, unchanged.first);
  EXPECT_EQ(again.second, unchanged.second);

  // Silence everywhere (but the Nyquist point, which keeps a least
  // significant bit of leakage): the pending samples fade out over 128
  // frames and stay silent, instead of playing on for a whole block.
  const EqualizerCurve mute = Flat(0.0f);
  const Requests muted = TwoRequests(&mute);
  EXPECT_EQ(muted.first, unchanged.first);
  for (int32_t i = 0; i < 256; ++i) {
    // A linear fade from the old samples: never louder than they were.
    EXPECT_LE(std::abs(muted.second[i]), std::abs(unchanged.second[i]) + 1) << i;
  }
  for (size_t i = 256; i < muted.second.size(); ++i) ASSERT_LE(std::abs(muted.second[i]), 1) << i;

  // Half the gain: after the fade every sample is within rounding of half
  // the unchanged one.
  const EqualizerCurve half = Flat(0.5f);
  const Requests halved = TwoRequests(&half);
  for (size_t i = 256; i < halved.second.size(); ++i) {
    ASSERT_LE(std::abs(halved.second[i] - unchanged.second[i] / 2), 2) << i;
  }
}

}  // namespace
