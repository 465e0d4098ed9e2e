// What the Controller's slider tips say.
#include "ui/tip_text.h"

#include <cmath>
#include <cstdio>

int SliderValueAt(int x, int channelLeft, int channelRight, int thumbWidth, int low, int high) {
  if (high <= low) return low;
  const double half = thumbWidth / 2;
  const double travel = channelRight - channelLeft - 2 * half - 1;
  if (travel <= 0) return low;
  const double value = low + (static_cast<double>(high) - low) * (x - channelLeft - half) / travel;
  if (value <= low) return low;
  if (value >= high) return high;
  return static_cast<int>(std::floor(value + 0.5));
}

std::string FormatPlayTime(int64_t ms) {
  const int64_t seconds = ms > 0 ? ms / 1000 : 0;
  char text[32];
  if (seconds >= 3600) {
    std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", static_cast<long long>(seconds / 3600),
                  static_cast<long long>(seconds / 60 % 60), static_cast<long long>(seconds % 60));
  } else {
    std::snprintf(text, sizeof text, "%lld:%02lld", static_cast<long long>(seconds / 60),
                  static_cast<long long>(seconds % 60));
  }
  return text;
}
