// Reading the archive from disk: a missing file, a written one, a damaged one.
#include "settings/settings_file.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

#include "tests/settings/settings_samples.h"

namespace {

std::string TempPath(const char* name) {
  return ::testing::TempDir() + name;
}

void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

TEST(SettingsFile, MissingWrittenAndDamagedFiles) {
  const std::string path = TempPath("melodek_settings_test.mlcfg");
  std::remove(path.c_str());

  SettingsData settings;
  settings.pluginFolders.clear();
  settings.presets.clear();
  EXPECT_EQ(LoadSettingsFile(path, settings, "C:\\PF"), SettingsLoadStatus::Missing);
  // The reset part of the defaults is in force for the text import or none.
  EXPECT_EQ(settings.pluginFolders.size(), 3u);
  EXPECT_EQ(settings.pluginFolders[2], "C:\\PF\\Winamp\\plugins");
  ASSERT_EQ(settings.presets.size(), 1u);

  const SettingsData rich = RichSettings();
  WriteFile(path, WriteSettingsArchive(rich));
  SettingsData loaded;
  ASSERT_EQ(LoadSettingsFile(path, loaded, "C:\\PF"), SettingsLoadStatus::Loaded);
  ExpectSameSettings(loaded, rich);

  std::string bytes = WriteSettingsArchive(rich);
  bytes.resize(bytes.size() / 2);
  WriteFile(path, bytes);
  ASSERT_EQ(LoadSettingsFile(path, loaded, "C:\\PF"), SettingsLoadStatus::Damaged);
  EXPECT_TRUE(loaded.playLists.empty());
  EXPECT_EQ(loaded.Volume, 100);

  std::string small;
  EXPECT_EQ(ReadWholeFile(path, small, 16), FileReadResult::TooLarge);
  EXPECT_TRUE(small.empty());
  std::remove(path.c_str());
}

}  // namespace
