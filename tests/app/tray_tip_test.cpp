// The tray tip's text, cut to the wide record's 127 units between whole characters.
#include "app/tray_tip.h"

#include <gtest/gtest.h>

namespace {
std::u16string Repeat(char16_t unit, size_t count) { return std::u16string(count, unit); }

struct TipCase {
  std::u16string title;
  PlayState state;
  std::u16string tip;
};

TEST(TrayTipText, StatesAroundTheTitle) {
  const TipCase cases[] = {
      {u"Evening Song", PlayState::kPlaying, u"Evening Song \u2014 Melodek"},
      {u"Evening Song", PlayState::kPaused, u"Paused: Evening Song \u2014 Melodek"},
      {u"Evening Song", PlayState::kStopped, u"Melodek"},
      {u"", PlayState::kPlaying, u"Melodek"},
      {u"", PlayState::kPaused, u"Paused \u2014 Melodek"},
      {u"", PlayState::kStopped, u"Melodek"},
      // Titles in any script stay intact, a character outside the BMP included.
      {u"Caf\u00e9 \u591c\u306e\u6b4c \U0001F3B5", PlayState::kPlaying,
       u"Caf\u00e9 \u591c\u306e\u6b4c \U0001F3B5 \u2014 Melodek"},
      // A plug-in's line breaks and tabs would break the one-line tip.
      {u"two\r\nlines\tand\x7F", PlayState::kPlaying, u"two  lines and  \u2014 Melodek"},
  };
  for (const TipCase& c : cases) EXPECT_EQ(TrayTipText(c.title, c.state), c.tip);
}

TEST(TrayTipText, LongTitlesAreCutToTheRecord) {
  const std::u16string suffix = u" \u2014 Melodek";  // 10 units
  const std::u16string paused = u"Paused: ";         // 8 units
  const TipCase cases[] = {
      // 117 units fit exactly; one more and the title ends in an ellipsis.
      {Repeat(u'a', 117), PlayState::kPlaying, Repeat(u'a', 117) + suffix},
      {Repeat(u'a', 118), PlayState::kPlaying, Repeat(u'a', 116) + u"\u2026" + suffix},
      {Repeat(u'a', 109), PlayState::kPaused, paused + Repeat(u'a', 109) + suffix},
      {Repeat(u'a', 110), PlayState::kPaused, paused + Repeat(u'a', 108) + u"\u2026" + suffix},
      // The cut would split a surrogate pair: the whole pair goes.
      {Repeat(u'a', 115) + u"\U0001F3B5" + Repeat(u'b', 10), PlayState::kPlaying,
       Repeat(u'a', 115) + u"\u2026" + suffix},
      // A pair just before the cut stays whole.
      {Repeat(u'a', 114) + u"\U0001F3B5" + Repeat(u'b', 10), PlayState::kPlaying,
       Repeat(u'a', 114) + u"\U0001F3B5" + u"\u2026" + suffix},
      // The cut would part an "e" from its accent: both go.
      {Repeat(u'a', 115) + u"e\u0301" + Repeat(u'b', 10), PlayState::kPlaying,
       Repeat(u'a', 115) + u"\u2026" + suffix},
  };
  for (const TipCase& c : cases) {
    const std::u16string tip = TrayTipText(c.title, c.state);
    EXPECT_EQ(tip, c.tip) << c.title.size();
    EXPECT_LE(tip.size(), kTrayTipUnits);
  }
}

TEST(WholeCharacterPrefix, CutsOnlyBetweenCharacters) {
  const struct {
    std::u16string text;
    size_t units;
    std::u16string prefix;
  } cases[] = {
      {u"abc", 5, u"abc"}, {u"abc", 2, u"ab"}, {u"abc", 0, u""}, {u"a\U0001F3B5b", 2, u"a"},
      {u"a\U0001F3B5b", 3, u"a\U0001F3B5"}, {u"\U0001F3B5", 1, u""},
      {u"ae\u0301\u0323x", 3, u"a"}, {u"ae\u0301\u0323x", 4, u"ae\u0301\u0323"},  // two marks: all of it or none
  };
  for (const auto& c : cases) EXPECT_EQ(WholeCharacterPrefix(c.text, c.units), c.prefix) << c.units;
}
}  // namespace
