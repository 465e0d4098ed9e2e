// in_mf.dll delivers exactly the real samples of compressed files (no
// priming, delay or padding), compared with ffmpeg's decode, also after
// seeks; and the files of an MP3 set encoded gaplessly join as one encoding.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <initializer_list>
#include <string>
#include <vector>

#include "tests/in_mf/plugin_test_util.h"

namespace {

using fake_host::Plugin;

// The largest difference over `frames`, checked to lie within `tolerance`.
int ExpectClose(const std::vector<int16_t>& a, int64_t a_frame, const std::vector<int16_t>& b, int64_t b_frame,
                int64_t frames, int channels, int tolerance) {
  const int diff = MaxAbsDiff(a, a_frame, b, b_frame, frames, channels);
  EXPECT_GE(diff, 0);
  EXPECT_LE(diff, tolerance);
  return diff;
}

// Plays `file` and seeks to each of `ms`, comparing a quarter second after
// each with `reference` from frame `reference_at` (plus the seek's frame);
// from the last seek on, exactly the rest of the file's `frames` come.
void SeekAndCompare(In_Module* m, const char* file, std::initializer_list<int> ms_list, const WavData& reference,
                    int64_t reference_at, int64_t frames, int tolerance) {
  const int rate = reference.sample_rate, channels = reference.channels;
  fake_host::ResetOutput(0);
  fake_host::DrainMessages();
  m->Init();
  ASSERT_EQ(m->Play(fake_host::MediaPath(file).c_str()), 0);
  size_t flushes = 0;
  int64_t target = 0, first = 0;
  for (int ms : ms_list) {
    SCOPED_TRACE(ms);
    m->SetOutputTime(ms);
    ASSERT_TRUE(fake_host::WaitForFlushes(++flushes));
    first = static_cast<int64_t>(fake_host::Output().flushes.back().sample_index) / channels;
    target = MsToFrames(ms, rate);
    const int64_t want = std::min<int64_t>(rate / 4, frames - target);
    fake_host::AddBudget((want + 576) * channels * 2);  // the plug-in writes whole blocks of 576
    ASSERT_TRUE(fake_host::WaitForFrames(first + want));
    ExpectClose(fake_host::Output().pcm, first, reference.samples, reference_at + target, want, channels, tolerance);
  }
  fake_host::AddBudget(-1);
  EXPECT_TRUE(fake_host::WaitForEndOfFile());
  m->Stop();
  m->Quit();
  EXPECT_EQ(fake_host::Output().written_frames - first, frames - target);
}

struct ExactCase {
  const char* file;
  const char* source;      // the WAV it was encoded from: its length is the real length
  const char* reference;   // ffmpeg's decode of it
  int64_t reference_skip;  // frames of priming ffmpeg keeps (no edit list to tell it)
  int tolerance;           // MP3: Wine's decoder rounds otherwise than ffmpeg's
};

const ExactCase kExactCases[] = {
    {"gapless_elst.m4a", "gapless.wav", "gapless_elst_ffmpeg.wav", 0, 1},
    {"gapless_short_elst.m4a", "gapless_short.wav", "gapless_short_elst_ffmpeg.wav", 0, 1},  // edit 27 short
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
  int length_ms = 0;
  ASSERT_NO_FATAL_FAILURE(PlayToEnd(Plugin(), c.file, &length_ms));
  const OutputRecord out = fake_host::Output();
  ASSERT_EQ(out.channels, source_.channels);
  EXPECT_EQ(out.written_frames, source_.frames()) << "the real samples, not one more or less";
  EXPECT_EQ(length_ms, source_.frames() * 1000 / source_.sample_rate);
  const int64_t common = std::min(out.written_frames, source_.frames());
  const int diff =
      ExpectClose(out.pcm, 0, reference_.samples, c.reference_skip, common, source_.channels, c.tolerance);
  std::printf("%s: %lld frames (real %lld), largest difference from ffmpeg's decode %d\n", c.file,
              static_cast<long long>(out.written_frames), static_cast<long long>(source_.frames()), diff);
}

TEST_P(ExactTest, SeeksCountFromTheFirstRealSample) {
  const ExactCase& c = GetParam();
  SeekAndCompare(Plugin(), c.file, {2345, 0, 1234, 3950}, reference_, c.reference_skip, source_.frames(),
                 c.tolerance);
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
  return SnrDb(window, 0, std::vector<int16_t>(decoded.begin() + start, decoded.begin() + start + window.size()),
               channels, 0);
}

// ffmpeg's decodes of the set's files on their own and of the set laid end
// to end as one file.
struct SetDecodes {
  WavData alone[3];
  WavData set;
  int64_t starts[3] = {};  // where each file begins in the set
};

bool ReadSetDecodes(SetDecodes& out) {
  int64_t at = 0;
  for (int n = 0; n < 3; ++n) {
    if (!ReadWav(fake_host::MediaPath("nogap" + std::to_string(n + 1) + "_mp3_ffmpeg.wav"), out.alone[n])) {
      return false;
    }
    out.starts[n] = at;
    at += out.alone[n].frames();
  }
  return ReadWav(fake_host::MediaPath("nogap_set_mp3_ffmpeg.wav"), out.set) && out.set.frames() == at;
}

#define REQUIRE_SET_MEDIA()                                                                                    \
  for (const char* name : {"nogap1.mp3", "nogap2.mp3", "nogap3.mp3", "gapless.mp3", "nogap_set_mp3_ffmpeg.wav", \
                           "gapless_mp3_ffmpeg.wav"}) {                                                         \
    REQUIRE_MEDIA(name);                                                                                       \
  }

// lame --nogap writes no LAME header: the files hold whole frames of one
// encoding, and a decoder starting on one alone lacks the previous file's last
// frame. Played in turn they decode as the set as one file does, at one fixed
// lag from the source, and each join, its first frame included, matches the
// source as well as the uncut encode does.
TEST(GaplessSetTest, NogapMp3FilesJoinAsOneEncoding) {
  REQUIRE_SET_MEDIA();
  SetDecodes decodes;
  WavData source, uncut;
  ASSERT_TRUE(ReadSetDecodes(decodes));
  ASSERT_TRUE(ReadWav(fake_host::MediaPath("gapless.wav"), source));
  ASSERT_TRUE(ReadWav(fake_host::MediaPath("gapless_mp3_ffmpeg.wav"), uncut));  // trimmed by its header: lag 0
  ASSERT_NE(Plugin(), nullptr);
  std::vector<int16_t> joined;
  for (int n = 0; n < 3; ++n) {
    ASSERT_NO_FATAL_FAILURE(PlayToEnd(Plugin(), "nogap" + std::to_string(n + 1) + ".mp3"));
    const OutputRecord out = fake_host::Output();
    EXPECT_EQ(out.written_frames, decodes.alone[n].frames()) << "file " << n + 1;
    joined.insert(joined.end(), out.pcm.begin(), out.pcm.end());
  }
  std::printf("largest difference from ffmpeg's decode of the set as one file: %d\n",
              ExpectClose(joined, 0, decodes.set.samples, 0, decodes.set.frames(), 2, 2));
  const int lag = BestLag(source.samples, 0, joined, 2, 1500, 30000);
  EXPECT_EQ(lag, 576 + 529);
  EXPECT_GE(static_cast<int64_t>(joined.size()) / 2 - lag, source.frames());
  EXPECT_LT(static_cast<int64_t>(joined.size()) / 2 - lag, source.frames() + 1152) << "at most one frame of padding";
  for (int64_t join : {decodes.starts[1], decodes.starts[2]}) {
    const int64_t at = join - lag;  // source frame at the join
    SCOPED_TRACE(at);
    for (int64_t from : {at, at - 4608}) {  // the first frame after it; 2 x 4608 frames around it
      const int64_t to = from == at ? at + 1152 : at + 4608;
      const double snr = WindowSnr(source, joined, lag, from, to);
      const double uncut_snr = WindowSnr(source, uncut.samples, 0, from, to);
      EXPECT_GE(snr, uncut_snr - 3.0);
      std::printf("join at source frame %lld, frames %lld to %lld: %.1f dB (uncut encode %.1f dB)\n",
                  static_cast<long long>(at), static_cast<long long>(from), static_cast<long long>(to), snr, uncut_snr);
    }
  }
}

// A file continues only the file played to its end right before it, from the
// same folder, of the same stream, neither with a header; either way it
// delivers the same number of samples and reports the same length.
TEST(GaplessSetTest, AFileContinuesOnlyTheFileBeforeItPlayedToItsEnd) {
  REQUIRE_SET_MEDIA();
  REQUIRE_MEDIA("mono22k.mp3");
  REQUIRE_MEDIA("elsewhere\\nogap1.mp3");
  SetDecodes decodes;
  ASSERT_TRUE(ReadSetDecodes(decodes));
  const WavData& alone = decodes.alone[1];
  In_Module* m = Plugin();
  ASSERT_NE(m, nullptr);
  int alone_length = 0;
  ASSERT_NO_FATAL_FAILURE(PlayToEnd(m, "nogap2.mp3", &alone_length));
  const struct {
    const char* what;
    const char* before;
    bool to_its_end, continues;
  } cases[] = {
      {"the file before it, played to its end", "nogap1.mp3", true, true},
      {"the file before it, stopped before its end (Next)", "nogap1.mp3", false, false},
      {"the file before it, in another folder", "elsewhere\\nogap1.mp3", true, false},
      {"itself (Repeat over one file)", "nogap2.mp3", true, false},
      {"a file with a LAME header", "gapless.mp3", true, false},
      {"a file of another rate and channel count", "mono22k.mp3", true, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    if (c.to_its_end) {
      ASSERT_NO_FATAL_FAILURE(PlayToEnd(m, c.before));
    } else {
      fake_host::ResetOutput(4 * 8192);
      m->Init();
      ASSERT_EQ(m->Play(fake_host::MediaPath(c.before).c_str()), 0);
      ASSERT_TRUE(fake_host::WaitForFrames(4096));
      m->Stop();
      m->Quit();
    }
    int length = 0;
    ASSERT_NO_FATAL_FAILURE(PlayToEnd(m, "nogap2.mp3", &length));
    const OutputRecord out = fake_host::Output();
    EXPECT_EQ(out.written_frames, alone.frames());
    EXPECT_EQ(length, alone_length);
    ExpectClose(out.pcm, 0, c.continues ? decodes.set.samples : alone.samples, c.continues ? decodes.starts[1] : 0,
                alone.frames(), 2, 2);
  }
}

// Seeks in a file that continues the one before it, back to its start too,
// land on the set decoded as one file, and it still ends at its last sample.
TEST(GaplessSetTest, SeeksInAFileThatContinuesTheOneBefore) {
  REQUIRE_SET_MEDIA();
  SetDecodes decodes;
  ASSERT_TRUE(ReadSetDecodes(decodes));
  ASSERT_NE(Plugin(), nullptr);
  ASSERT_NO_FATAL_FAILURE(PlayToEnd(Plugin(), "nogap1.mp3"));
  SeekAndCompare(Plugin(), "nogap2.mp3", {900, 0, 400}, decodes.set, decodes.starts[1], decodes.alone[1].frames(), 2);
}

}  // namespace
