// Gains and output scaling of one equalizer block.
#include "eq/eq_block_math.h"

#include <cstring>

#if defined(__i386__) || defined(__x86_64__)
#include <xmmintrin.h>
#define MELODEK_HAVE_SSE_MATH 1
#endif

namespace eq_block_math {

namespace {

constexpr float kProductLimit = 536870912.0f;  // 2^29: 32768 << 14

// Truncation toward zero of |value| <= 2^30 without a float-to-integer
// conversion, which on the x87 unit changes the rounding mode for every
// sample: adding 1.5 * 2^52 leaves the value rounded to an integer in the
// low bits of the double; a step back toward zero turns the rounding into
// truncation.
inline int32_t TruncateToInt(float value) {
  const double shifted = static_cast<double>(value) + 6755399441055744.0;
  uint64_t bits;
  std::memcpy(&bits, &shifted, sizeof bits);
  int32_t n = static_cast<int32_t>(static_cast<uint32_t>(bits));
  if (value >= 0) {
    if (static_cast<double>(n) > value) --n;
  } else if (static_cast<double>(n) < value) {
    ++n;
  }
  return n;
}

inline int16_t SampleFromProduct(float product) {
  if (!(product > -kProductLimit)) product = -kProductLimit;  // NaN too
  if (product > kProductLimit) product = kProductLimit;
  int32_t v = TruncateToInt(product) >> 14;
  if (v > 32767) v = 32767;
  return static_cast<int16_t>(v);
}

void ApplyBinGainsScalar(float* s, const float* gains, int32_t points) {
  for (int32_t f = 0; f < 4; ++f) s[f] *= gains[0];
  for (int32_t j = 1; j < points / 2; ++j) {
    const float g = gains[j];
    float* low = s + 4 * j;
    float* high = s + 4 * (points - j);
    for (int32_t f = 0; f < 4; ++f) {
      low[f] *= g;
      high[f] *= g;
    }
  }
}

void ScaleToSamplesScalar(const float* time, int32_t multiplier, int16_t* out, int32_t count) {
  const float m = static_cast<float>(multiplier);
  for (int32_t i = 0; i < count; ++i) out[i] = SampleFromProduct(m * time[2 * i]);
}

#if MELODEK_HAVE_SSE_MATH

__attribute__((target("sse"), force_align_arg_pointer)) void ApplyBinGainsSse(
    float* s, const float* gains, int32_t points) {
  __m128* p = reinterpret_cast<__m128*>(s);
  p[0] = _mm_mul_ps(p[0], _mm_set1_ps(gains[0]));
  for (int32_t j = 1; j < points / 2; ++j) {
    const __m128 g = _mm_set1_ps(gains[j]);
    p[j] = _mm_mul_ps(p[j], g);
    p[points - j] = _mm_mul_ps(p[points - j], g);
  }
}

__attribute__((target("sse"), force_align_arg_pointer)) void ScaleToSamplesSse(
    const float* time, int32_t multiplier, int16_t* out, int32_t count) {
  const __m128 m = _mm_set1_ps(static_cast<float>(multiplier));
  const __m128 low = _mm_set1_ps(-kProductLimit);
  const __m128 high = _mm_set1_ps(kProductLimit);
  const __m128* points = reinterpret_cast<const __m128*>(time);
  for (int32_t i = 0; i < count; i += 4) {
    // Real parts of two points: left, right, left, right.
    const __m128 a = points[i / 2];
    const __m128 b = points[i / 2 + 1];
    __m128 v = _mm_mul_ps(_mm_shuffle_ps(a, b, _MM_SHUFFLE(2, 0, 2, 0)), m);
    v = _mm_min_ps(_mm_max_ps(v, low), high);  // maxps yields `low` for NaN
    for (int32_t lane = 0; lane < 4; ++lane) {
      int32_t s = _mm_cvtt_ss2si(v) >> 14;
      out[i + lane] = static_cast<int16_t>(s > 32767 ? 32767 : s);
      v = _mm_shuffle_ps(v, v, _MM_SHUFFLE(0, 3, 2, 1));
    }
  }
}

#endif

}  // namespace

void ApplyBinGains(float* spectrum, const float* gains, int32_t points, bool vector) {
#if MELODEK_HAVE_SSE_MATH
  if (vector) {
    ApplyBinGainsSse(spectrum, gains, points);
    return;
  }
#endif
  (void)vector;
  ApplyBinGainsScalar(spectrum, gains, points);
}

void ScaleToSamples(const float* time, int32_t multiplier, int16_t* out, int32_t count,
                    bool vector) {
#if MELODEK_HAVE_SSE_MATH
  if (vector && count % 4 == 0) {
    ScaleToSamplesSse(time, multiplier, out, count);
    return;
  }
#endif
  (void)vector;
  ScaleToSamplesScalar(time, multiplier, out, count);
}

}  // namespace eq_block_math
