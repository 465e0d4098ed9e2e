// The output stage on one thread: multiplier, plain refill, flush and
// position, the plug-in's formats, end detection and drain, pause.
#include "engine/output_stage.h"

#include <gtest/gtest.h>

#include "tests/support/test_audio.h"

#include <memory>
#include <vector>

namespace {

constexpr uint32_t kBufferBytes = 32768;
constexpr uint32_t kBufferSamples = kBufferBytes / 2;

using testaudio::Bytes16;

void Write16(OutputStage& stage, const std::vector<int16_t>& samples) {
  const auto bytes = Bytes16(samples);
  stage.Write(bytes.data(), static_cast<int>(bytes.size()));
}

std::vector<int16_t> RingContents(const OutputStage& stage) {
  const SampleRing& ring = stage.Ring();
  std::vector<int16_t> out;
  for (uint32_t c = ring.ReadCounter(); c != ring.WriteCounter(); c += 2) out.push_back(ring.Sample(c / 2));
  return out;
}

std::unique_ptr<OutputStage> FreshStage() {
  auto stage = std::make_unique<OutputStage>();
  stage->Reset();
  return stage;
}

TEST(OutputStageGain, MultiplierFollowsVolumeAndFileGain) {
  OutputStage stage;
  EXPECT_EQ(stage.Volume(), 16384);
  EXPECT_EQ(stage.FileGain(), 0);
  EXPECT_EQ(stage.Multiplier(), 0);  // until the first setting

  stage.SetVolume(40000);
  EXPECT_EQ(stage.Volume(), 32768);
  EXPECT_EQ(stage.Multiplier(), 32768);
  stage.SetFileGain(-20000);
  EXPECT_EQ(stage.FileGain(), -16384);
  EXPECT_EQ(stage.Multiplier(), 16384);
  stage.SetFileGain(16384);
  EXPECT_EQ(stage.Multiplier(), 49152);
  stage.SetVolume(-5);
  EXPECT_EQ(stage.Volume(), 0);
  EXPECT_EQ(stage.Multiplier(), 0);
  stage.SetVolume(10000);
  stage.SetFileGain(-16384);
  EXPECT_EQ(stage.Multiplier(), 5000);
}

TEST(OutputStageGain, PlainRefillScalesShiftsAndSaturates) {
  const std::vector<int16_t> input{-32768, -32767, -3, -1, 0, 1, 3, 12345, 32767, -12345};
  auto stage = FreshStage();
  stage->SetVolume(8192);  // 50 %
  Write16(*stage, input);
  std::vector<int16_t> out(input.size() + 6, 0x7777);
  stage->FillPlain(out.data(), static_cast<uint32_t>(out.size()));
  for (size_t i = 0; i < input.size(); ++i) EXPECT_EQ(out[i], (input[i] * 8192) >> 14) << i;
  for (size_t i = input.size(); i < out.size(); ++i) EXPECT_EQ(out[i], 0);  // padding
  EXPECT_EQ(stage->Ring().AvailableBytes(), 0u);

  stage->SetVolume(32768);
  stage->SetFileGain(16384);  // M = 49152: full scale clamps
  Write16(*stage, {32767, -32768, 10000, -10000});
  std::vector<int16_t> loud(4);
  stage->FillPlain(loud.data(), 4);
  EXPECT_EQ(loud, (std::vector<int16_t>{32767, -32768, 30000, -30000}));

  stage->Mute();  // muted: silence, but the ring is still consumed
  Write16(*stage, {1000, 2000});
  std::vector<int16_t> muted(2, 1);
  stage->FillPlain(muted.data(), 2);
  EXPECT_EQ(muted, (std::vector<int16_t>{0, 0}));
  EXPECT_EQ(stage->Ring().AvailableBytes(), 0u);
}

TEST(OutputStagePosition, FlushDropsWhatWaitsAndRestartsThePositionAtTheTime) {
  auto stage = FreshStage();
  Write16(*stage, std::vector<int16_t>(1000, 5));
  stage->Flush(1000);
  EXPECT_EQ(stage->Ring().AvailableBytes(), 0u);
  EXPECT_EQ(stage->PositionMs(), 1000u);

  ASSERT_TRUE(stage->Configure(48000, 1, 16));
  stage->Flush(1000);
  EXPECT_EQ(stage->PositionMs(), 1000u);
  std::vector<int16_t> buffer(96000);  // one second at 48 kHz stereo
  Write16(*stage, buffer);
  stage->FillPlain(buffer.data(), static_cast<uint32_t>(buffer.size()));
  EXPECT_EQ(stage->PositionMs(), 2000u);
  stage->Flush(-5);
  EXPECT_EQ(stage->PositionMs(), 0u);

  // Every time comes back as itself: no drift from rounding to frames.
  for (uint32_t rate : {8000u, 11025u, 22050u, 44100u, 48000u, 96000u}) {
    ASSERT_TRUE(stage->Configure(rate, 2, 16));
    for (int ms = 0; ms < 20000; ms += 7) {
      stage->Flush(ms);
      ASSERT_EQ(stage->PositionMs(), static_cast<uint32_t>(ms)) << rate;
      ASSERT_EQ(stage->Ring().ReadCounter() % 4, 0u);
    }
  }
  // Position runs with the consumed frames at the device rate.
  ASSERT_TRUE(stage->Configure(48000, 2, 16));
  stage->Reset();
  stage->SetVolume(16384);
  std::vector<int16_t> second(96000, 5);
  Write16(*stage, second);
  std::vector<int16_t> out(96000);
  stage->FillPlain(out.data(), 48000);
  EXPECT_EQ(stage->PositionMs(), 500u);
}

TEST(OutputStageFormat, WriteConvertsThePluginsFormatIntoTheRing) {
  auto stage = FreshStage();
  ASSERT_TRUE(stage->Configure(22050, 1, 8));
  const std::vector<uint8_t> mono8{0, 128, 255, 64};
  stage->Write(mono8.data(), 4);
  EXPECT_EQ(RingContents(*stage),
            (std::vector<int16_t>{-32768, -32768, 0, 0, 32512, 32512, -16384, -16384}));

  stage->Reset();
  ASSERT_TRUE(stage->Configure(44100, 2, 24));
  // Three 24-bit stereo frames (18 bytes) written in uneven pieces.
  const std::vector<uint8_t> frames{0x00, 0x01, 0x00, 0x00, 0x02, 0x00, 0x00, 0x03, 0x00,
                                    0x00, 0x04, 0x00, 0x00, 0xff, 0xff, 0x00, 0x00, 0x80};
  size_t at = 0;
  for (size_t piece : {1u, 4u, 2u, 7u, 4u}) {
    stage->Write(frames.data() + at, static_cast<int>(piece));
    at += piece;
    EXPECT_EQ(stage->Ring().WriteCounter() % 4, 0u);
    EXPECT_EQ(stage->Ring().WriteCounter(), (at / 6) * 4) << at;
  }
  EXPECT_EQ(RingContents(*stage), (std::vector<int16_t>{1, 2, 3, 4, -1, -32768}));

  // A flush (seek) drops a pending partial frame.
  stage->Write(frames.data(), 5);
  stage->Flush(0);
  stage->Write(frames.data(), 6);
  EXPECT_EQ(RingContents(*stage), (std::vector<int16_t>{1, 2}));

  // Unsupported formats are refused and change nothing.
  EXPECT_FALSE(stage->Configure(0, 2, 16));
  EXPECT_FALSE(stage->Configure(44100, 9, 16));
  EXPECT_FALSE(stage->Configure(44100, 2, 20));
  EXPECT_EQ(stage->CurrentFormat().bits, 24u);
  EXPECT_EQ(stage->DeviceBytesPerSecond(), 176400u);
}

TEST(OutputStageFormat, CanWriteCountsWholeFramesOfThePluginsFormat) {
  auto stage = FreshStage();
  constexpr int kRingFrames = SampleRing::kBytes / 4;
  EXPECT_EQ(stage->CanWrite(), kRingFrames * 4);
  ASSERT_TRUE(stage->Configure(44100, 6, 24));
  EXPECT_EQ(stage->CanWrite(), kRingFrames * 18);
  std::vector<uint8_t> bytes(18 * 100 + 5, 0);
  stage->Write(bytes.data(), static_cast<int>(bytes.size()));
  EXPECT_EQ(stage->CanWrite(), (kRingFrames - 100) * 18 - 5);
  ASSERT_TRUE(stage->Configure(44100, 1, 8));
  stage->Reset();
  EXPECT_EQ(stage->CanWrite(), kRingFrames);

  // Exactly what CanWrite allows fits; then nothing more.
  std::vector<uint8_t> fill(stage->CanWrite(), 200);
  stage->Write(fill.data(), static_cast<int>(fill.size()));
  EXPECT_EQ(stage->CanWrite(), 0);
  EXPECT_EQ(stage->Ring().AvailableBytes(), SampleRing::kBytes);
}

TEST(OutputStageFormat, WritingPastTheFreeSpaceNeverOverrunsTheRing) {
  auto stage = FreshStage();
  stage->SetWriteWaitLimit(3);
  std::vector<int16_t> samples(SampleRing::kSamples + 400);
  for (size_t i = 0; i < samples.size(); ++i) samples[i] = static_cast<int16_t>(i % 1000 + 1);
  Write16(*stage, samples);
  EXPECT_EQ(stage->Ring().AvailableBytes(), SampleRing::kBytes);
  const auto kept = RingContents(*stage);
  EXPECT_TRUE(std::equal(kept.begin(), kept.end(), samples.begin()));  // the excess was dropped

  // After a stop a full ring drops at once instead of waiting.
  stage->SetWriteWaitLimit(UINT32_MAX);
  stage->MarkStopped();
  Write16(*stage, {1, 2, 3, 4});
  EXPECT_EQ(stage->Ring().AvailableBytes(), SampleRing::kBytes);
}

class FakeEqualizer : public EqualizerPath {
 public:
  bool Active() const override { return active; }
  void Fill(SampleRing& ring, const GainPlan& gains, int16_t* dst, uint32_t samples) override {
    ++fills;
    lastMultiplier = gains.At(ring.ReadCounter());
    lastSamples = samples;
    for (uint32_t i = 0; i < samples; ++i) dst[i] = 77;
    ring.AdvanceReadCapped(samples * 2);
  }
  void Reset() override { ++resets; }
  uint32_t NextStreamByte(const SampleRing& ring) const override { return ring.ReadCounter(); }
  uint32_t PlainBytesBefore(uint32_t) const override { return UINT32_MAX; }
  void Activate() override { active = true; }
  uint32_t PendingStreamSamples() const override { return pending; }
  uint32_t DrainPending(int16_t* dst, uint32_t samples) override {
    const uint32_t take = std::min(pending, samples);
    for (uint32_t i = 0; i < take; ++i) dst[i] = 55;
    pending -= take;
    return take;
  }

