// The analysis line of the play list editor, and the album groups of a
// choice of entries.
#include "ui/loudness_status.h"

#include <gtest/gtest.h>

TEST(LoudnessTally, ProgressResultAndSkippedNames) {
  LoudnessTally tally(4);
  EXPECT_EQ(tally.Text(), "Analysing loudness: 0 of 4");
  tally.Add({1, "C:\\m\\a.wav", LoudnessOutcome::kMeasured, -20, 0.5});
  tally.Add({2, "C:\\m\\b.mtest", LoudnessOutcome::kNoExtendedRead});
  EXPECT_EQ(tally.Text(), "Analysing loudness: 2 of 4");
  tally.Add({3, "x/quiet.wav", LoudnessOutcome::kSilent});
  tally.Add({4, "gone.mp3", LoudnessOutcome::kUnreadable});
  tally.Finish();
  EXPECT_EQ(tally.Text(), "Loudness measured: 1 of 4; skipped: b.mtest (no extended read), quiet.wav (silent), "
                          "gone.mp3 (unreadable)");
}

TEST(LoudnessTally, AStopSaysSo) {
  LoudnessTally tally(3);
  tally.Add({1, "a.wav", LoudnessOutcome::kMeasured});
  tally.Add({2, "b.wav", LoudnessOutcome::kCancelled});
  tally.Add({3, "c.wav", LoudnessOutcome::kCancelled});
  tally.Finish();
  EXPECT_EQ(tally.Text(), "Loudness analysis stopped: 1 of 3 measured");
}

TEST(MakeLoudnessJobs, EntriesOfOneFolderFormAnAlbum) {
  std::vector<SoundFile> entries;
  for (const char* path : {"C:\\Music\\A\\1.flac", "c:/music/a/2.flac", "C:\\Music\\B\\1.flac",
                           "C:\\Music\\A\\3.flac", "loose.wav", "other.wav"}) {
    SoundFile entry;
    entry.id = static_cast<int32_t>(entries.size()) + 1;
    entry.path = path;
    entries.push_back(entry);
  }
  const std::vector<LoudnessJob> jobs = MakeLoudnessJobs(entries);
  ASSERT_EQ(jobs.size(), entries.size());
  for (size_t i = 0; i < jobs.size(); ++i) {
    EXPECT_EQ(jobs[i].entryId, entries[i].id);
    EXPECT_EQ(jobs[i].path, entries[i].path);
  }
  EXPECT_EQ(jobs[0].albumGroup, jobs[1].albumGroup);
  EXPECT_EQ(jobs[0].albumGroup, jobs[3].albumGroup);
  EXPECT_NE(jobs[0].albumGroup, jobs[2].albumGroup);
  EXPECT_EQ(jobs[4].albumGroup, jobs[5].albumGroup);  // both in the current folder
  EXPECT_NE(jobs[4].albumGroup, jobs[0].albumGroup);
}
