// Conversion of plug-in PCM formats to the ring's 16-bit stereo.
#include "engine/pcm_converter.h"

#include <gtest/gtest.h>

#include "tests/support/test_audio.h"

#include <vector>

namespace {

std::vector<int16_t> Convert(uint32_t channels, uint32_t bits, const std::vector<uint8_t>& in) {
  PcmConverter converter;
  EXPECT_TRUE(converter.Configure(channels, bits));
  const uint32_t frames = static_cast<uint32_t>(in.size()) / converter.BytesPerFrame();
  std::vector<int16_t> out(frames * 2, 0x5555);
  converter.Convert(in.data(), frames, out.data());
  return out;
}

using testaudio::Bytes16;

TEST(PcmConverter, SampleWidthsKeepTheTopSixteenBits) {
  // 8-bit unsigned: 128 is silence.
  EXPECT_EQ(Convert(2, 8, {0, 128, 255, 1}), (std::vector<int16_t>{-32768, 0, 32512, -32512}));
  // 24-bit: 0x123456, -1, full scale positive and negative.
  EXPECT_EQ(Convert(2, 24, {0x56, 0x34, 0x12, 0xff, 0xff, 0xff, 0xff, 0xff, 0x7f, 0x00, 0x00, 0x80}),
            (std::vector<int16_t>{0x1234, -1, 32767, -32768}));
  // 32-bit: 0x00010000 is 1; full scale both ways; small negatives floor to -1.
  EXPECT_EQ(Convert(2, 32, {0x00, 0x00, 0x01, 0x00, 0xff, 0xff, 0xff, 0x7f,  //
                            0x00, 0x00, 0x00, 0x80, 0xff, 0xff, 0xff, 0xff}),
            (std::vector<int16_t>{1, 32767, -32768, -1}));
  const std::vector<int16_t> stereo{-32768, 32767, 0, -1, 1234, -4321};
  EXPECT_EQ(Convert(2, 16, Bytes16(stereo)), stereo);
}

TEST(PcmConverter, MonoFeedsBothSides) {
  EXPECT_EQ(Convert(1, 16, Bytes16({100, -200, 32767})),
            (std::vector<int16_t>{100, 100, -200, -200, 32767, 32767}));
  EXPECT_EQ(Convert(1, 8, {0, 255}), (std::vector<int16_t>{-32768, -32768, 32512, 32512}));
}

TEST(PcmConverter, FiveOneFoldsCentreAndRearsAndDropsLowFrequency) {
  // Frames of L R C LFE BL BR, one channel sounding at a time.
  const std::vector<int16_t> in{
      16384, 0,     0,     0,     0,     0,      // front left
      0,     16384, 0,     0,     0,     0,      // front right
      0,     0,     16384, 0,     0,     0,      // centre
      0,     0,     0,     16384, 0,     0,      // low frequency
      0,     0,     0,     0,     16384, 0,      // back left
      0,     0,     0,     0,     0,     -16384  // back right
  };
  EXPECT_EQ(Convert(6, 16, Bytes16(in)),
            (std::vector<int16_t>{16384, 0, 0, 16384, 11585, 11585, 0, 0, 11585, 0, 0, -11585}));
}

TEST(PcmConverter, FoldedSumsSaturate) {
  EXPECT_EQ(Convert(6, 16, Bytes16({32767, 32767, 32767, 32767, 32767, 32767,  //
                                    -32768, -32768, -32768, -32768, -32768, -32768})),
            (std::vector<int16_t>{32767, 32767, -32768, -32768}));
  // 7 channels: the back centre goes to both sides at half weight.
  EXPECT_EQ(Convert(7, 16, Bytes16({0, 0, 0, 0, 16384, 0, 0})), (std::vector<int16_t>{8192, 8192}));
  // 3 channels: L R C; 4 channels: L R BL BR; 8 channels: sides like rears.
  EXPECT_EQ(Convert(3, 16, Bytes16({1000, 2000, 16384})), (std::vector<int16_t>{12585, 13585}));
  EXPECT_EQ(Convert(4, 16, Bytes16({0, 0, 0, 16384})), (std::vector<int16_t>{0, 11585}));
  EXPECT_EQ(Convert(8, 16, Bytes16({0, 0, 0, 0, 0, 0, 16384, 16384})),
            (std::vector<int16_t>{11585, 11585}));
}

TEST(PcmConverter, RejectsUnsupportedFormatsAndKeepsTheOldOne) {
  PcmConverter converter;
  ASSERT_TRUE(converter.Configure(1, 24));
  EXPECT_FALSE(converter.Configure(0, 16));
  EXPECT_FALSE(converter.Configure(9, 16));
  EXPECT_FALSE(converter.Configure(2, 12));
  EXPECT_FALSE(converter.Configure(2, 0));
  EXPECT_EQ(converter.Channels(), 1u);
  EXPECT_EQ(converter.Bits(), 24u);
  EXPECT_EQ(converter.BytesPerFrame(), 3u);
}

}  // namespace
