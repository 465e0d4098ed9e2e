// Small helpers the audio tests share: sample bytes and captured sound.
#pragma once
#include <cstdint>
#include <vector>

namespace testaudio {

// Little-endian 16-bit samples as bytes.
inline std::vector<uint8_t> Bytes16(const std::vector<int16_t>& samples) {
  std::vector<uint8_t> bytes;
  for (int16_t s : samples) {
    bytes.push_back(static_cast<uint8_t>(s & 0xff));
    bytes.push_back(static_cast<uint8_t>((s >> 8) & 0xff));
  }
  return bytes;
}

// The stereo frames of a capture that are not silent (both samples 0).
// Wine's driver plays silence of its own when a buffer comes late, so
// captures are compared without their silent frames.
inline std::vector<int16_t> SoundingFrames(const std::vector<int16_t>& samples) {
  std::vector<int16_t> sounding;
  for (size_t i = 0; i + 1 < samples.size(); i += 2) {
    if (samples[i] == 0 && samples[i + 1] == 0) continue;
    sounding.push_back(samples[i]);
    sounding.push_back(samples[i + 1]);
  }
  return sounding;
}

}  // namespace testaudio
