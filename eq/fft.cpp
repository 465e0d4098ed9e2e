// Table construction and path selection of the transform.
#include "eq/fft.h"

#include <cmath>
#include <cstring>

#include "eq/cpu_features.h"
#include "eq/fft_kernels.h"

namespace {

bool IsPowerOfTwo(int32_t n) { return n > 0 && (n & (n - 1)) == 0; }

int32_t Log2(int32_t n) {
  int32_t bits = 0;
  while ((int32_t{1} << bits) < n) ++bits;
  return bits;
}

}  // namespace

namespace fft_kernels {

int32_t FirstRadix(int32_t points) { return (Log2(points) % 2 == 0) ? 4 : 8; }

int32_t PassTwiddleFloats(int32_t points) {
  int32_t groups = 0;
  for (int32_t h = FirstRadix(points); h < points; h *= 4) groups += h;
  return 6 * groups;
}

void BuildPassTwiddles(int32_t points, int32_t lanes, const float* sineTable, float* table) {
  const int32_t quarter = points / 4;
  for (int32_t h = FirstRadix(points); h < points; h *= 4) {
    const int32_t step = points / (4 * h);  // W(4h) = W(N)^step
    for (int32_t g0 = 0; g0 < h; g0 += lanes) {
      for (int32_t power = 1; power <= 3; ++power) {
        for (int32_t g = g0; g < g0 + lanes; ++g) {
          const int32_t q = power * g * step;  // below 3N/4
          *table++ = sineTable[q + quarter];   // cos
          *table++ = -sineTable[q];            // -sin: the forward direction
        }
      }
    }
  }
}

}  // namespace fft_kernels

bool CFft::Init(int32_t points, int32_t channels) {
  Release();
  if (points < 16 || !IsPowerOfTwo(points) || channels < 1) return false;
  // Keep N*C*2 floats well inside 32-bit offsets.
  if (static_cast<int64_t>(points) * channels > (int64_t{1} << 26)) return false;
  points_ = points;
  channels_ = channels;
  BuildSineTable();
  BuildTwiddleVectors();
  BuildBitReversal();
  BuildPassTwiddles();
  timeBuffer_.Allocate(static_cast<size_t>(bufferFloats()));
  spectrumBuffer_.Allocate(static_cast<size_t>(bufferFloats()));
  return true;
}

void CFft::Release() {
  points_ = 0;
  timeBuffer_.Release();
  spectrumBuffer_.Release();
  bitReverse_.clear();
  sineTable_.clear();
  forwardTwiddles_.Release();
  inverseTwiddles_.Release();
  swapPairs_.clear();
  swapCount_ = 0;
  sseTwiddles_.Release();
  avx2Twiddles_.Release();
}

// sin(2*pi*k/N) for k = 0 .. N + N/4 - 1. The first octant comes from a
// recurrence on cosine decrement and sine increment carried in extended
// precision; the rest by symmetry.
void CFft::BuildSineTable() {
  const int32_t n = points_;
  const int32_t quarter = n / 4;
  sineTable_.assign(static_cast<size_t>(n + quarter), 0.0f);
  float* t = sineTable_.data();
  t[0] = 0.0f;
  t[quarter] = 1.0f;

  const long double pi = 3.141592653589793238462643383279502884L;
  const long double half = std::sin(pi / n);
  const long double alpha0 = 2.0L * half * half;  // 1 - cos(2*pi/N)
  long double beta = std::sqrt(alpha0 * (2.0L - alpha0));  // sin(2*pi/N)
  long double alpha = alpha0;
  long double c = 1.0L;
  long double s = 0.0L;
  for (int32_t k = 1; k < n / 8; ++k) {
    c -= alpha;
    alpha += 2.0L * alpha0 * c;
    s += beta;
    beta -= 2.0L * alpha0 * s;
    t[k] = static_cast<float>(s);
    t[quarter - k] = static_cast<float>(c);
  }
  if (n / 8 != 0) t[n / 8] = static_cast<float>(std::sqrt(0.5L));
  for (int32_t j = 0; j < quarter; ++j) t[n / 2 - j] = t[j];
  for (int32_t j = 0; j < 3 * quarter; ++j) t[n / 2 + j] = -t[j];
}

void CFft::BuildTwiddleVectors() {
  const int32_t n = points_;
  const float* t = sineTable_.data();
  forwardTwiddles_.Allocate(static_cast<size_t>(n + 1) * 4);
  inverseTwiddles_.Allocate(static_cast<size_t>(n + 1) * 4);
  float* fwd = forwardTwiddles_.data();
  float* inv = inverseTwiddles_.data();
  for (int32_t k = 0; k < n; ++k) {
    const float cosine = t[k + n / 4];
    const float sine = t[k];
    float* f = fwd + 4 * k;
    f[0] = cosine, f[1] = -sine, f[2] = sine, f[3] = cosine;
    float* i = inv + 4 * k;
    i[0] = cosine, i[1] = sine, i[2] = -sine, i[3] = cosine;
  }
}

