// The curve editor's tip for a point of the equalizer's curve.
#include "ui/point_text.h"

#include <gtest/gtest.h>

#include "eq/eq_presets.h"

namespace {
TEST(DescribeEqPoint, FrequencyAndGain) {
  struct Case {
    double hertz;
    float gain;
    const char* text;
  } cases[] = {
      {21.533, 1.0f, "21.5 Hz: 100% (+0.0 dB)"},
      {31.25, 1.5f, "31.3 Hz: 150% (+3.5 dB)"},
      {100, 0.5f, "100 Hz: 50% (-6.0 dB)"},
      {999.7, 2.0f, "1 kHz: 200% (+6.0 dB)"},
      {1250, 1.25f, "1.25 kHz: 125% (+1.9 dB)"},
      {12500, 0.1f, "12.5 kHz: 10% (-20.0 dB)"},
      {22050, 0.0f, "22.1 kHz: 0% (silent)"},
      {440, 0.004f, "440 Hz: 0% (silent)"},   // rounds to no percent: nothing to hear
      {440, 0.006f, "440 Hz: 1% (-44.4 dB)"},
  };
  for (const Case& c : cases) EXPECT_EQ(DescribeEqPoint(HertzToBin(c.hertz), c.gain), c.text) << c.hertz;
}
}  // namespace
