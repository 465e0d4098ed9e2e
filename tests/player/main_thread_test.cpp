// The player thread under Wine: posted commands arrive in order, the thread
// loads no plug-in before it is told to and ends on UM_PLAYER_QUIT after
// stopping.
#include "engine/main_thread.h"

#include <gtest/gtest.h>

#include "tests/player/player_fakes.h"

namespace {
using Events = std::vector<std::string>;

// Polls until the log holds `count` events or five seconds passed.
Events WaitForEvents(const EventLog& log, size_t count) {
  for (int i = 0; i < 5000; ++i) {
    Events events = log.Events();
    if (events.size() >= count) return events;
    ::Sleep(1);
  }
  return log.Events();
}

TEST(MainThread, RunsCommandsInPostingOrderAndQuits) {
  EventLog log;
  RecordingEngine engine(log);
  ScriptedHost host(log);
  host.files = {{1, "a.wav", "", 0, 0}, {2, "b.wav", "", 0, 0}};
  CMainThread thread(engine, host);
  ASSERT_TRUE(thread.Start());
  EXPECT_EQ(::GetThreadPriority(thread.ThreadHandle()), THREAD_PRIORITY_TIME_CRITICAL);

  // Posted right after Start: the queue exists, nothing is lost.
  EXPECT_TRUE(thread.PostCommand(PC_SET_VOLUME, 16384));
  EXPECT_TRUE(thread.PostCommand(PC_RELOAD_PLUGINS, 0));
  EXPECT_TRUE(thread.PostCommand(PC_PLAY, 0));
  EXPECT_TRUE(thread.PostCommand(42, 0));  // unknown: ignored
  EXPECT_TRUE(thread.Post(UM_TRACK_END, 0, 0));
  EXPECT_TRUE(thread.PostCommand(PC_STOP, 0));
  EXPECT_TRUE(thread.Post(UM_TRACK_END, 0, 0));  // after a stop: ignored
  EXPECT_TRUE(thread.Post(UM_PLAYER_QUIT, 0, 0));
  thread.Join();

  const Events expected = {
      "notify",  // the thread's own start-up: no plug-in yet
      "volume 16384",
      "stop", "close", "unload", "load .", "load Plugins",  // when told to
      "gain 0", "eq 0", "play a.wav", "show Title", "play-started",
      "stop", "close", "next-file end", "gain 0", "eq 0", "play b.wav", "show Title", "play-started",
      "stop", "close", "play-state",
      "stop", "close",  // quit stops playback first
  };
  EXPECT_EQ(WaitForEvents(log, expected.size()), expected);
  DWORD exitCode = 1;
  ASSERT_TRUE(::GetExitCodeThread(thread.ThreadHandle(), &exitCode));
  EXPECT_EQ(exitCode, 0u);
  EXPECT_EQ(host.titles[1], "Title");
}

TEST(MainThread, HandleStaysValidUntilJoined) {
  EventLog log;
  RecordingEngine engine(log);
  ScriptedHost host(log);
  auto thread = std::make_unique<CMainThread>(engine, host);
  ASSERT_TRUE(thread->Start());
  thread->Post(UM_PLAYER_QUIT, 0, 0);
  ::Sleep(50);  // let it end before anyone waits: the handle must still be usable
  EXPECT_EQ(::WaitForSingleObject(thread->ThreadHandle(), 5000), WAIT_OBJECT_0);
  thread->Join();
  thread.reset();
}
}  // namespace
