// Plug-in PCM of every width to the meter's floats.
#include <gtest/gtest.h>

#include <vector>

#include "engine/loudness_meter.h"

TEST(PcmToFloat, EveryWidthAtItsExtremes) {
  struct Case {
    int bits;
    std::vector<uint8_t> bytes;
    std::vector<float> expected;
  } cases[] = {
      {8, {0x00, 0x80, 0xFF}, {-1.0f, 0.0f, 127 / 128.0f}},
      {16, {0x00, 0x80, 0xFF, 0x7F, 0x00, 0x40}, {-1.0f, 32767 / 32768.0f, 0.5f}},
      {24, {0x00, 0x00, 0x80, 0xFF, 0xFF, 0x7F, 0xFF, 0xFF, 0xFF}, {-1.0f, 8388607 / 8388608.0f, -1 / 8388608.0f}},
      {32, {0x00, 0x00, 0x00, 0x80, 0x00, 0x00, 0x00, 0x40}, {-1.0f, 0.5f}},
  };
  for (const Case& c : cases) {
    std::vector<float> out(c.expected.size(), 9.0f);
    ASSERT_TRUE(PcmToFloat(c.bytes.data(), out.size(), c.bits, out.data())) << c.bits;
    for (size_t i = 0; i < out.size(); ++i) EXPECT_FLOAT_EQ(out[i], c.expected[i]) << c.bits << " #" << i;
  }
  float untouched = 9.0f;
  const uint8_t byte = 0;
  EXPECT_FALSE(PcmToFloat(&byte, 1, 12, &untouched));
  EXPECT_EQ(untouched, 9.0f);
}
