// Arithmetic of the Config dialog: the volume's conversion when the user
// switches between percent and decibels, and the volume step as typed.
#pragma once
#include <cstdint>
#include <string>

// 20 * log10(percent / 100), truncated toward zero. 0 % (and anything below,
// which the slider never gives) counts as 0.001 %, so it comes out as -100 dB.
int32_t PercentToDecibels(int32_t percent);

// 100 * 10^(decibels / 20), rounded half up; saturates at the 32-bit range.
int32_t DecibelsToPercent(int32_t decibels);

// The volume step edit's text read as a signed decimal: leading blanks and one
// sign are allowed, reading stops at the first other character, no digits
// give 0. Values beyond the 32-bit range saturate.
int32_t ParseVolumeStep(const std::string& text);
