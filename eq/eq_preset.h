// Plain records of the equalizer presets; shared with the settings formats.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

struct EqPoint {
  float key = 0;  // sort key, always equal to x
  float x = 0;    // bin position of the 8192-point transform at 44100 Hz
  float y = 0;    // linear gain, 1.0 = flat
};

struct EqPreset {
  int32_t id = 0;  // 0 is "Default"; others from NextEntryId
  std::string name;
  int32_t type = 0;  // EqType
  std::vector<EqPoint> points;  // ascending x
  // Storage hints written to the settings file (256/256 unless grown).
  int32_t pointCapacity = 256;
  int32_t pointGrowth = 256;
};

// A curve handed to the equalizer stage: bin positions and gains.
struct EqualizerCurve {
  std::vector<float> x;
  std::vector<float> y;
  int32_t Count() const { return static_cast<int32_t>(x.size()); }
};
