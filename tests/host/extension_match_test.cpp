// Which plug-in claims a file: extension lists and matching.
#include "engine/extension_match.h"

#include <gtest/gtest.h>

TEST(BuildExtensionList, PairsAreLowerCasedAndJoined) {
  const char list[] = "mp3;MP2\0MPEG audio\0WV\0WavPack\0\0";
  EXPECT_EQ(BuildExtensionList(list, sizeof list), "mp3;mp2;wv;");
  const char single[] = "wav\0Wave\0\0";
  EXPECT_EQ(BuildExtensionList(single, sizeof single), "wav;");
  EXPECT_EQ(BuildExtensionList(nullptr), "");
  const char empty[] = "\0";
  EXPECT_EQ(BuildExtensionList(empty, sizeof empty), "");
}

TEST(BuildExtensionList, NeverReadsPastTheLimit) {
  // A plug-in whose list lacks its terminators: only what fits is taken.
  const char unterminated[4] = {'m', 'p', '3', 'x'};
  EXPECT_EQ(BuildExtensionList(unterminated, sizeof unterminated), "");
  const char noEnd[9] = {'m', 'p', '3', '\0', 'M', 'P', 'E', 'G', 'x'};
  EXPECT_EQ(BuildExtensionList(noEnd, sizeof noEnd), "mp3;");
  const char missingDescription[] = "ogg\0\0mp3\0Mpeg\0\0";
  EXPECT_EQ(BuildExtensionList(missingDescription, sizeof missingDescription), "ogg;");
}

TEST(FindPluginRules, ExtensionOfWholePathAndSubstringMatch) {
  std::string extension;
  ASSERT_TRUE(PathExtension("C:\\Music\\SONG.MP3", extension));
  EXPECT_EQ(extension, "mp3");
  EXPECT_TRUE(ExtensionListClaims("mp3;mp2;", extension));
  ASSERT_TRUE(PathExtension("C:\\a.dir\\noext", extension));  // the last "." may be in a folder
  EXPECT_EQ(extension, "dir\\noext");
  EXPECT_FALSE(PathExtension("C:\\Music\\noext", extension));
  EXPECT_TRUE(ExtensionListClaims("mp3;", "p3"));
  EXPECT_FALSE(ExtensionListClaims("mp3;", "wav"));
}
