// Titles from paths: folder and extension removed, double-byte characters
// kept whole, the 512-byte bound of the host's buffer respected.
#include "plugins/in_wave/title_from_path.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

bool NoLeadBytes(unsigned char) { return false; }
// Lead bytes of code page 932 (Shift-JIS), whose trail bytes include '\' (0x5C).
bool ShiftJisLead(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }

std::string Title(const std::string& path, wav::LeadByteTest lead = NoLeadBytes, size_t capacity = 512) {
  std::vector<char> out(capacity + 1, '#');
  wav::TitleFromPath(path.c_str(), lead, out.data(), capacity);
  EXPECT_EQ(out[capacity], '#') << "wrote past the buffer";
  return out.data();
}

TEST(TitleFromPath, DropsFolderAndExtension) {
  const std::pair<const char*, const char*> cases[] = {
      {"C:\\music\\My Song.wav", "My Song"},
      {"song", "song"},
      {"a/b/c.d.wav", "c.d"},
      {"dir.x\\name", "name"},
      {"C:name.wav", "name"},
      {"\\\\server\\share\\tone.WAV", "tone"},
      {".wav", ".wav"},
      {"folder\\", ""},
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(Title(c.first), c.second) << c.first;
}

TEST(TitleFromPath, KeepsDoubleByteCharactersWhole) {
  // 0x83 0x5C is one character whose second byte looks like a back slash.
  EXPECT_EQ(Title("C:\\\x83\x5C\\\x83\x5C.wav", ShiftJisLead), "\x83\x5C");
  EXPECT_EQ(Title("C:\\\x83\x5C.wav", NoLeadBytes), ".wav");  // the same bytes read as single bytes
  // A lead byte at the very end has no trail: it is copied as it is.
  EXPECT_EQ(Title("ab\x83", ShiftJisLead), "ab\x83");
}

TEST(TitleFromPath, BoundsTheTitleAtCharacterBoundaries) {
  const std::string longName(600, 'a');
  EXPECT_EQ(Title("C:\\" + longName + ".wav"), std::string(511, 'a'));
  EXPECT_EQ(Title("a\x83\x5C\x83\x5C", ShiftJisLead, 4), "a\x83\x5C");
  EXPECT_EQ(Title("a\x83\x5C", ShiftJisLead, 3), "a");  // never half a character
  EXPECT_EQ(Title("abc", NoLeadBytes, 1), "");
}

}  // namespace
