// The sequential play order of the five modes: Next, Next at the end of a
// file, Prev, List Next and List Prev over lists with gaps, a current file
// that was deleted, and no files at all.
#include <gtest/gtest.h>

#include "play_list_fixtures.h"
#include "playlist/play_list_set.h"

namespace {

enum class Op { kNext, kNextAtEnd, kPrev, kNextList, kPrevList };

const char* Name(Op op) {
  switch (op) {
    case Op::kNext: return "Next";
    case Op::kNextAtEnd: return "NextAtEnd";
    case Op::kPrev: return "Prev";
    case Op::kNextList: return "NextList";
    case Op::kPrevList: return "PrevList";
  }
  return "?";
}

bool Apply(PlayListSet& set, Op op) {
  switch (op) {
    case Op::kNext: return set.NextFile(false);
    case Op::kNextAtEnd: return set.NextFile(true);
    case Op::kPrev: return set.PrevFile();
    case Op::kNextList: return set.NextList();
    case Op::kPrevList: return set.PrevList();
  }
  return false;
}

const Layout kOneList = {{1, 2, 3}};
const Layout kGap = {{11, 12}, {}, {31}};           // A (a1, a2), B empty, C (c1)
const Layout kInner = {{}, {21, 22}, {}};           // files only in the middle
const Layout kNoFiles = {{}, {}};
const Layout kNoLists = {};

struct Case {
  const Layout* layout;
  int32_t mode;
  int32_t start;     // SelFileID before the operation
  Op op;
  bool result;
  int32_t selected;  // SelFileID after it
  bool notified;     // a selection notice with `selected`
};

const Case kCases[] = {
    // One list a, b, c under "All List": wraps both ways.
    {&kOneList, kPlayModeAllList, 3, Op::kNext, true, 1, true},
    {&kOneList, kPlayModeAllList, 1, Op::kPrev, true, 3, true},
    {&kOneList, kPlayModeAllList, 1, Op::kNext, true, 2, true},
    {&kOneList, kPlayModeAllList, 2, Op::kPrev, true, 1, true},
    {&kOneList, kPlayModeAllList, 2, Op::kNextAtEnd, true, 3, true},
    // The empty list B is skipped by the walks of "All List".
    {&kGap, kPlayModeAllList, 12, Op::kNext, true, 31, true},
    {&kGap, kPlayModeAllList, 31, Op::kPrev, true, 12, true},
    {&kGap, kPlayModeAllList, 31, Op::kNext, true, 11, true},
    {&kGap, kPlayModeAllList, 11, Op::kPrev, true, 31, true},
    {&kInner, kPlayModeAllList, 22, Op::kNext, true, 21, true},
    {&kInner, kPlayModeAllList, 21, Op::kPrev, true, 22, true},
    // "List" wraps within the list of the current file.
    {&kGap, kPlayModeList, 12, Op::kNext, true, 11, true},
    {&kGap, kPlayModeList, 11, Op::kPrev, true, 12, true},
    {&kGap, kPlayModeList, 11, Op::kNextAtEnd, true, 12, true},
    {&kGap, kPlayModeList, 31, Op::kNext, true, 31, true},
    // "One Repeat": the end of a file keeps it; Next walks as "All List";
    // Prev stops at the first file of the list.
    {&kGap, kPlayModeOneRepeat, 12, Op::kNextAtEnd, true, 12, false},
    {&kGap, kPlayModeOneRepeat, 12, Op::kNext, true, 31, true},
    {&kGap, kPlayModeOneRepeat, 31, Op::kNext, true, 11, true},
    {&kGap, kPlayModeOneRepeat, 11, Op::kPrev, true, 11, true},
    {&kGap, kPlayModeOneRepeat, 12, Op::kPrev, true, 11, true},
    {&kNoFiles, kPlayModeOneRepeat, 5, Op::kNextAtEnd, true, 5, false},
    // Mode values only a settings file can give: back to the list's first.
    {&kGap, 7, 12, Op::kNext, true, 11, true},
    {&kGap, 7, 11, Op::kNext, true, 12, true},
    {&kGap, -1, 11, Op::kPrev, true, 11, true},
    {&kGap, -1, 12, Op::kPrev, true, 11, true},
    // No file in any list: nothing moves.
    {&kNoFiles, kPlayModeAllList, 5, Op::kNext, false, 5, false},
    {&kNoFiles, kPlayModeList, 5, Op::kPrev, false, 5, false},
    {&kNoFiles, kPlayModeRandomAll, 5, Op::kNext, false, 5, false},
    {&kNoFiles, kPlayModeRandomList, 5, Op::kPrev, false, 5, false},
    {&kNoFiles, kPlayModeOneRepeat, 5, Op::kNext, false, 5, false},
    {&kNoFiles, kPlayModeAllList, 5, Op::kNextList, false, 5, false},
    {&kNoLists, kPlayModeAllList, 5, Op::kPrevList, false, 5, false},
    {&kNoLists, kPlayModeAllList, 5, Op::kNext, false, 5, false},
    // SelFileID names a deleted file: Next and Prev fail in every mode,
    // the list commands start from the first or the last list.
    {&kGap, kPlayModeAllList, 99, Op::kNext, false, 99, false},
    {&kGap, kPlayModeList, 99, Op::kPrev, false, 99, false},
    {&kGap, kPlayModeRandomAll, 99, Op::kNext, false, 99, false},
    {&kGap, kPlayModeRandomList, 99, Op::kPrev, false, 99, false},
    {&kGap, kPlayModeOneRepeat, 99, Op::kNext, false, 99, false},
    {&kGap, kPlayModeAllList, 99, Op::kNextList, true, 11, true},
    {&kGap, kPlayModeAllList, 99, Op::kPrevList, true, 31, true},
    // List Next / List Prev do not skip an empty list: the file stays.
    {&kGap, kPlayModeAllList, 12, Op::kNextList, false, 12, false},
    {&kGap, kPlayModeAllList, 31, Op::kPrevList, false, 31, false},
    {&kGap, kPlayModeAllList, 31, Op::kNextList, true, 11, true},
    {&kGap, kPlayModeAllList, 11, Op::kPrevList, true, 31, true},
    {&kGap, kPlayModeList, 12, Op::kPrevList, true, 31, true},
};

TEST(PlayOrder, SequentialWalks) {
  for (const Case& c : kCases) {
    SCOPED_TRACE(testing::Message() << Name(c.op) << " from " << c.start << " in mode " << c.mode
                                    << " over " << c.layout->size() << " lists");
    PlayListSet set(1);
    set.ReplaceAll(MakeState(*c.layout, c.start, c.mode));
    NoticeRecorder notices;
    notices.Attach(set);
    EXPECT_EQ(Apply(set, c.op), c.result);
    EXPECT_EQ(set.SelFileId(), c.selected);
    EXPECT_EQ(notices.Take(), c.notified ? std::vector<int32_t>{c.selected} : std::vector<int32_t>{});
    EXPECT_EQ(LayoutOf(set), *c.layout);  // walking never edits
  }
}

TEST(PlayOrder, QueriesOfTheCurrentFile) {
  PlayListSet set(1);
  PlayListState state = MakeState(kGap, 31, kPlayModeAllList);
  state.lists[2].files[0].presetId = 4;
  state.lists[2].files[0].title = "c1";
  set.ReplaceAll(state);
  EXPECT_EQ(set.TotalFileCount(), 3);
  EXPECT_EQ(set.CurrentListIndex(), 2);
  EXPECT_EQ(set.CurrentPresetId(), 4);
  ASSERT_TRUE(set.CurrentSoundFile());
  EXPECT_EQ(set.CurrentSoundFile()->title, "c1");
  EXPECT_EQ(set.FindFile(12), (FilePos{0, 1}));
  EXPECT_FALSE(set.FindFile(0));

  // No current file: -1, no entry, the "Default" preset.
  set.SetSelFileId(0);
  EXPECT_EQ(set.CurrentListIndex(), -1);
  EXPECT_FALSE(set.CurrentSoundFile());
  EXPECT_EQ(set.CurrentPresetId(), 0);
}

TEST(PlayOrder, SelectionBoundsAndUncheckedIds) {
  PlayListSet set(1);
  set.ReplaceAll(MakeState(kGap, 11, kPlayModeList));
  NoticeRecorder notices;
  notices.Attach(set);
  for (FilePos bad : {FilePos{-1, 0}, FilePos{3, 0}, FilePos{0, 2}, FilePos{0, -1},
                      FilePos{1, 0}}) {
    EXPECT_FALSE(set.SelectFile(bad.list, bad.file)) << bad.list << "," << bad.file;
  }
  EXPECT_EQ(set.SelFileId(), 11);
  EXPECT_TRUE(notices.Take().empty());

  EXPECT_TRUE(set.SelectFile(2, 0));
  EXPECT_TRUE(set.SelectFileById(77));  // not looked up
  EXPECT_EQ(set.SelFileId(), 77);
  EXPECT_EQ(notices.Take(), (std::vector<int32_t>{31, 77}));

  // Settings values change quietly.
  set.SetSelFileId(12);
  set.ReplaceAll(MakeState(kGap, 11, kPlayModeList));
  EXPECT_TRUE(notices.Take().empty());
}

TEST(PlayOrder, DuplicateIdsResolveToTheFirstMatch) {
  PlayListSet set(1);
  set.ReplaceAll(MakeState({{1, 5}, {5, 6}}, 5, kPlayModeAllList));
  EXPECT_EQ(set.FindFile(5), (FilePos{0, 1}));
  EXPECT_EQ(set.CurrentListIndex(), 0);
  EXPECT_TRUE(set.NextFile(false));  // from (0, 1) on to (1, 0), which is 5 again
  EXPECT_EQ(set.SelFileId(), 5);
  EXPECT_EQ(set.CurrentListIndex(), 0);
}

}  // namespace
