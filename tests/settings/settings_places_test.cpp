// Where the settings file lives: the home place, the user folder's file
// names and which archive is read when both places hold one.
#include "settings/settings_places.h"

#include <gtest/gtest.h>

namespace {
constexpr SettingsPlace kProgram = SettingsPlace::ProgramFolder;
constexpr SettingsPlace kUser = SettingsPlace::UserFolder;

TEST(SettingsPlaces, HomeIsBesideTheProgramWhenItHasSettingsOrCanWrite) {
  struct Case {
    bool hasSettings, allUsers, writable;
    SettingsPlace home;
  };
  const Case cases[] = {
      {false, false, true, kProgram},  // a portable copy's (or a per-user install's) first start
      {true, false, true, kProgram},   // a portable copy
      {true, false, false, kProgram},  // a read-only folder that holds its settings: read and try them there
      {false, false, false, kUser},    // a folder the user cannot write
      {false, true, false, kUser},     // installed for all users, run as a user
      {false, true, true, kUser},      // the same, run with administrator rights
      {true, true, true, kProgram},    // settings someone put beside it count first
  };
  for (const Case& c : cases) {
    EXPECT_EQ(HomeSettingsPlace(c.hasSettings, c.allUsers, c.writable), c.home)
        << c.hasSettings << c.allUsers << c.writable;
  }
}

TEST(SettingsPlaces, UserFolderNamesKeepInstalledAndPortableCopiesApart) {
  EXPECT_EQ(UserFolderBaseName(kUser, "melodek", "C:\\Program Files\\Melodek"), "melodek");
  const std::string portable = UserFolderBaseName(kProgram, "melodek", "D:\\Tools\\Melodek");
  ASSERT_EQ(portable.size(), std::string("melodek-12345678").size());
  EXPECT_EQ(portable.compare(0, 8, "melodek-"), 0);
  EXPECT_EQ(portable.find_first_not_of("0123456789abcdef", 8), std::string::npos);
  // The same folder in another letter case is the same copy; another folder is not.
  EXPECT_EQ(UserFolderBaseName(kProgram, "melodek", "d:\\TOOLS\\melodek"), portable);
  EXPECT_NE(UserFolderBaseName(kProgram, "melodek", "D:\\Tools\\Melodek2"), portable);
  // FNV-1a of the empty path: the offset basis.
  EXPECT_EQ(UserFolderBaseName(kProgram, "m", ""), "m-811c9dc5");
}

TEST(SettingsPlaces, TheNewerArchiveIsReadSoAFallbackSaveIsFound) {
  struct Case {
    SettingsPlace home;
    std::optional<uint64_t> homeWritten, otherWritten;
    SettingsPlace read;
  };
  const Case cases[] = {
      {kProgram, std::nullopt, std::nullopt, kProgram},  // nothing yet: the home (and its text file)
      {kProgram, 100, std::nullopt, kProgram},
      {kProgram, std::nullopt, 100, kUser},               // only the fallback was ever written
      {kProgram, 100, 200, kUser},                        // the last save went to the fallback
      {kProgram, 200, 100, kProgram},                     // the home was written again since
      {kProgram, 100, 100, kProgram},                     // a tie stays at home
      {kUser, 100, 200, kProgram},
      {kUser, 200, 100, kUser},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(PlaceToRead(c.home, c.homeWritten, c.otherWritten), c.read)
        << static_cast<int>(c.home) << " " << c.homeWritten.value_or(0) << " " << c.otherWritten.value_or(0);
  }
}
}  // namespace
