// The output stage across threads, as in playback: a plug-in thread writing
// through Write/CanWrite while a refill thread drives a fake two-buffer
// device, and a reader polling the position. Run under ThreadSanitizer too.
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <random>
#include <thread>
#include <vector>

#include "engine/output_stage.h"

namespace {

constexpr uint32_t kBufferBytes = 32768;
constexpr uint32_t kBufferSamples = kBufferBytes / 2;

// Sample i of the test stream, never 0 so silence can be told apart.
int16_t StreamSample(uint32_t i) { return static_cast<int16_t>((static_cast<int32_t>(i % 60001) - 30000) | 1); }

// The plug-in's bytes of `samples` stream samples as 16-bit little endian.
std::vector<uint8_t> StreamBytes(uint32_t samples) {
  std::vector<uint8_t> bytes(samples * 2);
  for (uint32_t i = 0; i < samples; ++i) {
    const auto s = static_cast<uint16_t>(StreamSample(i));
    bytes[2 * i] = static_cast<uint8_t>(s & 0xff);
    bytes[2 * i + 1] = static_cast<uint8_t>(s >> 8);
  }
  return bytes;
}

// Runs a fake device until the stage reports the drain of a natural end;
// returns every non-silent sample it played.
std::vector<int16_t> PlayUntilDrained(OutputStage& stage, bool& endedNaturally) {
  std::vector<int16_t> buffers[2] = {std::vector<int16_t>(kBufferSamples),
                                     std::vector<int16_t>(kBufferSamples)};
  std::vector<int16_t> heard;
  auto keep = [&](const std::vector<int16_t>& b) {
    for (int16_t s : b)
      if (s != 0) heard.push_back(s);
  };
  stage.BeginDevice(2);
  for (auto& b : buffers) stage.StartBuffer(b.data(), kBufferBytes);
  for (int next = 0;; next ^= 1) {
    keep(buffers[next]);  // it finished playing
    const BufferAction action = stage.OnBufferDone(buffers[next].data(), kBufferBytes);
    if (action == BufferAction::kDrained) {
      endedNaturally = stage.FinishDrain();
      return heard;
    }
    if (action == BufferAction::kIdle) std::fill(buffers[next].begin(), buffers[next].end(), 0);
    std::this_thread::yield();
  }
}

TEST(OutputStageThreads, ProducerAndRefillsMoveTheStreamExactly) {
  auto stage = std::make_unique<OutputStage>();
  stage->Reset();
  stage->SetVolume(16384);
  constexpr uint32_t kSamples = 3 * SampleRing::kSamples + 12345 * 2;  // the ring wraps 3 times
  const std::vector<uint8_t> bytes = StreamBytes(kSamples);

  std::atomic<bool> done{false};
  std::thread producer([&] {
    std::mt19937 random(7);
    size_t at = 0;
    while (at < bytes.size()) {
      // Uneven pieces, often not whole frames, never more than CanWrite.
      const int room = stage->CanWrite();
      if (room == 0) {
        std::this_thread::yield();
        continue;
      }
      const size_t piece =
          std::min<size_t>({static_cast<size_t>(random() % 20000 + 1), static_cast<size_t>(room),
                            bytes.size() - at});
      stage->Write(bytes.data() + at, static_cast<int>(piece));
      at += piece;
    }
    stage->IsPlaying();
  });
  std::thread positionReader([&] {
    uint32_t last = 0;
    while (!done.load()) {
      const uint32_t now = stage->PositionMs();
      EXPECT_GE(now, last);
      last = now;
      std::this_thread::yield();
    }
  });

  bool ended = false;
  const std::vector<int16_t> heard = PlayUntilDrained(*stage, ended);
  done.store(true);
  producer.join();
  positionReader.join();

  EXPECT_TRUE(ended);
  EXPECT_FALSE(stage->Active());
  ASSERT_EQ(heard.size(), kSamples);
  for (uint32_t i = 0; i < kSamples; ++i) ASSERT_EQ(heard[i], StreamSample(i)) << i;
}

TEST(OutputStageThreads, AWriterIgnoringCanWriteWaitsForTheRefills) {
  auto stage = std::make_unique<OutputStage>();
  stage->Reset();
  stage->SetVolume(16384);
  stage->SetWriteWaitLimit(10000);
  constexpr uint32_t kSamples = SampleRing::kSamples + 3 * kBufferSamples;
  const std::vector<uint8_t> bytes = StreamBytes(kSamples);

  std::thread producer([&] {
    // One write larger than the whole ring.
    stage->Write(bytes.data(), static_cast<int>(bytes.size()));
    stage->IsPlaying();
  });
  // Start the refills only once the ring is full and the writer waits.
  while (stage->CanWrite() != 0) std::this_thread::yield();
  bool ended = false;
  const std::vector<int16_t> heard = PlayUntilDrained(*stage, ended);
  producer.join();

  EXPECT_TRUE(ended);
  ASSERT_EQ(heard.size(), kSamples);
  for (uint32_t i = 0; i < kSamples; ++i) ASSERT_EQ(heard[i], StreamSample(i)) << i;
}

}  // namespace
