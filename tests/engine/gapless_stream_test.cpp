// Gapless playback in the output stage: files queued behind one another in
// the ring play as one stream, each with its own gain from exactly its first
// sample, through the plain path and the equalizer; the file heard switches
// with the buffer that carries its first sample.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "engine/output_stage.h"
#include "engine/eq_stage.h"

namespace {

// A file's frames: a ramp with a different start per file, so that every
// sample tells which file and frame it is.
std::vector<int16_t> FileSamples(uint32_t frames, int file) {
  std::vector<int16_t> pcm(frames * 2);
  for (uint32_t i = 0; i < pcm.size(); ++i) {
    pcm[i] = static_cast<int16_t>(file * 3000 + static_cast<int>(i % 2001) - 1000);
  }
  return pcm;
}

void WriteAll(OutputStage& stage, const std::vector<int16_t>& pcm) {
  stage.Write(pcm.data(), static_cast<int>(pcm.size() * 2));
}

struct Played {
  std::vector<int16_t> samples;
  std::vector<uint32_t> heardAtBuffer;  // buffer index when a file was heard
  std::vector<uint32_t> heardTokens;
};

// Refills buffers of `bufferBytes` until the natural end; after each fill
// the buffer counts as the one now playing.
Played PlayOut(OutputStage& stage, uint32_t bufferBytes) {
  Played out;
  std::vector<int16_t> buffer(bufferBytes / 2);
  for (uint32_t n = 0; n < 2000 && stage.EndStateNow() == OutputStage::kRunning; ++n) {
    stage.FillOutputBuffer(buffer.data(), bufferBytes);
    out.samples.insert(out.samples.end(), buffer.begin(), buffer.end());
    stage.NoteNowPlaying(stage.LastFillStreamEnd(), [&](uint32_t token) {
      out.heardAtBuffer.push_back(n);
      out.heardTokens.push_back(token);
    });
  }
  return out;
}

int16_t Scaled(int16_t sample, int32_t multiplier) {
  return static_cast<int16_t>(std::clamp((sample * int64_t{multiplier}) >> 14, int64_t{-32768}, int64_t{32767}));
}

struct Join {
  uint32_t framesA, framesB, bufferBytes;
  int32_t gainA, gainB;  // file gains, -16384..16384
  double loudnessA = 1, loudnessB = 1;  // ReplayGain factors
};

// The multiplier of a file at volume 1.0: its gain times its loudness.
int32_t MultiplierAt(int32_t gain, double loudness) {
  return static_cast<int32_t>((gain + int64_t{32768}) * 16384 * LoudnessFixedPoint(loudness) /
                              (int64_t{32768} * kLoudnessUnity));
}

// Cuts at no multiple of 576 or 1024 frames and buffers of odd sizes.
const Join kJoins[] = {
    {44101, 30011, 32768, 0, 0},      {1, 777, 32768, 0, -8192},
    {12345, 6789, 4004, 8192, -16384}, {100003, 3, 32768, -4000, 16384},
    {8063, 8065, 1236, 0, 1},
    // Loudness gains, one far enough up that the loud samples saturate.
    {44101, 30011, 32768, 0, 0, 0.5, 1.9953}, {8063, 8065, 1236, -4000, 1, 1.0, 24.0},
};

TEST(GaplessStream, FilesJoinSampleExactlyWithTheirOwnGains) {
  for (const Join& join : kJoins) {
    SCOPED_TRACE(testing::Message() << join.framesA << "+" << join.framesB << " buffer " << join.bufferBytes);
    OutputStage stage;
    stage.SetFileGain(join.gainA);
    stage.SetLoudness(LoudnessFixedPoint(join.loudnessA));
    stage.Reset(1);
    stage.SetVolume(16384);
    stage.SetGaplessHold(true);
    std::vector<uint32_t> done;
    stage.SetDecoderDoneCallback([&](uint32_t token) { done.push_back(token); });
    ASSERT_TRUE(stage.Configure(44100, 2, 16));

    const auto a = FileSamples(join.framesA, 1);
    const auto b = FileSamples(join.framesB, 2);
    WriteAll(stage, a);
    stage.IsPlaying();
    stage.IsPlaying();  // a plug-in asks again while it waits
    ASSERT_EQ(done, (std::vector<uint32_t>{1}));
    // Played to its end before the next file joins: the end waits.
    std::vector<int16_t> early(join.framesA * 2);
    stage.FillOutputBuffer(early.data(), static_cast<uint32_t>(early.size() * 2));
    std::vector<int16_t> silence(64);
    stage.FillOutputBuffer(silence.data(), 128);
    EXPECT_EQ(stage.EndStateNow(), OutputStage::kRunning);
    EXPECT_TRUE(stage.EndHeld());

    ASSERT_TRUE(stage.Configure(44100, 2, 16));  // the next plug-in's layout
    ASSERT_TRUE(stage.AppendSegment(2, join.gainB, LoudnessFixedPoint(join.loudnessB)));
    EXPECT_FALSE(stage.EndHeld());
    WriteAll(stage, b);
    stage.IsPlaying();
    ASSERT_EQ(done, (std::vector<uint32_t>{1, 2}));
    const Played played = PlayOut(stage, join.bufferBytes);
    ASSERT_EQ(stage.EndStateNow(), OutputStage::kNaturalEnd);

    const int32_t mA = MultiplierAt(join.gainA, join.loudnessA), mB = MultiplierAt(join.gainB, join.loudnessB);
    for (size_t i = 0; i < a.size(); ++i) ASSERT_EQ(early[i], Scaled(a[i], mA)) << i;
    EXPECT_EQ(silence, std::vector<int16_t>(64, 0));
    ASSERT_GE(played.samples.size(), b.size());
    for (size_t i = 0; i < b.size(); ++i) ASSERT_EQ(played.samples[i], Scaled(b[i], mB)) << i;
    // B was heard with the first buffer that carried its first sample.
    EXPECT_EQ(played.heardTokens, (std::vector<uint32_t>{2}));
    EXPECT_EQ(played.heardAtBuffer, (std::vector<uint32_t>{0}));
  }
}

TEST(GaplessStream, TheFileHeardSwitchesWithTheBufferThatCarriesItsStart) {
  for (const Join& join : kJoins) {
    SCOPED_TRACE(testing::Message() << join.framesA << "+" << join.framesB << " buffer " << join.bufferBytes);
    OutputStage stage;
    stage.Reset(1);
    stage.SetVolume(16384);
    ASSERT_TRUE(stage.Configure(44100, 2, 16));
    WriteAll(stage, FileSamples(join.framesA, 1));
    stage.IsPlaying();
    ASSERT_TRUE(stage.AppendSegment(2, join.gainB));
    WriteAll(stage, FileSamples(join.framesB, 2));
    stage.IsPlaying();
    EXPECT_EQ(stage.SegmentTokens(), (std::vector<uint32_t>{1, 2}));
    EXPECT_EQ(stage.PositionMs(), 0u);
    const Played played = PlayOut(stage, join.bufferBytes);
    // The buffer holding A's last frame also holds B's first (or B starts
    // the next one): that buffer is when B is heard.
    const uint32_t boundary = join.framesA * 4;
    EXPECT_EQ(played.heardAtBuffer, (std::vector<uint32_t>{boundary / join.bufferBytes}));
    EXPECT_EQ(stage.SegmentTokens(), (std::vector<uint32_t>{2}));
    // The position counts from B's first sample.
    EXPECT_EQ(stage.PositionMs(), static_cast<uint32_t>(uint64_t{join.framesB} * 1000 / 44100));
  }
}

TEST(GaplessStream, QueuedFilesNotYetReadAreDroppedWithTheirSamples) {
  OutputStage stage;
  stage.Reset(1);
  stage.SetVolume(16384);
  ASSERT_TRUE(stage.Configure(44100, 2, 16));
  const auto a = FileSamples(5000, 1);
  WriteAll(stage, a);
  stage.IsPlaying();
  ASSERT_TRUE(stage.AppendSegment(2, 0));
  WriteAll(stage, FileSamples(3000, 2));
  // A seek by the queued file's plug-in drops its own samples only.
  stage.Flush(1000);
  EXPECT_EQ(stage.Ring().AvailableBytes(), a.size() * 2);
  ASSERT_TRUE(stage.AppendSegment(3, 0));
  WriteAll(stage, FileSamples(3000, 3));
  EXPECT_EQ(stage.DropQueuedSegments(), 2);
  EXPECT_EQ(stage.SegmentTokens(), (std::vector<uint32_t>{1}));
  EXPECT_TRUE(stage.Ring().decoderFinished.load());  // A's end is the stream's end
  const Played played = PlayOut(stage, 32768);
  EXPECT_EQ(stage.EndStateNow(), OutputStage::kNaturalEnd);
  EXPECT_TRUE(std::equal(a.begin(), a.end(), played.samples.begin()));
  EXPECT_TRUE(std::all_of(played.samples.begin() + a.size(), played.samples.end(), [](int16_t s) { return s == 0; }));

  // Once the reader is into a queued file, it stays.
  stage.Reset(1);
  WriteAll(stage, FileSamples(100, 1));
  ASSERT_TRUE(stage.AppendSegment(2, 0));
  WriteAll(stage, FileSamples(100, 2));
  std::vector<int16_t> buffer(300);
  stage.FillPlain(buffer.data(), 300);
  EXPECT_EQ(stage.DropQueuedSegments(), 0);
  EXPECT_EQ(stage.SegmentTokens(), (std::vector<uint32_t>{1, 2}));
}

TEST(GaplessStream, AnUnansweredEndHoldLetsTheStreamEnd) {
  OutputStage stage;
  stage.Reset(1);
  stage.SetVolume(16384);
  stage.SetGaplessHold(true);
  ASSERT_TRUE(stage.Configure(44100, 2, 16));
  WriteAll(stage, FileSamples(10, 1));
  stage.IsPlaying();
  std::vector<int16_t> buffer(4410 * 2);  // 100 ms
  int fills = 0;
  while (stage.EndStateNow() == OutputStage::kRunning && fills < 100) {
    stage.FillOutputBuffer(buffer.data(), static_cast<uint32_t>(buffer.size() * 2));
    ++fills;
  }
  EXPECT_EQ(stage.EndStateNow(), OutputStage::kNaturalEnd);
  EXPECT_GE(fills, static_cast<int>(OutputStage::kMaxEndHoldMs / 100));
  EXPECT_LE(fills, static_cast<int>(OutputStage::kMaxEndHoldMs / 100) + 2);
}

// Through the equalizer: the filter runs on through the join, each file's
// gain starts at its first sample, and a file's curve arrives with the block
// that delivers its first sample; switching the equalizer on or off between
// files makes no step.
struct EqJoin {
  bool curveA, curveB;  // a flat curve, or none
  int32_t gainB;
  float levelB;  // the level of B's flat curve
};

TEST(GaplessStream, TheEqualizerRunsOnThroughTheJoin) {
  const EqJoin cases[] = {{true, true, -8192, 1.0f}, {false, true, 0, 1.0f}, {true, false, 0, 1.0f},
                          {false, false, 4096, 1.0f}, {true, true, 0, 0.5f}, {false, true, 0, 0.5f}};
  for (const EqJoin& c : cases) {
    SCOPED_TRACE(testing::Message() << c.curveA << c.curveB << " gain " << c.gainB << " level " << c.levelB);
    EqualizerStage eq;
    EqualizerCurve flat;
    flat.x = {10.0f, 1000.0f};
    flat.y = {1.0f, 1.0f};
    EqualizerCurve curveB = flat;
    curveB.y = {c.levelB, c.levelB};
    eq.SetEqCurve(c.curveA ? flat : EqualizerCurve());
    OutputStage stage;
    stage.SetEqualizer(&eq);
    stage.Reset(1);
    stage.SetVolume(16384);
    ASSERT_TRUE(stage.Configure(44100, 2, 16));
    const uint32_t framesA = 30011, framesB = 20011;
    const auto a = FileSamples(framesA, 1);
    const auto b = FileSamples(framesB, 2);
    WriteAll(stage, a);
    stage.IsPlaying();
    std::vector<int16_t> played(8000);  // the start of A, before B is queued
    stage.FillOutputBuffer(played.data(), 16000);
    const uint32_t start = stage.Ring().WriteCounter();
    ASSERT_TRUE(stage.AppendSegment(2, c.gainB));
    eq.ScheduleEqCurve(c.curveB ? curveB : EqualizerCurve(), start);
    WriteAll(stage, b);
    stage.IsPlaying();
    const Played rest = PlayOut(stage, 4004);
    played.insert(played.end(), rest.samples.begin(), rest.samples.end());

    std::vector<int16_t> expected;
    for (int16_t s : a) expected.push_back(s);
    const float level = c.curveB ? c.levelB : 1.0f;
    for (int16_t s : b) expected.push_back(static_cast<int16_t>(Scaled(s, (c.gainB + 32768) / 2) * level));
    ASSERT_GE(played.size(), expected.size());
    // Flat gains pass the stream within rounding; past a file's first block
    // (which fades in) every sample is its own, none shifted or repeated.
    // B's curve changes the level in the block that delivers B's first
    // sample: before it A's level, after it (and its cross-fade) B's, and
    // between the two levels in that block.
    const size_t firstBlock = c.curveA ? 256 : 0;
    const size_t boundary = a.size();
    const size_t blockStart = level == 1.0f ? boundary : boundary - EqualizerStage::kHopSamples;
    for (size_t i = firstBlock; i < expected.size(); ++i) {
      if (i >= blockStart && i < boundary + 256) {
        const int whole = i < boundary ? expected[i] : static_cast<int>(expected[i] / level);
        const int low = std::min(whole, static_cast<int>(whole * level)) - 2;
        const int high = std::max(whole, static_cast<int>(whole * level)) + 2;
        ASSERT_TRUE(played[i] >= low && played[i] <= high) << "sample " << i << ": " << played[i];
        continue;
      }
      ASSERT_LE(std::abs(played[i] - expected[i]), 2) << "sample " << i << " of " << expected.size();
      // Without a curve of its own the first file plays untouched up to the
      // block that brings the second one's curve.
      if (!c.curveA && i + EqualizerStage::kHopSamples < boundary) {
        ASSERT_EQ(played[i], expected[i]) << i;
      }
    }
    EXPECT_FALSE(eq.Active() && !c.curveB);
  }
}

}  // namespace
