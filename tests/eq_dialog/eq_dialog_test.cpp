// The Equalizer dialog under Wine against a stand-in for the application:
// which preset it opens with, what it applies and assigns, the hold around
// its life, and the cases without a selection.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "common/resource.h"
#include "ui/equalizer_dlg.h"

namespace {

class FakeTarget : public EqualizerTarget {
 public:
  EqPresetList& presets() override { return list; }
  int32_t NextEntryId() override { return ++lastId; }
  int32_t CurrentPresetId() override { return currentId; }
  void ApplyPreset(int32_t id) override {
    currentId = id;
    applied.push_back(id);
  }
  void ResetFilePresets(int32_t id) override { reset.push_back(id); }
  void HoldEqualizer(bool hold) override { holds.push_back(hold); }

  EqPresetList list;
  int32_t lastId = 20;
  int32_t currentId = 0;
  std::vector<int32_t> applied, reset;
  std::vector<bool> holds;
};

// "Default", a parametric preset (id 5) and an octave preset (id 6).
void AddPresets(FakeTarget& target) {
  std::vector<EqPreset> presets(3);
  presets[0] = {0, "Default", EqTypeNone, {}};
  presets[1] = {5, "para", EqTypeParametric, {{10, 10, 1.5f}, {100, 100, 0.5f}, {1000, 1000, 1.0f}}};
  presets[2] = {6, "octave", EqTypeOctave, {}};
  target.list.ReplaceAll(presets, 256, 256);
  target.list.SetPresetType(6, EqTypeOctave);
}

class OpenDialog : public CEqualizerDlg {
 public:
  explicit OpenDialog(FakeTarget& target) : CEqualizerDlg(target) { created = Create(nullptr); }
  bool created = false;
  void Command(int id, WORD code = BN_CLICKED) {
    ::SendMessageA(Handle(), WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(Item(id)));
  }
  int SelectedRow() const {
    return static_cast<int>(::SendMessageA(Item(IDC_EQ_PRESETS), LVM_GETNEXTITEM, static_cast<WPARAM>(-1),
                                           LVNI_SELECTED));
  }
  int Rows() const { return static_cast<int>(::SendMessageA(Item(IDC_EQ_PRESETS), LVM_GETITEMCOUNT, 0, 0)); }
  int Type() const { return static_cast<int>(::SendMessageA(Item(IDC_EQ_TYPE), CB_GETCURSEL, 0, 0)); }
  // Drags the editor's point `index` down by `pixels`.
  void DragPoint(size_t index, int pixels) {
    const CGraphCtrl& editor = graph();
    const GraphPoint& p = editor.model().Points()[index];
    const int x = editor.model().XToPixel(editor.plot(), p.x);
    const int y = editor.model().PointYToPixel(editor.plot(), p.y);
    HWND window = editor.Handle();
    ::SendMessageA(window, WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
    ::SendMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    ::SendMessageA(window, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(x, y + pixels));
    ::SendMessageA(window, WM_LBUTTONUP, 0, MAKELPARAM(x, y + pixels));
  }
};

TEST(EqualizerDlg, OpensOnTheCurrentFilesPresetAndHoldsForItsLife) {
  struct Case {
    int32_t currentId;
    int row;          // selected on opening
    int32_t applied;  // and applied (assigned to the current file)
    size_t points;
    bool locked;
  } cases[] = {
      {6, 2, 6, 10, true},   // an octave preset: fixed bands
      {5, 1, 5, 3, false},   // parametric: points move and come and go
      {0, 0, 0, 0, true},    // "Default"
      {77, 0, 0, 0, true},   // an id no preset has: the first preset
  };
  for (const Case& c : cases) {
    FakeTarget target;
    AddPresets(target);
    target.currentId = c.currentId;
    {
      OpenDialog dialog(target);
      ASSERT_TRUE(dialog.created);
      EXPECT_EQ(dialog.SelectedRow(), c.row) << c.currentId;
      ASSERT_FALSE(target.applied.empty());
      EXPECT_EQ(target.applied.back(), c.applied) << c.currentId;
      EXPECT_EQ(dialog.graph().CopyPoints().size(), c.points) << c.currentId;
      EXPECT_EQ(dialog.graph().model().xLocked(), c.locked) << c.currentId;
      EXPECT_EQ(dialog.graph().model().canAddRemove(), !c.locked) << c.currentId;
      EXPECT_EQ(dialog.Type(), target.list.FindPreset(c.applied)->type) << c.currentId;
      EXPECT_EQ(target.holds, std::vector<bool>{true});
      EXPECT_EQ(CEqualizerDlg::OpenWindow(), dialog.Handle());
    }
    EXPECT_EQ(target.holds, (std::vector<bool>{true, false}));
    EXPECT_EQ(CEqualizerDlg::OpenWindow(), nullptr);
  }
}

TEST(EqualizerDlg, EditsAreStoredAndAppliedAtOnce) {
  FakeTarget target;
  AddPresets(target);
  target.currentId = 6;
  OpenDialog dialog(target);
  ASSERT_TRUE(dialog.created);

  // A drag step: the preset's points replaced, applied, assigned.
  target.applied.clear();
  dialog.DragPoint(5, 40);
  EXPECT_EQ(target.applied, std::vector<int32_t>{6});
  const EqPreset octave = *target.list.FindPreset(6);
  ASSERT_EQ(octave.points.size(), 10u);
  EXPECT_LT(octave.points[5].y, 1.0f);
  EXPECT_EQ(octave.points[5].x, HertzToBin(1000));  // graphic: x stays
  EXPECT_EQ(octave.points[5].key, octave.points[5].x);

  // The type box: the bands start over, flat.
  ::SendMessageA(dialog.Item(IDC_EQ_TYPE), CB_SETCURSEL, EqTypeThreeHalvesOctave, 0);
  dialog.Command(IDC_EQ_TYPE, CBN_SELCHANGE);
  const EqPreset retyped = *target.list.FindPreset(6);
  EXPECT_EQ(retyped.type, EqTypeThreeHalvesOctave);
  ASSERT_EQ(retyped.points.size(), 7u);
  for (const EqPoint& p : retyped.points) EXPECT_EQ(p.y, 1.0f);
  EXPECT_EQ(dialog.graph().CopyPoints().size(), 7u);
  EXPECT_EQ(target.applied.back(), 6);

  // ADD: a fresh id from the shared counter, selected and applied.
  dialog.Command(IDC_EQ_ADD);
  EXPECT_EQ(dialog.Rows(), 4);
  EXPECT_EQ(dialog.SelectedRow(), 3);
  EXPECT_EQ(target.applied.back(), 21);
  EXPECT_EQ(target.list.FindPreset(21)->name, "new");
  EXPECT_EQ(dialog.Type(), EqTypeParametric);

  // DELETE: the selected preset goes, its files back to "Default", the first
  // row selected and applied; "Default" itself stays.
  dialog.Command(IDC_EQ_DELETE);
  EXPECT_EQ(dialog.Rows(), 3);
  EXPECT_EQ(target.reset, std::vector<int32_t>{21});
  EXPECT_EQ(target.list.FindPresetIndex(21), -1);
  EXPECT_EQ(dialog.SelectedRow(), 0);
  EXPECT_EQ(target.applied.back(), 0);
  dialog.Command(IDC_EQ_DELETE);
  EXPECT_EQ(dialog.Rows(), 3);
  EXPECT_EQ(target.list.Count(), 3u);
  EXPECT_EQ(target.reset.size(), 1u);
}

TEST(EqualizerDlg, WithoutPresetsNothingIsStoredOrApplied) {
  FakeTarget target;
  target.list.ReplaceAll({}, 256, 256);
  OpenDialog dialog(target);
  ASSERT_TRUE(dialog.created);
  EXPECT_EQ(dialog.Rows(), 0);
  EXPECT_EQ(dialog.Type(), EqTypeNone);
  EXPECT_EQ(dialog.graph().CopyPoints().size(), 3u);  // the editor's own three points
  target.applied.clear();
  dialog.DragPoint(1, 30);  // the editor still moves its point, but there is no preset
  ::SendMessageA(dialog.Item(IDC_EQ_TYPE), CB_SETCURSEL, EqTypeOctave, 0);
  dialog.Command(IDC_EQ_TYPE, CBN_SELCHANGE);
  dialog.Command(IDC_EQ_DELETE);
  EXPECT_TRUE(target.applied.empty());
  EXPECT_EQ(target.list.Count(), 0u);
}

}  // namespace
