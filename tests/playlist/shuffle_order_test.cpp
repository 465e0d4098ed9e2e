// The shuffled modes: every file of the range once per cycle, never the
// same file twice in a row, Prev retracing the walk, and a fresh order when
// the range or the mode changes.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "play_list_fixtures.h"
#include "playlist/play_list_set.h"

namespace {

const Layout kSpread = {{1, 2, 3}, {}, {4, 5}, {6, 7, 8}};
const std::vector<int32_t> kAllIds = {1, 2, 3, 4, 5, 6, 7, 8};
const uint64_t kSeeds[] = {1, 2, 3, 42, 1234, 987654321};

std::vector<int32_t> Sorted(std::vector<int32_t> ids) {
  std::sort(ids.begin(), ids.end());
  return ids;
}

void ExpectCycles(const std::vector<int32_t>& played, const std::vector<int32_t>& range) {
  for (size_t at = 0; at + range.size() <= played.size(); at += range.size()) {
    std::vector<int32_t> cycle(played.begin() + at, played.begin() + at + range.size());
    EXPECT_EQ(Sorted(cycle), range) << "cycle starting at step " << at;
  }
  for (size_t i = 1; i < played.size(); ++i) {
    EXPECT_NE(played[i], played[i - 1]) << "repeat at step " << i;
  }
}

TEST(Shuffle, RandomAllPlaysEveryFileOncePerCycle) {
  for (uint64_t seed : kSeeds) {
    SCOPED_TRACE(seed);
    PlayListSet set(seed);
    set.ReplaceAll(MakeState(kSpread, 4, kPlayModeRandomAll));
    ExpectCycles(Walk(set, 8 * 20 - 1), kAllIds);
  }
}

TEST(Shuffle, RandomListStaysInTheCurrentList) {
  for (uint64_t seed : kSeeds) {
    SCOPED_TRACE(seed);
    PlayListSet set(seed);
    set.ReplaceAll(MakeState(kSpread, 7, kPlayModeRandomList));
    ExpectCycles(Walk(set, 3 * 6 - 1), {6, 7, 8});
    // Two files can only alternate; one file plays again.
    set.SelectFileById(4);
    EXPECT_EQ(Walk(set, 5), (std::vector<int32_t>{4, 5, 4, 5, 4, 5}));
    set.ReplaceAll(MakeState({{9}}, 9, kPlayModeRandomList));
    EXPECT_EQ(Walk(set, 2), (std::vector<int32_t>{9, 9, 9}));
  }
}

TEST(Shuffle, PrevRetracesTheWalk) {
  for (uint64_t seed : kSeeds) {
    SCOPED_TRACE(seed);
    PlayListSet set(seed);
    set.ReplaceAll(MakeState({{1, 2, 3, 4, 5, 6, 7, 8}}, 1, kPlayModeRandomAll));
    const std::vector<int32_t> forward = Walk(set, 5);
    for (int i = 4; i >= 0; --i) {
      EXPECT_TRUE(set.PrevFile());
      EXPECT_EQ(set.SelFileId(), forward[i]);
    }
    // Forward again along the same order.
    EXPECT_TRUE(set.NextFile(false));
    EXPECT_EQ(set.SelFileId(), forward[1]);
    EXPECT_TRUE(set.PrevFile());
    // Nothing earlier in the order: the list order's Prev, which wraps
    // from the first file to the last.
    EXPECT_TRUE(set.PrevFile());
    EXPECT_EQ(set.SelFileId(), 8);
  }
}

TEST(Shuffle, PrevWithoutAnOrderUsesTheListOrder) {
  PlayListSet set(5);
  set.ReplaceAll(MakeState(kSpread, 3, kPlayModeRandomList));
  EXPECT_TRUE(set.PrevFile());
  EXPECT_EQ(set.SelFileId(), 2);
  set.SetPlayMode(kPlayModeRandomAll);
  set.SelectFileById(4);
  EXPECT_TRUE(set.PrevFile());  // first file of list 2: back over the empty list
  EXPECT_EQ(set.SelFileId(), 3);
}

TEST(Shuffle, AFilePickedByHandCountsAsPlayed) {
  for (uint64_t seed : kSeeds) {
    SCOPED_TRACE(seed);
    PlayListSet set(seed);
    set.ReplaceAll(MakeState(kSpread, 1, kPlayModeRandomAll));
    std::vector<int32_t> played = Walk(set, 2);
    const auto unplayed = std::find_if(kAllIds.begin(), kAllIds.end(), [&](int32_t id) {
      return std::find(played.begin(), played.end(), id) == played.end();
    });
    ASSERT_NE(unplayed, kAllIds.end());
    set.SelectFileById(*unplayed);
    const std::vector<int32_t> rest = Walk(set, 4);
    played.insert(played.end(), rest.begin(), rest.end());
    EXPECT_EQ(Sorted(played), kAllIds);
    // Prev goes back to the file played before the pick.
    set.SelectFileById(*unplayed);
    EXPECT_TRUE(set.PrevFile());
    EXPECT_EQ(set.SelFileId(), played[played.size() - 1]);
  }
}

TEST(Shuffle, ChangedRangeRebuildsTheOrder) {
  for (uint64_t seed : kSeeds) {
    SCOPED_TRACE(seed);
    PlayListSet set(seed);
    set.ReplaceAll(MakeState({{1, 2, 3, 4}}, 1, kPlayModeRandomAll));
    set.RecomputeLastId(0);
    Walk(set, 2);
    const int32_t added = set.AppendFile(0, {"new"});
    // The new order holds the current file as played and the four others.
    const std::vector<int32_t> next = Walk(set, 4);
    EXPECT_EQ(Sorted(next), Sorted({1, 2, 3, 4, added}));

    const std::optional<FilePos> gone = set.FindFile(next[2]);
    ASSERT_TRUE(gone);
    ASSERT_TRUE(set.DeleteFile(gone->list, gone->file));
    const std::vector<int32_t> later = Walk(set, 12);
    EXPECT_EQ(std::count(later.begin(), later.end(), next[2]), 0);
    // The rebuilt order starts from the current file as played.
    ExpectCycles(later, Sorted(IdsOf(*set.List(0))));
  }
}

TEST(Shuffle, ModeChangeNarrowsTheRangeAtOnce) {
  for (uint64_t seed : kSeeds) {
    SCOPED_TRACE(seed);
    PlayListSet set(seed);
    set.ReplaceAll(MakeState(kSpread, 6, kPlayModeRandomAll));
    Walk(set, 3);
    const int32_t list = set.CurrentListIndex();
    set.SetPlayMode(kPlayModeRandomList);
    const std::vector<int32_t> inList = Walk(set, 6);
    for (int32_t id : inList) EXPECT_EQ(set.FindFile(id)->list, list) << id;
  }
}

TEST(Shuffle, TheSeedDecidesTheOrder) {
  auto walkWith = [](uint64_t seed) {
    PlayListSet set(seed);
    set.ReplaceAll(MakeState(kSpread, 1, kPlayModeRandomAll));
    return Walk(set, 20);
  };
  std::set<std::vector<int32_t>> distinct;
  for (uint64_t seed : kSeeds) {
    EXPECT_EQ(walkWith(seed), walkWith(seed));
    distinct.insert(walkWith(seed));
  }
  EXPECT_GT(distinct.size(), 1u);

  // Reseeding restarts the sequence.
  PlayListSet set(99);
  set.ReplaceAll(MakeState(kSpread, 1, kPlayModeRandomAll));
  set.SetShuffleSeed(42);
  EXPECT_EQ(Walk(set, 20), walkWith(42));
}

}  // namespace

