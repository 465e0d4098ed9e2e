// The vector kernels' transform, written once for any vector width: each
// vector holds kLanes complex points (re, im interleaved). Included only by
// the kernel files (fft_sse.cpp, fft_avx2.cpp), each compiled for its own
// instruction set; everything here has internal linkage so that no copy
// built for one instruction set can be picked by the linker for another.
#pragma once
#include <cstdint>

#include "eq/fft_kernels.h"

namespace fft_kernels {
namespace {

// Ops supplies: type V; kLanes; Load, Store (aligned); Add, Sub, Mul (per
// float); Splat(float); MulComplex<inverse>(v, w) = v * w forward, v *
// conj(w) inverse; Rotate<inverse>(v) = v * -i forward, v * +i inverse;
// StoreGroups(y, count, dst, starts): y[0..count) hold one group per lane,
// group l's points go to dst at point starts[l], in order.

// The first pass: lane l takes the group of outputs that starts at point
// bitReverse[r + l]; its inputs sit at points r + l + rev(j) * N/R, so for
// each j the lanes read one aligned vector. Radix 4 (stages 1, 2).
template <class Ops, bool kInverse>
inline void FirstPassRadix4(const float* src, float* dst, int32_t n, const int32_t* bitReverse,
                            float scale) {
  using V = typename Ops::V;
  const int32_t q = n / 4;
  const V s = Ops::Splat(scale);
  for (int32_t r = 0; r < q; r += Ops::kLanes) {
    const float* in = src + 2 * r;
    V x[4] = {Ops::Load(in), Ops::Load(in + 4 * q), Ops::Load(in + 2 * q), Ops::Load(in + 6 * q)};
    if (!kInverse) {
      for (V& v : x) v = Ops::Mul(v, s);
    }
    const V a0 = Ops::Add(x[0], x[1]), a1 = Ops::Sub(x[0], x[1]);
    const V a2 = Ops::Add(x[2], x[3]);
    const V a3 = Ops::template Rotate<kInverse>(Ops::Sub(x[2], x[3]));
    const V y[4] = {Ops::Add(a0, a2), Ops::Add(a1, a3), Ops::Sub(a0, a2), Ops::Sub(a1, a3)};
    Ops::StoreGroups(y, 4, dst, bitReverse + r);
  }
}

// Radix 8 (stages 1, 2, 4), for lengths with an odd number of stages.
template <class Ops, bool kInverse>
inline void FirstPassRadix8(const float* src, float* dst, int32_t n, const int32_t* bitReverse,
                            float scale) {
  using V = typename Ops::V;
  const int32_t e = n / 8;
  const V s = Ops::Splat(scale);
  const V c8 = Ops::Splat(0.70710677f);  // cos(pi/4) as the sine table holds it
  for (int32_t r = 0; r < e; r += Ops::kLanes) {
    const float* in = src + 2 * r;
    // Point j of the group comes from rev3(j) * N/8.
    V x[8] = {Ops::Load(in),         Ops::Load(in + 8 * e), Ops::Load(in + 4 * e),
              Ops::Load(in + 12 * e), Ops::Load(in + 2 * e), Ops::Load(in + 10 * e),
              Ops::Load(in + 6 * e),  Ops::Load(in + 14 * e)};
    if (!kInverse) {
      for (V& v : x) v = Ops::Mul(v, s);
    }
    // h = 1
    const V a0 = Ops::Add(x[0], x[1]), a1 = Ops::Sub(x[0], x[1]);
    const V a2 = Ops::Add(x[2], x[3]);
    const V a3 = Ops::template Rotate<kInverse>(Ops::Sub(x[2], x[3]));
    const V a4 = Ops::Add(x[4], x[5]), a5 = Ops::Sub(x[4], x[5]);
    const V a6 = Ops::Add(x[6], x[7]);
    const V a7 = Ops::template Rotate<kInverse>(Ops::Sub(x[6], x[7]));
    // h = 2
    const V b0 = Ops::Add(a0, a2), b2 = Ops::Sub(a0, a2);
    const V b1 = Ops::Add(a1, a3), b3 = Ops::Sub(a1, a3);
    const V b4 = Ops::Add(a4, a6);
    const V b6 = Ops::template Rotate<kInverse>(Ops::Sub(a4, a6));
    const V b5 = Ops::Add(a5, a7), b7 = Ops::Sub(a5, a7);
    // h = 4: twiddles 1, c8 (1 + j), j, c8 (j - 1), j the direction's -i or +i
    const V t5 = Ops::Mul(Ops::Add(b5, Ops::template Rotate<kInverse>(b5)), c8);
    const V t7 = Ops::Mul(Ops::Sub(Ops::template Rotate<kInverse>(b7), b7), c8);
    const V y[8] = {Ops::Add(b0, b4), Ops::Add(b1, t5), Ops::Add(b2, b6), Ops::Add(b3, t7),
                    Ops::Sub(b0, b4), Ops::Sub(b1, t5), Ops::Sub(b2, b6), Ops::Sub(b3, t7)};
    Ops::StoreGroups(y, 8, dst, bitReverse + r);
  }
}

// Stages h and 2h as one radix-4 pass (h >= kLanes). In a block of 4h the
// quarters at 0, h, 2h, 3h hold the transforms of the inputs that are 0, 2,
// 1, 3 modulo 4; with W = W(4h)^g and j = -i (forward) or +i:
//   A = p[0], B = W^2 p[h], C = W p[2h], D = W^3 p[3h]
//   p[0] = A+B + C+D, p[h] = A-B + j(C-D), p[2h] = A+B - (C+D), p[3h] = A-B - j(C-D).
// The twiddles come as kLanes values of W, then of W^2, then of W^3 per
// step of kLanes groups (PassTwiddles builds them).
template <class Ops, bool kInverse>
inline void Radix4Pass(float* data, int32_t n, int32_t h, const float* twiddles) {
  using V = typename Ops::V;
  constexpr int32_t kStep = 2 * Ops::kLanes;  // floats in one vector
  const int32_t quarter = 2 * h;              // floats in a quarter block
  for (int32_t block = 0; block < n; block += 4 * h) {
    float* p = data + 2 * block;
    const float* w = twiddles;
    for (int32_t g = 0; g < h; g += Ops::kLanes, p += kStep, w += 3 * kStep) {
      const V a = Ops::Load(p);
      const V b = Ops::template MulComplex<kInverse>(Ops::Load(p + quarter), Ops::Load(w + kStep));
      const V c = Ops::template MulComplex<kInverse>(Ops::Load(p + 2 * quarter), Ops::Load(w));
      const V d =
          Ops::template MulComplex<kInverse>(Ops::Load(p + 3 * quarter), Ops::Load(w + 2 * kStep));
      const V sum = Ops::Add(a, b), diff = Ops::Sub(a, b);
      const V cd = Ops::Add(c, d);
      const V turned = Ops::template Rotate<kInverse>(Ops::Sub(c, d));
      Ops::Store(p, Ops::Add(sum, cd));
      Ops::Store(p + quarter, Ops::Add(diff, turned));
      Ops::Store(p + 2 * quarter, Ops::Sub(sum, cd));
      Ops::Store(p + 3 * quarter, Ops::Sub(diff, turned));
    }
  }
}

template <class Ops, bool kInverse>
inline void Radix4Transform(const float* src, float* dst, int32_t points,
                            const int32_t* bitReverse, const float* twiddles) {
  const int32_t first = FirstRadix(points);
  const float scale = 1.0f / static_cast<float>(points);
  if (first == 4) {
    FirstPassRadix4<Ops, kInverse>(src, dst, points, bitReverse, scale);
  } else {
    FirstPassRadix8<Ops, kInverse>(src, dst, points, bitReverse, scale);
  }
  for (int32_t h = first; h < points; h *= 4) {
    Radix4Pass<Ops, kInverse>(dst, points, h, twiddles);
    twiddles += 6 * h;
  }
}

}  // namespace
}  // namespace fft_kernels
