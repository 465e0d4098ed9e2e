// What the hot key dialogs compute without the controls: the editor's flag
// conversion and what it accepts, the list's working copy and its marks.
#include <gtest/gtest.h>

#include "hotkey/hotkey_control_flags.h"
#include "hotkey/hotkey_list_model.h"
#include "hotkey/hotkey_table.h"

namespace {

TEST(HotKeyEditor, ModifiersRoundTripThroughTheControl) {
  // Every table modifier set: the control's word and back, Win through the box.
  for (uint32_t modifiers = 0; modifiers < 16; ++modifiers) {
    const uint32_t value = HotKeyControlValue(modifiers, 80);
    EXPECT_EQ(value & 0xFFu, 80u);
    const bool winBox = (modifiers & kHotKeyModWin) != 0;
    EXPECT_EQ(ModifiersFromControlFlags(value >> 8, winBox), modifiers) << modifiers;
  }
  EXPECT_EQ(HotKeyControlValue(5, 80), 0x550u);   // Alt (4) and Shift (1) in the control's high byte
  EXPECT_EQ(HotKeyControlValue(10, 88), 0x258u);  // Ctrl + Win + X: Ctrl in the control, key 88
  EXPECT_EQ(HotKeyControlValue(2, 0x1F0), 0x2F0u);  // only the key's low byte
}

TEST(HotKeyEditor, AcceptsAKeyWithAModifierOrTheWinBoxOnly) {
  struct Case {
    uint32_t controlValue;
    bool winBox;
    bool accepted;
    uint32_t modifiers;
    uint32_t key;
  } cases[] = {
      {(kHotKeyfAlt | kHotKeyfShift) << 8 | 80, false, true, 5, 80},  // Alt + Shift + P
      {116, true, true, 8, 116},                                         // Win box and F5
      {116, false, false, 0, 0},                                         // F5 alone
      {kHotKeyfExt << 8 | 116, false, false, 0, 0},                      // the extended flag is no modifier
      {(kHotKeyfExt | kHotKeyfControl) << 8 | 36, false, true, 2, 36},   // Ctrl + Home, EXT dropped
      {kHotKeyfControl << 8, false, false, 0, 0},                        // modifiers without a key
      {0, true, false, 0, 0},                                            // nothing typed, Win box ticked
      {(kHotKeyfControl | kHotKeyfAlt | kHotKeyfShift) << 8 | 65, true, true, 15, 65},
  };
  for (const Case& c : cases) {
    const auto combination = AcceptedCombination(c.controlValue, c.winBox);
    ASSERT_EQ(combination.has_value(), c.accepted) << std::hex << c.controlValue;
    if (!combination) continue;
    EXPECT_EQ(combination->modifiers, c.modifiers) << std::hex << c.controlValue;
    EXPECT_EQ(combination->virtualKey, c.key) << std::hex << c.controlValue;
  }
}

HotKeyRefusals Refused(std::initializer_list<int> entries) {
  HotKeyRefusals refused;
  for (int entry : entries) refused.set(static_cast<size_t>(entry));
  return refused;
}

TEST(HotKeyList, RowsShowTheWorkingCopyWithItsMarks) {
  HotKeyTable table = DefaultHotKeys();
  table[kHotKeyPause].enabled = 0;
  MediaKeyRefusals mediaHeld;
  mediaHeld.set(1);  // another program holds the Next key
  HotKeyListModel model(table, Refused({kHotKeyPlay}), mediaHeld);
  ASSERT_EQ(model.RowCount(), kHotKeyCount + kMediaKeyCount);
  EXPECT_EQ(model.CommandText(0), "Play");
  EXPECT_EQ(model.CommandText(12), "Controller");
  EXPECT_EQ(model.CommandText(13), "Jump to File");
  EXPECT_EQ(model.KeyText(13), "Ctrl + Win + J");
  // The media keys follow, read-only: no entry, ticked while registered.
  const struct {
    int row;
    const char* command;
    const char* key;
    bool checked;
  } mediaRows[] = {
      {14, "Play / Pause", "Media Play/Pause", true},
      {15, "Next", "Media Next (in use)", false},
      {16, "Prev", "Media Previous", true},
      {17, "Stop", "Media Stop", true},
  };
  for (const auto& row : mediaRows) {
    EXPECT_EQ(model.EntryOfRow(row.row), -1);
    EXPECT_EQ(model.CommandText(row.row), row.command);
    EXPECT_EQ(model.KeyText(row.row), row.key);
    EXPECT_EQ(model.Checked(row.row), row.checked) << row.row;
    model.SetChecked(row.row, !row.checked);  // read-only: nothing changes
    EXPECT_EQ(model.Checked(row.row), row.checked) << row.row;
  }
  EXPECT_EQ(model.Mark(15), HotKeyMark::kInUse);
  EXPECT_EQ(model.CommandText(18), "");
  EXPECT_EQ(MediaKeyAt(MediaKeyOfId(0x100)).virtualKey, 0xB3u);  // VK_MEDIA_PLAY_PAUSE
  EXPECT_EQ(MediaKeyOfId(4), -1);  // the table's ids are not media keys
  // Refused at registration: marked while it keeps that combination and is ticked.
  EXPECT_EQ(model.KeyText(0), "Ctrl + Win + X (in use)");
  EXPECT_EQ(model.Mark(0), HotKeyMark::kInUse);
  EXPECT_EQ(model.KeyText(1), "Ctrl + Win + V");
  EXPECT_FALSE(model.Checked(kHotKeyPause));
  model.SetChecked(0, false);
  EXPECT_EQ(model.KeyText(0), "Ctrl + Win + X");
  model.SetChecked(0, true);
  EXPECT_EQ(model.Mark(0), HotKeyMark::kInUse);
  // A new combination is tried only at OK: no mark until then.
  model.SetCombination(0, 5, 80);
  EXPECT_EQ(model.KeyText(0), "Shift + Alt + P");
  EXPECT_TRUE(model.Checked(0));
  // Back to the refused one: marked again.
  model.SetCombination(0, 10, 88);
  EXPECT_EQ(model.Mark(0), HotKeyMark::kInUse);
  // The application's table is untouched by the working copy.
  EXPECT_EQ(table[0].virtualKey, 88u);
  EXPECT_EQ(model.workingCopy()[kHotKeyPause].enabled, 0);
}

TEST(HotKeyList, DuplicatesAmongTickedRowsMarkBothRows) {
  HotKeyListModel model(DefaultHotKeys(), Refused({}));
  model.SetCombination(kHotKeyPlay, 5, 80);
  model.SetCombination(kHotKeyStop, 5, 80);
  EXPECT_EQ(model.KeyText(kHotKeyPlay), "Shift + Alt + P (same as Stop)");
  EXPECT_EQ(model.KeyText(kHotKeyStop), "Shift + Alt + P (same as Play)");
  // Three rows: each names the first other one.
  model.SetCombination(kHotKeyNext, 5, 80);
  EXPECT_EQ(model.KeyText(kHotKeyPlay), "Shift + Alt + P (same as Stop)");
  EXPECT_EQ(model.KeyText(kHotKeyNext), "Shift + Alt + P (same as Play)");
  // An unticked row is not registered, so it takes nothing from the others.
  model.SetChecked(kHotKeyNext, false);
  model.SetChecked(kHotKeyStop, false);
  EXPECT_EQ(model.Mark(kHotKeyPlay), HotKeyMark::kNone);
  EXPECT_EQ(model.Mark(kHotKeyStop), HotKeyMark::kNone);
  // A duplicate of a refused row: the duplicate says more than "in use".
  HotKeyListModel held(DefaultHotKeys(), Refused({kHotKeyNext}));
  held.SetCombination(kHotKeyPrev, 10, 66);
  EXPECT_EQ(held.KeyText(kHotKeyNext), "Ctrl + Win + B (same as Prev)");
  held.SetChecked(kHotKeyPrev, false);
  EXPECT_EQ(held.KeyText(kHotKeyNext), "Ctrl + Win + B (in use)");
  // The fourteenth command follows the same rules.
  HotKeyListModel jump(DefaultHotKeys(), Refused({}));
  jump.SetCombination(kHotKeyJumpToFile, 10, 88);
  EXPECT_EQ(jump.KeyText(kHotKeyJumpToFile), "Ctrl + Win + X (same as Play)");
  EXPECT_EQ(jump.KeyText(kHotKeyPlay), "Ctrl + Win + X (same as Jump to File)");
  HotKeyListModel jumpHeld(DefaultHotKeys(), Refused({kHotKeyJumpToFile}));
  EXPECT_EQ(jumpHeld.KeyText(kHotKeyJumpToFile), "Ctrl + Win + J (in use)");
}

TEST(HotKeyList, RefusalMessageNamesEachRefusedCommand) {
  HotKeyTable table = DefaultHotKeys();
  table[kHotKeyStop] = {1, 5, 80};
  EXPECT_EQ(HotKeyRefusalMessage(table, Refused({})), "");
  const std::string text = HotKeyRefusalMessage(table, Refused({kHotKeyPlay, kHotKeyStop}));
  EXPECT_NE(text.find("\r\nPlay: Ctrl + Win + X"), std::string::npos) << text;
  EXPECT_NE(text.find("\r\nStop: Shift + Alt + P"), std::string::npos) << text;
  EXPECT_EQ(text.find("Pause"), std::string::npos) << text;
}

}  // namespace
