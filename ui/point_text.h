// How the curve editor's tip reads a point of the equalizer's curve: its
// frequency and its gain ("1.25 kHz: 150% (+3.5 dB)").
#pragma once
#include <string>

// `bin` is a position on the transform's bins (see HertzToBin), `gain` the
// curve's factor (1 = unchanged). Frequencies show three significant digits
// ("21.5 Hz", "100 Hz", "1 kHz", "12.5 kHz"); the gain in percent and
// decibels, "0% (silent)" at zero.
std::string DescribeEqPoint(float bin, float gain);
