// Hot key defaults, command names and the combination texts.
#include "hotkey/hotkey_table.h"

#include <gtest/gtest.h>

namespace {

TEST(HotKeyTable, DefaultsAreCtrlWinWithTheFixedKeys) {
  HotKeyTable table{};
  table[3] = {0, 1, 5};
  ResetHotKeys(table);
  const uint32_t keys[] = {88, 86, 67, 90, 66, 78, 77, 188, 190, 112, 113, 114, 115, 74};
  for (int i = 0; i < kHotKeyCount; ++i) {
    EXPECT_EQ(table[i].enabled, 1) << i;
    EXPECT_EQ(table[i].modifiers, 10u) << i;
    EXPECT_EQ(table[i].virtualKey, keys[i]) << i;
  }
  EXPECT_EQ(FormatHotKeyText(table[kHotKeyPlay]), "Ctrl + Win + X");
  EXPECT_EQ(FormatHotKeyText(table[kHotKeyVolumeDown]), "Ctrl + Win + ,");
  EXPECT_EQ(FormatHotKeyText(table[kHotKeyController]), "Ctrl + Win + F4");
  EXPECT_EQ(FormatHotKeyText(table[kHotKeyJumpToFile]), "Ctrl + Win + J");
}

TEST(HotKeyTable, TheSettingsFileKeepsThirteenEntriesAndTheRestApart) {
  ClassicHotKeyTable classic = DefaultClassicHotKeys();
  classic[kHotKeyStop] = {0, 5, 80};
  // No entry for the later commands (an older file): their defaults.
  HotKeyTable joined = JoinHotKeys(classic, {});
  EXPECT_EQ(joined[kHotKeyStop].virtualKey, 80u);
  EXPECT_EQ(joined[kHotKeyJumpToFile].virtualKey, 74u);
  EXPECT_EQ(joined[kHotKeyJumpToFile].enabled, 1);
  // Entries of commands this version does not know are left out.
  joined = JoinHotKeys(classic, {{0, 1, 75}, {1, 2, 76}});
  EXPECT_EQ(joined[kHotKeyJumpToFile].virtualKey, 75u);
  EXPECT_EQ(joined[kHotKeyJumpToFile].enabled, 0);
  const ClassicHotKeyTable back = ClassicPart(joined);
  EXPECT_EQ(back[kHotKeyStop].modifiers, 5u);
  EXPECT_EQ(back[kHotKeyController].virtualKey, 115u);
  const std::vector<HotKeyEntry> later = LaterPart(joined);
  ASSERT_EQ(later.size(), 1u);
  EXPECT_EQ(later[0].virtualKey, 75u);
}

TEST(HotKeyTable, CommandNamesInTableOrder) {
  const char* expected[] = {"Play",        "Stop",          "Pause",           "Prev",
                            "Next",        "List Prev",     "List Next",       "Volume Down",
                            "Volume Up",   "PlayList Dialog", "HotKey Dialog", "Config Dialog",
                            "Controller",  "Jump to File"};
  const char* p = kHotKeyCommandNames;
  for (int i = 0; i < kHotKeyCount; ++i) {
    EXPECT_STREQ(HotKeyCommandName(i), expected[i]);
    EXPECT_STREQ(p, expected[i]);
    p += std::char_traits<char>::length(p) + 1;
  }
  EXPECT_STREQ(p, "");  // the list ends with an empty string
  EXPECT_STREQ(HotKeyCommandName(14), "");
  EXPECT_STREQ(HotKeyCommandName(-1), "");
}

TEST(HotKeyTable, CombinationPrefixesInFixedOrder) {
  EXPECT_EQ(FormatHotKeyText({1, 15, 65}), "Shift + Ctrl + Alt + Win + A");
  EXPECT_EQ(FormatHotKeyText({1, 4 | 1, 116}), "Shift + Alt + F5");
  EXPECT_EQ(FormatHotKeyText({1, 0, 48}), "0");
  EXPECT_EQ(FormatHotKeyText({0, 8, 13}), "Win + ");  // unnamed key: prefixes only
}

TEST(HotKeyTable, KeyNames) {
  struct Case {
    uint32_t vk;
    const char* name;
  } cases[] = {
      {33, "Page Up"}, {34, "Page Down"}, {35, "End"}, {36, "Home"}, {37, "Left"},
      {38, "Up"}, {39, "Right"}, {40, "Down"}, {45, "Insert"},
      {32, ""}, {41, ""}, {44, ""}, {46, ""}, {47, ""}, {13, ""}, {124, ""}, {0, ""},
      {255, ""}, {256 + 65, ""},
      {57, "9"}, {90, "Z"}, {64, ""}, {91, ""},
      {96, "Num 0"}, {105, "Num 9"}, {106, "Num *"}, {107, "Num +"}, {108, "Num ,"},
      {109, "Num -"}, {110, "Num Del"}, {111, "Num /"},
      {112, "F1"}, {123, "F12"}, {144, "Num Lock"}, {145, "Scroll Lock"},
      {176, " "}, {185, ")"}, {186, "*"}, {187, "+"}, {188, ","}, {189, "-"}, {190, "."},
      {191, "/"}, {192, "@"}, {219, "["}, {220, "\\"}, {221, "]"}, {222, "^"}, {223, "_"},
      {224, ""}, {226, "Back Slash"},
  };
  for (const Case& c : cases) EXPECT_EQ(FormatKeyName(c.vk), c.name) << c.vk;
}

}  // namespace
