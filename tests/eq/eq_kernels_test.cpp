// The transform kernels (scalar, SSE, AVX2) run only where they can, and
// agree with a double-precision reference and with each other.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdint>
#include <cstring>
#include <functional>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "eq/cpu_features.h"
#include "eq/eq_block_math.h"
#include "eq/fft.h"
#include "tests/engine/eq_test_signals.h"

namespace {

using Complex = std::complex<double>;
using eq_test::kPi;
using eq_test::ReferenceFft;

const char* const kSignals[] = {"noise", "tones", "impulse", "dc+nyquist", "square", "nan/inf/huge"};
constexpr int kSpecials = 5;

// Left (even floats) and right (odd floats) of `points` frames.
std::vector<float> Make(int signal, int32_t points) {
  std::vector<float> v(2 * static_cast<size_t>(points), 0.0f);
  std::mt19937 rng(static_cast<uint32_t>(points));
  std::uniform_real_distribution<float> noise(-32768.0f, 32767.0f);
  const float specials[] = {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(),
                            -std::numeric_limits<float>::infinity(), 1.0e9f, -1.0e9f, -0.0f, 32767.9f, -32768.9f};
  for (int32_t k = 0; k < points; ++k) {
    const double t = static_cast<double>(k) / points;
    const float pairs[][2] = {
        {noise(rng), noise(rng)},
        {static_cast<float>(20000 * std::cos(2 * kPi * 3 * t)),  // on a bin and between bins
         static_cast<float>(15000 * std::sin(2 * kPi * 5.37 * t + 0.4))},
        {k == 1 ? 32767.0f : 0.0f, k == points - 1 ? -32768.0f : 0.0f},
        {10000.0f + (k % 2 ? -9000.0f : 9000.0f), -20000.0f},
        {(k / 4) % 2 ? 32767.0f : -32768.0f, (k / 7) % 2 ? -32768.0f : 32767.0f},
        {specials[k % 8], noise(rng)},
    };
    v[2 * k] = pairs[signal][0];
    v[2 * k + 1] = pairs[signal][1];
  }
  return v;
}

// Real gains per bin, 0 .. 2, some exactly 0 and 1.
std::vector<float> Gains(int32_t points) {
  std::vector<float> g(static_cast<size_t>(points / 2));
  std::mt19937 rng(77);
  std::uniform_real_distribution<float> dist(0.0f, 2.0f);
  for (size_t j = 0; j < g.size(); ++j) g[j] = j % 5 == 0 ? (j % 10 == 0 ? 0.0f : 1.0f) : dist(rng);
  return g;
}

std::vector<Complex> Packed(const std::vector<float>& v) {
  std::vector<Complex> c(v.size() / 2);
  for (size_t k = 0; k < c.size(); ++k) c[k] = Complex(v[2 * k], v[2 * k + 1]);
  return c;
}

double MaxAbs(const std::vector<Complex>& c) {
  double m = 0;
  for (const Complex& x : c) m = std::max({m, std::fabs(x.real()), std::fabs(x.imag())});
  return m;
}

// Runs `call` with the stack moved down by `bytes` (a multiple of 16): a
// kernel that assumes a 32-byte aligned stack faults on one of 0 and 16.
void WithStackShift(int32_t bytes, const std::function<void()>& call) {
  volatile char* pad = static_cast<char*>(__builtin_alloca(static_cast<size_t>(bytes) + 1));
  pad[0] = 0;
  call();
}

TEST(EqKernels, AgreeOverLengthsAndSignals) {
  std::vector<CFft::Kernel> kernels{CFft::Kernel::kScalar};
  if (CFft::VectorKernelAvailable()) kernels.push_back(CFft::Kernel::kVector);
  if (CFft::WideKernelAvailable()) kernels.push_back(CFft::Kernel::kWide);
  int32_t shift = 0;  // alternately 16 and 0
  for (int32_t n : {16, 32, 64, 128, 256, 1024, 2048, 8192}) {
    for (int signal = 0; signal <= kSpecials; ++signal) {
      shift = 16 - shift;
      SCOPED_TRACE(testing::Message() << n << " points, " << kSignals[signal] << ", stack shift " << shift);
      const std::vector<float> input = Make(signal, n);
      const std::vector<float> gains = Gains(n);
      const bool finite = signal != kSpecials;

      // The double-precision reference of the forward transform and of the block.
      std::vector<Complex> spectrum = Packed(input);
      ReferenceFft(spectrum, -1);
      for (Complex& x : spectrum) x /= n;
      std::vector<Complex> filtered = spectrum;
      for (int32_t k = 0; k < n; ++k) {
        const int32_t bin = k <= n / 2 ? k : n - k;
        if (bin != n / 2) filtered[k] *= gains[bin];
      }
      ReferenceFft(filtered, +1);
      // Float rounding grows with log2 N passes; a wrong twiddle or point is off by the order of the signal.
      const double tolerance = 2e-7 * std::log2(n) * MaxAbs(Packed(input)) + 1e-6;

      std::vector<float> scalarGained;
      std::vector<int16_t> scalarSamples;
      for (CFft::Kernel kernel : kernels) {
        SCOPED_TRACE(CFft::KernelName(kernel));
        CFft fft;
        ASSERT_TRUE(fft.Init(n, 1));
        ASSERT_TRUE(fft.SelectKernel(kernel));
        ASSERT_EQ(fft.ActiveKernel(), kernel);
        float *time = fft.timeBuffer(), *freq = fft.spectrumBuffer();
        const size_t floats = 2 * static_cast<size_t>(n);
        std::memcpy(time, input.data(), floats * sizeof(float));

        WithStackShift(shift, [&] { fft.Forward(); });
        auto part = [](const std::vector<Complex>& c, size_t i) { return i % 2 ? c[i / 2].imag() : c[i / 2].real(); };
        for (size_t i = 0; finite && i < floats; ++i) {
          ASSERT_NEAR(freq[i], part(spectrum, i), tolerance) << "forward " << i;
        }
        // The whole block (its inverse checked by it): forward, gains, inverse, 16-bit samples at unity.
        std::vector<int16_t> samples(floats);
        std::memcpy(time, input.data(), floats * sizeof(float));
        WithStackShift(shift, [&] {
          fft.Forward();
          eq_block_math::ApplyBinGains(freq, gains.data(), n, kernel);
          fft.Inverse();
          eq_block_math::ScaleToSamples(time, 16384, samples.data(), static_cast<int32_t>(floats), kernel);
        });
        for (size_t i = 0; finite && i < floats; ++i) {
          // trunc(16384 t) >> 14: a floor of t at 1/16384 resolution.
          const double exact = std::clamp(std::floor(std::trunc(16384 * part(filtered, i)) / 16384), -32768.0, 32767.0);
          ASSERT_LE(std::fabs(samples[i] - exact), 1.0) << "sample " << i;
        }

        // Gains and scaling on the same floats: exactly the scalar form's.
        std::memcpy(freq, input.data(), floats * sizeof(float));
        eq_block_math::ApplyBinGains(freq, gains.data(), n, kernel);
        const std::vector<float> gained(freq, freq + floats);
        std::vector<int16_t> scaled(floats);
        std::memcpy(time, input.data(), floats * sizeof(float));
        eq_block_math::ScaleToSamples(time, 65536, scaled.data(), static_cast<int32_t>(floats), kernel);
        if (kernel == CFft::Kernel::kScalar) {
          scalarGained = gained;
          scalarSamples = scaled;
          continue;
        }
        for (size_t i = 0; i < floats; ++i) {
          ASSERT_TRUE(std::isnan(scalarGained[i]) ? std::isnan(gained[i]) : gained[i] == scalarGained[i]) << i;
        }
        ASSERT_EQ(scaled, scalarSamples);
      }
    }
  }
}

// The wide kernel needs AVX, AVX2, FMA and the 256-bit register state saved by
// the system (OSXSAVE, XCR0 bits 1 and 2).
TEST(EqKernels, ChosenOnlyWhereProcessorAndSystemSupportThem) {
  constexpr unsigned kFma = 1u << 12, kOsXsave = 1u << 27, kAvx = 1u << 28;
  constexpr unsigned kAll = kFma | kOsXsave | kAvx;
  constexpr unsigned kSse = 1u << 25, kAvx2 = 1u << 5;
  struct Row {
    const char* what;
    CpuIdValues values;
    bool sse, wide;
  };
  const Row rows[] = {
      {"everything", {7, kAll, kSse, kAvx2, 7}, true, true},
      {"leaf 13 and more", {13, kAll | 1u, kSse, kAvx2 | 8u, 0xe7}, true, true},
      {"no OSXSAVE", {7, kFma | kAvx, kSse, kAvx2, 7}, true, false},
      {"OS saves XMM only", {7, kAll, kSse, kAvx2, 3}, true, false},
      {"OS saves YMM but not XMM", {7, kAll, kSse, kAvx2, 5}, true, false},
      {"no FMA", {7, kOsXsave | kAvx, kSse, kAvx2, 7}, true, false},
      {"no AVX", {7, kFma | kOsXsave, kSse, kAvx2, 7}, true, false},
      {"no AVX2", {7, kAll, kSse, 0, 7}, true, false},
      {"no leaf 7", {6, kAll, kSse, kAvx2, 7}, true, false},
      {"no SSE", {1, 0, 0, 0, 0}, false, false},
      {"no leaf 1", {0, kAll, kSse, kAvx2, 7}, false, false},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(SseFrom(row.values), row.sse) << row.what;
    EXPECT_EQ(Avx2FmaFrom(row.values), row.wide) << row.what;
  }
  // With the flags down no vector kernel can be chosen, and the block
  // arithmetic asked for one takes the scalar form.
  const bool sse = cpuHasSse, wide = cpuHasAvx2Fma;
  cpuHasSse = cpuHasAvx2Fma = false;
  CFft fft;
  ASSERT_TRUE(fft.Init(16, 1));
  EXPECT_FALSE(fft.SelectKernel(CFft::Kernel::kWide));
  EXPECT_FALSE(fft.SelectKernel(CFft::Kernel::kVector));
  EXPECT_EQ(fft.ActiveKernel(), CFft::Kernel::kScalar);
  std::vector<int16_t> out(16);
  fft.timeBuffer()[3] = 2.5f;
  eq_block_math::ScaleToSamples(fft.timeBuffer(), 16384, out.data(), 16, CFft::Kernel::kWide);
  EXPECT_EQ(out[3], 2);
  cpuHasSse = sse;
  cpuHasAvx2Fma = wide;
}

}  // namespace
