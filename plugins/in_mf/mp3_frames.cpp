#include "plugins/in_mf/mp3_frames.h"

#include <cstring>

namespace {

// Layer III bitrates in kbit/s by index 1..14.
constexpr int kMpeg1Kbps[15] = {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320};
constexpr int kMpeg2Kbps[15] = {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160};
constexpr int kRates[3] = {44100, 48000, 32000};

}  // namespace

bool ParseMp3Frame(const uint8_t* h, Mp3Frame& out) {
  if (h[0] != 0xFF || (h[1] & 0xE0) != 0xE0) return false;
  const int version = (h[1] >> 3) & 3;  // 0: 2.5, 2: 2, 3: 1
  const int layer = (h[1] >> 1) & 3;    // 1: layer III
  const int bitrate_index = h[2] >> 4;
  const int rate_index = (h[2] >> 2) & 3;
  if (version == 1 || layer != 1 || bitrate_index == 0 || bitrate_index == 15 || rate_index == 3) return false;
  Mp3Frame f;
  f.version_bits = version;
  const bool mpeg1 = version == 3;
  f.mono = (h[3] >> 6) == 3;
  f.crc = (h[1] & 1) == 0;
  f.sample_rate = kRates[rate_index] >> (mpeg1 ? 0 : version == 2 ? 1 : 2);
  f.samples_per_frame = mpeg1 ? 1152 : 576;
  const int padding = (h[2] >> 1) & 1;
  const int kbps = (mpeg1 ? kMpeg1Kbps : kMpeg2Kbps)[bitrate_index];
  // Bytes per frame: samples / 8 bits * bitrate / rate.
  f.bytes = static_cast<size_t>((mpeg1 ? 144000 : 72000) * kbps / f.sample_rate + padding);
  f.side_info_bytes = mpeg1 ? (f.mono ? 17 : 32) : (f.mono ? 9 : 17);
  out = f;
  return true;
}

size_t Mp3MainDataBegin(const Mp3Frame& frame, const uint8_t* frame_bytes) {
  const uint8_t* s = frame_bytes + frame.SideInfoOffset();
  return frame.mpeg1() ? (size_t(s[0]) << 1) | (s[1] >> 7) : s[0];
}

bool SameMp3Stream(const Mp3Frame& a, const Mp3Frame& b) {
  return a.version_bits == b.version_bits && a.sample_rate == b.sample_rate && a.mono == b.mono;
}

bool IsMp3InfoFrame(const Mp3Frame& frame, const uint8_t* frame_bytes, size_t available) {
  auto has = [&](size_t at, const char* tag) {
    return at + 4 <= available && std::memcmp(frame_bytes + at, tag, 4) == 0;
  };
  const size_t xing = 4 + frame.side_info_bytes;
  return has(xing, "Xing") || has(xing, "Info") || has(36, "VBRI");
}

size_t SkipMp3Padding(const uint8_t* data, size_t size) {
  size_t at = 0;
  while (at < size && at < kMp3LeadingZeroLimit && data[at] == 0) ++at;
  return at;
}
