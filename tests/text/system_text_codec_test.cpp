// The system's codec: legacy code pages of older files become program text,
// whichever code page the program itself runs with.
#include "framework/system_text_codec.h"

#include <gtest/gtest.h>

namespace {

TEST(SystemTextCodec, LegacyPagesBecomeUtf8Text) {
  const SystemTextCodec western(CP_UTF8, 1252);
  EXPECT_EQ(western.FromLegacy("\x80 caf\xE9"), "\xE2\x82\xAC caf\xC3\xA9");
  const SystemTextCodec japanese(CP_UTF8, 932);
  // "日本" in Shift-JIS.
  EXPECT_EQ(japanese.FromLegacy("\x93\xfa\x96\x7b"), "\xE6\x97\xA5\xE6\x9C\xAC");
  EXPECT_EQ(japanese.ToUtf16("\xE6\x97\xA5"), std::u16string(1, char16_t{0x65E5}));
  EXPECT_EQ(japanese.FromUtf8("\xE6\x97\xA5"), "\xE6\x97\xA5");
}

TEST(SystemTextCodec, ALegacyProgramPageKeepsItsBytes) {
  // An older system without the UTF-8 page: the program's text is the
  // legacy page itself; UTF-16 and UTF-8 text is converted to it.
  const SystemTextCodec legacy(1252, 1252);
  EXPECT_EQ(legacy.FromLegacy("caf\xE9"), "caf\xE9");
  EXPECT_EQ(legacy.FromUtf8("caf\xC3\xA9"), "caf\xE9");
  EXPECT_EQ(legacy.FromUtf16(u"\u65E5"), "?");  // not in the page
  EXPECT_EQ(legacy.ToUtf16("\x80"), std::u16string(1, char16_t{0x20AC}));
}

}  // namespace
