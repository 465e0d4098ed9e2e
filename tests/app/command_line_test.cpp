// Splitting the command line a start of the program hands over.
#include "app/command_line.h"

#include <gtest/gtest.h>

#include "app/hotkey_commands.h"
#include "common/resource.h"

using Args = std::vector<std::string>;

TEST(SplitCommandLine, QuotedUnquotedAndBlanks) {
  EXPECT_EQ(SplitCommandLine("\"a.wav\" \"b.wav\""), (Args{"a.wav", "b.wav"}));
  EXPECT_EQ(SplitCommandLine("a.wav    b.wav"), (Args{"a.wav", "b.wav"}));
  EXPECT_EQ(SplitCommandLine("\t a.wav\t"), (Args{"a.wav\t"}));  // only a space ends a bare argument
  EXPECT_EQ(SplitCommandLine("\"C:\\My Music\\x y.mp3\" z"), (Args{"C:\\My Music\\x y.mp3", "z"}));
  EXPECT_EQ(SplitCommandLine("a\"b c\""), (Args{"a\"b", "c\""}));
  EXPECT_TRUE(SplitCommandLine("").empty());
  EXPECT_TRUE(SplitCommandLine("   \t ").empty());
}

TEST(SplitCommandLine, UnterminatedQuoteGivesOneEmptyArgument) {
  EXPECT_EQ(SplitCommandLine("a.wav \"b.wav c.wav"), (Args{"a.wav", ""}));
  EXPECT_EQ(SplitCommandLine("\""), (Args{""}));
}

TEST(ProgramOfCommandLine, QuotedOrBareProgramWithOrWithoutArguments) {
  const std::pair<const char*, const char*> cases[] = {
      {"\"C:\\Program Files\\Melodek\\melodek.exe\"", "C:\\Program Files\\Melodek\\melodek.exe"},
      {"\"C:\\My Apps\\melodek.exe\" /add \"x.mp3\"", "C:\\My Apps\\melodek.exe"},
      {"C:\\Apps\\melodek.exe  -x", "C:\\Apps\\melodek.exe"},
      {"C:\\Apps\\melodek.exe\t", "C:\\Apps\\melodek.exe"},
      {"\"C:\\unterminated\\melodek.exe", "C:\\unterminated\\melodek.exe"},
      {"\"\"", ""},
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(ProgramOfCommandLine(c.first), c.second) << c.first;
}

TEST(HotKeyCommands, EachKeyRunsItsMenuCommand) {
  const unsigned expected[] = {ID_PLAY,      ID_STOP,      ID_PAUSE,       ID_PREV,         ID_NEXT,
                               ID_LIST_PREV, ID_LIST_NEXT, ID_VOLUME_DOWN, ID_VOLUME_UP,    ID_PLAYLIST_EDIT,
                               ID_HOTKEY_EDIT, ID_CONFIG,  ID_CONTROLLER,  ID_JUMP_TO_FILE};
  for (int id = 0; id < 14; ++id) EXPECT_EQ(CommandOfHotKey(id), expected[id]) << id;
  EXPECT_EQ(CommandOfHotKey(14), 0u);
  EXPECT_EQ(CommandOfHotKey(-1), 0u);
}
