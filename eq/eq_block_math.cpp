// Gains and output scaling of one equalizer block.
#include "eq/eq_block_math.h"

#include <cstring>

#include "eq/fft_kernels.h"

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
  s[0] *= gains[0];
  s[1] *= gains[0];
  for (int32_t j = 1; j < points / 2; ++j) {
    const float g = gains[j];
    float* low = s + 2 * j;
    float* high = s + 2 * (points - j);
    low[0] *= g;
    low[1] *= g;
    high[0] *= g;
    high[1] *= g;
  }
}

void ScaleToSamplesScalar(const float* time, int32_t multiplier, int16_t* out, int32_t count) {
  const float m = static_cast<float>(multiplier);
  for (int32_t i = 0; i < count; ++i) out[i] = SampleFromProduct(m * time[i]);
}

#if MELODEK_HAVE_SSE_MATH

// Two points per vector: gains (g[q], g[q], g[q+1], g[q+1]) below N/2,
// (g[N-q], g[N-q], g[N-q-1], g[N-q-1]) above.
__attribute__((target("sse"), force_align_arg_pointer)) void ApplyBinGainsSse(
    float* s, const float* gains, int32_t points) {
  __m128* p = reinterpret_cast<__m128*>(s);
  const int32_t half = points / 2;
  for (int32_t q = 0; q < half; q += 2) {
    p[q / 2] = _mm_mul_ps(p[q / 2], _mm_setr_ps(gains[q], gains[q], gains[q + 1], gains[q + 1]));
  }
  s[2 * half + 2] *= gains[half - 1];  // the point after Nyquist
  s[2 * half + 3] *= gains[half - 1];
  for (int32_t q = half + 2; q < points; q += 2) {
    const float a = gains[points - q], b = gains[points - q - 1];
    p[q / 2] = _mm_mul_ps(p[q / 2], _mm_setr_ps(a, a, b, b));
  }
}

__attribute__((target("sse"), force_align_arg_pointer)) void ScaleToSamplesSse(
    const float* time, int32_t multiplier, int16_t* out, int32_t count) {
  const __m128 m = _mm_set1_ps(static_cast<float>(multiplier));
  const __m128 low = _mm_set1_ps(-kProductLimit);
  const __m128 high = _mm_set1_ps(kProductLimit);
  const __m128* samples = reinterpret_cast<const __m128*>(time);
  for (int32_t i = 0; i < count; i += 4) {
    __m128 v = _mm_mul_ps(samples[i / 4], m);
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

void ApplyBinGains(float* spectrum, const float* gains, int32_t points, CFft::Kernel kernel) {
  if (kernel == CFft::Kernel::kWide && points >= 16 && CFft::WideKernelAvailable()) {
    fft_kernels::Avx2ApplyBinGains(spectrum, gains, points);
    return;
  }
#if MELODEK_HAVE_SSE_MATH
  if (kernel == CFft::Kernel::kVector && points >= 4 && CFft::VectorKernelAvailable()) {
    ApplyBinGainsSse(spectrum, gains, points);
    return;
  }
#endif
  ApplyBinGainsScalar(spectrum, gains, points);
}

void ScaleToSamples(const float* time, int32_t multiplier, int16_t* out, int32_t count,
                    CFft::Kernel kernel) {
  if (kernel == CFft::Kernel::kWide && count % 8 == 0 && CFft::WideKernelAvailable()) {
    fft_kernels::Avx2ScaleToSamples(time, multiplier, out, count);
    return;
  }
#if MELODEK_HAVE_SSE_MATH
  if (kernel == CFft::Kernel::kVector && count % 4 == 0 && CFft::VectorKernelAvailable()) {
    ScaleToSamplesSse(time, multiplier, out, count);
    return;
  }
#endif
  ScaleToSamplesScalar(time, multiplier, out, count);
}

}  // namespace eq_block_math
