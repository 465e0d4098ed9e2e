// in_mf.dll delivers exactly the real samples of compressed files: no
// decoder priming or encoder delay at the start, no padding at the end, no
// real sample lost, compared sample for sample with ffmpeg's decode of the
// same file, also after seeks; and an MP3 set encoded gaplessly joins.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "tests/in_mf/plugin_test_util.h"

namespace {

using fake_host::Plugin;

struct ExactCase {
  const char* file;
  const char* source;     // the WAV it was encoded from: its length is the real length
  const char* reference;  // ffmpeg's decode of it
  int64_t reference_skip;  // frames of priming ffmpeg keeps (no edit list to tell it)
  int tolerance;           // largest sample difference allowed
};

// AAC: the same decoder as ffmpeg's underneath and the same rounding, so the
// same samples. MP3: Wine decodes with another decoder than ffmpeg's; they
// differ by rounding (measured: at most 1).
const ExactCase kExactCases[] = {
    // ffmpeg's edit list: 1024 of priming; the last packet holds 272 real samples.
    {"gapless_elst.m4a", "gapless.wav", "gapless_elst_ffmpeg.wav", 0, 1},
    // Whole packets: the edit's duration, in milliseconds, ends 27 short.
    {"gapless_short_elst.m4a", "gapless_short.wav", "gapless_short_elst_ffmpeg.wav", 0, 1},
    // No edit list; iTunSMPB says 1024 of delay and the length.
    {"gapless_smpb.m4a", "gapless.wav", "gapless_noedit_ffmpeg.wav", 1024, 1},
    {"gapless.mp3", "gapless.wav", "gapless_mp3_ffmpeg.wav", 0, 2},
};

class ExactTest : public testing::TestWithParam<ExactCase> {
 protected:
  void SetUp() override {
    const ExactCase& c = GetParam();
    REQUIRE_MEDIA(c.file);
    REQUIRE_MEDIA(c.reference);
    ASSERT_TRUE(ReadWav(fake_host::MediaPath(c.source), source_));
    ASSERT_TRUE(ReadWav(fake_host::MediaPath(c.reference), reference_));
    ASSERT_GE(reference_.frames(), c.reference_skip + source_.frames());
    ASSERT_NE(Plugin(), nullptr);
  }
  WavData source_, reference_;
};

TEST_P(ExactTest, DeliversExactlyTheRealSamples) {
  const ExactCase& c = GetParam();
  const WavData& source = source_;
  const WavData& reference = reference_;
  In_Module* m = Plugin();
  int length_ms = 0;
  ASSERT_NO_FATAL_FAILURE(PlayToEnd(m, c.file, &length_ms));
  const OutputRecord out = fake_host::Output();
  ASSERT_EQ(out.channels, source.channels);
  EXPECT_EQ(out.written_frames, source.frames()) << "the real samples, not one more or less";
  EXPECT_EQ(length_ms, source.frames() * 1000 / source.sample_rate);
  const int64_t common = std::min(out.written_frames, source.frames());
  const int diff = MaxAbsDiff(out.pcm, 0, reference.samples, c.reference_skip, common, source.channels);
  EXPECT_GE(diff, 0);
  EXPECT_LE(diff, c.tolerance) << "against ffmpeg's decode";
  // The last real samples are there, not cut or faded.
  EXPECT_LE(MaxAbsDiff(out.pcm, common - 256, reference.samples, c.reference_skip + common - 256, 256,
                       source.channels),
            c.tolerance);
  std::printf("%s: %lld frames (real %lld), largest difference from ffmpeg's decode %d\n", c.file,
              static_cast<long long>(out.written_frames), static_cast<long long>(source.frames()), diff);
}

// Position 0 is the first real sample; every position after a seek holds
// the sample ffmpeg's decode holds there, and the file still ends at its
// last real sample.
TEST_P(ExactTest, SeeksCountFromTheFirstRealSample) {
  const ExactCase& c = GetParam();
  const WavData& source = source_;
  const WavData& reference = reference_;
  In_Module* m = Plugin();
  const int rate = source.sample_rate, channels = source.channels;
  fake_host::ResetOutput(0);
  fake_host::DrainMessages();
  m->Init();
  ASSERT_EQ(m->Play(fake_host::MediaPath(c.file).c_str()), 0);
  size_t flushes = 0;
  for (int ms : {2345, 0, 1234, 3950}) {
    SCOPED_TRACE(ms);
    m->SetOutputTime(ms);
    ASSERT_TRUE(fake_host::WaitForFlushes(++flushes));
    const int64_t first = static_cast<int64_t>(fake_host::Output().flushes.back().sample_index) / channels;
    const int64_t target = MsToFrames(ms, rate);
    const int64_t want = std::min<int64_t>(rate / 4, source.frames() - target);
    fake_host::AddBudget((want + 576) * channels * 2);  // the plug-in writes whole blocks of 576
    ASSERT_TRUE(fake_host::WaitForFrames(first + want));
    const OutputRecord out = fake_host::Output();
    const int diff = MaxAbsDiff(out.pcm, first, reference.samples, c.reference_skip + target, want, channels);
    EXPECT_GE(diff, 0);
    EXPECT_LE(diff, c.tolerance);
  }
  // From the last seek on to the end: exactly the rest of the real samples.
  const int64_t first = static_cast<int64_t>(fake_host::Output().flushes.back().sample_index) / channels;
  fake_host::AddBudget(-1);
  EXPECT_TRUE(fake_host::WaitForEndOfFile());
  m->Stop();
  m->Quit();
  EXPECT_EQ(fake_host::Output().written_frames - first, source.frames() - MsToFrames(3950, rate));
}

INSTANTIATE_TEST_SUITE_P(Gapless, ExactTest, testing::ValuesIn(kExactCases),
                         [](const testing::TestParamInfo<ExactCase>& info) {
                           std::string name = info.param.file;
                           for (char& ch : name) if (!isalnum(static_cast<unsigned char>(ch))) ch = '_';
                           return name;
                         });

// Signal-to-noise ratio against the source over [from, to) source frames,
// the decode being `lag` frames later.
double WindowSnr(const WavData& source, const std::vector<int16_t>& decoded, int64_t lag, int64_t from, int64_t to) {
  const int channels = source.channels;
  const std::vector<int16_t> window(source.samples.begin() + from * channels, source.samples.begin() + to * channels);
  const int64_t start = (from + lag) * channels;
  if (start < 0 || start + static_cast<int64_t>(window.size()) > static_cast<int64_t>(decoded.size())) return -1;
  const std::vector<int16_t> part(decoded.begin() + start, decoded.begin() + start + window.size());
  return SnrDb(window, 0, part, channels, 0);
}

// lame --nogap writes no LAME header (it would cut the joins): the three
// files hold whole frames of one continuous stream, and the plug-in plays
// every decoded sample of each, as ffmpeg does. Laid end to end they hold
// the source at one fixed offset (the encoder's and the decoder's delay),
// nothing lost or added at the joins, and match the source as well as the
// uncut encode does everywhere but in the first frame after each join: a
// decoder that starts on a file lacks the overlap of the previous file's
// last granule there (ffmpeg's decodes of the files show the same).
TEST(GaplessSetTest, NogapMp3FilesJoinWithoutAGap) {
  const char* files[] = {"nogap1.mp3", "nogap2.mp3", "nogap3.mp3"};
  for (const char* file : files) REQUIRE_MEDIA(file);
  REQUIRE_MEDIA("gapless.mp3");
  REQUIRE_MEDIA("nogap1_mp3_ffmpeg.wav");
  WavData source;
  ASSERT_TRUE(ReadWav(fake_host::MediaPath("gapless.wav"), source));
  In_Module* m = Plugin();
  ASSERT_NE(m, nullptr);
  std::vector<int16_t> joined;
  std::vector<int64_t> joins;
  for (const char* file : files) {
    SCOPED_TRACE(file);
    ASSERT_NO_FATAL_FAILURE(PlayToEnd(m, file));
    const OutputRecord out = fake_host::Output();
    WavData reference;
    const std::string name(file);
    ASSERT_TRUE(ReadWav(fake_host::MediaPath(name.substr(0, name.size() - 4) + "_mp3_ffmpeg.wav"), reference));
    EXPECT_EQ(out.written_frames, reference.frames());
    const int diff = MaxAbsDiff(out.pcm, 0, reference.samples, 0, reference.frames(), 2);
    EXPECT_GE(diff, 0);
    EXPECT_LE(diff, 2) << "against ffmpeg's decode";
    joined.insert(joined.end(), out.pcm.begin(), out.pcm.end());
    joins.push_back(static_cast<int64_t>(joined.size()) / 2);
  }
  joins.pop_back();
  ASSERT_NO_FATAL_FAILURE(PlayToEnd(m, "gapless.mp3"));
  const std::vector<int16_t> uncut = fake_host::Output().pcm;  // trimmed by its LAME header: lag 0
  const int lag = BestLag(source.samples, 0, joined, 2, 1500, 30000);
  EXPECT_EQ(lag, 576 + 529);
  EXPECT_GE(static_cast<int64_t>(joined.size()) / 2 - lag, source.frames());
  EXPECT_LT(static_cast<int64_t>(joined.size()) / 2 - lag, source.frames() + 1152) << "at most one frame of padding";
  constexpr int64_t kColdStart = 1152;
  for (int64_t join : joins) {
    const int64_t at = join - lag;  // source frame at the join
    SCOPED_TRACE(at);
    const double before = WindowSnr(source, joined, lag, at - 4608, at);
    const double after = WindowSnr(source, joined, lag, at + kColdStart, at + 4608);
    const double uncut_before = WindowSnr(source, uncut, 0, at - 4608, at);
    const double uncut_after = WindowSnr(source, uncut, 0, at + kColdStart, at + 4608);
    EXPECT_GE(before, uncut_before - 3.0);
    EXPECT_GE(after, uncut_after - 3.0);
    std::printf("join at source frame %lld: %.1f dB before, %.1f dB in the first frame after (uncut %.1f dB), "
                "%.1f dB after it (uncut %.1f dB)\n",
                static_cast<long long>(at), before, WindowSnr(source, joined, lag, at, at + kColdStart),
                WindowSnr(source, uncut, 0, at, at + kColdStart), after, uncut_after);
  }
}

}  // namespace