void CFft::BuildBitReversal() {
  const int32_t n = points_;
  bitReverse_.assign(static_cast<size_t>(n), 0);
  for (int32_t k = 1; k < n; ++k) {
    int32_t r = bitReverse_[k - 1];
    int32_t m = n / 2;
    while (r >= m) {
      r -= m;
      m /= 2;
    }
    bitReverse_[k] = r + m;
  }
  const int32_t pointFloats = channels_ * 2;
  swapPairs_.clear();
  swapPairs_.reserve(static_cast<size_t>(n / 2));
  for (int32_t k = 0; k < n; ++k) {
    const int32_t r = bitReverse_[k];
    if (k < r) {
      swapPairs_.push_back(k * pointFloats);
      swapPairs_.push_back(r * pointFloats);
    }
  }
  swapCount_ = static_cast<int32_t>(swapPairs_.size());
}

void CFft::BuildPassTwiddles() {
  if (channels_ != 1) return;
  const size_t floats = static_cast<size_t>(fft_kernels::PassTwiddleFloats(points_));
  if (VectorKernelAvailable()) {
    sseTwiddles_.Allocate(floats);
    fft_kernels::BuildPassTwiddles(points_, 2, sineTable_.data(), sseTwiddles_.data());
  }
  if (WideKernelAvailable()) {
    avx2Twiddles_.Allocate(floats);
    fft_kernels::BuildPassTwiddles(points_, 4, sineTable_.data(), avx2Twiddles_.data());
  }
}

int32_t CFft::ClearTime() {
  const int32_t count = bufferFloats();
  if (count > 0) std::memset(timeBuffer_.data(), 0, static_cast<size_t>(count) * sizeof(float));
  return count;
}

void CFft::Forward() { Transform(timeBuffer_.data(), spectrumBuffer_.data(), false); }

void CFft::Inverse() { Transform(spectrumBuffer_.data(), timeBuffer_.data(), true); }

bool CFft::VectorKernelAvailable() { return fft_kernels::SseKernelCompiled() && cpuHasSse; }

bool CFft::WideKernelAvailable() { return fft_kernels::Avx2KernelCompiled() && cpuHasAvx2Fma; }

const char* CFft::KernelName(Kernel kernel) {
  switch (kernel) {
    case Kernel::kScalar: return "scalar";
    case Kernel::kVector: return "sse";
    case Kernel::kWide: return "avx2";
    case Kernel::kAuto: break;
  }
  return "auto";
}

bool CFft::SelectKernel(Kernel kernel) {
  const bool vector = kernel == Kernel::kVector || kernel == Kernel::kWide;
  if (vector && channels_ != 1) return false;
  if (kernel == Kernel::kVector && !VectorKernelAvailable()) return false;
  if (kernel == Kernel::kWide && !WideKernelAvailable()) return false;
  kernel_ = kernel;
  return true;
}

CFft::Kernel CFft::ActiveKernel() const {
  // A kernel runs only with its tables (built by Init when it was
  // available) and while the processor flags still allow it.
  const bool wide = avx2Twiddles_.size() != 0 && WideKernelAvailable();
  const bool sse = sseTwiddles_.size() != 0 && VectorKernelAvailable();
  if (channels_ != 1 || points_ == 0 || kernel_ == Kernel::kScalar) return Kernel::kScalar;
  if (kernel_ == Kernel::kWide) return wide ? Kernel::kWide : Kernel::kScalar;
  if (kernel_ == Kernel::kVector) return sse ? Kernel::kVector : Kernel::kScalar;
  return wide ? Kernel::kWide : (sse ? Kernel::kVector : Kernel::kScalar);
}

void CFft::Transform(const float* src, float* dst, bool inverse) {
  if (points_ == 0) return;
  switch (ActiveKernel()) {
    case Kernel::kWide:
      fft_kernels::Avx2Transform(src, dst, points_, bitReverse_.data(), avx2Twiddles_.data(),
                                 inverse);
      return;
    case Kernel::kVector:
      fft_kernels::SseTransform(src, dst, points_, bitReverse_.data(), sseTwiddles_.data(),
                                inverse);
      return;
    default:
      break;
  }
  const int32_t* pairs = swapPairs_.data();
  const float* sine = sineTable_.data();
  switch (channels_) {
    case 1:
      fft_kernels::ScalarTransform<1>(src, dst, points_, 1, pairs, swapCount_, sine, inverse);
      break;
    case 2:
      fft_kernels::ScalarTransform<2>(src, dst, points_, 2, pairs, swapCount_, sine, inverse);
      break;
    default:
      fft_kernels::ScalarTransform<0>(src, dst, points_, channels_, pairs, swapCount_, sine,
                                      inverse);
      break;
  }
}
