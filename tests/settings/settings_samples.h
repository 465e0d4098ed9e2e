// Sample settings for the archive tests, and a field-by-field comparison
// (floats by their bits).
#pragma once
#include <gtest/gtest.h>

#include <cstring>
#include <limits>

#include "settings/settings_data.h"

inline uint32_t FloatBits(float f) {
  uint32_t bits;
  std::memcpy(&bits, &f, 4);
  return bits;
}

inline void ExpectSameExtension(const SettingsExtension& a, const SettingsExtension& b) {
  EXPECT_EQ(a.gapless, b.gapless);
  EXPECT_EQ(a.replayGain.mode, b.replayGain.mode);
  EXPECT_EQ(a.replayGain.preampCentiDb, b.replayGain.preampCentiDb);
  EXPECT_EQ(a.replayGain.untaggedGainCentiDb, b.replayGain.untaggedGainCentiDb);
  EXPECT_EQ(a.replayGain.preventClipping, b.replayGain.preventClipping);
  ASSERT_EQ(a.loudness.size(), b.loudness.size());
  for (size_t i = 0; i < a.loudness.size(); ++i) {
    EXPECT_EQ(a.loudness[i].entryId, b.loudness[i].entryId);
    EXPECT_EQ(FloatBits(a.loudness[i].trackLufs), FloatBits(b.loudness[i].trackLufs));
    EXPECT_EQ(FloatBits(a.loudness[i].trackPeak), FloatBits(b.loudness[i].trackPeak));
    EXPECT_EQ(a.loudness[i].hasAlbum, b.loudness[i].hasAlbum);
    EXPECT_EQ(FloatBits(a.loudness[i].albumLufs), FloatBits(b.loudness[i].albumLufs));
    EXPECT_EQ(FloatBits(a.loudness[i].albumPeak), FloatBits(b.loudness[i].albumPeak));
  }
  ASSERT_EQ(a.extraHotKeys.size(), b.extraHotKeys.size());
  for (size_t i = 0; i < a.extraHotKeys.size(); ++i) {
    EXPECT_EQ(a.extraHotKeys[i].enabled, b.extraHotKeys[i].enabled);
    EXPECT_EQ(a.extraHotKeys[i].modifiers, b.extraHotKeys[i].modifiers);
    EXPECT_EQ(a.extraHotKeys[i].virtualKey, b.extraHotKeys[i].virtualKey);
  }
  EXPECT_EQ(a.queue, b.queue);
  EXPECT_EQ(a.jumpWindowWidth, b.jumpWindowWidth);
  EXPECT_EQ(a.jumpWindowHeight, b.jumpWindowHeight);
  ASSERT_EQ(a.unknown.size(), b.unknown.size());
  for (size_t i = 0; i < a.unknown.size(); ++i) {
    EXPECT_EQ(a.unknown[i].name, b.unknown[i].name);
    EXPECT_EQ(a.unknown[i].value, b.unknown[i].value);
  }
}

