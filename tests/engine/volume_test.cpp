// Volume settings to multipliers, and the clamped steps of the volume keys.
#include "engine/volume.h"

#include <gtest/gtest.h>

TEST(VolumeMultiplier, PercentAndDecibelExamples) {
  struct Case {
    int32_t volume, type, expected;
  } cases[] = {
      {100, 0, 16384}, {200, 0, 32768}, {1, 0, 163}, {0, 0, 0},
      {0, 1, 16384},   {6, 1, 32690},   {-60, 1, 16},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(VolumeMultiplier(c.volume, c.type), c.expected) << c.volume << " type " << c.type;
  }
}

TEST(VolumeMultiplier, UnclampedSettingsStayFinite) {
  // SetVolume does not clamp: +100 dB is far above unity and the engine clamps it.
  EXPECT_GT(VolumeMultiplier(100, 1), 32768);
  EXPECT_EQ(VolumeMultiplier(400, 1), INT32_MAX);
  EXPECT_EQ(VolumeMultiplier(INT32_MIN, 0), INT32_MIN);
}

TEST(StepVolume, ClampsAndFormats) {
  struct Case {
    int32_t volume, type, step, direction, expectedVolume;
    const char* text;
  } cases[] = {
      {100, 0, 15, -1, 85, "85%"},   {200, 0, 1, +1, 200, "200%"}, {195, 0, 10, +1, 200, "200%"},
      {3, 0, 5, -1, 0, "0%"},        {-10, 1, 2, -1, -12, "-12dB"}, {-60, 1, 1, -1, -60, "-60dB"},
      {5, 1, 3, +1, 6, "6dB"},       {0, 1, INT32_MAX, +1, 6, "6dB"},
  };
  for (const Case& c : cases) {
    const VolumeStepResult r = StepVolumeValue(c.volume, c.type, c.step, c.direction);
    EXPECT_EQ(r.volume, c.expectedVolume) << c.volume << " step " << c.step;
    EXPECT_EQ(r.text, c.text);
  }
}
