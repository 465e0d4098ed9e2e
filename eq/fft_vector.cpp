// The 4-wide vector path of the two-channel transform. One point (left and
// right complex value) is one 16-byte vector, so every butterfly handles both
// channels at once. Compiled for SSE only here (function attribute), so the
// 32-bit program still starts on a processor without it; fft.cpp calls in
// only when cpuHasSse is set.
#include "eq/fft_kernels.h"

#if defined(__i386__) || defined(__x86_64__)
#include <xmmintrin.h>
#define MELODEK_HAVE_VECTOR_FFT 1
#endif

namespace fft_kernels {

namespace {

int32_t Log2(int32_t n) {
  int32_t bits = 0;
  while ((int32_t{1} << bits) < n) ++bits;
  return bits;
}

// The first pass combines stages h = 1, 2 (radix 4) or 1, 2, 4 (radix 8) so
// that the remaining stages pair up into radix-4 passes.
int32_t FirstRadix(int32_t points) { return (Log2(points) % 2 == 0) ? 4 : 8; }

}  // namespace

int32_t VectorPassTwiddleCount(int32_t points) {
  int32_t count = 0;
  for (int32_t h = FirstRadix(points); h < points; h *= 4) count += h;
  return count;
}

// A radix-4 pass over stages h and 2h needs, per group g, w1 = W(2h)^g for the
// first stage and w2 = W(4h)^g for the second; the second stage's other
// twiddle W(4h)^(g+h) is w2 times -i (forward), applied as a rotation.
// Stored with the forward sign (w = cos - i sin); the inverse flips it.
void BuildVectorPassTwiddles(int32_t points, const float* sineTable, float* table) {
  const int32_t quarter = points / 4;
  for (int32_t h = FirstRadix(points); h < points; h *= 4) {
    for (int32_t g = 0; g < h; ++g) {
      const int32_t q1 = g * (points / (2 * h));
      const int32_t q2 = g * (points / (4 * h));
      table[0] = sineTable[q1 + quarter];
      table[1] = -sineTable[q1];
      table[2] = sineTable[q2 + quarter];
      table[3] = -sineTable[q2];
      table += 4;
    }
  }
}

#if MELODEK_HAVE_VECTOR_FFT

bool VectorPathCompiled() { return true; }

#define MELODEK_SSE __attribute__((target("sse")))
#define MELODEK_SSE_INLINE __attribute__((target("sse"), always_inline)) inline

namespace {

// Passes with fewer groups than this run group by group (see Radix4Pass);
// 64 measured best for 8192 points (group-by-group for every pass is 2.5x
// slower, block-by-block for every pass 5% slower).
constexpr int32_t kGroupOuterBelow = 64;

struct Signs {
  __m128 alternate;  // (-0, 0, -0, 0): builds (-wi, wi, -wi, wi)
  __m128 rotate;     // after swapping re/im: multiply by -i (forward) or +i
  __m128 conjugate;  // flips the stored twiddles for the inverse
};

// v * w for both channels, w = wr + i*wi given as (wr, wr, wr, wr) and
// (-wi, wi, -wi, wi).
MELODEK_SSE_INLINE __m128 Multiply(__m128 v, __m128 wr, __m128 wiSigned) {
  const __m128 swapped = _mm_shuffle_ps(v, v, _MM_SHUFFLE(2, 3, 0, 1));
  return _mm_add_ps(_mm_mul_ps(v, wr), _mm_mul_ps(swapped, wiSigned));
}

// v * (-i) forward, v * (+i) inverse.
MELODEK_SSE_INLINE __m128 Rotate(__m128 v, __m128 rotateSigns) {
  return _mm_xor_ps(_mm_shuffle_ps(v, v, _MM_SHUFFLE(2, 3, 0, 1)), rotateSigns);
}

// Gather in bit-reversed order fused with stages h = 1 and 2.
MELODEK_SSE_INLINE void FirstPassRadix4(const __m128* src, __m128* dst, int32_t n,
                                        const int32_t* bitReverse, __m128 scale,
                                        const Signs& signs) {
  const int32_t q = n / 4;
  for (int32_t k = 0; k < n; k += 4) {
    const __m128* s = src + bitReverse[k];
    const __m128 x0 = _mm_mul_ps(s[0], scale);
    const __m128 x1 = _mm_mul_ps(s[2 * q], scale);
    const __m128 x2 = _mm_mul_ps(s[q], scale);
    const __m128 x3 = _mm_mul_ps(s[3 * q], scale);
    const __m128 a0 = _mm_add_ps(x0, x1), a1 = _mm_sub_ps(x0, x1);
    const __m128 a2 = _mm_add_ps(x2, x3), a3 = Rotate(_mm_sub_ps(x2, x3), signs.rotate);
    dst[k] = _mm_add_ps(a0, a2);
    dst[k + 2] = _mm_sub_ps(a0, a2);
    dst[k + 1] = _mm_add_ps(a1, a3);
    dst[k + 3] = _mm_sub_ps(a1, a3);
  }
}

// Gather in bit-reversed order fused with stages h = 1, 2 and 4.
MELODEK_SSE_INLINE void FirstPassRadix8(const __m128* src, __m128* dst, int32_t n,
                                        const int32_t* bitReverse, __m128 scale,
                                        const Signs& signs) {
  const int32_t e = n / 8;
  const __m128 c8 = _mm_set1_ps(0.70710677f);  // cos(pi/4) as the sine table holds it
  for (int32_t k = 0; k < n; k += 8) {
    const __m128* s = src + bitReverse[k];
    // Point k + j comes from s[reverse3(j) * N/8].
    const __m128 x0 = _mm_mul_ps(s[0], scale), x1 = _mm_mul_ps(s[4 * e], scale);
    const __m128 x2 = _mm_mul_ps(s[2 * e], scale), x3 = _mm_mul_ps(s[6 * e], scale);
    const __m128 x4 = _mm_mul_ps(s[e], scale), x5 = _mm_mul_ps(s[5 * e], scale);
    const __m128 x6 = _mm_mul_ps(s[3 * e], scale), x7 = _mm_mul_ps(s[7 * e], scale);
    // h = 1
    const __m128 a0 = _mm_add_ps(x0, x1), a1 = _mm_sub_ps(x0, x1);
    const __m128 a2 = _mm_add_ps(x2, x3), a3 = Rotate(_mm_sub_ps(x2, x3), signs.rotate);
    const __m128 a4 = _mm_add_ps(x4, x5), a5 = _mm_sub_ps(x4, x5);
    const __m128 a6 = _mm_add_ps(x6, x7), a7 = Rotate(_mm_sub_ps(x6, x7), signs.rotate);
    // h = 2
    const __m128 b0 = _mm_add_ps(a0, a2), b2 = _mm_sub_ps(a0, a2);
    const __m128 b1 = _mm_add_ps(a1, a3), b3 = _mm_sub_ps(a1, a3);
    const __m128 b4 = _mm_add_ps(a4, a6), b6 = Rotate(_mm_sub_ps(a4, a6), signs.rotate);
    const __m128 b5 = _mm_add_ps(a5, a7), b7 = _mm_sub_ps(a5, a7);
    // h = 4: twiddles 1, c8 (1 + j), j, c8 (j - 1) with j the direction's -i / +i
    const __m128 r5 = Rotate(b5, signs.rotate);
    const __m128 t5 = _mm_mul_ps(_mm_add_ps(b5, r5), c8);
    const __m128 r7 = Rotate(b7, signs.rotate);
    const __m128 t7 = _mm_mul_ps(_mm_sub_ps(r7, b7), c8);
    dst[k] = _mm_add_ps(b0, b4);
    dst[k + 4] = _mm_sub_ps(b0, b4);
    dst[k + 1] = _mm_add_ps(b1, t5);
    dst[k + 5] = _mm_sub_ps(b1, t5);
    dst[k + 2] = _mm_add_ps(b2, b6);
    dst[k + 6] = _mm_sub_ps(b2, b6);
    dst[k + 3] = _mm_add_ps(b3, t7);
    dst[k + 7] = _mm_sub_ps(b3, t7);
  }
}

// One radix-4 butterfly on points p[0], p[h], p[2h], p[3h] (stages h, 2h).
MELODEK_SSE_INLINE void Butterfly4(__m128* p, int32_t h, __m128 wr1, __m128 wi1, __m128 wr2,
                                   __m128 wi2, __m128 rotateSigns) {
  const __m128 a0 = p[0];
  const __m128 t1 = Multiply(p[h], wr1, wi1);
  const __m128 a2 = p[2 * h];
  const __m128 t3 = Multiply(p[3 * h], wr1, wi1);
  const __m128 b0 = _mm_add_ps(a0, t1), b1 = _mm_sub_ps(a0, t1);
  const __m128 b2 = _mm_add_ps(a2, t3), b3 = _mm_sub_ps(a2, t3);
  const __m128 t2 = Multiply(b2, wr2, wi2);
  const __m128 t4 = Rotate(Multiply(b3, wr2, wi2), rotateSigns);
  p[0] = _mm_add_ps(b0, t2);
  p[2 * h] = _mm_sub_ps(b0, t2);
  p[h] = _mm_add_ps(b1, t4);
  p[3 * h] = _mm_sub_ps(b1, t4);
}

struct Twiddles {
  __m128 wr1, wi1, wr2, wi2;
};

MELODEK_SSE_INLINE Twiddles Expand(__m128 stored, const Signs& signs) {
  const __m128 w = _mm_xor_ps(stored, signs.conjugate);
  Twiddles t;
  t.wr1 = _mm_shuffle_ps(w, w, _MM_SHUFFLE(0, 0, 0, 0));
  t.wi1 = _mm_xor_ps(_mm_shuffle_ps(w, w, _MM_SHUFFLE(1, 1, 1, 1)), signs.alternate);
  t.wr2 = _mm_shuffle_ps(w, w, _MM_SHUFFLE(2, 2, 2, 2));
  t.wi2 = _mm_xor_ps(_mm_shuffle_ps(w, w, _MM_SHUFFLE(3, 3, 3, 3)), signs.alternate);
  return t;
}

// Stages h and 2h as one pass of radix-4 butterflies on points
// k, k+h, k+2h, k+3h (k = block + g). Narrow passes walk each group through
// all blocks with its twiddles held in registers; wide ones walk memory in
// order and expand each group's twiddles once.
MELODEK_SSE_INLINE void Radix4Pass(__m128* data, int32_t n, int32_t h, const __m128* twiddles,
                                   const Signs& signs) {
  const int32_t blockStep = 4 * h;
  if (h < kGroupOuterBelow) {
    for (int32_t g = 0; g < h; ++g) {
      const Twiddles t = Expand(twiddles[g], signs);
      for (int32_t block = 0; block < n; block += blockStep) {
        Butterfly4(data + block + g, h, t.wr1, t.wi1, t.wr2, t.wi2, signs.rotate);
      }
    }
    return;
  }
  for (int32_t block = 0; block < n; block += blockStep) {
    for (int32_t g = 0; g < h; ++g) {
      const Twiddles t = Expand(twiddles[g], signs);
      Butterfly4(data + block + g, h, t.wr1, t.wi1, t.wr2, t.wi2, signs.rotate);
    }
  }
}

}  // namespace

// force_align_arg_pointer: the audio callback may arrive on a stack aligned
// to 4 bytes only (32-bit Windows), and spilled vectors need 16.
MELODEK_SSE __attribute__((force_align_arg_pointer)) void VectorTransform(
    const float* src, float* dst, int32_t points, const int32_t* bitReverse,
    const float* passTwiddles, bool inverse) {
  Signs signs;
  signs.alternate = _mm_setr_ps(-0.0f, 0.0f, -0.0f, 0.0f);
  // (y, x) -> (y, -x) is x + iy times -i; (y, x) -> (-y, x) times +i.
  signs.rotate = inverse ? _mm_setr_ps(-0.0f, 0.0f, -0.0f, 0.0f)
                         : _mm_setr_ps(0.0f, -0.0f, 0.0f, -0.0f);
  signs.conjugate = inverse ? _mm_setr_ps(0.0f, -0.0f, 0.0f, -0.0f) : _mm_setzero_ps();
  const __m128 scale = _mm_set1_ps(inverse ? 1.0f : 1.0f / static_cast<float>(points));

  const __m128* in = reinterpret_cast<const __m128*>(src);
  __m128* out = reinterpret_cast<__m128*>(dst);
  const int32_t first = FirstRadix(points);
  if (first == 4) {
    FirstPassRadix4(in, out, points, bitReverse, scale, signs);
  } else {
    FirstPassRadix8(in, out, points, bitReverse, scale, signs);
  }
  const __m128* twiddles = reinterpret_cast<const __m128*>(passTwiddles);
  for (int32_t h = first; h < points; h *= 4) {
    Radix4Pass(out, points, h, twiddles, signs);
    twiddles += h;
  }
}

#else  // no vector path on this processor family

bool VectorPathCompiled() { return false; }

void VectorTransform(const float*, float*, int32_t, const int32_t*, const float*, bool) {}

#endif

}  // namespace fft_kernels
