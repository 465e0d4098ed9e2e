// The scalar radix-2 transform (any channel count; one and two channels with
// the channel loop fixed at compile time).
#include <cstring>

#include "eq/fft_kernels.h"

namespace fft_kernels {

template <int kChannels>
void ScalarTransform(const float* src, float* dst, int32_t points, int32_t channels,
                     const int32_t* swapPairs, int32_t swapCount, const float* sineTable,
                     bool inverse) {
  const int32_t c = kChannels != 0 ? kChannels : channels;
  const int32_t pointFloats = 2 * c;
  const int32_t n = points;
  const int32_t quarter = n / 4;
  const size_t total = static_cast<size_t>(n) * static_cast<size_t>(pointFloats);

  // Bit-reversed copy: points that are their own reverse come with the whole
  // copy, the others from the swap list (values taken from the source).
  std::memcpy(dst, src, total * sizeof(float));
  for (int32_t i = 0; i < swapCount; i += 2) {
    const int32_t a = swapPairs[i];
    const int32_t b = swapPairs[i + 1];
    for (int32_t f = 0; f < pointFloats; ++f) {
      dst[a + f] = src[b + f];
      dst[b + f] = src[a + f];
    }
  }

  // Block by block, and within a block group by group, so memory is walked
  // in order for every pass.
  for (int32_t h = 1; h < n; h *= 2) {
    const int32_t angleStep = n / (2 * h);
    const int32_t span = h * pointFloats;
    for (int32_t block = 0; block < n; block += 2 * h) {
      float* u = dst + static_cast<size_t>(block) * pointFloats;
      for (int32_t g = 0; g < h; ++g, u += pointFloats) {
        const int32_t q = g * angleStep;
        const float wr = sineTable[q + quarter];
        const float wi = inverse ? sineTable[q] : -sineTable[q];  // w = cos -/+ i sin
        float* v = u + span;
        for (int32_t ch = 0; ch < c; ++ch) {
          const float vr = v[2 * ch];
          const float vi = v[2 * ch + 1];
          const float xr = vr * wr - vi * wi;
          const float xi = vr * wi + vi * wr;
          const float ur = u[2 * ch];
          const float ui = u[2 * ch + 1];
          u[2 * ch] = ur + xr;
          u[2 * ch + 1] = ui + xi;
          v[2 * ch] = ur - xr;
          v[2 * ch + 1] = ui - xi;
        }
      }
    }
  }

  if (!inverse) {
    const float length = static_cast<float>(n);
    for (size_t i = 0; i < total; ++i) dst[i] /= length;
  }
}

template void ScalarTransform<0>(const float*, float*, int32_t, int32_t, const int32_t*, int32_t,
                                 const float*, bool);
template void ScalarTransform<1>(const float*, float*, int32_t, int32_t, const int32_t*, int32_t,
                                 const float*, bool);
template void ScalarTransform<2>(const float*, float*, int32_t, int32_t, const int32_t*, int32_t,
                                 const float*, bool);

}  // namespace fft_kernels
