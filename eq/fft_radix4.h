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

template <int32_t kValue>
struct IntConstant {};

// Ops supplies: type V; kLanes; Load, Store (aligned); Add, Sub, Mul (per
// float); Splat(float); MulComplex<inverse>(v, w) = v * w forward, v *
// conj(w) inverse; Rotate<inverse>(v) = v * -i forward, v * +i inverse;
// StoreGroups(y, count, dst, starts): y[0..count) hold one group per lane,
// group l's points go to dst at point starts[l], in order.

// The first pass' butterflies, lane by lane: stages 1, 2 on four points.
template <class Ops, bool kInverse>
inline void FirstButterflies(const typename Ops::V* x, typename Ops::V* y, IntConstant<4>) {
  using V = typename Ops::V;
  const V a0 = Ops::Add(x[0], x[1]), a1 = Ops::Sub(x[0], x[1]);
  const V a2 = Ops::Add(x[2], x[3]);
  const V a3 = Ops::template Rotate<kInverse>(Ops::Sub(x[2], x[3]));
  y[0] = Ops::Add(a0, a2);
  y[1] = Ops::Add(a1, a3);
  y[2] = Ops::Sub(a0, a2);
  y[3] = Ops::Sub(a1, a3);
}

// Stages 1, 2, 4 on eight points.
template <class Ops, bool kInverse>
inline void FirstButterflies(const typename Ops::V* x, typename Ops::V* y, IntConstant<8>) {
  using V = typename Ops::V;
  const V c8 = Ops::Splat(0.70710677f);  // cos(pi/4) as the sine table holds it
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
  y[0] = Ops::Add(b0, b4);
  y[1] = Ops::Add(b1, t5);
  y[2] = Ops::Add(b2, b6);
  y[3] = Ops::Add(b3, t7);
  y[4] = Ops::Sub(b0, b4);
  y[5] = Ops::Sub(b1, t5);
  y[6] = Ops::Sub(b2, b6);
  y[7] = Ops::Sub(b3, t7);
}

// The first pass, the bit-reversed gather fused with stages 1, 2 (radix 4)
// or 1, 2, 4 (radix 8). Lane l takes the group of outputs that starts at
// point bitReverse[r + l]; output j of it comes from point
// r + l + rev(j) * N/R, so for each j the lanes read one aligned vector.
template <class Ops, bool kInverse, int32_t kRadix>
inline void FirstPass(const float* src, float* dst, int32_t n, const int32_t* bitReverse) {
  using V = typename Ops::V;
  constexpr int32_t kReverse8[] = {0, 4, 2, 6, 1, 5, 3, 7};  // 3-bit reversal
  const int32_t groups = n / kRadix;
  const V scale = Ops::Splat(1.0f / static_cast<float>(n));
  for (int32_t r = 0; r < groups; r += Ops::kLanes) {
    V x[kRadix], y[kRadix];
    for (int32_t j = 0; j < kRadix; ++j) {
      x[j] = Ops::Load(src + 2 * (r + kReverse8[j] / (8 / kRadix) * groups));
      if (!kInverse) x[j] = Ops::Mul(x[j], scale);
    }
    FirstButterflies<Ops, kInverse>(x, y, IntConstant<kRadix>());
    Ops::StoreGroups(y, kRadix, dst, bitReverse + r);
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
  if (first == 4) {
    FirstPass<Ops, kInverse, 4>(src, dst, points, bitReverse);
  } else {
    FirstPass<Ops, kInverse, 8>(src, dst, points, bitReverse);
  }
  for (int32_t h = first; h < points; h *= 4) {
    Radix4Pass<Ops, kInverse>(dst, points, h, twiddles);
    twiddles += 6 * h;
  }
}

// The kernel files' entry: the direction as a template argument, so that
// its signs are constants in the loops.
template <class Ops>
inline void RunTransform(const float* src, float* dst, int32_t points, const int32_t* bitReverse,
                         const float* twiddles, bool inverse) {
  if (inverse) {
    Radix4Transform<Ops, true>(src, dst, points, bitReverse, twiddles);
  } else {
    Radix4Transform<Ops, false>(src, dst, points, bitReverse, twiddles);
  }
}

}  // namespace
}  // namespace fft_kernels
