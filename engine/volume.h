// Volume arithmetic: percent or decibel settings to the engine's multiplier
// (16384 = unity), and the clamped step of the volume keys.
#pragma once
#include <cstdint>
#include <string>

// 10^(volume * 0.05) in decibel mode (volumeType != 0), volume * 0.01 in
// percent mode, times 16384, truncated toward zero. Values beyond the 32-bit
// range saturate (the engine clamps to 32768 anyway).
int32_t VolumeMultiplier(int32_t volume, int32_t volumeType);

struct VolumeStepResult {
  int32_t volume;    // clamped: 0..200 percent or -60..6 dB
  std::string text;  // "85%" or "-12dB"
};

// One press of Volume Down (direction < 0) or Volume Up (direction > 0).
VolumeStepResult StepVolumeValue(int32_t volume, int32_t volumeType, int32_t step, int direction);

// The volume text shown on screen for a setting.
std::string FormatVolumeText(int32_t volume, int32_t volumeType);
