// The Config dialog's arithmetic: percent <-> decibel switching and the
// volume step as typed.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>

#include "ui/config_values.h"

namespace {
TEST(ConfigValues, PercentToDecibelsTruncatesTowardZero) {
  struct Case {
    int32_t percent;
    int32_t decibels;
  } cases[] = {
      {100, 0},  {50, -6}, {200, 6}, {25, -12}, {10, -20},  {1, -40},
      {99, 0},   // -0.087 dB truncates to 0, not -1
      {150, 3},  // 3.52 dB
      {0, -100},  // 0 % counts as 0.001 %
  };
  for (const Case& c : cases) EXPECT_EQ(PercentToDecibels(c.percent), c.decibels) << c.percent << " %";
  EXPECT_EQ(PercentToDecibels(-5), -100);  // never from the slider; no NaN either
}

TEST(ConfigValues, DecibelsToPercentRoundsHalfUp) {
  struct Case {
    int32_t decibels;
    int32_t percent;
  } cases[] = {
      {0, 100}, {-6, 50}, {6, 200}, {-12, 25}, {-20, 10}, {-40, 1},
      {-60, 0},  // 0.1 % rounds down
      {-46, 1},  // 0.50 %: 0.501 + 0.5 reaches 1
      {3, 141},
  };
  for (const Case& c : cases) EXPECT_EQ(DecibelsToPercent(c.decibels), c.percent) << c.decibels << " dB";
  EXPECT_EQ(DecibelsToPercent(-100), 0);
  EXPECT_EQ(DecibelsToPercent(1000), std::numeric_limits<int32_t>::max());
}

TEST(ConfigValues, SwitchingBackAndForthKeepsTheSliderValues) {
  // Down to -20 dB (10 %, where whole percents are still fine steps) a dB
  // position comes back from percent within a decibel.
  for (int32_t decibels = -20; decibels <= 6; ++decibels) {
    EXPECT_NEAR(PercentToDecibels(DecibelsToPercent(decibels)), decibels, 1) << decibels;
  }
  EXPECT_EQ(DecibelsToPercent(PercentToDecibels(50)), 50);
  EXPECT_EQ(DecibelsToPercent(PercentToDecibels(200)), 200);
}

TEST(ConfigValues, VolumeStepReadsLikeASignedDecimal) {
  struct Case {
    const char* text;
    int32_t step;
  } cases[] = {
      {"5", 5},           {"  -3x", -3},    {"+7", 7},        {"\t 12 34", 12},
      {"", 0},            {"abc", 0},       {"-", 0},         {"+-3", 0},
      {" - 3", 0},        {"0", 0},         {"007", 7},       {"-0", 0},
      {"2147483647", 2147483647},           {"-2147483648", std::numeric_limits<int32_t>::min()},
      {"99999999999999999999", std::numeric_limits<int32_t>::max()},
      {"-99999999999999999999", std::numeric_limits<int32_t>::min()},
      {"3.9", 3},
  };
  for (const Case& c : cases) EXPECT_EQ(ParseVolumeStep(c.text), c.step) << '"' << c.text << '"';
}
}  // namespace

TEST(ConfigValues, ReplayGainDecibelsAsTypedAndShown) {
  struct Case {
    const char* text;
    std::optional<int32_t> centiDb;
  } cases[] = {{"-3.5", -350}, {"+2,25 dB", 225}, {" 0 ", 0}, {"0.004", 0},
               {"16", 1500},   {"-40", -1500},     {"", std::nullopt}, {"dB", std::nullopt}, {"x1", std::nullopt}};
  for (const Case& c : cases) EXPECT_EQ(ParseCentiDecibels(c.text), c.centiDb) << c.text;
  EXPECT_EQ(FormatCentiDecibels(-350), "-3.50");
  EXPECT_EQ(FormatCentiDecibels(0), "0.00");
  EXPECT_EQ(FormatCentiDecibels(1500), "15.00");
  // What the dialog shows reads back as the same value.
  for (int32_t v = -1500; v <= 1500; v += 7) EXPECT_EQ(ParseCentiDecibels(FormatCentiDecibels(v)), v);
}
