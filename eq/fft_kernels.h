// The transform's inner loops, shared by fft.cpp and eq_block_math.cpp: the
// scalar radix-2 paths for any channel count, and the vector kernels for one
// complex channel (the equalizer's left + i right): 4-wide SSE and 8-wide
// AVX2 with FMA, each in a file compiled for its own instruction set.
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

// The vector kernels' first pass combines stages 1, 2 (radix 4) or 1, 2, 4
// (radix 8) so that the remaining stages pair up into radix-4 passes.
int32_t FirstRadix(int32_t points);

// Floats of the vector kernels' pass twiddle table for N points.
int32_t PassTwiddleFloats(int32_t points);
// Fills it from the sine table for a kernel of `lanes` complex points per
// vector: per radix-4 pass over stages h, 2h and per step of `lanes` groups
// g, the values W^g, W^2g, W^3g (W = exp(-2 pi i / 4h)) for each lane.
void BuildPassTwiddles(int32_t points, int32_t lanes, const float* sineTable, float* table);

// One-channel transforms of N >= 16 points (N a power of two): one complex
// point is two floats. src, dst and the table aligned to the vector width
// (16 bytes for SSE, 32 for AVX2); forward scales by 1/N (exact). Only call
// a kernel when its *Compiled() is true and the processor has its features
// (cpu_features.h). SSE: two points per vector; AVX2: four.
bool SseKernelCompiled();
void SseTransform(const float* src, float* dst, int32_t points, const int32_t* bitReverse,
                  const float* passTwiddles, bool inverse);
bool Avx2KernelCompiled();
void Avx2Transform(const float* src, float* dst, int32_t points, const int32_t* bitReverse,
                   const float* passTwiddles, bool inverse);

// The block arithmetic of eq_block_math.h in AVX2 (32-byte aligned buffers,
// count a multiple of 8).
void Avx2ApplyBinGains(float* spectrum, const float* gains, int32_t points);
void Avx2ScaleToSamples(const float* time, int32_t multiplier, int16_t* out, int32_t count);

}  // namespace fft_kernels
