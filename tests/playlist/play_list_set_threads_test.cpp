// The model shared by two threads: the selection listener runs after the
// lock is released, and edits on one thread interleave safely with the
// play order and title writes of the other.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <set>
#include <thread>

#include "play_list_fixtures.h"
#include "playlist/play_list_set.h"

namespace {

// True when another thread gets through one of the model's operations,
// that is, when the lock is free. Waits up to ten seconds.
bool LockIsFree(PlayListSet& set) {
  auto done = std::make_shared<std::atomic<bool>>(false);
  std::thread probe([&set, done] {
    set.TotalFileCount();
    done->store(true);
  });
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (!done->load() && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  if (!done->load()) {
    probe.detach();  // still blocked: the listener ran under the lock
    return false;
  }
  probe.join();
  return true;
}

TEST(SelectionListener, GetsTheNewIdAfterTheLockIsReleased) {
  PlayListSet set(3);
  set.ReplaceAll(MakeState({{1, 2}, {}, {3}}, 1, kPlayModeAllList));
  struct Call {
    int32_t id;
    int32_t modelSelFileId;
    bool lockFree;
  };
  std::vector<Call> calls;
  set.SetSelectionListener([&](int32_t id) {
    // Probe from another thread first: on this one a held lock would hang.
    const bool free = LockIsFree(set);
    calls.push_back({id, free ? set.SelFileId() : -1, free});
  });

  struct Step {
    const char* name;
    std::function<bool()> run;
    int32_t expected;
  };
  const Step steps[] = {
      {"SelectFile", [&] { return set.SelectFile(0, 1); }, 2},
      {"NextFile", [&] { return set.NextFile(false); }, 3},
      {"NextFile at end", [&] { return set.NextFile(true); }, 1},
      {"PrevFile", [&] { return set.PrevFile(); }, 3},
      {"NextList", [&] { return set.NextList(); }, 1},
      {"PrevList", [&] { return set.PrevList(); }, 3},
      {"SelectFileById", [&] { return set.SelectFileById(2); }, 2},
      {"Edit", [&] { return set.Edit([](PlayListModel& m) { return m.SelectFile(2, 0); }); }, 3},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.name);
    calls.clear();
    EXPECT_TRUE(step.run());
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].id, step.expected);
    EXPECT_EQ(calls[0].modelSelFileId, step.expected);
    EXPECT_TRUE(calls[0].lockFree);
  }

  // A listener replaced while others run; a cleared one is not called.
  set.SetSelectionListener(nullptr);
  EXPECT_TRUE(set.SelectFileById(1));
}

TEST(SelectionListener, ShuffledWalkNotifiesToo) {
  PlayListSet set(8);
  set.ReplaceAll(MakeState({{1, 2, 3}}, 1, kPlayModeRandomAll));
  NoticeRecorder notices;
  notices.Attach(set);
  ASSERT_TRUE(set.NextFile(true));
  const int32_t next = set.SelFileId();
  EXPECT_NE(next, 1);
  EXPECT_EQ(notices.Take(), std::vector<int32_t>{next});
}

// One thread edits and queues as the play list editor and the file
// gathering do; the other walks, looks ahead and writes titles as the
// player thread does.
TEST(PlayListSetThreads, EditorAndPlayerAtOnce) {
  PlayListSet set(11);
  set.AppendList("new");
  std::atomic<int> notices{0};
  set.SetSelectionListener([&](int32_t) {
    set.CurrentSoundFile();  // may read the model again
    notices.fetch_add(1, std::memory_order_relaxed);
  });
  for (int i = 0; i < 8; ++i) set.AppendFile(0, {"seed" + std::to_string(i)});
  set.SelectFile(0, 0);

  constexpr int kRounds = 3000;
  std::atomic<bool> editorDone{false};
  std::vector<int32_t> handedOut;

  std::atomic<bool> playerStarted{false};
  std::thread editor([&] {
    while (!playerStarted.load()) std::this_thread::yield();
    for (int i = 0; i < kRounds; ++i) {
      switch (i % 10) {
        case 0: set.AppendList("list" + std::to_string(i)); break;
        case 1:
          handedOut.push_back(set.AppendFile(set.ListCount() - 1, {"a"}));
          set.Enqueue({handedOut.back(), handedOut.front()});  // the play queue as well
          break;
        case 2: handedOut.push_back(set.InsertFileAtFront(0, {"b"})); break;
        case 3: set.DeleteFile(0, i % 3); break;
        case 4: set.MoveFiles(0, {0, 1}, set.ListCount() - 1); break;
        case 5: set.SetPlayMode(i / 10 % 5); break;
        case 6:
          if (set.ListCount() > 2) set.DeleteList(1);
          break;
        case 7: set.ReorderFiles(0, {}); break;  // wrong size: refused
        case 8:
          handedOut.push_back(set.Edit([](PlayListModel& m) {
            const int32_t id = m.InsertFile(0, 1, {"c"});
            m.SelectFileById(id);
            return id;
          }));
          break;
        case 9:
          set.ResetPresetId(i % 4);
          if (i % 50 == 9) set.ClearQueue();
          break;
      }
    }
    editorDone.store(true);
  });

  std::atomic<int> playerSteps{0};
  std::thread player([&] {
    int step = 0;
    playerStarted.store(true);
    // Runs as long as the editor does, and at least a few hundred steps.
    while (!editorDone.load() || step < 500) {
      step = playerSteps.fetch_add(1) + 1;
      set.NextFile(step % 3 == 0);
      if (step % 5 == 0) set.PrevFile();
      if (const std::optional<SoundFile> file = set.CurrentSoundFile()) {
        set.SetFileTitle(file->id, "title" + std::to_string(step));
        set.SetCurrentPresetId(step % 4);
      }
      set.CurrentPresetId();
      if (step % 7 == 0) set.NextList();
      // Gapless playback's look ahead and the step on to the file it pre-rolled.
      if (step % 4 == 0) {
        if (const std::optional<SoundFile> next = set.PeekNextFile({})) set.AdvanceToQueued(next->id);
      }
    }
  });

  editor.join();
  player.join();

  // Ids never repeat and never are 0; every file is counted once.
  std::set<int32_t> ids;
  int32_t files = 0;
  for (const PlayList& list : set.Lists()) {
    for (const SoundFile& file : list.files) {
      EXPECT_NE(file.id, 0);
      EXPECT_TRUE(ids.insert(file.id).second) << "duplicate id " << file.id;
      EXPECT_LE(static_cast<uint32_t>(file.id), set.LastId());
      ++files;
    }
  }
  EXPECT_EQ(set.TotalFileCount(), files);
  // Queued ids name files (deleted ones left the queue), each once.
  const std::vector<int32_t> queue = set.QueueIds();
  for (int32_t id : queue) EXPECT_EQ(ids.count(id), 1u) << "queued id " << id;
  EXPECT_EQ(std::set<int32_t>(queue.begin(), queue.end()).size(), queue.size());
  EXPECT_EQ(std::set<int32_t>(handedOut.begin(), handedOut.end()).size(), handedOut.size());
  EXPECT_GT(notices.load(), 0);
  EXPECT_GE(playerSteps.load(), 500);
}

}  // namespace
