// in_mf.dll playing each format through a recording host: length, decoded
// sound against the source, and seeking.
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "tests/in_mf/plugin_test_util.h"

namespace {

using fake_host::Plugin;

struct FormatCase {
  const char* file;
  const char* source;  // the WAV it was encoded from
  int64_t max_length_error;  // frames
  int min_lag, max_lag;      // accepted alignment, decoded = source + lag
  double min_snr_db;         // after alignment; 0: must be bit-exact
};

// Lossy thresholds: these encodings measure 30 dB (MP3 192k), 35 dB (AAC
// 192k) and 38 dB (WMA 192k) against the source here, and the same files
// decoded by other decoders measure the same. Perceptual codecs shape their
// noise instead of minimising it, so 30 dB is normal; one frame of
// misalignment drops this swept signal far below 20 dB, and any real decoding
// fault (wrong channel order, sample format, gaps) does too.
const FormatCase kFormats[] = {
    {"song.flac", "source.wav", 0, 0, 0, 0.0},
    {"song.mp3", "source.wav", 1152, 0, 0, 20.0},
    {"mono22k.mp3", "source_mono22k.wav", 1152, 0, 0, 20.0},
    // The edit list's priming and padding trimmed by the plug-in: exact.
    {"song.m4a", "source.wav", 0, 0, 0, 20.0},
    // WMA records no decoder delay: the 2048 frames of the WMA decoder's
    // delay stay in the output (ASF has no field the plug-in could trim by).
    {"song.wma", "source.wav", 2048 + 1152, 2000, 2100, 20.0},
};

class FormatTest : public testing::TestWithParam<FormatCase> {};

TEST(ModuleTest, ExportsTheInterface) {
  In_Module* m = Plugin();
  ASSERT_NE(m, nullptr);
  EXPECT_EQ(m->version, 0x100);
  EXPECT_NE(m->description, nullptr);
  EXPECT_EQ(m->is_seekable, 1);
  std::vector<std::string> parts;
  for (const char* p = m->FileExtensions; *p; p += strlen(p) + 1) parts.push_back(p);
  ASSERT_EQ(parts.size(), 8u);
  EXPECT_EQ(parts[0], "mp3;mp2");
  EXPECT_EQ(parts[2], "m4a;aac");
  EXPECT_EQ(parts[4], "wma");
  EXPECT_EQ(parts[6], "flac");
}

TEST_P(FormatTest, PlaysTheWholeFileLikeTheSource) {
  const FormatCase& c = GetParam();
  REQUIRE_MEDIA(c.file);
  WavData source;
  ASSERT_TRUE(ReadWav(fake_host::MediaPath(c.source), source));
  In_Module* m = Plugin();
  ASSERT_NE(m, nullptr);
  int length_ms = 0;
  ASSERT_NO_FATAL_FAILURE(PlayToEnd(m, c.file, &length_ms));

  const OutputRecord out = fake_host::Output();
  EXPECT_EQ(out.open_calls, 1);
  EXPECT_EQ(out.close_calls, 1);
  ASSERT_EQ(out.sample_rate, source.sample_rate);
  ASSERT_EQ(out.channels, source.channels);
  EXPECT_EQ(out.bits, 16);
  EXPECT_EQ(out.dsp_frames, out.written_frames);  // every block went through the DSP hook
  EXPECT_LE(std::llabs(out.written_frames - source.frames()), c.max_length_error);
  EXPECT_LE(std::llabs(MsToFrames(length_ms, source.sample_rate) - source.frames()), c.max_length_error + 44);

  if (c.min_snr_db == 0.0) {
    EXPECT_TRUE(out.pcm == source.samples) << "lossless decoding must be bit-exact";
    return;
  }
  const int lag = BestLag(source.samples, 0, out.pcm, source.channels, 2500, 20000);
  EXPECT_GE(lag, c.min_lag);
  EXPECT_LE(lag, c.max_lag);
  const double snr = SnrDb(source.samples, 0, out.pcm, source.channels, lag);
  EXPECT_GE(snr, c.min_snr_db) << c.file;
  std::printf("%s: %lld frames (source %lld), lag %d, SNR %.1f dB\n", c.file,
              static_cast<long long>(out.written_frames), static_cast<long long>(source.frames()), lag, snr);
}

TEST_P(FormatTest, SeeksDeliverSamplesFromTheNewPosition) {
  const FormatCase& c = GetParam();
  REQUIRE_MEDIA(c.file);
  WavData source;
  ASSERT_TRUE(ReadWav(fake_host::MediaPath(c.source), source));
  In_Module* m = Plugin();
  ASSERT_NE(m, nullptr);
  const int rate = source.sample_rate, channels = source.channels;
  fake_host::ResetOutput(0);  // the output takes nothing until a seek has been made
  fake_host::DrainMessages();
  m->Init();
  ASSERT_EQ(m->Play(fake_host::MediaPath(c.file).c_str()), 0);
  const int positions[] = {7777, 1000, 3333, 9000};
  size_t flushes = 0;
  for (int ms : positions) {
    m->SetOutputTime(ms);
    ASSERT_TRUE(fake_host::WaitForFlushes(++flushes)) << ms;
    const size_t first = fake_host::Output().flushes.back().sample_index;
    fake_host::AddBudget(int64_t(rate) * channels * 2 / 2);  // half a second of sound
    ASSERT_TRUE(fake_host::WaitForFrames(static_cast<int64_t>(first) / channels + rate / 2 - 1152)) << ms;
    const OutputRecord out = fake_host::Output();
    EXPECT_EQ(out.flushes.back().ms, ms);
    EXPECT_GE(m->GetOutputTime(), ms);
    const std::vector<int16_t> segment(out.pcm.begin() + first, out.pcm.end());
    const int64_t start = MsToFrames(ms, rate);
    const int lag = BestLag(source.samples, start, segment, channels, 2500, 8000);
    EXPECT_GE(lag, c.min_lag) << ms;
    EXPECT_LE(lag, c.max_lag) << ms;
    if (c.min_snr_db == 0.0) {
      const std::vector<int16_t> expected(source.samples.begin() + start * channels,
                                          source.samples.begin() + start * channels + segment.size());
      EXPECT_TRUE(segment == expected) << "seek to " << ms << " ms must be sample-exact";
    } else {
      const double snr = SnrDb(source.samples, start, segment, channels, lag);
      EXPECT_GE(snr, c.min_snr_db) << ms;
      std::printf("%s: seek to %d ms: lag %d, SNR %.1f dB\n", c.file, ms, lag, snr);
    }
  }
  // A seek past the end ends the file.
  m->SetOutputTime(60000);
  fake_host::AddBudget(-1);
  EXPECT_TRUE(fake_host::WaitForEndOfFile());
  m->Stop();
  m->Quit();
}

INSTANTIATE_TEST_SUITE_P(Formats, FormatTest, testing::ValuesIn(kFormats),
                         [](const testing::TestParamInfo<FormatCase>& info) {
                           std::string name = info.param.file;
                           for (char& ch : name) if (!isalnum(static_cast<unsigned char>(ch))) ch = '_';
                           return name;
                         });

// The MP3 decoded by the plug-in against an independent decoder's output of
// the same file (lame's): the same samples up to rounding, with no offset.
TEST(Mp3Test, MatchesAnIndependentDecoder) {
  REQUIRE_MEDIA("song_mp3_reference.wav");
  WavData reference;
  ASSERT_TRUE(ReadWav(fake_host::MediaPath("song_mp3_reference.wav"), reference));
  In_Module* m = Plugin();
  ASSERT_NE(m, nullptr);
  ASSERT_NO_FATAL_FAILURE(PlayToEnd(m, "song.mp3"));
  const OutputRecord out = fake_host::Output();
  EXPECT_EQ(out.written_frames, reference.frames());
  EXPECT_EQ(BestLag(reference.samples, 0, out.pcm, 2, 2000, 20000), 0);
  // Decoders differ only in rounding of the last bit or so: 60 dB is about
  // one LSB of error on this signal's level.
  EXPECT_GE(SnrDb(reference.samples, 0, out.pcm, 2, 0), 60.0);
}

}  // namespace
