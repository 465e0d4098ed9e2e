// Volume arithmetic shared by the Config dialog, the Controller and the keys.
#include "engine/volume.h"

#include <cmath>
#include <cstdio>

int32_t VolumeMultiplier(int32_t volume, int32_t volumeType) {
  const double factor = volumeType != 0 ? std::pow(10.0, volume * 0.05) : volume * 0.01;
  const double multiplier = factor * 16384.0;
  if (multiplier >= 2147483647.0) return INT32_MAX;
  if (multiplier <= -2147483648.0) return INT32_MIN;
  return static_cast<int32_t>(multiplier);  // truncates toward zero
}

std::string FormatVolumeText(int32_t volume, int32_t volumeType) {
  char text[32];
  std::snprintf(text, sizeof text, volumeType != 0 ? "%ddB" : "%d%%", static_cast<int>(volume));
  return text;
}

VolumeStepResult StepVolumeValue(int32_t volume, int32_t volumeType, int32_t step, int direction) {
  // 64-bit so that an absurd stored step cannot overflow.
  int64_t next = static_cast<int64_t>(volume) + (direction < 0 ? -int64_t{step} : int64_t{step});
  const int64_t low = volumeType != 0 ? -60 : 0;
  const int64_t high = volumeType != 0 ? 6 : 200;
  if (next < low) next = low;
  if (next > high) next = high;
  const int32_t clamped = static_cast<int32_t>(next);
  return {clamped, FormatVolumeText(clamped, volumeType)};
}
