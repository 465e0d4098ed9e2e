// in_mf.dll's playback control: stopping mid-file, pausing, and many quick
// Play/Stop cycles that must leave no thread or handle behind.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/in_mf/plugin_test_util.h"
#include "tests/support/process_counts.h"

namespace {

using fake_host::Plugin;

int ThreadCount() { return testprocess::ThreadCount(GetCurrentProcessId()); }

long HandleCount() { return testprocess::HandleCount(GetCurrentProcessId()); }

TEST(LifecycleTest, StopInTheMiddleEndsPromptlyAndWritesNoMore) {
  REQUIRE_MEDIA("song.mp3");
  In_Module* m = Plugin();
  ASSERT_NE(m, nullptr);
  fake_host::ResetOutput(176400);  // one second, then the output is "full"
  fake_host::DrainMessages();
  m->Init();
  ASSERT_EQ(m->Play(fake_host::MediaPath("song.mp3").c_str()), 0);
  ASSERT_TRUE(fake_host::WaitForFrames(40000));
  m->Stop();
  const int64_t written = fake_host::Output().written_frames;
  fake_host::AddBudget(-1);
  Sleep(100);
  m->Quit();
  const OutputRecord out = fake_host::Output();
  EXPECT_EQ(out.written_frames, written);
  EXPECT_LT(out.written_frames, 441000);
  EXPECT_EQ(out.close_calls, 1);
  EXPECT_FALSE(fake_host::WaitForEndOfFile(200)) << "a stopped file must not report its end";
}

TEST(LifecycleTest, PauseHoldsTheDecoderAndUnpauseGoesOn) {
  REQUIRE_MEDIA("song.flac");
  In_Module* m = Plugin();
  fake_host::ResetOutput(88200);
  fake_host::DrainMessages();
  m->Init();
  ASSERT_EQ(m->Play(fake_host::MediaPath("song.flac").c_str()), 0);
  ASSERT_TRUE(fake_host::WaitForFrames(20000));
  m->Pause();
  EXPECT_EQ(m->IsPaused(), 1);
  Sleep(50);  // a block that was already on its way may still land
  const int64_t paused_at = fake_host::Output().written_frames;
  fake_host::AddBudget(-1);
  Sleep(200);
  EXPECT_EQ(fake_host::Output().written_frames, paused_at);
  m->UnPause();
  EXPECT_EQ(m->IsPaused(), 0);
  EXPECT_TRUE(fake_host::WaitForEndOfFile());
  m->Stop();
  m->Quit();
  EXPECT_EQ(fake_host::Output().written_frames, 441000);
}

TEST(LifecycleTest, RapidPlayStopCyclesLeaveNothingBehind) {
  REQUIRE_MEDIA("song.mp3");
  REQUIRE_MEDIA("No Tags Here.mp3");
  In_Module* m = Plugin();
  ASSERT_NE(m, nullptr);
  const std::string files[] = {fake_host::MediaPath("song.mp3"), fake_host::MediaPath("No Tags Here.mp3")};
  auto cycle = [&](int i) {
    fake_host::ResetOutput(i % 3 == 0 ? 0 : -1);  // some stop while blocked on the output
    m->Init();
    EXPECT_EQ(m->Play(files[i % 2].c_str()), 0);
    if (i % 3 != 0 && i % 4 == 1) fake_host::WaitForFrames(10000);
    m->Stop();
    m->Quit();
  };
  // Wine creates some worker threads and handles lazily on first use.
  for (int i = 0; i < 6; ++i) cycle(i);
  Sleep(300);
  const int threads_before = ThreadCount();
  const long handles_before = HandleCount();
  ASSERT_GT(threads_before, 0);
  ASSERT_GT(handles_before, 0u);
  for (int i = 0; i < 50; ++i) cycle(i);
  // Threads that the system ends on its own may take a moment to go.
  for (int wait = 0; wait < 50 && ThreadCount() > threads_before; ++wait) Sleep(100);
  EXPECT_LE(ThreadCount(), threads_before);
  EXPECT_LE(HandleCount(), handles_before);
  fake_host::DrainMessages();
}

// Wine's media source dies (a double free under GStreamer) when it is shut
// down while a seek is still being carried out; without the plug-in waiting
// for the seek, this took the process down within a few hundred cycles.
TEST(LifecycleTest, StopRightAfterASeekKeepsTheProcessAlive) {
  REQUIRE_MEDIA("song.flac");
  REQUIRE_MEDIA("song.mp3");
  In_Module* m = Plugin();
  ASSERT_NE(m, nullptr);
  const std::string files[] = {fake_host::MediaPath("song.flac"), fake_host::MediaPath("song.mp3")};
  for (int i = 0; i < 300; ++i) {
    fake_host::ResetOutput();
    m->Init();
    ASSERT_EQ(m->Play(files[i % 2].c_str()), 0) << "cycle " << i;
    ASSERT_TRUE(fake_host::WaitForFrames(1000)) << "cycle " << i;
    m->SetOutputTime(500 + 37 * (i % 20));
    m->Stop();
    m->Quit();
  }
  fake_host::DrainMessages();
}

}  // namespace
