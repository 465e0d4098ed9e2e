// The transform's inner loops, shared by fft.cpp: the scalar radix-2 paths and
// the 4-wide vector path for two channels.
#pragma once
#include <cstdint>

namespace fft_kernels {

// Scalar radix-2 decimation in time, for any channel count:
//   dst <- src in bit-reversed order (through the swap list), then the
//   passes h = 1, 2, 4 ... N/2 with twiddles from the sine table; forward
//   divides by N at the end. kChannels 1 and 2 are compiled with the channel
//   loop fixed (and unrolled); 0 reads the count at run time.
template <int kChannels>
void ScalarTransform(const float* src, float* dst, int32_t points, int32_t channels,
                     const int32_t* swapPairs, int32_t swapCount, const float* sineTable,
                     bool inverse);

// True when this program carries the vector path (x86 builds).
bool VectorPathCompiled();

// Entries of the vector path's pass twiddle table for N points.
int32_t VectorPassTwiddleCount(int32_t points);

// Fills the table (VectorPassTwiddleCount entries of four floats) from the
// sine table, in the order VectorTransform reads it.
void BuildVectorPassTwiddles(int32_t points, const float* sineTable, float* table);

// Two-channel transform, one point per 16-byte vector. Both buffers and the
// table must be 16-byte aligned. A bit-reversed gather fused with the first
// radix-4 (or radix-8) butterflies, then radix-4 passes; the forward scale
// 1/N is applied in the gather (a power of two, so exact). Only call when
// VectorPathCompiled() and the processor has SSE.
void VectorTransform(const float* src, float* dst, int32_t points, const int32_t* bitReverse,
                     const float* passTwiddles, bool inverse);

}  // namespace fft_kernels
