// The 8-wide AVX2 + FMA kernel: the one-channel transform with four complex
// points per vector, and the block arithmetic (gains, scaling to samples).
// The file is compiled for AVX2 and FMA (eq/CMakeLists.txt); nothing here
// runs unless cpuHasAvx2Fma is set, which also requires the operating system
// to save the 256-bit registers.
#include "eq/fft_kernels.h"

#if defined(__AVX2__) && defined(__FMA__)
#include <immintrin.h>

#include "eq/fft_radix4.h"

namespace fft_kernels {
namespace {

struct Avx2Ops {
  using V = __m256;
  static constexpr int32_t kLanes = 4;
  static V Load(const float* p) { return _mm256_load_ps(p); }
  static void Store(float* p, V v) { _mm256_store_ps(p, v); }
  static V Add(V a, V b) { return _mm256_add_ps(a, b); }
  static V Sub(V a, V b) { return _mm256_sub_ps(a, b); }
  static V Mul(V a, V b) { return _mm256_mul_ps(a, b); }
  static V Splat(float f) { return _mm256_set1_ps(f); }
  static V SwapReIm(V v) { return _mm256_permute_ps(v, _MM_SHUFFLE(2, 3, 0, 1)); }

  // v * w = v * (wr, wr) -/+ (v.im, v.re) * (wi, wi); v * conj(w) swaps the signs.
  template <bool kInverse>
  static V MulComplex(V v, V w) {
    const V cross = _mm256_mul_ps(SwapReIm(v), _mm256_movehdup_ps(w));
    return kInverse ? _mm256_fmsubadd_ps(v, _mm256_moveldup_ps(w), cross)
                    : _mm256_fmaddsub_ps(v, _mm256_moveldup_ps(w), cross);
  }
  // (re, im) * -i = (im, -re); * +i = (-im, re).
  template <bool kInverse>
  static V Rotate(V v) {
    const V sign = kInverse ? _mm256_setr_ps(-0.0f, 0.0f, -0.0f, 0.0f, -0.0f, 0.0f, -0.0f, 0.0f)
                            : _mm256_setr_ps(0.0f, -0.0f, 0.0f, -0.0f, 0.0f, -0.0f, 0.0f, -0.0f);
    return _mm256_xor_ps(SwapReIm(v), sign);
  }
  // Four groups per vector: each run of four outputs is a 4 x 4 transpose
  // of complex points (64-bit elements).
  static void StoreGroups(const V* y, int32_t count, float* dst, const int32_t* starts) {
    for (int32_t j = 0; j < count; j += 4) {
      const __m256d y0 = _mm256_castps_pd(y[j]), y1 = _mm256_castps_pd(y[j + 1]);
      const __m256d y2 = _mm256_castps_pd(y[j + 2]), y3 = _mm256_castps_pd(y[j + 3]);
      const __m256d t0 = _mm256_unpacklo_pd(y0, y1), t1 = _mm256_unpackhi_pd(y0, y1);
      const __m256d t2 = _mm256_unpacklo_pd(y2, y3), t3 = _mm256_unpackhi_pd(y2, y3);
      _mm256_store_pd(reinterpret_cast<double*>(dst + 2 * (starts[0] + j)),
                      _mm256_permute2f128_pd(t0, t2, 0x20));
      _mm256_store_pd(reinterpret_cast<double*>(dst + 2 * (starts[1] + j)),
                      _mm256_permute2f128_pd(t1, t3, 0x20));
      _mm256_store_pd(reinterpret_cast<double*>(dst + 2 * (starts[2] + j)),
                      _mm256_permute2f128_pd(t0, t2, 0x31));
      _mm256_store_pd(reinterpret_cast<double*>(dst + 2 * (starts[3] + j)),
                      _mm256_permute2f128_pd(t1, t3, 0x31));
    }
  }
};

// Four gains, each for the two floats of one point.
__m256 PointGains(__m128 four) {
  return _mm256_set_m128(_mm_unpackhi_ps(four, four), _mm_unpacklo_ps(four, four));
}

}  // namespace

bool Avx2KernelCompiled() { return true; }

// force_align_arg_pointer: the 32-bit audio callback may arrive on a stack
// aligned to 4 bytes only; the compiler then realigns it to 32 for spills.
__attribute__((force_align_arg_pointer)) void Avx2Transform(const float* src, float* dst,
                                                            int32_t points,
                                                            const int32_t* bitReverse,
                                                            const float* passTwiddles,
                                                            bool inverse) {
  RunTransform<Avx2Ops>(src, dst, points, bitReverse, passTwiddles, inverse);
}

__attribute__((force_align_arg_pointer)) void Avx2ApplyBinGains(float* spectrum,
                                                                const float* gains,
                                                                int32_t points) {
  const int32_t half = points / 2;
  // Points 0 .. N/2 - 1 take gains[q].
  for (int32_t q = 0; q < half; q += 4) {
    float* s = spectrum + 2 * q;
    _mm256_store_ps(s, _mm256_mul_ps(_mm256_load_ps(s), PointGains(_mm_loadu_ps(gains + q))));
  }
  // Points N/2 + 1 .. N - 1 take gains[N - q]: four gains read backwards.
  for (int32_t f = 2; f < 8; f += 2) {
    spectrum[2 * half + f] *= gains[half - f / 2];
    spectrum[2 * half + f + 1] *= gains[half - f / 2];
  }
  for (int32_t q = half + 4; q < points; q += 4) {
    const __m128 ahead = _mm_loadu_ps(gains + points - q - 3);
    float* s = spectrum + 2 * q;
    const __m256 g = PointGains(_mm_shuffle_ps(ahead, ahead, _MM_SHUFFLE(0, 1, 2, 3)));
    _mm256_store_ps(s, _mm256_mul_ps(_mm256_load_ps(s), g));
  }
}

__attribute__((force_align_arg_pointer)) void Avx2ScaleToSamples(const float* time,
                                                                 int32_t multiplier,
                                                                 int16_t* out, int32_t count) {
  const __m256 m = _mm256_set1_ps(static_cast<float>(multiplier));
  const __m256 low = _mm256_set1_ps(-536870912.0f);  // -2^29
  const __m256 high = _mm256_set1_ps(536870912.0f);
  for (int32_t i = 0; i < count; i += 8) {
    __m256 v = _mm256_mul_ps(_mm256_load_ps(time + i), m);
    v = _mm256_min_ps(_mm256_max_ps(v, low), high);  // maxps yields `low` for NaN
    const __m256i shifted = _mm256_srai_epi32(_mm256_cvttps_epi32(v), 14);
    // +2^29 >> 14 = 32768 saturates to 32767 in the pack.
    const __m128i packed = _mm_packs_epi32(_mm256_castsi256_si128(shifted),
                                           _mm256_extracti128_si256(shifted, 1));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), packed);
  }
}

}  // namespace fft_kernels

#else  // no AVX2 kernel for this processor family

namespace fft_kernels {
bool Avx2KernelCompiled() { return false; }
void Avx2Transform(const float*, float*, int32_t, const int32_t*, const float*, bool) {}
void Avx2ApplyBinGains(float*, const float*, int32_t) {}
void Avx2ScaleToSamples(const float*, int32_t, int16_t*, int32_t) {}
}  // namespace fft_kernels

#endif
