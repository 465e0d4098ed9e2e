// Arithmetic of the Config dialog: the volume's conversion when the user
// switches between percent and decibels, the volume step as typed, and the
// ReplayGain decibels.
#pragma once
#include <cstdint>
#include <optional>
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

// A ReplayGain pre-amplification or gain as typed ("-3.5", "+2,25 dB"), in
// hundredths of a dB, held to -15..+15 dB; nullopt when it is not a number
// (the setting then keeps its value).
std::optional<int32_t> ParseCentiDecibels(const std::string& text);
// Hundredths of a dB as the dialog shows them: "-3.50", "0.00".
std::string FormatCentiDecibels(int32_t centiDb);
