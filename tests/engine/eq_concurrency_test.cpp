// The hand-over between the player thread and the audio thread: gain tables
// published while blocks run, and preset edits while curves are built.
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

#include "eq/eq_presets.h"
#include "engine/eq_stage.h"
#include "tests/engine/eq_test_signals.h"

namespace {

using eq_test::Flat;

// Runs body(i) for i = 0, 1, ... on its own thread until destroyed.
class Background {
 public:
  explicit Background(std::function<void(int)> body)
      : thread_([this, body = std::move(body)] {
          for (int i = 0; !stop_.load(); ++i) {
            body(i);
            std::this_thread::yield();
          }
        }) {}
  ~Background() {
    stop_.store(true);
    thread_.join();
  }

 private:
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

// Left: DC (reads only G[0]); right: a tone on bin 2048 (reads G[2048]).
// One complete table scales both by the same gain; a block built from a
// table in the middle of a rewrite would not.
TEST(EqConcurrency, BlocksNeverSeeAHalfWrittenTable) {
  auto stage = std::make_unique<EqualizerStage>();
  auto ring = std::make_unique<SampleRing>();
  constexpr int kDc = 8000;
  std::vector<int16_t> hop(2 * 8064);
  for (size_t f = 0; f < 8064; ++f) {
    hop[2 * f] = kDc;
    hop[2 * f + 1] = static_cast<int16_t>(f % 4 == 0 ? kDc : (f % 4 == 2 ? -kDc : 0));
  }
  const float gains[] = {0.5f, 1.5f, 0.25f};
  Background player([&](int i) {
    if (i % 7 == 6) {
      stage->SetEqCurve(EqualizerCurve());
    } else {
      stage->SetEqCurve(Flat(gains[i % 3]));
    }
  });
  Background opener([&](int i) { stage->SetStreamRate(i % 2 ? 48000 : 44100); });

  std::vector<int16_t> out(16128);
  int checkedBlocks = 0;
  int inactive = 0;
  while (checkedBlocks < 300) {
    while (ring->AvailableBytes() < 4 * 32768) eq_test::Feed(*ring, hop);
    if (!stage->Active()) {
      ++inactive;
      std::this_thread::yield();
      continue;
    }
    stage->FillEqualized(*ring, 16384, out.data(), 16128);  // exactly one block
    // Skip the cross-faded start; the rest is one block's doing.
    const double gain = out[256] / static_cast<double>(kDc);
    bool consistent = std::fabs(gain - 0.5) < 0.01 || std::fabs(gain - 1.5) < 0.01 ||
                      std::fabs(gain - 0.25) < 0.01;
    for (size_t i = 256; i < out.size() && consistent; i += 2) {
      const size_t f = i / 2;
      const double right = f % 4 == 0 ? kDc : (f % 4 == 2 ? -kDc : 0);
      consistent = std::abs(out[i] - out[256]) <= 2 && std::fabs(out[i + 1] - gain * right) <= 3;
    }
    ASSERT_TRUE(consistent) << "block " << checkedBlocks << " gain " << gain;
    ++checkedBlocks;
  }
}

TEST(EqConcurrency, CurvesAreBuiltFromWholePointLists) {
  EqPresetList list;
  std::atomic<int32_t> counter{0};
  const auto nextId = [&] { return ++counter; };
  const int32_t id = list.AddNewPreset(nextId);
  ASSERT_TRUE(list.SetPresetType(id, EqTypeOctave));

  Background ui([&](int i) {
    std::vector<std::pair<float, float>> points;
    const float y = static_cast<float>(i % 200) / 100.0f;
    for (int p = 0; p < 3 + i % 40; ++p) points.emplace_back(4.0f + 10.0f * p, y);
    list.ReplacePresetPoints(id, points);
    if (i % 5 == 0) list.SetPresetType(id, EqTypeThirdOctave);
    if (i % 11 == 0) list.DeletePreset(list.AddNewPreset(nextId), nullptr);
    if (i % 13 == 0) list.SetPresetName(id, std::string(static_cast<size_t>(i % 50), 'a'));
  });

  for (int round = 0; round < 20000; ++round) {
    EqualizerCurve curve;
    ASSERT_TRUE(list.BuildEqualizerCurve(id, curve));
    ASSERT_EQ(curve.x.size(), curve.y.size());
    ASSERT_GE(curve.Count(), 3);
    for (int32_t p = 1; p < curve.Count(); ++p) {
      ASSERT_LT(curve.x[p - 1], curve.x[p]);
      ASSERT_EQ(curve.y[p], curve.y[0]);  // one edit's points, never a mixture
    }
  }
}

}  // namespace
