// The per-bin and per-sample loops of one equalizer block, in the form of
// each transform kernel (scalar, SSE, AVX2).
//
// Both channels travel in one complex transform: point k of the time buffer
// is left[k] + i right[k]. The gains are real and the same for bins k and
// N - k, so the filtered left and right come back as the real and
// imaginary parts of the inverse transform, with nothing to unpack.
#pragma once
#include <cstdint>

#include "eq/fft.h"

namespace eq_block_math {

// Spectrum of `points` one-channel points (two floats each, aligned as the
// kernel loads them): point 0 scaled by gains[0], points j and points - j
// by gains[j] for j = 1 .. points/2 - 1; the Nyquist point is left alone.
void ApplyBinGains(float* spectrum, const float* gains, int32_t points, CFft::Kernel kernel);

// out[i] = trunc(multiplier * time[i]) >> 14, saturated to 16 bits, for
// i = 0 .. count-1 (left and right interleaved, as the packed time buffer
// holds them). Computed by saturating the product at +-2^29 before
// truncation, which gives the same samples as a 64-bit product and never
// overflows; NaN gives -32768. The vector forms take count in multiples of
// 4 (SSE) or 8 (AVX2) and otherwise fall back to the scalar one.
void ScaleToSamples(const float* time, int32_t multiplier, int16_t* out, int32_t count,
                    CFft::Kernel kernel);

}  // namespace eq_block_math
