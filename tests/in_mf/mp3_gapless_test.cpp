// The LAME header reader, the trim decision and the frame arithmetic of the
// decoding loop.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "plugins/in_mf/mp3_gapless.h"
#include "plugins/in_mf/pcm_frames.h"
#include "tests/in_mf/tag_builders.h"

namespace {

// First frame of a LAME-encoded file: MPEG-1 layer III, 44100 Hz, joint
// stereo, with an Info header (frames, bytes, TOC, quality) and LAME tag.
Bytes InfoFrame(uint32_t frames, int delay, int padding, bool mono = false, uint8_t version_bits = 0xFB) {
  Bytes f{0xFF, version_bits, 0x90, uint8_t(mono ? 0xC4 : 0x44)};
  const bool mpeg1 = (version_bits & 0x18) == 0x18;
  f.resize(4 + (mpeg1 ? (mono ? 17 : 32) : (mono ? 9 : 17)), 0);
  AppendText(f, "Info");
  AppendBE32(f, 0x0F);
  AppendBE32(f, frames);
  AppendBE32(f, 123456);
  f.insert(f.end(), 100, 0);
  AppendBE32(f, 50);
  AppendText(f, "LAME3.100");
  f.insert(f.end(), 12, 0);
  f.push_back(uint8_t(delay >> 4));
  f.push_back(uint8_t(((delay & 0x0F) << 4) | (padding >> 8)));
  f.push_back(uint8_t(padding));
  f.resize(417, 0);
  return f;
}

Mp3GaplessInfo ReadInfo(const Bytes& data, uint64_t id3 = 0) {
  MemoryByteSource source(data);
  return ReadMp3GaplessInfo(source, id3);
}

TEST(Mp3GaplessTest, ReadsTheLameHeader) {
  Mp3GaplessInfo info = ReadInfo(InfoFrame(385, 576, 1164));
  ASSERT_TRUE(info.valid);
  EXPECT_EQ(info.frames, 385u);
  EXPECT_EQ(info.encoder_delay, 576);
  EXPECT_EQ(info.encoder_padding, 1164);
  EXPECT_EQ(info.sample_rate, 44100);
  EXPECT_EQ(info.samples_per_frame, 1152);

  // After an ID3v2 tag and zero padding; mono; MPEG-2 (22050 Hz, 576 samples).
  Bytes tagged = Id3Tag(3, 0, Id3Frame(3, "TIT2", Id3Text(0, Latin1("x"))));
  const size_t id3 = tagged.size();
  tagged.insert(tagged.end(), 300, 0);
  Append(tagged, InfoFrame(10, 1105, 7, true));
  info = ReadInfo(tagged, id3);
  ASSERT_TRUE(info.valid);
  EXPECT_EQ(info.encoder_delay, 1105);
  EXPECT_EQ(info.encoder_padding, 7);
  info = ReadInfo(InfoFrame(10, 576, 0, false, 0xF3));
  ASSERT_TRUE(info.valid);
  EXPECT_EQ(info.sample_rate, 22050);
  EXPECT_EQ(info.samples_per_frame, 576);
}

TEST(Mp3GaplessTest, RejectsFilesWithoutAUsableHeader) {
  Bytes no_tag = InfoFrame(385, 576, 1164);
  no_tag[36] = 'X';  // neither "Xing" nor "Info"
  EXPECT_FALSE(ReadInfo(no_tag).valid);
  Bytes layer2 = InfoFrame(385, 576, 1164);
  layer2[1] = 0xFD;
  EXPECT_FALSE(ReadInfo(layer2).valid);
  Bytes no_lame = InfoFrame(385, 576, 1164);
  no_lame[36 + 8 + 4 + 4 + 100 + 4] = 0;  // encoder name missing
  EXPECT_FALSE(ReadInfo(no_lame).valid);
  Bytes flac = FlacWithComments({});
  EXPECT_FALSE(ReadInfo(flac).valid);
  Bytes all = InfoFrame(385, 576, 1164);
  for (size_t n = 0; n < all.size(); ++n) ReadInfo(Bytes(all.begin(), all.begin() + n));
}

TEST(Mp3GaplessTest, TrimsOnlyWhenTheDecoderDoesNot) {
  Mp3GaplessInfo info = ReadInfo(InfoFrame(385, 576, 1164));
  const int64_t raw = 385 * 1152;
  const int64_t content = raw - 576 - 1164;
  DecoderTrim t = PlanMp3Trim(info, content);  // the decoder trimmed already
  EXPECT_EQ(t.lead_frames, 0);
  EXPECT_EQ(t.content_frames, -1);
  t = PlanMp3Trim(info, raw);
  EXPECT_EQ(t.lead_frames, 576 + kMp3DecoderDelay);
  EXPECT_EQ(t.content_frames, content);
  t = PlanMp3Trim(info, raw + 1152);  // the Info frame decoded as silence too
  EXPECT_EQ(t.lead_frames, 576 + kMp3DecoderDelay + 1152);
  EXPECT_EQ(PlanMp3Trim(info, 0).content_frames, -1);  // length unknown: leave it
  EXPECT_EQ(PlanMp3Trim(Mp3GaplessInfo{}, raw).content_frames, -1);
}

TEST(PcmFramesTest, KeepFramesCutsBlocksAtBothEnds) {
  FrameSpan s = KeepFrames(1000, 500, 1200, -1);
  EXPECT_EQ(s.skip, 200);
  EXPECT_EQ(s.count, 300);
  s = KeepFrames(1000, 500, 0, 1100);
  EXPECT_EQ(s.skip, 0);
  EXPECT_EQ(s.count, 100);
  s = KeepFrames(1000, 500, 2000, -1);  // wholly before the seek target
  EXPECT_EQ(s.count, 0);
  s = KeepFrames(1000, 500, 900, 1000);  // wholly past the end
  EXPECT_EQ(s.count, 0);
  s = KeepFrames(1024, 500, 0, -1);  // starts after the target: all of it
  EXPECT_EQ(s.skip, 0);
  EXPECT_EQ(s.count, 500);
}

TEST(PcmFramesTest, TimeConversionsRoundTrip) {
  for (int rate : {8000, 22050, 44100, 48000, 96000}) {
    for (int64_t frames : {int64_t(0), int64_t(1), int64_t(441), int64_t(342965), int64_t(10) * 3600 * rate}) {
      EXPECT_EQ(HnsToFrames(FramesToHns(frames, rate), rate), frames) << rate << " " << frames;
    }
  }
  EXPECT_EQ(HnsToFrames(77770000, 44100), 342965);
  EXPECT_EQ(HnsToFrames(-1, 44100), -1);
  EXPECT_EQ(MsToFrames(7777, 44100), 342965);
  EXPECT_EQ(FramesToMs(441000, 44100), 10000);
}

TEST(PcmFramesTest, FloatToPcm16RoundsAndClips) {
  // Halves of a step (n/65536) go to the even neighbour.
  const float in[] = {0.0f, 0.5f, -0.5f, 1.0f, -1.0f, 2.0f, -3.0f, 1.0f / 65536, -1.0f / 65536, 3.0f / 65536,
                      -3.0f / 65536, 1.4f / 32768, 1.6f / 32768, std::numeric_limits<float>::quiet_NaN(),
                      std::numeric_limits<float>::infinity()};
  int16_t out[sizeof in / sizeof in[0]];
  FloatToPcm16(in, sizeof in / sizeof in[0], out);
  const int16_t expected[] = {0, 16384, -16384, 32767, -32768, 32767, -32768, 0, 0, 2, -2, 1, 2, 0, 32767};
  for (size_t i = 0; i < sizeof in / sizeof in[0]; ++i) EXPECT_EQ(out[i], expected[i]) << i;
}

}  // namespace
