// ReplayGain text parsing and the choice of a file's gain.
#include "engine/replay_gain.h"

#include <cmath>

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::string_view Trim(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

// [sign] blanks digits [('.' | ',') digits], at least one digit; no locale.
std::optional<double> ParseNumber(std::string_view text) {
  size_t at = 0;
  bool negative = false;
  if (at < text.size() && (text[at] == '+' || text[at] == '-')) negative = text[at++] == '-';
  while (at < text.size() && IsBlank(text[at])) ++at;
  double value = 0;
  int digits = 0;
  for (; at < text.size() && IsDigit(text[at]); ++at, ++digits) value = value * 10 + (text[at] - '0');
  if (at < text.size() && (text[at] == '.' || text[at] == ',')) {
    ++at;
    double scale = 0.1;
    for (; at < text.size() && IsDigit(text[at]); ++at, ++digits, scale /= 10) value += (text[at] - '0') * scale;
  }
  if (digits == 0 || at != text.size() || !std::isfinite(value)) return std::nullopt;
  return negative ? -value : value;
}

}  // namespace

std::optional<double> ParseGainDb(std::string_view text) {
  text = Trim(text);
  if (text.size() >= 2) {
    const char d = text[text.size() - 2], b = text[text.size() - 1];
    if ((d == 'd' || d == 'D') && (b == 'b' || b == 'B')) text = Trim(text.substr(0, text.size() - 2));
  }
  const std::optional<double> value = ParseNumber(text);
  if (!value || std::fabs(*value) > kMaxTagGainDb) return std::nullopt;
  return value;
}

std::optional<double> ParsePeak(std::string_view text) {
  const std::optional<double> value = ParseNumber(Trim(text));
  if (!value || !(*value > 0) || *value > DecibelsToFactor(kMaxTagGainDb)) return std::nullopt;
  return value;
}

FileGainValues MeasuredGainValues(double trackLufs, double trackPeak, std::optional<double> albumLufs,
                                  std::optional<double> albumPeak) {
  // A record read from a damaged file may hold anything: the same bounds as tags.
  auto gain = [](double lufs) -> std::optional<double> {
    const double db = kReferenceLufs - lufs;
    if (!std::isfinite(db) || std::fabs(db) > kMaxTagGainDb) return std::nullopt;
    return db;
  };
  auto peak = [](double value) -> std::optional<double> {
    if (!(value > 0) || value > DecibelsToFactor(kMaxTagGainDb)) return std::nullopt;
    return value;
  };
  FileGainValues values;
  values.trackGainDb = gain(trackLufs);
  values.trackPeak = peak(trackPeak);
  if (albumLufs) values.albumGainDb = gain(*albumLufs);
  if (albumPeak) values.albumPeak = peak(*albumPeak);
  return values;
}

double DecibelsToFactor(double decibels) { return std::pow(10.0, decibels / 20.0); }

double FileGainFactor(const FileGainValues& values, const GainPolicy& policy) {
  if (!policy.enabled) return 1.0;
  if (!values.HasGain()) return DecibelsToFactor(policy.untaggedDb);
  const bool useAlbum = policy.album ? values.albumGainDb.has_value() : !values.trackGainDb.has_value();
  const double gainDb = useAlbum ? *values.albumGainDb : *values.trackGainDb;
  // The peak belongs with the gain; the other kind's stands in when it is missing.
  const std::optional<double> peak =
      useAlbum ? (values.albumPeak ? values.albumPeak : values.trackPeak)
               : (values.trackPeak ? values.trackPeak : values.albumPeak);
  double factor = DecibelsToFactor(gainDb + policy.preampDb);
  if (policy.preventClipping && peak && *peak * factor > 1.0) factor = 1.0 / *peak;
  return factor;
}

int32_t LoudnessFixedPoint(double factor) {
  if (std::isnan(factor)) return kLoudnessUnity;
  const double scaled = std::round(factor * kLoudnessUnity);
  if (scaled <= 0) return 0;
  return scaled >= kMaxLoudness ? kMaxLoudness : static_cast<int32_t>(scaled);
}
