// Import of the older text settings file.
#include "settings/text_settings.h"

#include <gtest/gtest.h>

namespace {

const char kProgramFiles[] = "C:\\Program Files";

SettingsData Import(const std::string& text) {
  SettingsData settings;
  ImportTextSettings(text, settings, kProgramFiles);
  return settings;
}

TEST(TextSettings, FileLinesOfEachVersion) {
  // Version 0: ids from the counter, path without its leading white space.
  SettingsData v0 = Import("PlayList=\n[Mine]\n\tC:\\x.mp3\n\t  C:\\y z.mp3\n");
  ASSERT_EQ(v0.playLists.size(), 1u);
  EXPECT_EQ(v0.playLists[0].name, "Mine");
  ASSERT_EQ(v0.playLists[0].files.size(), 2u);
  EXPECT_EQ(v0.playLists[0].files[0].id, 1);
  EXPECT_EQ(v0.playLists[0].files[0].path, "C:\\x.mp3");
  EXPECT_EQ(v0.playLists[0].files[1].id, 2);
  EXPECT_EQ(v0.playLists[0].files[1].path, "C:\\y z.mp3");
  EXPECT_EQ(v0.lastId, 2u);

  // Version 1: id, volume, path (inner space kept); presetId 0.
  SettingsData v1 = Import("Version=1\r\nPlayList=\r\n[A]\r\n\t12,-5,C:\\Music\\a b.mp3\r\n");
  ASSERT_EQ(v1.playLists.size(), 1u);
  ASSERT_EQ(v1.playLists[0].files.size(), 1u);
  const SoundFile& f1 = v1.playLists[0].files[0];
  EXPECT_EQ(f1.id, 12);
  EXPECT_EQ(f1.volume, -5);
  EXPECT_EQ(f1.path, "C:\\Music\\a b.mp3");
  EXPECT_EQ(f1.presetId, 0);
  EXPECT_TRUE(f1.title.empty());
  EXPECT_EQ(v1.lastId, 12u);

  // Version 2: id, volume, presetId, path; lastId compares unsigned.
  SettingsData v2 = Import(
      "Version=2\nPlayList=\n[A]\n\t3,10,4,C:\\Music\\a b.mp3\n\t-1,0,0,D:\\n.ogg\n[B]\n[C]\n\t5,0,0,E:\\e.mp3");
  ASSERT_EQ(v2.playLists.size(), 3u);
  ASSERT_EQ(v2.playLists[0].files.size(), 2u);
  EXPECT_EQ(v2.playLists[0].files[0].presetId, 4);
  EXPECT_EQ(v2.playLists[0].files[0].volume, 10);
  EXPECT_EQ(v2.playLists[0].files[0].path, "C:\\Music\\a b.mp3");
  EXPECT_EQ(v2.playLists[0].files[1].id, -1);
  EXPECT_TRUE(v2.playLists[1].files.empty());
  EXPECT_EQ(v2.playLists[2].files[0].path, "E:\\e.mp3");
  EXPECT_EQ(v2.lastId, 0xFFFFFFFFu);
}

TEST(TextSettings, PlayListBlockScanRules) {
  // Lines that are not headers are passed over, other keys do not stop the
  // scan, and the line that ends a list is looked at as a header again.
  SettingsData s = Import(
      "Version=1\nPlayList=\nnoise\n\t1,0,orphan\n[A]\n\t1,0,a\n[B]\n\t2,0,b\n\nVolume=50\n[C]\n\t3,0,c\n[\n");
  ASSERT_EQ(s.playLists.size(), 3u);
  EXPECT_EQ(s.playLists[0].name, "A");
  EXPECT_EQ(s.playLists[1].name, "B");
  EXPECT_EQ(s.playLists[2].name, "C");
  EXPECT_EQ(s.playLists[2].files[0].path, "c");
  EXPECT_EQ(s.Volume, 50);

  // Without "PlayList=" there are no lists.
  EXPECT_TRUE(Import("Volume=5\n[A]\n\t1,0,a\n").playLists.empty());
}

TEST(TextSettings, LegacyCodePageTextBecomesProgramText) {
  // Older programs wrote the file in their ANSI code page (Western here).
  SettingsData s = Import("Version=2\nPlayList=\n[Caf\xE9]\n\t3,0,0,C:\\\xC9t\xE9\\a.mp3\n"
                          "\t4,0,0,C:\\plain.mp3\nPluginPath=\n\tC:\\Fran\xE7" "ais\n");
  ASSERT_EQ(s.playLists.size(), 1u);
  EXPECT_EQ(s.playLists[0].name, "Caf\xC3\xA9");
  EXPECT_EQ(s.playLists[0].files[0].path, "C:\\\xC3\x89t\xC3\xA9\\a.mp3");
  EXPECT_EQ(s.playLists[0].files[1].path, "C:\\plain.mp3");
  EXPECT_EQ(s.pluginFolders, (std::vector<std::string>{"C:\\Fran\xC3\xA7" "ais"}));
  // Version 0 lists hold bare paths.
  EXPECT_EQ(Import("PlayList=\n[x]\n\t\xFC.mp3\n").playLists[0].files[0].path, "\xC3\xBC.mp3");
}

TEST(TextSettings, PluginFoldersAndHotKeys) {
  SettingsData none = Import("PluginPath=\nVolume=3\n");
  EXPECT_TRUE(none.pluginFolders.empty());

  SettingsData some = Import("PluginPath=\n\tC:\\a\n\t d\n\nx\n\tC:\\not\n");
  EXPECT_EQ(some.pluginFolders, (std::vector<std::string>{"C:\\a", "d"}));

  SettingsData missing = Import("Volume=3\n");
  EXPECT_EQ(missing.pluginFolders,
            (std::vector<std::string>{".", "Plugins", "C:\\Program Files\\Winamp\\plugins"}));

  // Three lines only: the rest keep their defaults; line 2 matches in part.
  SettingsData keys = Import("HotKey=\n\t0,4,65\n\t1,6,66\n\t1,+1,5");
  EXPECT_EQ(keys.hotKeys[0].enabled, 0);
  EXPECT_EQ(keys.hotKeys[0].modifiers, 4u);
  EXPECT_EQ(keys.hotKeys[0].virtualKey, 65u);
  EXPECT_EQ(keys.hotKeys[1].virtualKey, 66u);
  EXPECT_EQ(keys.hotKeys[2].modifiers, 1u);
  EXPECT_EQ(keys.hotKeys[2].virtualKey, 67u);  // default kept after the mismatch
  EXPECT_EQ(keys.hotKeys[3].virtualKey, 90u);
}

TEST(TextSettings, SingleValuesAndRects) {
  SettingsData s = Import(
      "SelFileID=17\nRepeat=1\nPlayMode= -3\nControlAlpha=abc\nVolume=-12\nVolumeType=1\n"
      "VolumeStep=5x\nPlayListRects3=1,2,3,4,5,6,7,8\n");
  EXPECT_EQ(s.SelFileID, 17);
  EXPECT_EQ(s.Repeat, 1);
  EXPECT_EQ(s.PlayMode, -3);
  EXPECT_EQ(s.ControlAlpha, 0);
  EXPECT_EQ(s.Volume, -12);
  EXPECT_EQ(s.VolumeType, 1);
  EXPECT_EQ(s.VolumeStep, 5);
  EXPECT_EQ(s.playListRects[0], (SettingsRect{1, 2, 3, 4}));
  EXPECT_EQ(s.playListRects[1], (SettingsRect{5, 6, 7, 8}));
  EXPECT_EQ(s.playListRects[2], (SettingsRect{0, 0, 0, 0}));

  // The value is read at the key's length from the start of its line.
  SettingsData shifted = Import("  Volume=77\n");
  EXPECT_EQ(shifted.Volume, 0);  // reads "=77"

  // Missing keys keep the fields as they were.
  SettingsData kept;
  kept.Volume = 150;
  kept.PlayMode = 4;
  ImportTextSettings("", kept, "");
  EXPECT_EQ(kept.Volume, 150);
  EXPECT_EQ(kept.PlayMode, 4);
  ASSERT_EQ(kept.presets.size(), 1u);
  EXPECT_EQ(kept.presets[0].name, "Default");
  EXPECT_EQ(kept.pluginFolders.back(), "\\Winamp\\plugins");
}

TEST(TextSettings, LinesSplitAtLineFeedsAndNul) {
  const std::string text("a\r\nb\rc\n\nd\0e\nf\r", 15);
  const auto lines = SplitTextLines(text);
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(lines[0], "a");
  EXPECT_EQ(lines[1], "b\rc");
  EXPECT_EQ(lines[2], "");
  EXPECT_EQ(lines[3], "d");
  EXPECT_EQ(lines[4], "f\r");
}

}  // namespace
