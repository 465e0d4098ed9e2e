// Arithmetic of the Config dialog.
#include "ui/config_values.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

#include "engine/replay_gain.h"

namespace {
int32_t TruncateToInt32(double value) {
  if (!(value > -2147483648.0)) return std::numeric_limits<int32_t>::min();  // also NaN
  if (value >= 2147483647.0) return std::numeric_limits<int32_t>::max();
  return static_cast<int32_t>(value);  // truncates toward zero
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }
}  // namespace

int32_t PercentToDecibels(int32_t percent) {
  const double ratio = percent > 0 ? percent / 100.0 : 0.001 / 100.0;
  return TruncateToInt32(20.0 * std::log10(ratio));
}

int32_t DecibelsToPercent(int32_t decibels) {
  return TruncateToInt32(100.0 * std::pow(10.0, decibels / 20.0) + 0.5);
}

int32_t ParseVolumeStep(const std::string& text) {
  size_t at = 0;
  while (at < text.size() && IsBlank(text[at])) ++at;
  bool negative = false;
  if (at < text.size() && (text[at] == '+' || text[at] == '-')) negative = text[at++] == '-';
  // The magnitude stops at 2^31: enough for INT32_MIN, saturates the rest.
  int64_t value = 0;
  const int64_t limit = int64_t{std::numeric_limits<int32_t>::max()} + 1;
  for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at) {
    value = value * 10 + (text[at] - '0');
    if (value > limit) value = limit;
  }
  if (negative) return static_cast<int32_t>(-value);
  return value > std::numeric_limits<int32_t>::max() ? std::numeric_limits<int32_t>::max()
                                                     : static_cast<int32_t>(value);
}

std::optional<int32_t> ParseCentiDecibels(const std::string& text) {
  const std::optional<double> db = ParseGainDb(text);
  if (!db) return std::nullopt;
  return static_cast<int32_t>(std::lround(std::clamp(*db, -15.0, 15.0) * 100));
}

std::string FormatCentiDecibels(int32_t centiDb) {
  char text[32];
  std::snprintf(text, sizeof text, "%.2f", centiDb / 100.0);
  return text;
}
