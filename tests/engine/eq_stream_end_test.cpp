// The end of a file through the equalizer: every sample of the stream is
// played before the output reports the end, none is cut with the last block.
#include <gtest/gtest.h>

#include <vector>

#include "engine/output_stage.h"
#include "engine/eq_stage.h"

namespace {
constexpr uint32_t kBufferBytes = 32768;

struct EndRun {
  std::vector<int16_t> played;  // every refill, in order
  int buffersAfterEnd = -1;     // refills until the end state turned natural
};

// A 16-bit stereo stage at neutral volume behind a flat equalizer.
void ConfigureFlat(EqualizerStage& eq, OutputStage& stage) {
  EqualizerCurve flat;
  flat.x = {10.0f, 1000.0f};
  flat.y = {1.0f, 1.0f};
  eq.SetEqCurve(flat);
  stage.SetEqualizer(&eq);
  stage.Reset();
  stage.SetVolume(16384);
  ASSERT_TRUE(stage.Configure(44100, 2, 16));
}

// Writes `frames` stereo frames of a non-zero ramp, then refills until the
// stage marks the natural end.
EndRun PlayToEnd(OutputStage& stage, uint32_t frames) {
  std::vector<int16_t> pcm(frames * 2);
  for (uint32_t i = 0; i < pcm.size(); ++i) pcm[i] = static_cast<int16_t>(1000 + (i % 2000));
  stage.Write(pcm.data(), static_cast<int>(pcm.size() * 2));
  stage.IsPlaying();  // the decoder is done
  EndRun run;
  std::vector<int16_t> buffer(kBufferBytes / 2);
  for (int n = 0; n < 200 && stage.EndStateNow() == 0; ++n) {
    stage.FillOutputBuffer(buffer.data(), kBufferBytes);
    run.played.insert(run.played.end(), buffer.begin(), buffer.end());
  }
  return run;
}

TEST(EqualizerStreamEnd, TheLastBlockIsPlayedBeforeTheEnd) {
  for (uint32_t frames : {1000u, 8064u, 20000u, 100000u}) {
    EqualizerStage eq;
    OutputStage stage;
    ConfigureFlat(eq, stage);
    if (HasFatalFailure()) return;
    const EndRun run = PlayToEnd(stage, frames);
    ASSERT_EQ(stage.EndStateNow(), 1) << frames;
    // Past the fade-in, every sample of the stream came out (flat gains:
    // within two least significant bits), and only silence after it (the
    // zero padding of the last block, filtered: within rounding of 0).
    ASSERT_GE(run.played.size(), frames * 2);
    for (uint32_t i = 256; i < frames * 2; ++i) {
      const int expected = 1000 + static_cast<int>(i % 2000);
      ASSERT_NEAR(run.played[i], expected, 2) << "frames " << frames << " sample " << i;
    }
    for (size_t i = frames * 2; i < run.played.size(); ++i) ASSERT_NEAR(run.played[i], 0, 2) << i;
    // No more than the buffer that held the stream's end was filled.
    EXPECT_LT(run.played.size(), frames * 2 + kBufferBytes / 2 + 1);
  }
}
}  // namespace

namespace {
TEST(EqualizerStreamStart, FirstBuffersCarryOnlyTheStream) {
  // The device starts once the ring holds what its first refills need; the
  // two buffers filled at once then carry the stream, not a block's padding.
  EqualizerStage eq;
  OutputStage stage;
  ConfigureFlat(eq, stage);
  if (HasFatalFailure()) return;
  std::vector<int16_t> pcm(200000);
  for (size_t i = 0; i < pcm.size(); ++i) pcm[i] = static_cast<int16_t>(1000 + (i % 2000));
  size_t written = 0;
  while (!stage.HoldsEnoughToStart(kBufferBytes, 2)) {  // the decoder writes in pieces
    stage.Write(pcm.data() + written, 576 * 4);
    written += 576 * 2;
  }
  std::vector<int16_t> buffer(kBufferBytes / 2);
  std::vector<int16_t> played;
  for (int b = 0; b < 2; ++b) {
    stage.StartBuffer(buffer.data(), kBufferBytes);
    played.insert(played.end(), buffer.begin(), buffer.end());
  }
  for (size_t i = 256; i < played.size(); ++i) ASSERT_NEAR(played[i], pcm[i], 2) << i;
}
}  // namespace
