// The binary settings archive: round trips, the field layout, the older
// forms a reader accepts, and damaged files.
#include "settings/settings_archive.h"

#include <gtest/gtest.h>

#include <limits>

#include "settings/byte_stream.h"
#include "tests/settings/settings_samples.h"

namespace {

const char kProgramFiles[] = "C:\\Program Files";

SettingsData Defaults() {
  SettingsData s;
  ResetDefaults(s, kProgramFiles);
  return s;
}

// The archive's classic fields alone: the whole archive less the block.
std::string ClassicPart(const SettingsData& s) {
  std::string block;
  ByteWriter w(block);
  WriteSettingsExtension(w, s.extension);
  const std::string bytes = WriteSettingsArchive(s);
  return bytes.substr(0, bytes.size() - block.size());
}

TEST(SettingsArchive, RoundTripRestoresEveryFieldBitForBit) {
  const SettingsData original = RichSettings();
  const std::string bytes = WriteSettingsArchive(original);

  SettingsData loaded;
  loaded.Volume = 999;  // overwritten by the file
  ASSERT_EQ(ReadSettingsArchive(bytes, loaded, kProgramFiles), SettingsLoadStatus::Loaded);
  ExpectSameSettings(loaded, original);
  // Writing what was read gives the same bytes again.
  EXPECT_EQ(WriteSettingsArchive(loaded), bytes);

  // The defaults survive a round trip too (one "Default" preset, no lists).
  const SettingsData defaults = Defaults();
  SettingsData back;
  ASSERT_EQ(ReadSettingsArchive(WriteSettingsArchive(defaults), back, kProgramFiles),
            SettingsLoadStatus::Loaded);
  ExpectSameSettings(back, defaults);
  EXPECT_EQ(back.lastId, 0u);
}

TEST(SettingsArchive, FieldLayoutAndStringPrefixes) {
  SettingsData s = Defaults();
  s.pluginFolders.clear();
  s.controllerPos = {1, 2};
  s.playLists = {PlayList{0, std::string(255, 'n'), {}}};
  std::string bytes = WriteSettingsArchive(s);
  // Mark 00 01 00 01, position, seven integers, folder count, list count,
  // order, then the name with its three-byte prefix.
  EXPECT_EQ(bytes.substr(0, 4), std::string("\x00\x01\x00\x01", 4));
  EXPECT_EQ(bytes[4], 1);
  EXPECT_EQ(bytes[8], 2);
  EXPECT_EQ(bytes.substr(52, 3), std::string("\xFF\xFF\x00", 3));
  EXPECT_EQ(bytes[55], 'n');

  s.playLists[0].name.resize(254);
  const std::string shorter = WriteSettingsArchive(s);
  EXPECT_EQ(static_cast<uint8_t>(shorter[52]), 254);
  EXPECT_EQ(shorter[53], 'n');
  EXPECT_EQ(bytes.size(), shorter.size() + 3);

  // Size of the defaults' classic fields: header 40, folders, no lists, the
  // preset block (12 + 4 + 8 + 4 + 12), hot keys 156, rectangles 96; the
  // extension block follows.
  const SettingsData d = Defaults();
  size_t folders = 4;
  for (const std::string& f : d.pluginFolders) folders += 1 + f.size();
  EXPECT_EQ(ClassicPart(d).size(), 40 + folders + 4 + 40 + 156 + 96);
}

TEST(SettingsArchive, SixteenBitStringsAreRead) {
  SettingsData s = Defaults();
  s.playLists = {PlayList{0, "L", {SoundFile{5, "@@@@", "", 0, 0}}}};
  std::string bytes = WriteSettingsArchive(s);
  const size_t at = bytes.find("\x04@@@@");
  ASSERT_NE(at, std::string::npos);
  // 0xFF 0xFFFE, then 5 characters of two bytes: "C:\" and a non-ANSI one.
  const std::string wide("\xFF\xFE\xFF\x05" "C\0:\0\\\0\xE9\0\x3A\x26", 14);
  bytes.replace(at, 5, wide);
  SettingsData loaded;
  ASSERT_EQ(ReadSettingsArchive(bytes, loaded, kProgramFiles), SettingsLoadStatus::Loaded);
  EXPECT_EQ(loaded.playLists[0].files[0].path, "C:\\\xC3\xA9\xE2\x98\xBA");
}

TEST(SettingsArchive, FirstFieldOtherThanTheMarkKeepsThePosition) {
  const SettingsData original = RichSettings();
  const std::string bytes = WriteSettingsArchive(original);
  std::string old;
  ByteWriter(old).WriteInt32(3);
  old += bytes.substr(12);  // no mark, no position: PlayMode follows

  SettingsData loaded;
  loaded.controllerPos = {33, 44};
  ASSERT_EQ(ReadSettingsArchive(old, loaded, kProgramFiles), SettingsLoadStatus::Loaded);
  EXPECT_EQ(loaded.controllerPos.left, 33);
  EXPECT_EQ(loaded.controllerPos.top, 44);
  SettingsData expected = original;
  expected.controllerPos = {33, 44};
  ExpectSameSettings(loaded, expected);
}

TEST(SettingsArchive, LastIdIsTheLargestFileOrPresetId) {
  SettingsData s = Defaults();
  s.playLists = {PlayList{0, "a", {SoundFile{3, "x", "", 0, 0}, SoundFile{7, "y", "", 0, 0}}},
                 PlayList{0, "b", {SoundFile{5, "z", "", 0, 9}}}};
  EqPreset p9;
  p9.id = 9;
  EqPreset p4;
  p4.id = 4;
  s.presets.push_back(p9);
  s.presets.push_back(p4);
  SettingsData loaded;
  loaded.lastId = 1000;  // recomputed, not kept
  ASSERT_EQ(ReadSettingsArchive(WriteSettingsArchive(s), loaded, kProgramFiles),
            SettingsLoadStatus::Loaded);
  EXPECT_EQ(loaded.lastId, 9u);
  EXPECT_EQ(loaded.NextEntryId(), 10u);

  // Compared unsigned: -1 is the largest id there is.
  s.playLists[1].files[0].id = -1;
  ASSERT_EQ(ReadSettingsArchive(WriteSettingsArchive(s), loaded, kProgramFiles),
            SettingsLoadStatus::Loaded);
  EXPECT_EQ(loaded.lastId, 0xFFFFFFFFu);
}

TEST(SettingsArchive, SecondIdOfAFileEntryIsItsId) {
  SettingsData s = Defaults();
  s.playLists = {PlayList{0, "a", {SoundFile{6, "p", "", 0, 0}}}};
  std::string bytes = WriteSettingsArchive(s);
  std::string key;
  ByteWriter(key).WriteInt32(6);
  const size_t at = bytes.find(key + key);
  ASSERT_NE(at, std::string::npos);
  bytes[at] = 50;  // the first of the pair
  SettingsData loaded;
  ASSERT_EQ(ReadSettingsArchive(bytes, loaded, kProgramFiles), SettingsLoadStatus::Loaded);
  EXPECT_EQ(loaded.playLists[0].files[0].id, 6);
}

void ExpectDamagedGivesDefaults(const std::string& bytes) {
  SettingsData loaded = RichSettings();
  ASSERT_EQ(ReadSettingsArchive(bytes, loaded, kProgramFiles), SettingsLoadStatus::Damaged);
  ExpectSameSettings(loaded, Defaults());
  EXPECT_EQ(loaded.lastId, 0u);
}

TEST(SettingsArchive, TruncatedOrExtendedFilesAreDamaged) {
  SettingsData s = RichSettings();
  for (PlayList& list : s.playLists) {  // keep the loop short
    for (SoundFile& f : list.files) f.path.resize(std::min<size_t>(f.path.size(), 300));
  }
  const std::string classic = ClassicPart(s);
  for (size_t n = 0; n < classic.size(); ++n) {
    SCOPED_TRACE(n);
    ExpectDamagedGivesDefaults(classic.substr(0, n));
    if (HasFatalFailure()) return;
  }
  // After the classic fields only the extension block's mark may follow.
  ExpectDamagedGivesDefaults(classic + '\0');
  ExpectDamagedGivesDefaults(classic + "MLDK.EX");
  ExpectDamagedGivesDefaults(classic + "MLDK.EXX");
}

TEST(SettingsArchive, ExtensionBlockLeavesTheClassicFieldsAsOlderReadersSeeThem) {
  const SettingsData rich = RichSettings();
  SettingsData plain = rich;
  plain.extension = SettingsExtension();
  // With or without new settings, the classic fields are the same bytes, so
  // a reader that stops after the editor layout sees exactly the same.
  const std::string classic = ClassicPart(plain);
  EXPECT_EQ(ClassicPart(rich), classic);
  const std::string full = WriteSettingsArchive(rich);
  ASSERT_EQ(full.compare(classic.size(), kSettingsExtensionMark.size(), kSettingsExtensionMark), 0);

  // The classic part alone (a file of an older version) loads with every
  // new setting at its default.
  SettingsData old;
  ASSERT_EQ(ReadSettingsArchive(classic, old, kProgramFiles), SettingsLoadStatus::Loaded);
  ExpectSameSettings(old, plain);
  EXPECT_TRUE(old.extension.gapless);
  EXPECT_EQ(old.extension.replayGain.mode, ReplayGainMode::kTrack);
  EXPECT_TRUE(old.extension.replayGain.preventClipping);
}

TEST(SettingsArchive, ExtensionRecordsThatDoNotParseKeepTheirDefaults) {
  SettingsData s = Defaults();
  s.extension.unknown = {{"later", "kept"}};
  const std::string classic = ClassicPart(s);
  auto record = [](std::string_view name, const std::string& value) {
    std::string out;
    ByteWriter w(out);
    w.WriteString(name);
    w.WriteUInt32(static_cast<uint32_t>(value.size()));
    w.WriteBytes(value.data(), value.size());
    return out;
  };
  auto ints = [](std::initializer_list<int32_t> values) {
    std::string out;
    ByteWriter w(out);
    for (int32_t v : values) w.WriteInt32(v);
    return out;
  };
  std::string nanLoudness = ints({1, 5});
  ByteWriter(nanLoudness).WriteFloat32(std::numeric_limits<float>::quiet_NaN());
  nanLoudness += ints({0, 1, 0, 0});  // peak, has album, album values
  const std::string block = std::string(kSettingsExtensionMark) +
                            record("gapless", ints({2})) +                  // not 0 or 1
                            record("replaygain", ints({9, 0, 0, 1})) +      // no such mode
                            record("replaygain", ints({2, 1600, 0, 1})) +   // preamp beyond 15 dB
                            record("queue", ints({2, 5})) +                 // one id short
                            record("loudness", nanLoudness) +               // not finite
                            record("jumpwindow", ints({300, 200, 0})) +     // one value too many
                            record("hotkeys+", ints({1, 1, 2, 'J'})) +      // read
                            record("later", "kept");
  SettingsData loaded;
  ASSERT_EQ(ReadSettingsArchive(classic + block, loaded, kProgramFiles), SettingsLoadStatus::Loaded);
  const SettingsExtension defaults;
  EXPECT_EQ(loaded.extension.gapless, defaults.gapless);
  EXPECT_EQ(loaded.extension.replayGain.mode, defaults.replayGain.mode);
  EXPECT_EQ(loaded.extension.replayGain.preampCentiDb, 0);
  EXPECT_TRUE(loaded.extension.queue.empty());
  EXPECT_TRUE(loaded.extension.loudness.empty());
  EXPECT_EQ(loaded.extension.jumpWindowWidth, 0);
  ASSERT_EQ(loaded.extension.extraHotKeys.size(), 1u);
  EXPECT_EQ(loaded.extension.extraHotKeys[0].virtualKey, static_cast<uint32_t>('J'));
  ASSERT_EQ(loaded.extension.unknown.size(), 1u);
  EXPECT_EQ(loaded.extension.unknown[0].value, "kept");

  // A block cut anywhere keeps the classic fields and the records before
  // the cut.
  const std::string full = WriteSettingsArchive(RichSettings());
  const size_t blockStart = ClassicPart(RichSettings()).size() + kSettingsExtensionMark.size();
  for (size_t n = blockStart; n < full.size(); ++n) {
    SettingsData cut;
    ASSERT_EQ(ReadSettingsArchive(full.substr(0, n), cut, kProgramFiles), SettingsLoadStatus::Loaded) << n;
    ASSERT_EQ(cut.playLists.size(), 3u) << n;
    EXPECT_EQ(cut.extension.gapless, n < blockStart + 16) << n;  // the first record, 16 bytes
  }
}

TEST(SettingsArchive, CorruptWordsNeverCrashOrOverAllocate) {
  SettingsData s = RichSettings();
  s.playLists[1].files.resize(1);  // keeps the loop short
  const std::string bytes = WriteSettingsArchive(s);
  const uint32_t words[] = {0xFFFFFFFFu, 0x7FFFFFFFu, 0x80000000u, 0x00FFFFFFu, 0x0000FFFEu};
  int damaged = 0;
  for (size_t at = 0; at + 4 <= bytes.size(); ++at) {
    for (uint32_t w : words) {
      std::string bad = bytes;
      for (int i = 0; i < 4; ++i) bad[at + i] = static_cast<char>(w >> (8 * i));
      SettingsData loaded;
      const SettingsLoadStatus status = ReadSettingsArchive(bad, loaded, kProgramFiles);
      ASSERT_NE(status, SettingsLoadStatus::Missing);
      damaged += status == SettingsLoadStatus::Damaged;
    }
  }
  EXPECT_GT(damaged, 0);

  // A huge count right after the header fails at once.
  std::string huge = bytes.substr(0, 40);
  ByteWriter(huge).WriteInt32(0x7FFFFFFF);
  ExpectDamagedGivesDefaults(huge);
}

}  // namespace
