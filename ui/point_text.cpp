// How the curve editor's tip reads a point of the equalizer's curve.
#include "ui/point_text.h"

#include <cmath>
#include <cstdio>

#include "eq/eq_presets.h"

namespace {
// Three significant digits, without trailing zeros.
std::string ThreeDigits(double value) {
  const int decimals = value < 10 ? 2 : value < 100 ? 1 : 0;
  char text[32];
  std::snprintf(text, sizeof text, "%.*f", decimals, value);
  std::string shown = text;
  if (shown.find('.') != std::string::npos) {
    while (shown.back() == '0') shown.pop_back();
    if (shown.back() == '.') shown.pop_back();
  }
  return shown;
}
}  // namespace

std::string DescribeEqPoint(float bin, float gain) {
  const double hertz = bin / HertzToBin(1.0);
  // Rounded to three digits first, so 999.7 Hz reads "1 kHz", not "1000 Hz".
  const double digits = hertz > 0 ? std::pow(10.0, std::floor(std::log10(hertz)) - 2) : 1;
  const double rounded = std::round(hertz / digits) * digits;
  std::string text = rounded >= 1000 ? ThreeDigits(rounded / 1000) + " kHz" : ThreeDigits(rounded) + " Hz";
  char level[48];
  const long percent = std::lround(gain * 100.0);
  if (percent <= 0) {
    std::snprintf(level, sizeof level, ": 0%% (silent)");
  } else {
    double decibels = 20.0 * std::log10(gain);
    if (std::fabs(decibels) < 0.05) decibels = 0;  // never "-0.0 dB"
    std::snprintf(level, sizeof level, ": %ld%% (%+.1f dB)", percent, decibels);
  }
  return text + level;
}
