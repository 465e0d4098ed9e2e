// The play queue: queued files play first, once each, in their order; the
// play order then goes on from where it was, in every mode; Previous goes
// back along the queue's steps; deleted entries leave the queue.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "play_list_fixtures.h"
#include "playlist/play_list_set.h"

namespace {

const Layout kLists = {{1, 2, 3, 4}, {5, 6}, {7, 8, 9}};
const uint64_t kSeeds[] = {1, 7, 42, 31337};

TEST(PlayQueue, QueuedFilesComeFirstAndThePlayOrderGoesOnWhereItWas) {
  // Queued files removed from a walk leave exactly the walk without a
  // queue: the play order did not move while they played, in every mode.
  for (int32_t mode = 0; mode <= kPlayModeOneRepeat; ++mode) {
    for (uint64_t seed : kSeeds) {
      SCOPED_TRACE(testing::Message() << "mode " << mode << " seed " << seed);
      PlayListSet plain(seed);
      PlayListSet queued(seed);
      plain.ReplaceAll(MakeState(kLists, 2, mode));
      queued.ReplaceAll(MakeState(kLists, 2, mode));
      const std::vector<int32_t> expected = Walk(plain, 12);
      std::vector<int32_t> played = Walk(queued, 3);
      ASSERT_EQ(queued.Enqueue({8, 5, 3}), 3);
      const std::vector<int32_t> rest = Walk(queued, 12);
      EXPECT_EQ(std::vector<int32_t>(rest.begin() + 1, rest.begin() + 4), (std::vector<int32_t>{8, 5, 3}));
      EXPECT_TRUE(queued.QueueIds().empty());
      played.insert(played.end(), rest.begin() + 4, rest.end());
      EXPECT_EQ(played, std::vector<int32_t>(expected.begin(), expected.begin() + played.size()));
    }
  }
}

TEST(PlayQueue, PreviousGoesBackAlongTheQueuesSteps) {
  PlayListSet set(1);
  set.ReplaceAll(MakeState(kLists, 2, kPlayModeList));
  set.Enqueue({8, 5});
  const std::vector<int32_t> ahead = Walk(set, 3);
  EXPECT_EQ(ahead, (std::vector<int32_t>{2, 8, 5, 3}));
  std::vector<int32_t> back;
  for (int i = 0; i < 4; ++i) {
    ASSERT_TRUE(set.PrevFile());
    back.push_back(set.SelFileId());
  }
  // 3 <- 5 <- 8 <- 2 along the steps, then the list's own previous file.
  EXPECT_EQ(back, (std::vector<int32_t>{5, 8, 2, 1}));
  // From a queued file gone back to, Next goes on to where the order was.
  set.SelectFileById(2);
  set.Enqueue({8});
  ASSERT_TRUE(set.NextFile(false));
  ASSERT_TRUE(set.NextFile(false));
  EXPECT_EQ(set.SelFileId(), 3);
  ASSERT_TRUE(set.PrevFile());
  EXPECT_EQ(set.SelFileId(), 8);
  ASSERT_TRUE(set.NextFile(true));
  EXPECT_EQ(set.SelFileId(), 3);
}

TEST(PlayQueue, PreviousInAShuffledModeLeavesTheShuffledOrderAsItWas) {
  for (uint64_t seed : kSeeds) {
    SCOPED_TRACE(seed);
    PlayListSet plain(seed);
    PlayListSet queued(seed);
    plain.ReplaceAll(MakeState(kLists, 2, kPlayModeRandomAll));
    queued.ReplaceAll(MakeState(kLists, 2, kPlayModeRandomAll));
    const std::vector<int32_t> expected = Walk(plain, 4);
    queued.Enqueue({expected[1] == 9 ? 8 : 9});
    Walk(queued, 2);  // the queued file, then the order's first
    ASSERT_TRUE(queued.PrevFile());
    Walk(queued, 1);
    EXPECT_EQ(queued.SelFileId(), expected[1]);
    ASSERT_TRUE(queued.NextFile(true));
    EXPECT_EQ(queued.SelFileId(), expected[2]);
  }
}

TEST(PlayQueue, ChoosingAFileMovesThePlayOrderThere) {
  PlayListSet set(1);
  set.ReplaceAll(MakeState(kLists, 2, kPlayModeList));
  set.Enqueue({8, 9});
  ASSERT_TRUE(set.NextFile(false));
  set.SelectFileById(5);  // the user picked a file while queued ones played
  EXPECT_EQ(Walk(set, 3), (std::vector<int32_t>{5, 9, 6, 5}));
}

TEST(PlayQueue, OneRepeatPlaysTheQueueThenItsFileAgain) {
  PlayListSet set(1);
  set.ReplaceAll(MakeState(kLists, 2, kPlayModeOneRepeat));
  set.Enqueue({7});
  std::vector<int32_t> played = {set.SelFileId()};
  for (int i = 0; i < 3; ++i) {
    ASSERT_TRUE(set.NextFile(true));
    played.push_back(set.SelFileId());
  }
  EXPECT_EQ(played, (std::vector<int32_t>{2, 7, 2, 2}));
}

TEST(PlayQueue, EntriesLeaveTheQueueWhenDeletedButNotWhenMoved) {
  PlayListSet set(1);
  set.ReplaceAll(MakeState(kLists, 1, kPlayModeList));
  EXPECT_EQ(set.Enqueue({9, 4, 6, 9, 42, 2, 7}), 5);  // once each; 42 names no entry
  EXPECT_EQ(set.QueueIds(), (std::vector<int32_t>{9, 4, 6, 2, 7}));
  ASSERT_TRUE(set.MoveFiles(0, {3}, 2));  // 4 moves to the last list
  ASSERT_TRUE(set.DeleteFiles(2, {0}));  // 7
  ASSERT_TRUE(set.DeleteFile(0, 1));     // 2
  EXPECT_EQ(set.QueueIds(), (std::vector<int32_t>{9, 4, 6}));
  ASSERT_TRUE(set.DeleteList(1));  // 5 and 6
  EXPECT_EQ(set.QueueIds(), (std::vector<int32_t>{9, 4}));
  EXPECT_EQ(Walk(set, 3), (std::vector<int32_t>{1, 9, 4, 3}));
  set.Enqueue({8, 3});
  set.ClearQueue();
  EXPECT_TRUE(set.QueueIds().empty());
  // The settings reader keeps what still names an entry.
  set.SetQueue({8, 99, 1, 8});
  EXPECT_EQ(set.QueueIds(), (std::vector<int32_t>{8, 1}));
  set.ReplaceAll(MakeState(kLists, 1, kPlayModeList));
  EXPECT_TRUE(set.QueueIds().empty());
}

TEST(PlayQueue, PlacesCountFromTheHead) {
  PlayQueue queue;
  queue.Enqueue({30, 10, 20});
  EXPECT_EQ(queue.PlaceOf(30), 1);
  EXPECT_EQ(queue.PlaceOf(20), 3);
  EXPECT_EQ(queue.PlaceOf(40), 0);
}

TEST(PlayQueue, TheListsGenerationFollowsWhatASearchSees) {
  PlayListSet set(1);
  set.ReplaceAll(MakeState(kLists, 1, kPlayModeList));
  struct Change {
    const char* what;
    std::function<void()> apply;
    bool seen;
  };
  const Change changes[] = {
      {"rename a list", [&] { set.RenameList(0, "other"); }, true},
      {"a title", [&] { set.SetFileTitle(2, "Song"); }, true},
      {"the same title again", [&] { set.SetFileTitle(2, "Song"); }, false},
      {"add a file", [&] { set.AppendFile(1, std::string("new.wav")); }, true},
      {"reorder files", [&] { set.ReorderFiles(0, {3, 2, 1, 0}); }, true},
      {"delete a file", [&] { set.DeleteFile(0, 0); }, true},
      {"select a file", [&] { set.SelectFileById(3); }, false},
      {"a volume", [&] { set.SetFileVolume(3, 20); }, false},
      {"queue a file", [&] { set.Enqueue({3}); }, false},
      {"step on", [&] { set.NextFile(false); }, false},
  };
  for (const Change& change : changes) {
    const uint64_t before = set.ListsGeneration();
    change.apply();
    EXPECT_EQ(set.ListsGeneration() != before, change.seen) << change.what;
  }
}

}  // namespace
