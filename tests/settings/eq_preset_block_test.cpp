// The stored preset block of the settings archive.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "eq/eq_presets.h"
#include "settings/byte_stream.h"
#include "settings/eq_preset_block.h"

namespace {

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

}  // namespace
