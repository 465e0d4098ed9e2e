// The per-bin and per-sample loops of one equalizer block, in a scalar form
// and a 4-wide SSE form (used when the transform runs its vector path).
#pragma once
#include <cstdint>

namespace eq_block_math {

// Spectrum of `points` two-channel points (four floats each, 16-byte aligned
// for the vector form): point 0 scaled by gains[0], points j and points - j
// by gains[j] for j = 1 .. points/2 - 1; the Nyquist point is left alone.
void ApplyBinGains(float* spectrum, const float* gains, int32_t points, bool vector);

// out[i] = trunc(multiplier * time[2i]) >> 14, saturated to 16 bits, for
// i = 0 .. count-1 (the real parts, left and right interleaved). Computed by
// saturating the product at +-2^29 before truncation, which gives the same
// samples as a 64-bit product and never overflows; NaN gives -32768. The
// vector form needs count to be a multiple of 4 and time 16-byte aligned.
void ScaleToSamples(const float* time, int32_t multiplier, int16_t* out, int32_t count,
                    bool vector);

}  // namespace eq_block_math
