// UTF-8 checking and conversion, the Western legacy table, and cutting text
// at character boundaries.
#include "common/text_encoding.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(TextEncoding, Utf8IsCheckedLikeTheSystemDoes) {
  struct Case {
    const char* what;
    std::string bytes;
    bool valid;
  };
  const Case cases[] = {
      {"ASCII", "abc", true},
      {"two, three and four bytes", "\xC3\xA9\xE6\x97\xA5\xF0\x9F\x8E\xB5", true},
      {"lone continuation byte", "\x80", false},
      {"overlong slash", "\xC0\xAF", false},
      {"overlong three-byte form", "\xE0\x80\xAF", false},
      {"surrogate", "\xED\xA0\x80", false},
      {"above U+10FFFF", "\xF4\x90\x80\x80", false},
      {"cut short", "\xE6\x97", false},
      {"Latin-1 byte", "caf\xE9", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(IsValidUtf8(c.bytes), c.valid) << c.what;
    // The same verdict when the bytes come one at a time.
    Utf8StreamValidator stream;
    for (char byte : c.bytes) stream.Feed(&byte, 1);
    EXPECT_EQ(stream.Valid(), c.valid) << c.what << " (streamed)";
    // Malformed bytes become U+FFFD, well-formed text comes back as it was.
    const std::string back = Utf16ToUtf8(Utf8ToUtf16(c.bytes));
    EXPECT_EQ(back == c.bytes, c.valid) << c.what;
    EXPECT_TRUE(IsValidUtf8(back)) << c.what;
  }
  EXPECT_EQ(Utf8ToUtf16("\xF0\x9F\x8E\xB5"), std::u16string(u"\U0001F3B5"));
  EXPECT_EQ(Utf16ToUtf8(std::u16string(1, char16_t{0xD800})), "\xEF\xBF\xBD");  // unpaired surrogate
  EXPECT_EQ(Utf8Length("a\xC3\xA9\xF0\x9F\x8E\xB5"), 3u);
}

TEST(TextEncoding, WesternLegacyBytesBecomeTheirCharacters) {
  EXPECT_EQ(Windows1252ToUtf8("\x80\x9F\xA0\xE9\xFF"), "\xE2\x82\xAC\xC5\xB8\xC2\xA0\xC3\xA9\xC3\xBF");
  EXPECT_EQ(ProgramTextFromLegacy("plain"), "plain");
  EXPECT_EQ(ProgramTextFromLegacy("\xDCnic\xF6" "de"), "\xC3\x9Cnic\xC3\xB6" "de");
}

TEST(TextEncoding, CopiesCutBetweenCharacters) {
  char out[8];
  CopyWholeCharacters("ab\xE6\x97\xA5\xE6\x9C\xAC", out, sizeof out);  // 8 bytes into 7 + NUL
  EXPECT_STREQ(out, "ab\xE6\x97\xA5");
  CopyWholeCharacters("abc", out, sizeof out);
  EXPECT_STREQ(out, "abc");
  CopyWholeCharacters("\xF0\x9F\x8E\xB5", out, 4);
  EXPECT_STREQ(out, "");
}

}  // namespace
