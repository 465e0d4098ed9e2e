// The 4-wide SSE kernel of the one-channel transform: two complex points per
// vector. Only SSE1 instructions, so the 32-bit program runs it on any
// processor with SSE; the file is compiled with SSE enabled (eq/CMakeLists.txt)
// and fft.cpp calls in only when cpuHasSse is set.
#include "eq/fft_kernels.h"

#if defined(__SSE__)
#include <xmmintrin.h>

#include "eq/fft_radix4.h"

namespace fft_kernels {
namespace {

struct SseOps {
  using V = __m128;
  static constexpr int32_t kLanes = 2;
  static V Load(const float* p) { return _mm_load_ps(p); }
  static void Store(float* p, V v) { _mm_store_ps(p, v); }
  static V Add(V a, V b) { return _mm_add_ps(a, b); }
  static V Sub(V a, V b) { return _mm_sub_ps(a, b); }
  static V Mul(V a, V b) { return _mm_mul_ps(a, b); }
  static V Splat(float f) { return _mm_set1_ps(f); }
  static V SwapReIm(V v) { return _mm_shuffle_ps(v, v, _MM_SHUFFLE(2, 3, 0, 1)); }

  // v * w: v * (wr, wr) + (v.im, v.re) * (wi, wi) with the sign on re
  // (forward) or, for v * conj(w), on im.
  template <bool kInverse>
  static V MulComplex(V v, V w) {
    const V wr = _mm_shuffle_ps(w, w, _MM_SHUFFLE(2, 2, 0, 0));
    const V wi = _mm_shuffle_ps(w, w, _MM_SHUFFLE(3, 3, 1, 1));
    const V sign = kInverse ? _mm_setr_ps(0.0f, -0.0f, 0.0f, -0.0f)
                            : _mm_setr_ps(-0.0f, 0.0f, -0.0f, 0.0f);
    return _mm_add_ps(_mm_mul_ps(v, wr), _mm_xor_ps(_mm_mul_ps(SwapReIm(v), wi), sign));
  }
  // (re, im) * -i = (im, -re); * +i = (-im, re).
  template <bool kInverse>
  static V Rotate(V v) {
    const V sign = kInverse ? _mm_setr_ps(-0.0f, 0.0f, -0.0f, 0.0f)
                            : _mm_setr_ps(0.0f, -0.0f, 0.0f, -0.0f);
    return _mm_xor_ps(SwapReIm(v), sign);
  }
  // Two groups per vector: pairs of outputs transposed into each group's run.
  static void StoreGroups(const V* y, int32_t count, float* dst, const int32_t* starts) {
    float* g0 = dst + 2 * starts[0];
    float* g1 = dst + 2 * starts[1];
    for (int32_t j = 0; j < count; j += 2) {
      _mm_store_ps(g0 + 2 * j, _mm_movelh_ps(y[j], y[j + 1]));
      _mm_store_ps(g1 + 2 * j, _mm_movehl_ps(y[j + 1], y[j]));
    }
  }
};

}  // namespace

bool SseKernelCompiled() { return true; }

// force_align_arg_pointer: the audio callback may arrive on a stack aligned
// to 4 bytes only (32-bit Windows), and spilled vectors need 16.
__attribute__((force_align_arg_pointer)) void SseTransform(const float* src, float* dst,
                                                           int32_t points,
                                                           const int32_t* bitReverse,
                                                           const float* passTwiddles,
                                                           bool inverse) {
  RunTransform<SseOps>(src, dst, points, bitReverse, passTwiddles, inverse);
}

}  // namespace fft_kernels

#else  // no SSE kernel for this processor family

namespace fft_kernels {
bool SseKernelCompiled() { return false; }
void SseTransform(const float*, float*, int32_t, const int32_t*, const float*, bool) {}
}  // namespace fft_kernels

#endif
