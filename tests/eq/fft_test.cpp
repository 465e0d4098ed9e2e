// The transform: its tables, its results and the agreement of its paths.
#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <cstdint>
#include <random>
#include <vector>

#include "eq/fft.h"

namespace {

constexpr double kPi = 3.14159265358979323846;

void FillRandom(float* data, int32_t count, uint32_t seed) {
  std::mt19937 rng(seed);
  std::uniform_real_distribution<float> dist(-32768.0f, 32767.0f);
  for (int32_t i = 0; i < count; ++i) data[i] = dist(rng);
}

double MaxAbs(const float* data, int32_t count) {
  double m = 0;
  for (int32_t i = 0; i < count; ++i) m = std::max(m, std::fabs(static_cast<double>(data[i])));
  return m;
}

// Direct transform of one channel in double precision: the reference.
std::vector<std::complex<double>> DirectTransform(const float* buffer, int32_t n, int32_t channels,
                                                  int32_t channel, bool inverse) {
  std::vector<std::complex<double>> out(static_cast<size_t>(n));
  const double sign = inverse ? 1.0 : -1.0;
  for (int32_t k = 0; k < n; ++k) {
    std::complex<double> sum = 0;
    for (int32_t j = 0; j < n; ++j) {
      const float* v = buffer + (j * channels + channel) * 2;
      const double angle = sign * 2 * kPi * static_cast<double>((int64_t{k} * j) % n) / n;
      sum += std::complex<double>(v[0], v[1]) * std::polar(1.0, angle);
    }
    out[static_cast<size_t>(k)] = inverse ? sum : sum / static_cast<double>(n);
  }
  return out;
}

TEST(FftTables, InitRefusesBadLengths) {
  CFft fft;
  for (int32_t n : {0, 12, 8, -16, 24, 1000}) {
    EXPECT_FALSE(fft.Init(n, 2)) << n;
    EXPECT_EQ(fft.points(), 0);
    EXPECT_EQ(fft.timeBuffer(), nullptr);
    EXPECT_TRUE(fft.sineTable().empty());
  }
  EXPECT_FALSE(fft.Init(16, 0));
  EXPECT_TRUE(fft.Init(16, 1));
  EXPECT_TRUE(fft.Init(8192, 2));
  // A refused Init after a good one leaves no tables behind.
  EXPECT_FALSE(fft.Init(12, 2));
  EXPECT_EQ(fft.points(), 0);
  fft.Forward();  // without tables: nothing happens
}

TEST(FftTables, BuiltAsTheTransformNeedsThem) {
  CFft fft;
  ASSERT_TRUE(fft.Init(8192, 2));
  const int32_t n = 8192;
  EXPECT_EQ(fft.swapCount(), 8064);
  EXPECT_EQ(fft.swapPairs().size(), 8064u);

  const std::vector<float>& t = fft.sineTable();
  ASSERT_EQ(t.size(), static_cast<size_t>(n + n / 4));
  EXPECT_EQ(t[0], 0.0f);
  EXPECT_EQ(t[n / 4], 1.0f);
  EXPECT_EQ(t[n / 8], 0.70710677f);
  for (int32_t k = 0; k < n + n / 4; ++k) {
    ASSERT_NEAR(t[k], std::sin(2 * kPi * k / n), 1e-7) << k;
  }

  const std::vector<int32_t>& rev = fft.bitReverse();
  for (int32_t k = 0; k < n; ++k) {
    int32_t r = 0;
    for (int32_t bit = 0; bit < 13; ++bit) r |= ((k >> bit) & 1) << (12 - bit);
    ASSERT_EQ(rev[k], r) << k;
  }
  // Pairs: k < reverse(k), increasing k, as float offsets of 4-float points.
  const std::vector<int32_t>& pairs = fft.swapPairs();
  int32_t previous = -1;
  for (size_t i = 0; i < pairs.size(); i += 2) {
    const int32_t k = pairs[i] / 4;
    ASSERT_EQ(pairs[i] % 4, 0);
    ASSERT_GT(k, previous);
    ASSERT_EQ(pairs[i + 1], rev[k] * 4);
    ASSERT_LT(k, rev[k]);
    previous = k;
  }

  const float* fwd = fft.forwardTwiddles();
  const float* inv = fft.inverseTwiddles();
  EXPECT_EQ(reinterpret_cast<uintptr_t>(fwd) % 16, 0u);
  EXPECT_EQ(reinterpret_cast<uintptr_t>(inv) % 16, 0u);
  EXPECT_EQ(reinterpret_cast<uintptr_t>(fft.timeBuffer()) % 16, 0u);
  EXPECT_EQ(reinterpret_cast<uintptr_t>(fft.spectrumBuffer()) % 16, 0u);
  for (int32_t k = 0; k < n; k += 97) {
    const float c = t[k + n / 4], s = t[k];
    EXPECT_EQ(fwd[4 * k + 0], c);
    EXPECT_EQ(fwd[4 * k + 1], -s);
    EXPECT_EQ(fwd[4 * k + 2], s);
    EXPECT_EQ(fwd[4 * k + 3], c);
    EXPECT_EQ(inv[4 * k + 1], s);
    EXPECT_EQ(inv[4 * k + 2], -s);
  }
  EXPECT_EQ(fft.ClearTime(), n * 2 * 2);
}

// Every path, lengths from the smallest to the equalizer's, 1..3 channels.
TEST(FftTransform, MatchesDirectTransformAndRoundTrips) {
  struct Case {
    int32_t points, channels;
    CFft::Kernel kernel;
  };
  std::vector<Case> cases;
  for (int32_t n : {16, 32, 64, 128, 512}) {
    cases.push_back({n, 1, CFft::Kernel::kScalar});
    cases.push_back({n, 2, CFft::Kernel::kScalar});
    cases.push_back({n, 3, CFft::Kernel::kScalar});
    if (CFft::VectorKernelAvailable()) cases.push_back({n, 1, CFft::Kernel::kVector});
    if (CFft::WideKernelAvailable()) cases.push_back({n, 1, CFft::Kernel::kWide});
  }
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.points << " points, " << c.channels << " channels, kernel "
                                    << static_cast<int>(c.kernel));
    CFft fft;
    ASSERT_TRUE(fft.Init(c.points, c.channels));
    ASSERT_TRUE(fft.SelectKernel(c.kernel));
    const int32_t floats = fft.bufferFloats();
    FillRandom(fft.timeBuffer(), floats, static_cast<uint32_t>(c.points * 7 + c.channels));
    const std::vector<float> input(fft.timeBuffer(), fft.timeBuffer() + floats);

