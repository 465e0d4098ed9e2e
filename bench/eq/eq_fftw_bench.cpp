// FFTW doing what one equalizer block does: a forward transform of 8192
// points of two interleaved channels (single precision, FFTW_MEASURE plan),
// the 1/N scale and the per-bin gains, and the inverse transform.
// Prints "fftw <core us>", the yardstick of bench/eq/run.sh, then
// "fftw-packed <core us>": FFTW on the equalizer's own arrangement (one
// complex transform of left + i right), for reference.
#include <fftw3.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

constexpr int kN = 8192;
constexpr int kRounds = 1500;

// Median time of `work` over kRounds rounds after 50 warm-up rounds, each
// after `fill(round)` (not timed).
double MedianUs(const std::function<void(int)>& fill, const std::function<void()>& work) {
  std::vector<double> samples;
  for (int round = 0; round < kRounds + 50; ++round) {
    fill(round);
    const auto start = std::chrono::steady_clock::now();
    work();
    const double us =
        std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count();
    if (round >= 50) samples.push_back(us);
  }
  std::sort(samples.begin(), samples.end());
  return samples[samples.size() / 2];
}

// Bin j and N - j by gains[j], Nyquist by the scale alone; `floats` per point.
void ApplyGains(float* s, int floats, const std::vector<float>& gains) {
  for (int f = 0; f < floats; ++f) s[f] *= gains[0];
  for (int j = 1; j < kN / 2; ++j) {
    for (int f = 0; f < floats; ++f) {
      s[floats * j + f] *= gains[j];
      s[floats * (kN - j) + f] *= gains[j];
    }
  }
  for (int f = 0; f < floats; ++f) s[floats * (kN / 2) + f] *= 1.0f / kN;
}

}  // namespace

int main() {
  fftwf_complex* time = fftwf_alloc_complex(2 * kN);
  fftwf_complex* spectrum = fftwf_alloc_complex(2 * kN);
  float* s = reinterpret_cast<float*>(spectrum);
  std::vector<float> gains(kN / 2);
  for (int j = 0; j < kN / 2; ++j) gains[j] = (0.5f + j / 4096.0f) / kN;  // scale folded in

  int n[] = {kN};
  // Two transforms (left, right), elements 2 apart, the second starting 1 later.
  fftwf_plan forward = fftwf_plan_many_dft(1, n, 2, time, nullptr, 2, 1, spectrum, nullptr, 2, 1,
                                           FFTW_FORWARD, FFTW_MEASURE);
  fftwf_plan inverse = fftwf_plan_many_dft(1, n, 2, spectrum, nullptr, 2, 1, time, nullptr, 2, 1,
                                           FFTW_BACKWARD, FFTW_MEASURE);
  const double twoChannels = MedianUs(
      [&](int round) {
        for (int i = 0; i < 2 * kN; ++i) {
          time[i][0] = static_cast<float>((i * 7919 + round) % 65536 - 32768);
          time[i][1] = 0;
        }
      },
      [&] {
        fftwf_execute(forward);
        ApplyGains(s, 4, gains);
        fftwf_execute(inverse);
      });
  std::printf("fftw %.1f\n", twoChannels);
  fftwf_destroy_plan(forward);
  fftwf_destroy_plan(inverse);

  fftwf_plan packedForward = fftwf_plan_dft_1d(kN, time, spectrum, FFTW_FORWARD, FFTW_MEASURE);
  fftwf_plan packedInverse = fftwf_plan_dft_1d(kN, spectrum, time, FFTW_BACKWARD, FFTW_MEASURE);
  const double packed = MedianUs(
      [&](int round) {
        for (int i = 0; i < kN; ++i) {
          time[i][0] = static_cast<float>((i * 7919 + round) % 65536 - 32768);
          time[i][1] = static_cast<float>((i * 104729 + round) % 65536 - 32768);
        }
      },
      [&] {
        fftwf_execute(packedForward);
        ApplyGains(s, 2, gains);
        fftwf_execute(packedInverse);
      });
  std::printf("fftw-packed %.1f\n", packed);
  fftwf_destroy_plan(packedForward);
  fftwf_destroy_plan(packedInverse);
  fftwf_free(time);
  fftwf_free(spectrum);
  return 0;
}
