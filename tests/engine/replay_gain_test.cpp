// ReplayGain text as plug-ins report it, and the factor a file plays at.
#include "engine/replay_gain.h"

#include <gtest/gtest.h>

#include <cmath>

TEST(ParseGainDb, LenientSpellingsAndRefusals) {
  struct Case {
    const char* text;
    bool ok;
    double value;
  } cases[] = {
      {"-7.25 dB", true, -7.25},  {"+3,5", true, 3.5},       {"  2db ", true, 2.0},
      {"-0.01 DB", true, -0.01},  {"12", true, 12.0},        {".5 dB", true, 0.5},
      {"5. dB", true, 5.0},       {"- 4.5dB", true, -4.5},   {"51 dB", true, 51.0},
      {"-51.00 dB", true, -51.0}, {"51.01 dB", false, 0},    {"-60 dB", false, 0},
      {"", false, 0},             {"dB", false, 0},          {"abc", false, 0},
      {"1e3", false, 0},          {"1.2.3", false, 0},       {"--1", false, 0},
      {"nan", false, 0},          {"inf dB", false, 0},      {"3 dB extra", false, 0},
      {"7,25,0", false, 0},
  };
  for (const Case& c : cases) {
    const std::optional<double> v = ParseGainDb(c.text);
    ASSERT_EQ(v.has_value(), c.ok) << c.text;
    if (c.ok) {
      EXPECT_NEAR(*v, c.value, 1e-12) << c.text;
    }
  }
  // Hundreds of digits overflow to infinity: refused, not a crash.
  EXPECT_FALSE(ParseGainDb(std::string(400, '9')));
}

TEST(ParsePeak, PositiveFiniteAndBounded) {
  struct Case {
    const char* text;
    bool ok;
    double value;
  } cases[] = {
      {"0.988525", true, 0.988525}, {"1,02", true, 1.02}, {" 1 ", true, 1.0}, {"0", false, 0},
      {"-0.5", false, 0},           {"0.000", false, 0},  {"354", true, 354}, {"355", false, 0},
      {"0.9 dB", false, 0},         {"", false, 0},
  };
  for (const Case& c : cases) {
    const std::optional<double> v = ParsePeak(c.text);
    ASSERT_EQ(v.has_value(), c.ok) << c.text;
    if (c.ok) {
      EXPECT_NEAR(*v, c.value, 1e-12) << c.text;
    }
  }
}

namespace {
double Db(double factor) { return 20 * std::log10(factor); }
}  // namespace

TEST(FileGainFactor, ModesPreampUntaggedAndClipping) {
  FileGainValues both;
  both.trackGainDb = -7.0;
  both.trackPeak = 0.5;
  both.albumGainDb = -4.0;
  both.albumPeak = 0.8;
  FileGainValues trackOnly;
  trackOnly.trackGainDb = 3.0;
  trackOnly.trackPeak = 0.9;
  FileGainValues albumOnly;
  albumOnly.albumGainDb = -2.0;
  FileGainValues none;

  struct Case {
    const char* name;
    const FileGainValues& values;
    GainPolicy policy;
    double expectedDb;
  } cases[] = {
      {"off", both, {false, false, 6, 6, true}, 0.0},
      {"track", both, {true, false, 0, 0, true}, -7.0},
      {"album", both, {true, true, 0, 0, true}, -4.0},
      {"preamp", both, {true, false, 2.5, 0, true}, -4.5},
      {"album missing: track", trackOnly, {true, true, 0, 0, false}, 3.0},
      {"track missing: album", albumOnly, {true, false, 0, 0, true}, -2.0},
      {"untagged", none, {true, false, 9, -3, true}, -3.0},
      // +3 dB on a peak of 0.9 would pass full scale: 1/0.9 instead.
      {"clipping held", trackOnly, {true, false, 0, 0, true}, Db(1 / 0.9)},
      {"clipping allowed", trackOnly, {true, false, 0, 0, false}, 3.0},
      // The peak only lowers: a quiet file's gain is not raised to it.
      {"peak below", both, {true, false, 0, 0, true}, -7.0},
      {"preamp clipped", both, {true, true, 10, 0, true}, Db(1 / 0.8)},
  };
  for (const Case& c : cases) {
    EXPECT_NEAR(Db(FileGainFactor(c.values, c.policy)), c.expectedDb, 1e-9) << c.name;
  }
}

TEST(MeasuredGainValues, ToTheReferenceAndBounded) {
  const FileGainValues v = MeasuredGainValues(-23.0, 0.5, -20.0, 0.7);
  EXPECT_NEAR(*v.trackGainDb, 5.0, 1e-12);
  EXPECT_NEAR(*v.albumGainDb, 2.0, 1e-12);
  EXPECT_EQ(*v.trackPeak, 0.5);
  EXPECT_EQ(*v.albumPeak, 0.7);
  const FileGainValues trackOnly = MeasuredGainValues(-8.0, 1.0, std::nullopt, std::nullopt);
  EXPECT_NEAR(*trackOnly.trackGainDb, -10.0, 1e-12);
  EXPECT_FALSE(trackOnly.albumGainDb);
  // What a damaged record may hold is refused like a tag.
  const FileGainValues bad = MeasuredGainValues(NAN, -1.0, -200.0, 0.0);
  EXPECT_FALSE(bad.HasGain());
  EXPECT_FALSE(bad.trackPeak);
  EXPECT_FALSE(bad.albumPeak);
}

TEST(LoudnessFixedPoint, FineStepsRoundedAndBounded) {
  struct Case {
    double factor;
    int32_t fixed;
  };
  const Case cases[] = {
      {1.0, 1 << 24}, {0.5, 1 << 23}, {0.0, 0}, {-2.0, 0}, {63.9, 1072064102},
      {64.0, kMaxLoudness}, {1e30, kMaxLoudness}, {std::nan(""), kLoudnessUnity},
  };
  for (const Case& c : cases) EXPECT_EQ(LoudnessFixedPoint(c.factor), c.fixed) << c.factor;
  // A 0.01 dB step changes the factor at the quietest and the loudest gains.
  for (double db : {-51.0, -20.0, 0.0, 35.9}) {
    EXPECT_LT(LoudnessFixedPoint(DecibelsToFactor(db)), LoudnessFixedPoint(DecibelsToFactor(db + 0.01))) << db;
  }
}