    fft.Forward();
    EXPECT_EQ(std::vector<float>(fft.timeBuffer(), fft.timeBuffer() + floats), input);
    for (int32_t ch = 0; ch < c.channels; ++ch) {
      const auto expected = DirectTransform(input.data(), c.points, c.channels, ch, false);
      for (int32_t k = 0; k < c.points; ++k) {
        const float* got = fft.spectrumBuffer() + (k * c.channels + ch) * 2;
        ASSERT_NEAR(got[0], expected[k].real(), 0.05) << "point " << k << " channel " << ch;
        ASSERT_NEAR(got[1], expected[k].imag(), 0.05) << "point " << k << " channel " << ch;
      }
    }
    const std::vector<float> spectrum(fft.spectrumBuffer(), fft.spectrumBuffer() + floats);
    fft.Inverse();
    EXPECT_EQ(std::vector<float>(fft.spectrumBuffer(), fft.spectrumBuffer() + floats), spectrum);
    for (int32_t i = 0; i < floats; ++i) ASSERT_NEAR(fft.timeBuffer()[i], input[i], 0.05) << i;
  }
}

TEST(FftTransform, EqualizerSizeRoundTripAndConstant) {
  for (CFft::Kernel kernel : {CFft::Kernel::kScalar, CFft::Kernel::kVector, CFft::Kernel::kWide}) {
    CFft fft;
    ASSERT_TRUE(fft.Init(8192, 1));
    if (!fft.SelectKernel(kernel)) continue;
    SCOPED_TRACE(static_cast<int>(kernel));
    const int32_t floats = fft.bufferFloats();
    FillRandom(fft.timeBuffer(), floats, 99);
    const std::vector<float> input(fft.timeBuffer(), fft.timeBuffer() + floats);
    fft.Forward();
    fft.Inverse();
    // Thirteen passes each way: a few float roundings of full-scale values.
    for (int32_t i = 0; i < floats; ++i) ASSERT_NEAR(fft.timeBuffer()[i], input[i], 0.1) << i;

    // Constant 1.0 left and 0.5 right (real and imaginary parts) transforms
    // to 1 + 0.5i at point 0.
    fft.ClearTime();
    for (int32_t k = 0; k < 8192; ++k) {
      fft.timeBuffer()[2 * k] = 1.0f;
      fft.timeBuffer()[2 * k + 1] = 0.5f;
    }
    fft.Forward();
    const float* s = fft.spectrumBuffer();
    EXPECT_NEAR(s[0], 1.0f, 1e-6);
    EXPECT_NEAR(s[1], 0.5f, 1e-6);
    EXPECT_LT(MaxAbs(s + 2, floats - 2), 1e-6);
  }
}

TEST(FftTransform, VectorAndScalarPathsAgree) {
  if (!CFft::VectorKernelAvailable()) GTEST_SKIP() << "no SSE on this processor";
  CFft vector, scalar;
  ASSERT_TRUE(vector.Init(8192, 1));
  ASSERT_TRUE(scalar.Init(8192, 1));
  ASSERT_TRUE(vector.SelectKernel(CFft::Kernel::kVector));
  ASSERT_TRUE(scalar.SelectKernel(CFft::Kernel::kScalar));
  EXPECT_EQ(vector.ActiveKernel(), CFft::Kernel::kVector);
  EXPECT_EQ(scalar.ActiveKernel(), CFft::Kernel::kScalar);
  const int32_t floats = vector.bufferFloats();
  FillRandom(vector.timeBuffer(), floats, 5);
  std::copy(vector.timeBuffer(), vector.timeBuffer() + floats, scalar.timeBuffer());
  vector.Forward();
  scalar.Forward();
  for (int32_t i = 0; i < floats; ++i) {
    ASSERT_NEAR(vector.spectrumBuffer()[i], scalar.spectrumBuffer()[i], 2e-3) << i;
  }
  vector.Inverse();
  scalar.Inverse();
  for (int32_t i = 0; i < floats; ++i) {
    ASSERT_NEAR(vector.timeBuffer()[i], scalar.timeBuffer()[i], 0.05) << i;
  }
  // The vector kernels exist for one (packed) channel only.
  CFft stereo;
  ASSERT_TRUE(stereo.Init(64, 2));
  EXPECT_FALSE(stereo.SelectKernel(CFft::Kernel::kVector));
  EXPECT_FALSE(stereo.SelectKernel(CFft::Kernel::kWide));
  EXPECT_EQ(stereo.ActiveKernel(), CFft::Kernel::kScalar);
}

}  // namespace
