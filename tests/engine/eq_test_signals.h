// Signals, curves and the plain-path reference shared by the equalizer tests.
#pragma once
#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdint>
#include <functional>
#include <vector>

#include "engine/sample_ring.h"
#include "eq/eq_preset.h"

namespace eq_test {

constexpr double kPi = 3.14159265358979323846;

// Interleaved stereo: frames of (left(n), right(n)), rounded to 16 bits.
inline std::vector<int16_t> Stereo(uint32_t frames, const std::function<double(uint32_t)>& left,
                                   const std::function<double(uint32_t)>& right) {
  std::vector<int16_t> out(2 * static_cast<size_t>(frames));
  for (uint32_t n = 0; n < frames; ++n) {
    out[2 * n] = static_cast<int16_t>(std::lround(std::clamp(left(n), -32768.0, 32767.0)));
    out[2 * n + 1] = static_cast<int16_t>(std::lround(std::clamp(right(n), -32768.0, 32767.0)));
  }
  return out;
}

inline std::function<double(uint32_t)> Tone(double amplitude, double cyclesPerFrame,
                                            double phase = 0) {
  return [=](uint32_t n) { return amplitude * std::cos(2 * kPi * cyclesPerFrame * n + phase); };
}

inline void Feed(SampleRing& ring, const std::vector<int16_t>& samples) {
  ring.Write(samples.data(), static_cast<uint32_t>(samples.size() * sizeof(int16_t)));
}

// What the plain refill makes of one sample: s * M >> 14, saturated.
inline int16_t Plain(int16_t s, int32_t multiplier) {
  const int64_t v = (static_cast<int64_t>(s) * multiplier) >> 14;
  return static_cast<int16_t>(std::clamp<int64_t>(v, -32768, 32767));
}

inline EqualizerCurve Curve(std::vector<float> x, std::vector<float> y) {
  EqualizerCurve curve;
  curve.x = std::move(x);
  curve.y = std::move(y);
  return curve;
}

// In-place radix-2 transform in double precision (the reference; forward
// for sign -1, unnormalised).
inline void ReferenceFft(std::vector<std::complex<double>>& a, int sign) {
  const size_t n = a.size();
  for (size_t i = 1, j = 0; i < n; ++i) {
    size_t bit = n >> 1;
    for (; j & bit; bit >>= 1) j ^= bit;
    j |= bit;
    if (i < j) std::swap(a[i], a[j]);
  }
  for (size_t len = 2; len <= n; len <<= 1) {
    const std::complex<double> step = std::polar(1.0, sign * 2 * kPi / static_cast<double>(len));
    for (size_t i = 0; i < n; i += len) {
      std::complex<double> w = 1;
      for (size_t k = 0; k < len / 2; ++k, w *= step) {
        const std::complex<double> u = a[i + k], v = a[i + k + len / 2] * w;
        a[i + k] = u + v;
        a[i + k + len / 2] = u - v;
      }
    }
  }
}

inline EqualizerCurve Flat(float gain) { return Curve({100.0f}, {gain}); }

}  // namespace eq_test
