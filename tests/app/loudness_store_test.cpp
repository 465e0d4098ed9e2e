// The ReplayGain settings as gain rules, and the measured loudness records.
#include "app/loudness_store.h"

#include <gtest/gtest.h>

#include <thread>

TEST(GainPolicyOf, ModesAndPlayOrder) {
  struct Case {
    ReplayGainMode mode;
    bool shuffled, enabled, album;
  } cases[] = {
      {ReplayGainMode::kOff, false, false, false},       {ReplayGainMode::kTrack, false, true, false},
      {ReplayGainMode::kAlbum, true, true, true},        {ReplayGainMode::kByPlayOrder, false, true, true},
      {ReplayGainMode::kByPlayOrder, true, true, false},
  };
  for (const Case& c : cases) {
    ReplayGainSettings s;
    s.mode = c.mode;
    const GainPolicy p = GainPolicyOf(s, c.shuffled);
    EXPECT_EQ(p.enabled, c.enabled) << static_cast<int>(c.mode) << c.shuffled;
    EXPECT_EQ(p.album, c.album) << static_cast<int>(c.mode) << c.shuffled;
  }
  ReplayGainSettings s;
  s.preampCentiDb = -250;
  s.untaggedGainCentiDb = 99999;  // a damaged file's value is held to the range
  s.preventClipping = false;
  const GainPolicy p = GainPolicyOf(s, false);
  EXPECT_DOUBLE_EQ(p.preampDb, -2.5);
  EXPECT_DOUBLE_EQ(p.untaggedDb, 15.0);
  EXPECT_FALSE(p.preventClipping);
}

TEST(LoudnessStore, TracksAlbumsAndPruning) {
  LoudnessStore store;
  store.PutTrack(7, -23.0f, 0.5f);
  store.PutTrack(3, -13.0f, 1.0f);
  store.PutAlbum({3, 7, 99}, -15.0f, 1.0f);  // 99 was not measured: no record made
  const std::vector<LoudnessRecord> records = store.Records();
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[0].entryId, 3);
  EXPECT_TRUE(records[1].hasAlbum);
  EXPECT_FLOAT_EQ(records[1].albumLufs, -15.0f);

  const FileGainValues v = store.Measured(7);
  EXPECT_NEAR(*v.trackGainDb, 5.0, 1e-6);
  EXPECT_NEAR(*v.albumGainDb, -3.0, 1e-6);
  EXPECT_FALSE(store.Measured(99).HasGain());

  // Measuring a file again drops the album value of the earlier run.
  store.PutTrack(7, -20.0f, 0.5f);
  EXPECT_FALSE(store.Find(7)->hasAlbum);

  store.KeepOnly({7, 12});
  EXPECT_FALSE(store.Find(3));
  EXPECT_TRUE(store.Find(7));
}

TEST(LoudnessStore, ThePlayerReadsWhileTheUserInterfaceWrites) {
  LoudnessStore store;
  std::thread writer([&] {
    for (int i = 0; i < 2000; ++i) {
      store.PutTrack(i % 50, -20.0f, 0.5f);
      if (i % 100 == 0) store.KeepOnly({1, 2, 3});
      ReplayGainSettings s;
      s.preampCentiDb = i % 1500;
      store.SetSettings(s);
    }
  });
  for (int i = 0; i < 2000; ++i) {
    const FileGainValues v = store.Measured(i % 50);
    if (v.trackGainDb) {
      EXPECT_NEAR(*v.trackGainDb, 2.0, 1e-6);
    }
    EXPECT_LT(store.Policy(false).preampDb, 15.0);
  }
  writer.join();
}
