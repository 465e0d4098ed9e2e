// Builds WAV files in memory for the in_wave tests (native and under Wine):
// each field of the header can be set to a wrong value on purpose.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace wavtest {

struct Chunk {
  std::string id;  // four characters
  std::vector<uint8_t> body;
};

struct WavRecipe {
  std::string riffId = "RIFF";
  std::string waveId = "WAVE";
  uint16_t formatTag = 1;  // 1 PCM, 3 float, 0xFFFE extensible
  uint16_t channels = 2;
  uint32_t sampleRate = 44100;
  uint16_t bitsPerSample = 16;
  int blockAlign = -1;  // -1: channels * bytes per sample
  // WAVE_FORMAT_EXTENSIBLE: the sub-format's tag and the valid bits.
  uint16_t subFormat = 1;
  uint16_t validBits = 0;  // 0: bitsPerSample
  bool extensibleGuidBroken = false;
  std::vector<Chunk> before;  // chunks between "WAVE" and "fmt "
  std::vector<Chunk> between;  // chunks between "fmt " and "data"
  bool omitFormat = false;
  bool omitData = false;
  std::vector<uint8_t> data;
  int64_t declaredDataSize = -1;  // -1: data.size()
  size_t truncateTo = SIZE_MAX;   // cut the finished file to this many bytes
};

inline void Put16(std::vector<uint8_t>& v, uint32_t x) {
  v.push_back(static_cast<uint8_t>(x));
  v.push_back(static_cast<uint8_t>(x >> 8));
}
inline void Put32(std::vector<uint8_t>& v, uint32_t x) {
  Put16(v, x & 0xFFFF);
  Put16(v, x >> 16);
}
inline void PutId(std::vector<uint8_t>& v, const std::string& id) {
  for (size_t i = 0; i < 4; ++i) v.push_back(static_cast<uint8_t>(i < id.size() ? id[i] : ' '));
}
inline void PutChunk(std::vector<uint8_t>& v, const Chunk& c) {
  PutId(v, c.id);
  Put32(v, static_cast<uint32_t>(c.body.size()));
  v.insert(v.end(), c.body.begin(), c.body.end());
  if (c.body.size() % 2) v.push_back(0);  // RIFF pads odd chunks
}

inline std::vector<uint8_t> FormatBody(const WavRecipe& s) {
  std::vector<uint8_t> f;
  Put16(f, s.formatTag);
  Put16(f, s.channels);
  Put32(f, s.sampleRate);
  const uint32_t align =
      s.blockAlign >= 0 ? static_cast<uint32_t>(s.blockAlign) : s.channels * ((s.bitsPerSample + 7u) / 8u);
  Put32(f, s.sampleRate * align);
  Put16(f, align);
  Put16(f, s.bitsPerSample);
  if (s.formatTag == 0xFFFE) {
    Put16(f, 22);
    Put16(f, s.validBits ? s.validBits : s.bitsPerSample);
    Put32(f, 0);  // channel mask: unspecified
    static const uint8_t kTail[14] = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                      0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};
    Put16(f, s.subFormat);
    f.insert(f.end(), kTail, kTail + 14);
    if (s.extensibleGuidBroken) f.back() ^= 0xFF;
  }
  return f;
}

inline std::vector<uint8_t> BuildWav(const WavRecipe& s) {
  std::vector<uint8_t> v;
  PutId(v, s.riffId);
  Put32(v, 0);  // patched below
  PutId(v, s.waveId);
  for (const Chunk& c : s.before) PutChunk(v, c);
  if (!s.omitFormat) PutChunk(v, Chunk{"fmt ", FormatBody(s)});
  for (const Chunk& c : s.between) PutChunk(v, c);
  if (!s.omitData) {
    PutId(v, "data");
    Put32(v, s.declaredDataSize >= 0 ? static_cast<uint32_t>(s.declaredDataSize)
                                     : static_cast<uint32_t>(s.data.size()));
    v.insert(v.end(), s.data.begin(), s.data.end());
    if (s.data.size() % 2) v.push_back(0);
  }
  const uint32_t riffSize = static_cast<uint32_t>(v.size() - 8);
  for (int i = 0; i < 4; ++i) v[4 + i] = static_cast<uint8_t>(riffSize >> (8 * i));
  if (v.size() > s.truncateTo) v.resize(s.truncateTo);
  return v;
}

// Deterministic bytes (a small LCG) so every sample of a test file differs.
inline std::vector<uint8_t> NoiseBytes(size_t count, uint32_t seed) {
  std::vector<uint8_t> out(count);
  uint32_t x = seed;
  for (auto& b : out) {
    x = x * 1664525u + 1013904223u;
    b = static_cast<uint8_t>(x >> 24);
  }
  return out;
}

}  // namespace wavtest
