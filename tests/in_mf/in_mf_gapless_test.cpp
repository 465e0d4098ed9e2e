// in_mf.dll delivers exactly the real samples of compressed files: no
// decoder priming or encoder delay at the start, no padding at the end, no
// real sample lost, compared sample for sample with ffmpeg's decode of the
// same file, also after seeks; and the files of an MP3 set encoded
// gaplessly join as one encoding.
#include <gtest/gtest.h>

#include <cstdio>
#include <initializer_list>
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

// Plays the files one after another as a host does, each to its end, and
// returns what each wrote.
std::vector<OutputRecord> PlayInTurn(In_Module* m, std::initializer_list<const char*> files) {
  std::vector<OutputRecord> outputs;
  for (const char* file : files) {
    SCOPED_TRACE(file);
    PlayToEnd(m, file);
    outputs.push_back(fake_host::Output());
  }
  return outputs;
}

// The decodes the set's tests compare with: ffmpeg's of the files on their
// own and of the set laid end to end as one file (one stream, decoded
// without a break).
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

#define REQUIRE_SET_MEDIA()                                                          \
  do {                                                                               \
    for (const char* name : {"nogap1.mp3", "nogap2.mp3", "nogap3.mp3", "gapless.mp3", \
                             "nogap_set_mp3_ffmpeg.wav", "gapless_mp3_ffmpeg.wav"}) { \
      REQUIRE_MEDIA(name);                                                           \
    }                                                                                \
  } while (0)

// lame --nogap writes no LAME header (it would cut the joins): the three
// files hold whole frames of one continuous encoding, and a decoder that
// starts on one of them alone lacks the previous file's last frame (the
// transform's overlap, the synthesis filter's memory, the bit reservoir).
// Played one after another, each file continues the one before it: the
// three decode as the set laid end to end as one file does, nothing lost or
// added and no cold start at the joins. That holds the source at one fixed
// offset (the first file's encoder and decoder delay, which without a
// header nothing says to trim), and at each join, its first frame
// included, it matches the source as well as the uncut encode does.
TEST(GaplessSetTest, NogapMp3FilesJoinAsOneEncoding) {
  REQUIRE_SET_MEDIA();
  SetDecodes decodes;
  WavData source, uncut;
  ASSERT_TRUE(ReadSetDecodes(decodes));
  ASSERT_TRUE(ReadWav(fake_host::MediaPath("gapless.wav"), source));
  ASSERT_TRUE(ReadWav(fake_host::MediaPath("gapless_mp3_ffmpeg.wav"), uncut));  // trimmed by its header: lag 0
  In_Module* m = Plugin();
  ASSERT_NE(m, nullptr);
  const std::vector<OutputRecord> outputs = PlayInTurn(m, {"nogap1.mp3", "nogap2.mp3", "nogap3.mp3"});
  ASSERT_EQ(outputs.size(), 3u);
  std::vector<int16_t> joined, one_by_one;
  std::vector<int64_t> joins;
  for (int n = 0; n < 3; ++n) {
    EXPECT_EQ(outputs[n].written_frames, decodes.alone[n].frames()) << "file " << n + 1;
    joined.insert(joined.end(), outputs[n].pcm.begin(), outputs[n].pcm.end());
    one_by_one.insert(one_by_one.end(), decodes.alone[n].samples.begin(), decodes.alone[n].samples.end());
    if (n > 0) joins.push_back(decodes.starts[n]);
  }
  const int diff = MaxAbsDiff(joined, 0, decodes.set.samples, 0, decodes.set.frames(), 2);
  EXPECT_GE(diff, 0);
  EXPECT_LE(diff, 2) << "against ffmpeg's decode of the set as one file";
  std::printf("largest sample difference from ffmpeg's decode of the set as one file: %d\n", diff);

  const int lag = BestLag(source.samples, 0, joined, 2, 1500, 30000);
  EXPECT_EQ(lag, 576 + 529);
  EXPECT_GE(static_cast<int64_t>(joined.size()) / 2 - lag, source.frames());
  EXPECT_LT(static_cast<int64_t>(joined.size()) / 2 - lag, source.frames() + 1152) << "at most one frame of padding";
  constexpr int64_t kFirstFrame = 1152;
  constexpr int64_t kAround = 4608;
  for (int64_t join : joins) {
    const int64_t at = join - lag;  // source frame at the join
    SCOPED_TRACE(at);
    const double first = WindowSnr(source, joined, lag, at, at + kFirstFrame);
    const double around = WindowSnr(source, joined, lag, at - kAround, at + kAround);
    const double uncut_first = WindowSnr(source, uncut.samples, 0, at, at + kFirstFrame);
    const double uncut_around = WindowSnr(source, uncut.samples, 0, at - kAround, at + kAround);
    EXPECT_GE(first, uncut_first - 3.0);
    EXPECT_GE(around, uncut_around - 3.0);
    std::printf("join at source frame %lld: first frame after it %.1f dB (uncut encode %.1f dB, files decoded one "
                "by one %.1f dB); 2 x %lld frames around it %.1f dB (uncut %.1f dB, one by one %.1f dB)\n",
                static_cast<long long>(at), first, uncut_first,
                WindowSnr(source, one_by_one, lag, at, at + kFirstFrame), static_cast<long long>(kAround), around,
                uncut_around, WindowSnr(source, one_by_one, lag, at - kAround, at + kAround));
  }
}

