// Equalizer types, the preset list and the stored preset block.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "eq/eq_preset_block.h"
#include "eq/eq_presets.h"
#include "playlist/sound_file.h"
#include "settings/byte_stream.h"

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

// A list that exercises the encodings: long names (the 0xFF length form),
// grown capacities, NaN payloads and negative zero.
std::vector<EqPreset> SamplePresets(int32_t& capacity) {
  EqPresetList list;
  int32_t counter = 0;
  for (int i = 0; i < 300; ++i) list.AddNewPreset([&] { return ++counter; });
  list.SetPresetType(5, EqTypeThirdOctave);
  list.SetPresetName(6, std::string(300, 'n'));
  std::vector<std::pair<float, float>> many;
  for (int i = 0; i < 300; ++i) many.emplace_back(4.0f + i, 0.5f + i / 1000.0f);
  uint32_t nanBits = 0x7fc01234u;
  float nan;
  std::memcpy(&nan, &nanBits, sizeof nan);
  many[7].second = nan;
  many[8].second = -0.0f;
  list.ReplacePresetPoints(7, many);
  capacity = list.Capacity();
  return list.Presets();
}

std::vector<uint8_t> Encode(const std::vector<EqPreset>& presets, int32_t capacity) {
  std::vector<uint8_t> bytes;
  ByteWriter w(bytes);
  WritePresetBlock(w, presets, capacity, 256);
  return bytes;
}

TEST(EqPresetBlock, RoundTripsBitForBit) {
  int32_t capacity = 0;
  const std::vector<EqPreset> presets = SamplePresets(capacity);
  EXPECT_EQ(capacity, 512);  // 301 presets: grown by one step
  EXPECT_EQ(presets[7].pointCapacity, 512);
  const std::vector<uint8_t> bytes = Encode(presets, capacity);

  ByteReader r(bytes);
  std::vector<EqPreset> back;
  int32_t readCapacity = 0, readGrowth = 0;
  ASSERT_TRUE(ReadPresetBlock(r, back, readCapacity, readGrowth));
  EXPECT_TRUE(r.AtEnd());
  EXPECT_EQ(readCapacity, 512);
  EXPECT_EQ(readGrowth, 256);
  ASSERT_EQ(back.size(), presets.size());
  for (size_t i = 0; i < back.size(); ++i) {
    EXPECT_EQ(back[i].id, presets[i].id);
    EXPECT_EQ(back[i].name, presets[i].name);
    EXPECT_EQ(back[i].type, presets[i].type);
    EXPECT_EQ(back[i].pointCapacity, presets[i].pointCapacity);
    ASSERT_EQ(back[i].points.size(), presets[i].points.size());
    if (!back[i].points.empty()) {
      EXPECT_EQ(std::memcmp(back[i].points.data(), presets[i].points.data(),
                            back[i].points.size() * sizeof(EqPoint)), 0);
    }
  }
  EXPECT_EQ(Encode(back, readCapacity), bytes);

  // Loading replaces the list; the next new preset does not repeat an id.
  EqPresetList list;
  list.ReplaceAll(back, readCapacity, readGrowth);
  int32_t counter = list.MaxPresetId();
  const int32_t fresh = list.AddNewPreset([&] { return ++counter; });
  EXPECT_EQ(list.FindPresetIndex(fresh), static_cast<int32_t>(back.size()));
  EXPECT_EQ(fresh, 301);
}

TEST(EqPresetBlock, RefusesTruncatedAndDamagedBlocks) {
  EqPresetList small;
  int32_t counter = 0;
  small.SetPresetType(small.AddNewPreset([&] { return ++counter; }), EqTypeOctave);
  const std::vector<uint8_t> bytes = Encode(small.Presets(), 256);
  const std::vector<EqPreset> untouched(1);

  for (size_t cut = 0; cut < bytes.size(); ++cut) {
    ByteReader r(bytes.data(), cut);
    std::vector<EqPreset> out = untouched;
    int32_t capacity = -5, growth = -6;
    ASSERT_FALSE(ReadPresetBlock(r, out, capacity, growth)) << cut;
    EXPECT_TRUE(r.Failed());
    EXPECT_EQ(out.size(), 1u);
    EXPECT_EQ(capacity, -5);
    EXPECT_EQ(growth, -6);
  }

  // Counts far beyond what the bytes could hold fail before any reservation.
  for (size_t at : {size_t{0}, size_t{4 * 3 + 4 + 1 + 7 + 4}}) {
    std::vector<uint8_t> damaged = bytes;
    const int32_t huge = 0x7fffffff;
    std::memcpy(damaged.data() + at, &huge, 4);
    ByteReader r(damaged);
    std::vector<EqPreset> out;
    int32_t capacity = 0, growth = 0;
    EXPECT_FALSE(ReadPresetBlock(r, out, capacity, growth)) << at;
    const int32_t negative = -1;
    std::memcpy(damaged.data() + at, &negative, 4);
    ByteReader r2(damaged);
    EXPECT_FALSE(ReadPresetBlock(r2, out, capacity, growth)) << at;
  }

  // Random bytes: never a crash, and a success consumes only what it read.
  std::mt19937 rng(3);
  for (int round = 0; round < 2000; ++round) {
    std::vector<uint8_t> garbage(rng() % 200);
    for (uint8_t& b : garbage) b = static_cast<uint8_t>(rng() % 4 == 0 ? rng() : rng() % 3);
    ByteReader r(garbage);
    std::vector<EqPreset> out;
    int32_t capacity = 0, growth = 0;
    if (ReadPresetBlock(r, out, capacity, growth)) {
      EXPECT_LE(r.Position(), garbage.size());
    }
  }
}

TEST(EqPresetBlock, CapacityHintsGrowByWholeSteps) {
  EXPECT_EQ(StorageCapacityFor(256, 256, 0), 256);
  EXPECT_EQ(StorageCapacityFor(256, 256, 256), 256);
  EXPECT_EQ(StorageCapacityFor(256, 256, 257), 512);
  EXPECT_EQ(StorageCapacityFor(256, 256, 1000), 1024);
  EXPECT_EQ(StorageCapacityFor(10, 0, 11), 266);  // no usable step: 256
  EXPECT_EQ(StorageCapacityFor(-3, 100, 50), 100);
  EXPECT_EQ(StorageCapacityFor(256, 0x40000000, size_t{0x7fffffff}), 0x7fffffff);
}

}  // namespace
