// Float-to-integer conversion and the frame/millisecond arithmetic of seeks
// and lengths.
#include "plugins/in_wave/wav_samples.h"

#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <vector>

namespace {

std::vector<uint8_t> FloatBytes(const std::vector<float>& values) {
  std::vector<uint8_t> bytes(values.size() * 4);
  for (size_t i = 0; i < values.size(); ++i) {
    uint32_t bits;
    std::memcpy(&bits, &values[i], 4);
    for (int b = 0; b < 4; ++b) bytes[i * 4 + b] = static_cast<uint8_t>(bits >> (8 * b));
  }
  return bytes;
}

TEST(FloatToInt32, ScalesSaturatesAndSilencesNaN) {
  const float inf = std::numeric_limits<float>::infinity();
  const std::vector<float> in = {0.0f, 0.5f, -0.5f, 1.0f / 65536, -1.0f, 1.0f, 2.0f, -3.0f,
                                 std::numeric_limits<float>::quiet_NaN(), inf, -inf, 0.25f};
  const std::vector<int32_t> expected = {0,           1073741824,  -1073741824, 32768,
                                         INT32_MIN,   INT32_MAX,   INT32_MAX,   INT32_MIN,
                                         0,           INT32_MAX,   INT32_MIN,   536870912};
  const std::vector<uint8_t> bytes = FloatBytes(in);
  std::vector<int32_t> out(in.size());
  wav::FloatToInt32(bytes.data(), out.data(), in.size());
  EXPECT_EQ(out, expected);
}

TEST(FloatToInt32, ConvertsInPlace) {
  std::vector<float> in;
  for (int k = -100; k < 100; ++k) in.push_back(static_cast<float>(k) / 32768.0f);
  std::vector<uint8_t> bytes = FloatBytes(in);
  wav::FloatToInt32(bytes.data(), reinterpret_cast<int32_t*>(bytes.data()), in.size());
  for (size_t i = 0; i < in.size(); ++i) {
    int32_t v;
    std::memcpy(&v, &bytes[i * 4], 4);
    EXPECT_EQ(v, (static_cast<int32_t>(i) - 100) * 65536) << i;
  }
}

TEST(FramesToMs, RoundsDownAndSaturates) {
  EXPECT_EQ(wav::FramesToMs(44100, 44100), 1000);
  EXPECT_EQ(wav::FramesToMs(44099, 44100), 999);
  EXPECT_EQ(wav::FramesToMs(1, 44100), 0);
  EXPECT_EQ(wav::FramesToMs(48000ull * 3600 * 5, 48000), 5 * 3600 * 1000);  // beyond 32-bit frames*1000
  EXPECT_EQ(wav::FramesToMs(1ull << 40, 1000), INT32_MAX);
  EXPECT_EQ(wav::FramesToMs(UINT64_MAX, 1000), INT32_MAX);
}

TEST(MsToFrame, ClampsToTheStream) {
  EXPECT_EQ(wav::MsToFrame(1000, 44100, 1000000), 44100u);
  EXPECT_EQ(wav::MsToFrame(1, 44100, 1000000), 44u);
  EXPECT_EQ(wav::MsToFrame(1500, 22050, 1000000), 33075u);
  EXPECT_EQ(wav::MsToFrame(-5, 44100, 1000), 0u);
  EXPECT_EQ(wav::MsToFrame(0, 44100, 1000), 0u);
  EXPECT_EQ(wav::MsToFrame(60000, 44100, 1000), 1000u);
  EXPECT_EQ(wav::MsToFrame(INT32_MAX, 384000, UINT64_MAX), 2147483647ull / 1000 * 384000 + 647ull * 384);
}

}  // namespace
