// Float-to-integer conversion and frame/millisecond arithmetic.
#include "plugins/in_wave/wav_samples.h"

#include <cmath>
#include <cstring>
#include <limits>

namespace wav {

void FloatToInt32(const uint8_t* in, int32_t* out, size_t count) {
  for (size_t i = 0; i < count; ++i) {
    const uint8_t* p = in + i * 4;
    const uint32_t bits = static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
                          (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
    float f;
    std::memcpy(&f, &bits, sizeof f);
    const double scaled = std::nearbyint(static_cast<double>(f) * 2147483648.0);
    int32_t v;
    if (std::isnan(scaled)) {
      v = 0;
    } else if (scaled >= 2147483647.0) {
      v = std::numeric_limits<int32_t>::max();
    } else if (scaled <= -2147483648.0) {
      v = std::numeric_limits<int32_t>::min();
    } else {
      v = static_cast<int32_t>(scaled);
    }
    out[i] = v;  // written after in[i] was read: in and out may alias
  }
}

int32_t FramesToMs(uint64_t frameCount, uint32_t sampleRate) {
  // Split so frameCount * 1000 cannot overflow.
  const uint64_t ms = frameCount / sampleRate * 1000 + frameCount % sampleRate * 1000 / sampleRate;
  return ms > static_cast<uint64_t>(std::numeric_limits<int32_t>::max())
             ? std::numeric_limits<int32_t>::max()
             : static_cast<int32_t>(ms);
}

uint64_t MsToFrame(int64_t ms, uint32_t sampleRate, uint64_t frameCount) {
  if (ms <= 0) return 0;
  // ms comes from an int and sampleRate is at most 384000: no overflow.
  const uint64_t frame = static_cast<uint64_t>(ms) / 1000 * sampleRate +
                         static_cast<uint64_t>(ms) % 1000 * sampleRate / 1000;
  return frame < frameCount ? frame : frameCount;
}

}  // namespace wav