// A file continues only the file that played to its end right before it,
// from the same folder, of the same stream, neither with a header of its
// own; otherwise it plays as it does alone. Either way it delivers the
// same number of samples and reports the same length.
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
    bool to_its_end;
    bool continues;
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
    const WavData& expected = c.continues ? decodes.set : alone;
    const int64_t from = c.continues ? decodes.starts[1] : 0;
    const int diff = MaxAbsDiff(out.pcm, 0, expected.samples, from, alone.frames(), 2);
    EXPECT_GE(diff, 0);
    EXPECT_LE(diff, 2) << (c.continues ? "against the set decoded as one file" : "against the file decoded alone");
  }
}

// Seeks in a file that continues the one before it land on the samples of
// the set decoded as one file, also a seek back to its start, and it still
// ends at its last sample.
TEST(GaplessSetTest, SeeksInAFileThatContinuesTheOneBefore) {
  REQUIRE_SET_MEDIA();
  SetDecodes decodes;
  ASSERT_TRUE(ReadSetDecodes(decodes));
  In_Module* m = Plugin();
  ASSERT_NE(m, nullptr);
  ASSERT_NO_FATAL_FAILURE(PlayToEnd(m, "nogap1.mp3"));
  constexpr int kRate = 44100, kChannels = 2;
  fake_host::ResetOutput(0);
  fake_host::DrainMessages();
  m->Init();
  ASSERT_EQ(m->Play(fake_host::MediaPath("nogap2.mp3").c_str()), 0);
  size_t flushes = 0;
  int64_t target = 0;
  for (int ms : {900, 0, 400}) {
    SCOPED_TRACE(ms);
    m->SetOutputTime(ms);
    ASSERT_TRUE(fake_host::WaitForFlushes(++flushes));
    const int64_t first = static_cast<int64_t>(fake_host::Output().flushes.back().sample_index) / kChannels;
    target = MsToFrames(ms, kRate);
    const int64_t want = std::min<int64_t>(kRate / 4, decodes.alone[1].frames() - target);
    fake_host::AddBudget((want + 576) * kChannels * 2);  // the plug-in writes whole blocks of 576
    ASSERT_TRUE(fake_host::WaitForFrames(first + want));
    const int diff =
        MaxAbsDiff(fake_host::Output().pcm, first, decodes.set.samples, decodes.starts[1] + target, want, kChannels);
    EXPECT_GE(diff, 0);
    EXPECT_LE(diff, 2);
  }
  const int64_t first = static_cast<int64_t>(fake_host::Output().flushes.back().sample_index) / kChannels;
  fake_host::AddBudget(-1);
  EXPECT_TRUE(fake_host::WaitForEndOfFile());
  m->Stop();
  m->Quit();
  EXPECT_EQ(fake_host::Output().written_frames - first, decodes.alone[1].frames() - target);
}

}  // namespace
