// Reader and writer of the preset block of the settings archive.
#include "settings/eq_preset_block.h"

#include <cstdint>
#include <utility>

#include "eq/eq_presets.h"
#include "settings/byte_stream.h"

namespace {

constexpr size_t kMinPresetBytes = 4 + 1 + 4 + 3 * 4;  // id, empty name, type, counts
constexpr size_t kPointBytes = 3 * 4;

bool ReadPreset(ByteReader& r, EqPreset& preset) {
  int32_t pointCount = 0;
  if (!(r.ReadInt32(preset.id) && r.ReadString(preset.name) && r.ReadInt32(preset.type) &&
        r.ReadCount(pointCount, kPointBytes) && r.ReadInt32(preset.pointCapacity) &&
        r.ReadInt32(preset.pointGrowth))) {
    return false;
  }
  // Re-check now that the two hints are consumed.
  if (static_cast<uint64_t>(pointCount) > r.Remaining() / kPointBytes) {
    r.Fail();
    return false;
  }
  preset.points.resize(static_cast<size_t>(pointCount));
  for (EqPoint& point : preset.points) {
    if (!(r.ReadFloat32(point.key) && r.ReadFloat32(point.x) && r.ReadFloat32(point.y))) {
      return false;
    }
  }
  return true;
}

}  // namespace

void WritePresetBlock(ByteWriter& w, const std::vector<EqPreset>& presets, int32_t capacity,
                      int32_t growth) {
  w.WriteInt32(static_cast<int32_t>(presets.size()));
  w.WriteInt32(StorageCapacityFor(capacity, growth, presets.size()));
  w.WriteInt32(growth);
  for (const EqPreset& preset : presets) {
    w.WriteInt32(preset.id);
    w.WriteString(preset.name);
    w.WriteInt32(preset.type);
    w.WriteInt32(static_cast<int32_t>(preset.points.size()));
    w.WriteInt32(StorageCapacityFor(preset.pointCapacity, preset.pointGrowth, preset.points.size()));
    w.WriteInt32(preset.pointGrowth);
    for (const EqPoint& point : preset.points) {
      w.WriteFloat32(point.key);
      w.WriteFloat32(point.x);
      w.WriteFloat32(point.y);
    }
  }
}

bool ReadPresetBlock(ByteReader& r, std::vector<EqPreset>& presets, int32_t& capacity,
                     int32_t& growth) {
  int32_t count = 0;
  int32_t storedCapacity = 0;
  int32_t storedGrowth = 0;
  if (!(r.ReadCount(count, kMinPresetBytes) && r.ReadInt32(storedCapacity) &&
        r.ReadInt32(storedGrowth))) {
    return false;
  }
  if (static_cast<uint64_t>(count) > r.Remaining() / kMinPresetBytes) {
    r.Fail();
    return false;
  }
  std::vector<EqPreset> loaded(static_cast<size_t>(count));
  for (EqPreset& preset : loaded) {
    if (!ReadPreset(r, preset)) return false;
  }
  presets = std::move(loaded);
  capacity = storedCapacity;
  growth = storedGrowth;
  return true;
}
