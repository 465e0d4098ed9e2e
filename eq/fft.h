// Complex fast Fourier transform of N points carrying C interleaved channels
// at once; the equalizer uses N = 8192, C = 2 (left and right).
#pragma once
#include <cstdint>
#include <vector>

#include "eq/aligned_floats.h"

// Layout of both buffers: point k, channel c is the complex value at floats
// (k*C + c)*2 (real) and +1 (imaginary). With C = 2 one point is four floats
// (left re, left im, right re, right im), i.e. exactly one 16-byte vector.
//
// Threading: one owner thread at a time (the audio refill thread once the
// output runs). Init is not safe against a concurrent Forward/Inverse.
class CFft {
 public:
  // Which implementation Forward and Inverse run. kAuto picks the 4-wide
  // vector path for C = 2 when the processor has SSE, else the scalar one.
  // Tests and the benchmark force one to compare them.
  enum class Kernel { kAuto, kScalar, kVector };

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

  // False (and nothing changes) when kVector is asked for but this program
  // or processor cannot run it, or C is not 2.
  bool SelectKernel(Kernel kernel);
  // The path Forward/Inverse take now (kScalar or kVector).
  Kernel ActiveKernel() const;
  static bool VectorKernelAvailable();

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
  void BuildVectorPassTwiddles();
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
  // The vector path's own twiddles, one 16-byte entry (w1 re, w1 im, w2 re,
  // w2 im) per group of each radix-4 pass, in the order the passes read them.
  AlignedFloats vectorPassTwiddles_;
  Kernel kernel_ = Kernel::kAuto;
};
