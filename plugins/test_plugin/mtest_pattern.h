// The deterministic samples of the scripted test plug-ins (in_mtest.dll,
// in_mtest2.dll), shared with the host's tests so they can check every byte.
// Each sample is defined by a 16-bit level that the plug-in's sample width
// represents exactly: a host that converts to 16 bits gets the level back.
#pragma once
#include <cmath>
#include <cstdint>

namespace mtest {

enum class Pattern {
  kRamp,   // level encodes the stream position: frame * channels + channel
  kSine,   // 440 Hz at a quarter of full scale, the same on every channel
  kConst,  // one level everywhere
};

// The 16-bit level of sample (frame, channel). For 8-bit output the level's
// low byte is zero; the ramp then counts in the high byte.
inline int16_t PatternLevel(Pattern pattern, int constLevel, uint64_t frame, int channel, int channels,
                            int rate, int bits) {
  int level = 0;
  switch (pattern) {
    case Pattern::kRamp: {
      const uint64_t k = frame * static_cast<uint64_t>(channels) + static_cast<uint64_t>(channel);
      level = bits == 8 ? (static_cast<int>(k & 0xFF) - 128) * 256 : static_cast<int16_t>(k & 0xFFFF);
      return static_cast<int16_t>(level);
    }
    case Pattern::kSine: {
      const double phase = 2.0 * 3.14159265358979323846 * 440.0 * static_cast<double>(frame % rate) / rate;
      level = static_cast<int>(std::lround(std::sin(phase) * 8192.0));
      break;
    }
    case Pattern::kConst:
      level = static_cast<int16_t>(constLevel);
      break;
  }
  if (bits == 8) level = static_cast<int16_t>(level & ~0xFF);
  return static_cast<int16_t>(level);
}

// Stores level at out in bits / 8 bytes, little endian: 8-bit unsigned with
// offset 128, wider samples left-justified (low bytes zero).
inline void StoreLevel(int16_t level, int bits, uint8_t* out) {
  const auto u = static_cast<uint16_t>(level);
  switch (bits) {
    case 8:
      out[0] = static_cast<uint8_t>((u >> 8) ^ 0x80);
      break;
    case 16:
      out[0] = static_cast<uint8_t>(u);
      out[1] = static_cast<uint8_t>(u >> 8);
      break;
    case 24:
      out[0] = 0;
      out[1] = static_cast<uint8_t>(u);
      out[2] = static_cast<uint8_t>(u >> 8);
      break;
    default:  // 32
      out[0] = 0;
      out[1] = 0;
      out[2] = static_cast<uint8_t>(u);
      out[3] = static_cast<uint8_t>(u >> 8);
      break;
  }
}

}  // namespace mtest
