// ReplayGain values as input plug-ins report them ("-7.25 dB", "0.988525"),
// and the factor a file plays at under the chosen mode. Portable.
#pragma once
#include <cstdint>
#include <optional>
#include <string_view>

// Largest gain taken from a tag, either way; beyond it a value is refused.
inline constexpr double kMaxTagGainDb = 51.0;

// A gain in dB as tag writers spell it: blanks around it, one sign, digits
// with a decimal point or a comma, an optional "dB" in any case ("-7.25 dB",
// "+3,5", "2db"). nullopt when the text is not of that form or the value is
// beyond +-51 dB.
std::optional<double> ParseGainDb(std::string_view text);

// A sample peak (1.0 = full scale), spelt like a gain without the unit.
// nullopt when not of that form, not above 0, or beyond +51 dB (354.8).
std::optional<double> ParsePeak(std::string_view text);

// What is known of a file's loudness: from its tags, or measured.
struct FileGainValues {
  std::optional<double> trackGainDb;
  std::optional<double> trackPeak;
  std::optional<double> albumGainDb;
  std::optional<double> albumPeak;
  bool HasGain() const { return trackGainDb.has_value() || albumGainDb.has_value(); }
};

// The integrated loudness the gains of measured files aim at.
inline constexpr double kReferenceLufs = -18.0;

// Values for a file measured at trackLufs (and, when albumLufs is given,
// with its album): gains to the reference loudness.
FileGainValues MeasuredGainValues(double trackLufs, double trackPeak, std::optional<double> albumLufs,
                                  std::optional<double> albumPeak);

// How the values become a gain: the mode (off, or album values first), the
// pre-amplification of files with values, the gain of files without, and
// whether the peak caps the gain.
struct GainPolicy {
  bool enabled = true;
  bool album = false;  // album values first, the track's when the album has none
  double preampDb = 0;
  double untaggedDb = 0;
  bool preventClipping = true;
};

// The linear factor the file plays at (1.0: unchanged). With clipping
// prevention on and a peak known, the factor is lowered so that peak *
// factor <= 1; it is never raised by it.
double FileGainFactor(const FileGainValues& values, const GainPolicy& policy);

// 10^(dB / 20).
double DecibelsToFactor(double decibels);

// The factor as the output stage applies it: fixed point, 1 << 24 = 1.0,
// rounded, at most 64 (+36 dB); 1.0 for a factor that is not a number.
inline constexpr int32_t kLoudnessUnity = 1 << 24;
inline constexpr int32_t kMaxLoudness = kLoudnessUnity * 64 - 1;
int32_t LoudnessFixedPoint(double factor);