inline void ExpectSameSettings(const SettingsData& a, const SettingsData& b) {
  EXPECT_EQ(a.controllerPos.left, b.controllerPos.left);
  EXPECT_EQ(a.controllerPos.top, b.controllerPos.top);
  EXPECT_EQ(a.PlayMode, b.PlayMode);
  EXPECT_EQ(a.Repeat, b.Repeat);
  EXPECT_EQ(a.SelFileID, b.SelFileID);
  EXPECT_EQ(a.ControlAlpha, b.ControlAlpha);
  EXPECT_EQ(a.Volume, b.Volume);
  EXPECT_EQ(a.VolumeType, b.VolumeType);
  EXPECT_EQ(a.VolumeStep, b.VolumeStep);
  EXPECT_EQ(a.pluginFolders, b.pluginFolders);
  ASSERT_EQ(a.playLists.size(), b.playLists.size());
  for (size_t l = 0; l < a.playLists.size(); ++l) {
    const PlayList& x = a.playLists[l];
    const PlayList& y = b.playLists[l];
    EXPECT_EQ(x.order, y.order) << l;
    EXPECT_EQ(x.name, y.name) << l;
    ASSERT_EQ(x.files.size(), y.files.size()) << l;
    for (size_t f = 0; f < x.files.size(); ++f) {
      EXPECT_EQ(x.files[f].id, y.files[f].id);
      EXPECT_EQ(x.files[f].path, y.files[f].path);
      EXPECT_EQ(x.files[f].title, y.files[f].title);
      EXPECT_EQ(x.files[f].volume, y.files[f].volume);
      EXPECT_EQ(x.files[f].presetId, y.files[f].presetId);
    }
  }
  EXPECT_EQ(a.presetCapacity, b.presetCapacity);
  EXPECT_EQ(a.presetGrowth, b.presetGrowth);
  ASSERT_EQ(a.presets.size(), b.presets.size());
  for (size_t p = 0; p < a.presets.size(); ++p) {
    const EqPreset& x = a.presets[p];
    const EqPreset& y = b.presets[p];
    EXPECT_EQ(x.id, y.id);
    EXPECT_EQ(x.name, y.name);
    EXPECT_EQ(x.type, y.type);
    EXPECT_EQ(x.pointCapacity, y.pointCapacity);
    EXPECT_EQ(x.pointGrowth, y.pointGrowth);
    ASSERT_EQ(x.points.size(), y.points.size());
    for (size_t i = 0; i < x.points.size(); ++i) {
      EXPECT_EQ(FloatBits(x.points[i].key), FloatBits(y.points[i].key));
      EXPECT_EQ(FloatBits(x.points[i].x), FloatBits(y.points[i].x));
      EXPECT_EQ(FloatBits(x.points[i].y), FloatBits(y.points[i].y));
    }
  }
  for (int k = 0; k < kClassicHotKeyCount; ++k) {
    EXPECT_EQ(a.hotKeys[k].enabled, b.hotKeys[k].enabled) << k;
    EXPECT_EQ(a.hotKeys[k].modifiers, b.hotKeys[k].modifiers) << k;
    EXPECT_EQ(a.hotKeys[k].virtualKey, b.hotKeys[k].virtualKey) << k;
  }
  EXPECT_EQ(a.playListRects, b.playListRects);
  ExpectSameExtension(a.extension, b.extension);
}

// Every field away from its default, with the awkward cases: empty lists,
// empty names and titles, strings of 254, 255 and 65534 characters, odd
// float bits, an id that is negative as a signed number.
inline SettingsData RichSettings() {
  SettingsData s;
  ResetDefaults(s, "C:\\Program Files");
  s.controllerPos = {-120, 2400};
  s.PlayMode = 3;
  s.Repeat = 1;
  s.SelFileID = 7;
  s.ControlAlpha = 128;
  s.Volume = -42;
  s.VolumeType = 1;
  s.VolumeStep = 5;
  s.pluginFolders = {"", std::string(254, 'p'), std::string(255, 'q'), "C:\\Winamp\\plugins"};

  PlayList empty;  // no name, no files
  empty.order = -1;
  PlayList music;
  music.order = 2;
  music.name = std::string(255, 'n');
  music.files.push_back({1, "C:\\Music\\a b.mp3", "", 0, 0});
  music.files.push_back({7, std::string(65534, 'x'), "Title \xC3\xA9", -100, 9});
  music.files.push_back({3, std::string(254, 'y'), std::string(255, 't'), 100, 2});
  s.playLists = {empty, music, PlayList{0, "third", {}}};

  EqPreset bass;
  bass.id = 9;
  bass.name = "Bass";
  bass.type = 5;
  bass.points = {{4.644f, 4.644f, 2.0f}, {185.76f, 185.76f, 1.0f}};
  EqPreset odd;
  odd.id = 2;
  odd.name = std::string(255, 'o');
  odd.type = 1;
  odd.pointCapacity = 512;
  odd.pointGrowth = 256;
  const float nan = std::numeric_limits<float>::quiet_NaN();
  odd.points = {{-0.0f, std::numeric_limits<float>::denorm_min(), nan},
                {std::numeric_limits<float>::infinity(), 1e-30f, -3.5f}};
  s.presets.push_back(bass);
  s.presets.push_back(odd);

  s.hotKeys[0] = {0, 15, 65};
  s.hotKeys[12] = {1, 0, 226};
  int32_t v = -7;
  for (SettingsRect& rect : s.playListRects) {
    for (int32_t& side : rect) side = v++ * 37;
  }

  SettingsExtension& e = s.extension;
  e.gapless = false;
  e.replayGain = {ReplayGainMode::kByPlayOrder, -1500, 725, false};
  e.loudness = {{7, -14.25f, 0.98f, true, -13.5f, 1.02f}, {-3, -40.0f, 0.001f, false, 0, 0}};
  e.extraHotKeys = {{1, 10, 'J'}, {0, 0, 0}};
  e.queue = {3, 7, 3};
  e.jumpWindowWidth = 640;
  e.jumpWindowHeight = 300;
  e.unknown = {{"from a newer version", std::string("\0\xFFz", 3)}, {"", ""}};
  return s;
}
