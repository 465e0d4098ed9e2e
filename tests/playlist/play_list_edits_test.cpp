// The editor's changes to lists and entries, the id counter and lastId
// after the settings are read.
#include <gtest/gtest.h>

#include "play_list_fixtures.h"
#include "playlist/play_list_set.h"

namespace {

std::vector<std::string> Names(const PlayListSet& set) {
  std::vector<std::string> names;
  for (const PlayList& list : set.Lists()) names.push_back(list.name);
  return names;
}

TEST(EntryIds, OneCounterForFilesAndPresets) {
  PlayListSet set(1);
  EXPECT_EQ(set.LastId(), 0u);
  EXPECT_EQ(set.NextEntryId(), 1);  // a preset, say
  set.AppendList("new");
  EXPECT_EQ(set.AppendFile(0, {"a"}), 2);
  EXPECT_EQ(set.NextEntryId(), 3);
  EXPECT_EQ(set.InsertFileAtFront(0, {"b"}), 4);
  EXPECT_EQ(set.LastId(), 4u);
  // Failed inserts take no id.
  EXPECT_EQ(set.AppendFile(5, {"x"}), 0);
  EXPECT_EQ(set.InsertFile(0, -1, {"x"}), 0);
  EXPECT_EQ(set.NextEntryId(), 5);
}

TEST(EntryIds, LastIdAfterReadingSettings) {
  struct Case {
    Layout files;
    uint32_t largestPresetId;
    uint32_t lastId;
  };
  const Case cases[] = {
      {{{3, 7}, {2}}, 9, 9},                // the preset's id is larger
      {{{3, 7}, {}}, 0, 7},                 // the file's
      {{}, 0, 0},                           // nothing read
      {{{-5, 7}}, 9, 0xFFFFFFFBu},          // -5 is the largest unsigned
      {{{4}}, 0x80000000u, 0x80000000u},
  };
  for (const Case& c : cases) {
    PlayListSet set(1);
    set.NextEntryId();  // ids handed out before reading do not count
    set.NextEntryId();
    set.ReplaceAll(MakeState(c.files, 0, kPlayModeList));
    set.RecomputeLastId(c.largestPresetId);
    EXPECT_EQ(set.LastId(), c.lastId);
    EXPECT_EQ(set.NextEntryId(), static_cast<int32_t>(c.lastId + 1));
  }
  // Largest file id 7, largest preset id 9: the next id is 10.
  PlayListSet set(1);
  set.ReplaceAll(MakeState({{7, 1}}, 0, kPlayModeList));
  set.RecomputeLastId(9);
  EXPECT_EQ(set.NextEntryId(), 10);
}

TEST(EntryIds, RaiseComparesUnsignedAndZeroIsNeverHandedOut) {
  PlayListSet set(1);
  set.RaiseLastId(10);
  set.RaiseLastId(5);
  EXPECT_EQ(set.LastId(), 10u);
  set.RaiseLastId(static_cast<uint32_t>(-3));
  EXPECT_EQ(set.LastId(), 0xFFFFFFFDu);
  EXPECT_EQ(set.NextEntryId(), -2);
  EXPECT_EQ(set.NextEntryId(), -1);
  EXPECT_EQ(set.NextEntryId(), 1);  // wrapped past 0
}

TEST(Lists, AppendInsertDeleteRenameReorder) {
  PlayListSet set(1);
  EXPECT_EQ(set.AppendList("a"), 0);
  EXPECT_EQ(set.AppendList("c"), 1);
  EXPECT_EQ(set.InsertList(1, "b"), 1);
  EXPECT_EQ(set.InsertList(0, "front"), 0);
  EXPECT_EQ(set.InsertList(9, "end"), 4);
  EXPECT_EQ(set.InsertList(-1, "bad"), -1);
  EXPECT_EQ(Names(set), (std::vector<std::string>{"front", "a", "b", "c", "end"}));

  EXPECT_TRUE(set.RenameList(4, "last"));
  EXPECT_FALSE(set.RenameList(5, "x"));
  EXPECT_TRUE(set.DeleteList(0));
  EXPECT_FALSE(set.DeleteList(-1));
  EXPECT_FALSE(set.DeleteList(4));
  EXPECT_EQ(Names(set), (std::vector<std::string>{"a", "b", "c", "last"}));

  // Ascending keys, equal keys keep their order; one key per list.
  EXPECT_FALSE(set.ReorderLists({1, 2}));
  EXPECT_TRUE(set.ReorderLists({2, 1, 2, 0}));
  EXPECT_EQ(Names(set), (std::vector<std::string>{"last", "b", "a", "c"}));
  EXPECT_EQ(set.List(0)->order, 0);
  EXPECT_EQ(set.List(3)->order, 2);
}

TEST(Files, NewEntriesTakeTheirFieldsAndPlace) {
  PlayListSet set(1);
  set.AppendList("l");
  const int32_t a = set.AppendFile(0, {"a"});
  const int32_t c = set.AppendFile(0, {"c", "title c", -20, 6});
  const int32_t b = set.InsertFile(0, 1, {"b"});
  const int32_t end = set.InsertFile(0, 50, {"end"});
  const int32_t front = set.InsertFileAtFront(0, {"front"});
  EXPECT_EQ(IdsOf(*set.List(0)), (std::vector<int32_t>{front, a, b, c, end}));

  const SoundFile plain = *set.File(0, 1);
  EXPECT_EQ(plain.path, "a");
  EXPECT_EQ(plain.title, "");
  EXPECT_EQ(plain.volume, 0);
  EXPECT_EQ(plain.presetId, 0);
  const SoundFile given = *set.File(0, 3);
  EXPECT_EQ(given.title, "title c");
  EXPECT_EQ(given.volume, -20);
  EXPECT_EQ(given.presetId, 6);
  EXPECT_FALSE(set.File(0, 5));
  EXPECT_FALSE(set.File(1, 0));
}

TEST(Files, DeletingTheCurrentFileLeavesNoneCurrent) {
  PlayListSet set(1);
  set.ReplaceAll(MakeState({{1, 2, 3}}, 2, kPlayModeAllList));
  EXPECT_FALSE(set.DeleteFile(0, 3));
  EXPECT_TRUE(set.DeleteFile(0, 1));
  EXPECT_EQ(set.SelFileId(), 2);
  EXPECT_EQ(set.CurrentListIndex(), -1);
  EXPECT_FALSE(set.CurrentSoundFile());
  EXPECT_FALSE(set.NextFile(false));
  EXPECT_FALSE(set.PrevFile());
  // The Play command's rule: no current file, so (0, 0).
  EXPECT_TRUE(set.SelectFile(0, 0));
  EXPECT_EQ(set.SelFileId(), 1);
}

TEST(Files, MovingKeepsEveryFieldAndTheCurrentFile) {
  PlayListSet set(1);
  PlayListState state = MakeState({{1, 2, 3, 4}, {9}}, 3, kPlayModeList);
  state.lists[0].files[2].title = "three";
  state.lists[0].files[2].volume = 15;
  state.lists[0].files[2].presetId = 8;
  set.ReplaceAll(state);

  EXPECT_FALSE(set.MoveFiles(0, {1, 4}, 1));  // one bad position: no change
  EXPECT_FALSE(set.MoveFiles(0, {0}, 2));
  EXPECT_EQ(LayoutOf(set), (Layout{{1, 2, 3, 4}, {9}}));

  EXPECT_TRUE(set.MoveFiles(0, {2, 0, 2}, 1));  // list order, repeats once
  EXPECT_EQ(LayoutOf(set), (Layout{{2, 4}, {9, 1, 3}}));
  EXPECT_EQ(set.SelFileId(), 3);
  EXPECT_EQ(set.CurrentListIndex(), 1);
  const SoundFile moved = *set.CurrentSoundFile();
  EXPECT_EQ(moved.path, "f3");
  EXPECT_EQ(moved.title, "three");
  EXPECT_EQ(moved.volume, 15);
  EXPECT_EQ(moved.presetId, 8);

  EXPECT_TRUE(set.MoveFiles(1, {0}, 1));  // to its own list: to the end
  EXPECT_EQ(LayoutOf(set), (Layout{{2, 4}, {1, 3, 9}}));
}

TEST(Files, ReorderTakesOnlyAPermutation) {
  PlayListSet set(1);
  set.ReplaceAll(MakeState({{1, 2, 3}}, 0, kPlayModeList));
  EXPECT_FALSE(set.ReorderFiles(0, {0, 1}));
  EXPECT_FALSE(set.ReorderFiles(0, {0, 1, 1}));
  EXPECT_FALSE(set.ReorderFiles(0, {0, 1, 3}));
  EXPECT_FALSE(set.ReorderFiles(1, {}));
  EXPECT_EQ(LayoutOf(set), (Layout{{1, 2, 3}}));
  EXPECT_TRUE(set.ReorderFiles(0, {2, 0, 1}));
  EXPECT_EQ(LayoutOf(set), (Layout{{3, 1, 2}}));
}

TEST(Files, FieldSettersAndPresetReset) {
  PlayListSet set(1);
  PlayListState state = MakeState({{1, 2}, {2, 3}}, 3, kPlayModeList);
  for (PlayList& list : state.lists) {
    for (SoundFile& file : list.files) file.presetId = 5;
  }
  state.lists[1].files[1].presetId = 6;
  set.ReplaceAll(state);

  EXPECT_TRUE(set.SetFileTitle(2, "two"));  // the first file with id 2
  EXPECT_EQ(set.File(0, 1)->title, "two");
  EXPECT_EQ(set.File(1, 0)->title, "");
  EXPECT_TRUE(set.SetFileVolume(1, -7));
  EXPECT_EQ(set.File(0, 0)->volume, -7);
  EXPECT_FALSE(set.SetFileTitle(4, "none"));

  EXPECT_TRUE(set.SetCurrentTitle("three"));
  EXPECT_TRUE(set.SetCurrentPresetId(9));
  EXPECT_EQ(set.CurrentSoundFile()->title, "three");
  EXPECT_EQ(set.CurrentPresetId(), 9);

  EXPECT_EQ(set.ResetPresetId(5), 3);
  EXPECT_EQ(set.ResetPresetId(5), 0);
  for (const PlayList& list : set.Lists()) {
    for (const SoundFile& file : list.files) EXPECT_NE(file.presetId, 5);
  }
  EXPECT_EQ(set.CurrentPresetId(), 9);

  set.SetSelFileId(77);
  EXPECT_FALSE(set.SetCurrentTitle("nobody"));
  EXPECT_FALSE(set.SetCurrentPresetId(1));
}

TEST(Settings, StateRoundTripsAndCopiesAreDetached) {
  PlayListSet set(1);
  PlayListState state = MakeState({{1, 2}, {}}, 2, kPlayModeRandomList);
  state.repeat = 1;
  state.lists[1].order = 4;
  set.ReplaceAll(state);
  EXPECT_EQ(set.PlayMode(), kPlayModeRandomList);
  EXPECT_EQ(set.Repeat(), 1);

  PlayListState copy = set.State();
  EXPECT_EQ(copy.selFileId, 2);
  EXPECT_EQ(copy.playMode, kPlayModeRandomList);
  EXPECT_EQ(copy.repeat, 1);
  EXPECT_EQ(copy.lists.size(), 2u);
  EXPECT_EQ(copy.lists[1].order, 4);
  copy.lists[0].files.clear();  // a copy: the model keeps its files
  EXPECT_EQ(set.TotalFileCount(), 2);

  set.SetPlayMode(12);  // kept as given; walks as described for odd values
  set.SetRepeat(0);
  EXPECT_EQ(set.PlayMode(), 12);
  EXPECT_EQ(set.Repeat(), 0);
}

TEST(Edit, CompoundChangeIsOneStepWithOneNotice) {
  PlayListSet set(1);
  set.AppendList("new");
  NoticeRecorder notices;
  notices.Attach(set);
  // What the command-line hand-over does: files at the front of the first
  // list, then the first of them plays.
  const int32_t first = set.Edit([](PlayListModel& m) {
    int32_t id = 0;
    for (const char* path : {"c", "b", "a"}) id = m.InsertFileAtFront(0, {path});
    m.SelectFile(0, 1);
    m.SelectFile(0, 0);
    return id;
  });
  EXPECT_EQ(set.SelFileId(), first);
  EXPECT_EQ(notices.Take(), std::vector<int32_t>{first});
  EXPECT_EQ(set.Read([](const PlayListModel& m) { return m.List(0)->files[0].path; }), "a");
  // Changes without a selection notify nobody.
  set.Edit([](PlayListModel& m) { m.AppendList("x"); });
  EXPECT_TRUE(notices.Take().empty());
}

}  // namespace
