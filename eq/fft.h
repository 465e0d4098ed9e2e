// Complex fast Fourier transform of N points carrying C interleaved channels
// at once. The equalizer uses N = 8192, C = 1: left and right travel as the
// real and imaginary parts of one complex signal (see eq_block_math.h).
#pragma once
#include <cstdint>
#include <vector>

#include "eq/aligned_floats.h"

// Layout of both buffers: point k, channel c is the complex value at floats
// (k*C + c)*2 (real) and +1 (imaginary). With C = 1 one point is two floats;
// the vector kernels hold two (SSE) or four (AVX2) points in one vector.
//
// Threading: one owner thread at a time (the audio refill thread once the
// output runs). Init is not safe against a concurrent Forward/Inverse.
class CFft {
 public:
  // Which implementation Forward and Inverse run. kAuto picks, for C = 1,
  // the 8-wide AVX2/FMA kernel (kWide) when the processor and the operating
  // system support it, else the 4-wide SSE kernel (kVector) when the
  // processor has SSE, else the scalar one. Tests and the benchmark force
  // one to compare them.
  enum class Kernel { kAuto, kScalar, kVector, kWide };

  CFft() = default;  // one channel, no tables until Init
  CFft(const CFft&) = delete;
  CFft& operator=(const CFft&) = delete;

  // Frees the old tables, then builds every table for `points` points and
  // `channels` channels and zeroes both buffers. Refuses (false, no tables)
  // a length that is not a power of two or is below 16, and channels < 1.
  bool Init(int32_t points, int32_t channels);

  // Sets all N*C*2 floats of the time buffer to 0; returns N*C*2.
  int32_t ClearTime();
  // spectrumBuffer <- forward transform of timeBuffer, normalised by 1/N.
  void Forward();
  // timeBuffer <- inverse transform of spectrumBuffer, not normalised.
  void Inverse();

  // False (and nothing changes) when a vector kernel is asked for but this
  // program or processor cannot run it, or C is not 1.
  bool SelectKernel(Kernel kernel);
  // The path Forward/Inverse take now (kScalar, kVector or kWide).
  Kernel ActiveKernel() const;
  static bool VectorKernelAvailable();
  static bool WideKernelAvailable();
  static const char* KernelName(Kernel kernel);  // "scalar", "sse", "avx2", "auto"

  int32_t points() const { return points_; }
  int32_t channels() const { return channels_; }
  float* timeBuffer() { return timeBuffer_.data(); }
  float* spectrumBuffer() { return spectrumBuffer_.data(); }
  int32_t bufferFloats() const { return points_ * channels_ * 2; }

  // The tables, read-only outside Init.
  const std::vector<float>& sineTable() const { return sineTable_; }        // N + N/4
  const std::vector<int32_t>& bitReverse() const { return bitReverse_; }    // N
  const float* forwardTwiddles() const { return forwardTwiddles_.data(); }  // (N+1) x 4
  const float* inverseTwiddles() const { return inverseTwiddles_.data(); }  // (N+1) x 4
  const std::vector<int32_t>& swapPairs() const { return swapPairs_; }
  int32_t swapCount() const { return swapCount_; }

 private:
  void Release();
  void BuildSineTable();
  void BuildTwiddleVectors();
  void BuildBitReversal();
  void BuildPassTwiddles();
  void Transform(const float* src, float* dst, bool inverse);

  int32_t channels_ = 1;
  int32_t points_ = 0;
  AlignedFloats timeBuffer_;
  AlignedFloats spectrumBuffer_;
  std::vector<int32_t> bitReverse_;
  std::vector<float> sineTable_;  // entry k = sin(2*pi*k/N)
  AlignedFloats forwardTwiddles_;  // entry k = (cos, -sin, sin, cos) of 2*pi*k/N
  AlignedFloats inverseTwiddles_;  // entry k = (cos, sin, -sin, cos)
  std::vector<int32_t> swapPairs_;  // float offsets (k*C*2, r*C*2), k < r = reversed k
  int32_t swapCount_ = 0;           // int32 values in swapPairs (twice the pairs)
  // The vector kernels' pass twiddles (fft_kernels.h), laid out for two
  // points per vector (SSE) and four (AVX2); built when the kernel can run.
  AlignedFloats sseTwiddles_;
  AlignedFloats avx2Twiddles_;
  Kernel kernel_ = Kernel::kAuto;
};