namespace {

// Gapless playback queues files before they are heard: looking ahead any
// number of files gives exactly the files the walk then plays, in every
// mode, and moving on to a queued file keeps the walk where it would be.
TEST(LookAhead, PeekedFilesAreTheOnesTheWalkPlays) {
  for (int32_t mode = 0; mode <= kPlayModeOneRepeat; ++mode) {
    for (uint64_t seed : kSeeds) {
      SCOPED_TRACE(testing::Message() << "mode " << mode << " seed " << seed);
      PlayListSet peeking(seed);
      PlayListSet walking(seed);
      peeking.ReplaceAll(MakeState(kSpread, 5, mode));
      walking.ReplaceAll(MakeState(kSpread, 5, mode));
      for (int step = 0; step < 12; ++step) {
        // The play queue is part of the walk: its head is what comes next,
        // and a look ahead leaves it queued.
        if (step == 4 || step == 6) {
          peeking.Enqueue({7, 3});
          walking.Enqueue({7, 3});
        }
        const std::vector<int32_t> queueBefore = peeking.QueueIds();
        std::vector<int32_t> queued;
        for (int ahead = 0; ahead < 3; ++ahead) {
          const std::optional<SoundFile> next = peeking.PeekNextFile(queued);
          ASSERT_TRUE(next.has_value());
          queued.push_back(next->id);
        }
        EXPECT_EQ(peeking.QueueIds(), queueBefore);
        if (step == 4) {
          EXPECT_EQ(std::vector<int32_t>(queued.begin(), queued.begin() + 2), (std::vector<int32_t>{7, 3}));
        }
        ASSERT_TRUE(walking.NextFile(true));
        EXPECT_EQ(walking.SelFileId(), queued[0]) << "step " << step;
        ASSERT_TRUE(peeking.AdvanceToQueued(queued[0]));
        EXPECT_EQ(peeking.SelFileId(), walking.SelFileId());
      }
    }
  }
  // A queued file the lists no longer lead to still becomes current.
  PlayListSet set(1);
  set.ReplaceAll(MakeState(kSpread, 1, kPlayModeList));
  EXPECT_TRUE(set.AdvanceToQueued(8));
  EXPECT_EQ(set.SelFileId(), 8);
  EXPECT_FALSE(PlayListSet(1).PeekNextFile({}).has_value());  // no lists
}

}  // namespace
