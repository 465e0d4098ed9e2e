// The stored form of the equalizer presets, one block of the settings archive:
// little-endian int32 and float32 fields, names as counted strings.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "eq/eq_preset.h"

class ByteReader;
class ByteWriter;

// Block layout:
//   preset count, array capacity, growth step           (int32 x 3)
//   per preset: id (int32), name (counted string), type (int32),
//               point count, point capacity, growth step (int32 x 3),
//               per point: key, x, y                     (float32 x 3)
// Capacity and growth are storage hints (256 and 256 unless a list grew).
void WritePresetBlock(ByteWriter& w, const std::vector<EqPreset>& presets, int32_t capacity,
                      int32_t growth);

// Reads a block written by WritePresetBlock. Counts are checked against the
// bytes that remain before anything is reserved. On failure (truncated or
// damaged block) returns false, marks the reader failed and leaves the
// outputs unchanged. Floats come back bit for bit; hints come back as stored.
bool ReadPresetBlock(ByteReader& r, std::vector<EqPreset>& presets, int32_t& capacity,
                     int32_t& growth);
