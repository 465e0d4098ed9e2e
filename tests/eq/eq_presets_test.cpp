// Equalizer types and the preset list.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "eq/eq_presets.h"
#include "playlist/sound_file.h"

namespace {

std::vector<std::pair<float, float>> PointsOf(const EqPreset& preset) {
  std::vector<std::pair<float, float>> points;
  for (const EqPoint& p : preset.points) points.emplace_back(p.x, p.y);
  return points;
}

TEST(EqTypes, NamesBandsAndBinPositions) {
  const char* names[] = {"NoEQ", "ParaEQ", "GraEQ 3/2 oct", "GraEQ 1 oct", "GraEQ 2/3 oct",
                         "GraEQ 1/3 oct"};
  const int32_t counts[] = {0, 3, 7, 10, 15, 30};
  for (int32_t t = 0; t < kEqTypeCount; ++t) {
    const EqTypeInfo* info = FindEqType(t);
    ASSERT_NE(info, nullptr);
    EXPECT_STREQ(info->displayName, names[t]);
    EXPECT_EQ(info->centreCount, counts[t]);
    for (int32_t i = 1; i < info->centreCount; ++i) EXPECT_LT(info->centres[i - 1], info->centres[i]);
  }
  EXPECT_EQ(FindEqType(-1), nullptr);
  EXPECT_EQ(FindEqType(6), nullptr);
  EXPECT_EQ(FindEqType(EqTypeOctave)->centres[0], 31.5);
  EXPECT_NEAR(HertzToBin(25), 4.644, 0.0005);
  EXPECT_NEAR(HertzToBin(1000), 185.760, 0.0005);
  EXPECT_NEAR(HertzToBin(20000), 3715.193, 0.0005);
  EXPECT_EQ(HertzToBin(1000), static_cast<float>(1000 * (8192.0 / 44100.0)));
}

TEST(EqPresetList, StartsWithDefaultAndAddsFreshPresets) {
  EqPresetList list;
  ASSERT_EQ(list.Count(), 1u);
  const EqPreset def = *list.PresetAt(0);
  EXPECT_EQ(def.id, 0);
  EXPECT_EQ(def.name, "Default");
  EXPECT_EQ(def.type, EqTypeNone);
  EXPECT_TRUE(def.points.empty());
  EqualizerCurve curve;
  curve.x = {5.0f};
  curve.y = {1.0f};
  EXPECT_TRUE(list.BuildEqualizerCurve(0, curve));
  EXPECT_EQ(curve.Count(), 0);  // "Default" switches the equalizer off

  int32_t counter = 0;
  const int32_t id = list.AddNewPreset([&] { return ++counter; });
  EXPECT_EQ(id, 1);
  EXPECT_EQ(list.FindPresetIndex(id), 1);
  const EqPreset fresh = *list.FindPreset(id);
  EXPECT_EQ(fresh.name, "new");
  EXPECT_EQ(fresh.type, EqTypeParametric);
  ASSERT_EQ(fresh.points.size(), 2u);
  EXPECT_EQ(fresh.points[0].x, 4.6439900f);
  EXPECT_EQ(fresh.points[0].key, 4.6439900f);
  EXPECT_EQ(fresh.points[1].x, 3715.1899f);
  EXPECT_EQ(fresh.points[1].y, 1.0f);

  ASSERT_TRUE(list.BuildEqualizerCurve(id, curve));
  EXPECT_EQ(curve.x, (std::vector<float>{4.6439900f, 3715.1899f}));
  EXPECT_EQ(curve.y, (std::vector<float>{1.0f, 1.0f}));
  // Unknown ids leave the curve alone.
  EXPECT_FALSE(list.BuildEqualizerCurve(77, curve));
  EXPECT_EQ(curve.Count(), 2);
  EXPECT_EQ(list.FindPresetIndex(77), -1);
  EXPECT_FALSE(list.SetPresetName(77, "x"));
  EXPECT_TRUE(list.SetPresetName(id, "Bass"));
  EXPECT_EQ(list.FindPreset(id)->name, "Bass");
  EXPECT_EQ(list.MaxPresetId(), 1);
}

TEST(EqPresetList, TypeChangesStartOverWithFlatBands) {
  EqPresetList list;
  int32_t counter = 10;
  const int32_t id = list.AddNewPreset([&] { return ++counter; });
  ASSERT_TRUE(list.SetPresetType(id, EqTypeOctave));
  EqPreset octave = *list.FindPreset(id);
  ASSERT_EQ(octave.points.size(), 10u);
  EXPECT_EQ(octave.points[5].x, HertzToBin(1000));
  auto points = PointsOf(octave);
  for (auto& p : points) p.second = 1.7f;
  ASSERT_TRUE(list.ReplacePresetPoints(id, points));
  EXPECT_EQ(list.FindPreset(id)->points[3].y, 1.7f);
  EXPECT_EQ(list.FindPreset(id)->points[3].key, list.FindPreset(id)->points[3].x);

  // The same type again: every gain back to 1.0.
  ASSERT_TRUE(list.SetPresetType(id, EqTypeOctave));
  const EqPreset again = *list.FindPreset(id);
  for (const EqPoint& p : again.points) EXPECT_EQ(p.y, 1.0f);
  ASSERT_TRUE(list.SetPresetType(id, EqTypeNone));
  EXPECT_TRUE(list.FindPreset(id)->points.empty());
  ASSERT_TRUE(list.SetPresetType(id, EqTypeThirdOctave));
  EXPECT_EQ(list.FindPreset(id)->points.size(), 30u);
  EXPECT_FALSE(list.SetPresetType(id, 6));
  EXPECT_FALSE(list.SetPresetType(99, EqTypeOctave));
  EXPECT_EQ(list.FindPreset(id)->type, EqTypeThirdOctave);
}

TEST(EqPresetList, DeletingResetsEveryFileThatUsedThePreset) {
  EqPresetList list;
  int32_t counter = 0;
  const int32_t a = list.AddNewPreset([&] { return ++counter; });
  const int32_t b = list.AddNewPreset([&] { return ++counter; });
  std::vector<PlayList> lists(2);
  for (int32_t i = 0; i < 6; ++i) {
    SoundFile file;
    file.id = 100 + i;
    file.presetId = (i % 3 == 0) ? a : (i % 3 == 1 ? b : 0);
    lists[i % 2].files.push_back(file);
  }
  int calls = 0;
  const auto resetPresetId = [&](int32_t id) {
    ++calls;
    for (PlayList& l : lists) {
      for (SoundFile& f : l.files) {
        if (f.presetId == id) f.presetId = 0;
      }
    }
  };
  EXPECT_EQ(list.DeletePreset(a, resetPresetId), 1);
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(list.FindPresetIndex(a), -1);
  EXPECT_EQ(list.FindPresetIndex(b), 1);
  for (const PlayList& l : lists) {
    for (const SoundFile& f : l.files) EXPECT_NE(f.presetId, a);
  }
  EXPECT_EQ(lists[0].files[2].presetId, b);

  // A list holding the same id twice (a damaged file) loses both.
  std::vector<EqPreset> twice = list.Presets();
  twice.push_back(twice[1]);
  list.ReplaceAll(twice, 256, 256);
  EXPECT_EQ(list.DeletePreset(b, resetPresetId), 2);
  EXPECT_EQ(list.Count(), 1u);
}

TEST(EqPresetList, CapacityHintsGrowByWholeSteps) {
  EXPECT_EQ(StorageCapacityFor(256, 256, 0), 256);
  EXPECT_EQ(StorageCapacityFor(256, 256, 256), 256);
  EXPECT_EQ(StorageCapacityFor(256, 256, 257), 512);
  EXPECT_EQ(StorageCapacityFor(256, 256, 1000), 1024);
  EXPECT_EQ(StorageCapacityFor(10, 0, 11), 266);  // no usable step: 256
  EXPECT_EQ(StorageCapacityFor(-3, 100, 50), 100);
  EXPECT_EQ(StorageCapacityFor(256, 0x40000000, size_t{0x7fffffff}), 0x7fffffff);
}

}  // namespace
