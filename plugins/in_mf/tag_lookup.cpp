// Extended file information from tags.
#include "plugins/in_mf/tag_lookup.h"

#include <cctype>
#include <cstdio>

namespace {

bool NameIs(std::string_view name, const char* lower) {
  size_t i = 0;
  for (; i < name.size() && lower[i]; ++i) {
    if (std::tolower(static_cast<unsigned char>(name[i])) != lower[i]) return false;
  }
  return i == name.size() && lower[i] == '\0';
}

// The ReplayGain reference (-18 LUFS) lies 5 dB above R128's (-23 LUFS).
constexpr double kR128ToReplayGainDb = 5.0;

}  // namespace

std::string R128ToReplayGain(const std::string& q78) {
  size_t at = 0;
  bool negative = false;
  if (at < q78.size() && (q78[at] == '-' || q78[at] == '+')) negative = q78[at++] == '-';
  if (at == q78.size()) return std::string();
  long value = 0;
  for (; at < q78.size(); ++at) {
    if (!std::isdigit(static_cast<unsigned char>(q78[at]))) return std::string();
    value = value * 10 + (q78[at] - '0');
    if (value > 32768) return std::string();
  }
  if (negative) value = -value;
  if (value > 32767) return std::string();
  char text[32];
  std::snprintf(text, sizeof text, "%.2f dB", value / 256.0 + kR128ToReplayGainDb);
  return text;
}

bool LookUpTagValue(const TagFields& fields, std::string_view name, std::string& value) {
  value.clear();
  if (NameIs(name, "title")) {
    value = fields.title;
  } else if (NameIs(name, "artist")) {
    value = fields.artist;
  } else if (NameIs(name, "album")) {
    value = fields.album;
  } else if (NameIs(name, "replaygain_track_gain")) {
    value = !fields.trackGain.empty() ? fields.trackGain : R128ToReplayGain(fields.r128TrackGain);
  } else if (NameIs(name, "replaygain_track_peak")) {
    value = fields.trackPeak;
  } else if (NameIs(name, "replaygain_album_gain")) {
    value = !fields.albumGain.empty() ? fields.albumGain : R128ToReplayGain(fields.r128AlbumGain);
  } else if (NameIs(name, "replaygain_album_peak")) {
    value = fields.albumPeak;
  }
  return !value.empty();
}