  bool active = true;
  uint32_t pending = 0;
  int fills = 0, resets = 0;
  int32_t lastMultiplier = -1;
  uint32_t lastSamples = 0;
};

TEST(OutputStageRefill, ChoosesSilencePlainOrEqualizer) {
  auto stage = FreshStage();
  FakeEqualizer eq;
  stage->SetEqualizer(&eq);
  stage->SetVolume(20000);
  std::vector<int16_t> buffer(kBufferSamples, 9);

  // Empty ring: silence, nothing marked while the decoder still works.
  EXPECT_EQ(stage->FillOutputBuffer(buffer.data(), kBufferBytes), kBufferBytes);
  EXPECT_EQ(buffer, std::vector<int16_t>(kBufferSamples, 0));
  EXPECT_EQ(eq.fills, 0);
  EXPECT_EQ(stage->EndStateNow(), OutputStage::kRunning);

  Write16(*stage, std::vector<int16_t>(100, 1000));
  stage->FillOutputBuffer(buffer.data(), kBufferBytes);
  EXPECT_EQ(eq.fills, 1);
  EXPECT_EQ(eq.lastSamples, kBufferSamples);
  EXPECT_EQ(eq.lastMultiplier, 20000);
  EXPECT_EQ(buffer[0], 77);

  Write16(*stage, std::vector<int16_t>(100, 1000));
  stage->TogglePause();  // paused: silence, the equalizer is not asked
  stage->FillOutputBuffer(buffer.data(), kBufferBytes);
  EXPECT_EQ(eq.fills, 1);
  EXPECT_EQ(buffer[0], 0);
  stage->TogglePause();
  // Muted: one refill fades the stream out at its own gain, then silence.
  stage->Mute();
  Write16(*stage, std::vector<int16_t>(kBufferSamples * 2, 1000));
  stage->FillOutputBuffer(buffer.data(), kBufferBytes);
  EXPECT_EQ(eq.lastMultiplier, 20000);
  EXPECT_EQ(buffer[0], 77);
  EXPECT_LT(buffer[2 * OutputStage::kFadeOutFrames - 1], 77);
  EXPECT_EQ(buffer[2 * OutputStage::kFadeOutFrames], 0);
  stage->FillOutputBuffer(buffer.data(), kBufferBytes);
  EXPECT_EQ(eq.lastMultiplier, 0);

  eq.active = false;  // a curve without points: the plain path
  stage->Reset();
  EXPECT_EQ(eq.resets, 1);
  stage->SetVolume(16384);
  Write16(*stage, {123, -456});
  stage->FillOutputBuffer(buffer.data(), kBufferBytes);
  EXPECT_EQ(eq.fills, 3);  // the fade-out and the silent refill asked it too
  EXPECT_EQ(buffer[0], 123);
  EXPECT_EQ(buffer[1], -456);
  EXPECT_EQ(buffer[2], 0);
}

// A two-buffer device driven by hand: queue both, then return them in order.
struct FakeDevice {
  explicit FakeDevice(OutputStage& s) : stage(s) {
    stage.BeginDevice(2);
    for (auto& b : buffers) {
      b.assign(kBufferSamples, 0);
      stage.StartBuffer(b.data(), kBufferBytes);
    }
  }
  // The oldest queued buffer comes back.
  BufferAction Return() {
    auto& b = buffers[next];
    next ^= 1;
    return stage.OnBufferDone(b.data(), kBufferBytes);
  }
  OutputStage& stage;
  std::vector<int16_t> buffers[2];
  int next = 0;
};

TEST(OutputStageEnd, ShortFileEndsAfterBothBuffersCameBack) {
  auto stage = FreshStage();
  int drained = 0;
  stage->SetDrainedCallback([&] { ++drained; });
  stage->SetVolume(16384);
  Write16(*stage, std::vector<int16_t>(2000, 300));  // shorter than one buffer
  stage->IsPlaying();
  FakeDevice device(*stage);
  EXPECT_TRUE(stage->Active());
  EXPECT_EQ(stage->EndStateNow(), OutputStage::kNaturalEnd);
  EXPECT_EQ(device.buffers[0][1999], 300);
  EXPECT_EQ(device.buffers[0][2000], 0);

  EXPECT_EQ(device.Return(), BufferAction::kIdle);
  EXPECT_TRUE(stage->Active());
  EXPECT_EQ(drained, 0);
  EXPECT_EQ(device.Return(), BufferAction::kDrained);
  EXPECT_TRUE(stage->FinishDrain());  // post the track end
  EXPECT_EQ(drained, 1);
  EXPECT_FALSE(stage->Active());
}

TEST(OutputStageEnd, EndFoundByARefillDrainsTheOtherBufferThenThatOne) {
  auto stage = FreshStage();
  stage->SetVolume(16384);
  Write16(*stage, std::vector<int16_t>(kBufferSamples + 10, 7));
  FakeDevice device(*stage);  // buffer 0 full, buffer 1 holds the last 10
  EXPECT_EQ(stage->EndStateNow(), OutputStage::kRunning);
  stage->IsPlaying();  // the decoder finishes after both were queued

  EXPECT_EQ(device.Return(), BufferAction::kRequeue);  // refill finds the end
  EXPECT_EQ(stage->EndStateNow(), OutputStage::kNaturalEnd);
  EXPECT_EQ(device.Return(), BufferAction::kIdle);
  EXPECT_EQ(device.Return(), BufferAction::kDrained);
  EXPECT_TRUE(stage->FinishDrain());
}

TEST(OutputStageEnd, StopPostsNothingAndStaysAStop) {
  auto stage = FreshStage();
  int drained = 0;
  stage->SetDrainedCallback([&] { ++drained; });
  Write16(*stage, std::vector<int16_t>(100, 1));
  stage->IsPlaying();
  FakeDevice device(*stage);
  ASSERT_EQ(stage->EndStateNow(), OutputStage::kNaturalEnd);
  stage->MarkStopped();  // stop during the end drain
  EXPECT_TRUE(stage->Muted());
  EXPECT_EQ(device.Return(), BufferAction::kIdle);
  EXPECT_EQ(device.Return(), BufferAction::kDrained);
  EXPECT_FALSE(stage->FinishDrain());
  EXPECT_EQ(drained, 1);
  EXPECT_FALSE(stage->Active());

  // Stop in the middle of a file: the refills stop, a later empty ring with
  // the decoder finished does not turn the stop into a natural end.
  stage->Reset();
  Write16(*stage, std::vector<int16_t>(3 * kBufferSamples, 5));
  FakeDevice playing(*stage);
  stage->MarkStopped();
  stage->IsPlaying();
  std::vector<int16_t> scratch(kBufferSamples);
  stage->FillOutputBuffer(scratch.data(), kBufferBytes);
  EXPECT_EQ(stage->EndStateNow(), OutputStage::kStopped);
  EXPECT_EQ(playing.Return(), BufferAction::kIdle);
  EXPECT_EQ(playing.Return(), BufferAction::kDrained);
  EXPECT_FALSE(stage->FinishDrain());
  EXPECT_EQ(playing.Return(), BufferAction::kIdle);  // a stray extra return is ignored
}

TEST(OutputStageEnd, LostBuffersCountAsReturned) {
  auto stage = FreshStage();
  stage->BeginDevice(2);
  EXPECT_FALSE(stage->BufferLost());
  EXPECT_TRUE(stage->BufferLost());
  EXPECT_FALSE(stage->FinishDrain());
  EXPECT_FALSE(stage->Active());
}

TEST(OutputStagePause, PauseLongerThanTheRingContinuesExactlyWhereItStopped) {
  auto stage = FreshStage();
  stage->SetVolume(16384);
  stage->SetWriteWaitLimit(0);
  uint32_t produced = 0;  // sample i has the value i % 20000 + 1
  auto produce = [&](uint32_t samples) {
    std::vector<int16_t> chunk(samples);
    for (auto& s : chunk) s = static_cast<int16_t>(produced++ % 20000 + 1);
    Write16(*stage, chunk);
  };
  auto produceWhatFits = [&] {
    while (stage->CanWrite() > 0) produce(std::min<uint32_t>(stage->CanWrite() / 2, 4410));
  };

  std::vector<int16_t> heard;
  FakeDevice device(*stage);  // both start silent: nothing written yet
  auto play = [&](int buffers) {
    for (int i = 0; i < buffers; ++i) {
      auto& b = device.buffers[device.next];
      ASSERT_EQ(device.Return(), BufferAction::kRequeue);
      heard.insert(heard.end(), b.begin(), b.end());
    }
  };
  produceWhatFits();
  play(5);
  stage->TogglePause();
  const uint32_t readAtPause = stage->Ring().ReadCounter();
  for (int round = 0; round < 3; ++round) {
    produceWhatFits();  // the plug-in fills the ring and then waits
    const size_t before = heard.size();
    play(40);  // far longer than the ring holds
    EXPECT_TRUE(std::all_of(heard.begin() + before, heard.end(), [](int16_t s) { return s == 0; }));
    EXPECT_EQ(stage->CanWrite(), 0);
  }
  EXPECT_EQ(stage->Ring().ReadCounter(), readAtPause);
  stage->TogglePause();
  for (int i = 0; i < 200; ++i) {
    play(1);
    produceWhatFits();
  }
  std::vector<int16_t> expected;
  for (int16_t s : heard)
    if (s != 0) expected.push_back(static_cast<int16_t>(expected.size() % 20000 + 1));
  std::vector<int16_t> nonSilent;
  for (int16_t s : heard)
    if (s != 0) nonSilent.push_back(s);
  EXPECT_EQ(nonSilent, expected);  // nothing lost, nothing repeated
  EXPECT_GT(nonSilent.size(), SampleRing::kSamples * 2);
}

TEST(OutputStageReset, ResetStartsAFreshFile) {
  auto stage = FreshStage();
  stage->SetVolume(1000);
  Write16(*stage, {1, 2, 3, 4});
  stage->IsPlaying();
  stage->TogglePause();
  stage->MarkStopped();
  stage->Reset();
  EXPECT_EQ(stage->EndStateNow(), OutputStage::kRunning);
  EXPECT_EQ(stage->DrainCount(), 2);
  EXPECT_FALSE(stage->Paused());
  EXPECT_FALSE(stage->Muted());
  EXPECT_FALSE(stage->Ring().decoderFinished.load());
  EXPECT_EQ(stage->Ring().ReadCounter(), 0u);
  EXPECT_EQ(stage->Ring().WriteCounter(), 0u);
  EXPECT_EQ(stage->Volume(), 1000);  // volume and gain persist
  EXPECT_EQ(stage->Multiplier(), 1000);
}

}  // namespace
