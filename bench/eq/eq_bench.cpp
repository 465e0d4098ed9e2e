// Time per equalizer block (ProcessEqBlock) and per transform core (forward,
// gains, inverse: one complex transform carrying both channels) for each
// kernel this processor can run. One line per kernel: "<kernel> <block us>
// <core us> <real-time factor>"; the kernel the program picks by itself is
// marked with a '*'.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "eq/eq_block_math.h"
#include "eq/eq_presets.h"
#include "engine/eq_stage.h"

namespace {

constexpr int kRounds = 1500;
// One block brings 8064 new frames: 182.857 ms of 44100 Hz audio.
constexpr double kBlockAudioUs = 8064.0 / 44100.0 * 1e6;

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

template <typename F>
double TimeUs(F&& work) {
  const auto start = std::chrono::steady_clock::now();
  work();
  return std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start)
      .count();
}

}  // namespace

int main() {
  // An octave preset with a few bands moved, as a listener would have it.
  EqPresetList presets;
  int32_t lastId = 0;
  const int32_t id = presets.AddNewPreset([&] { return ++lastId; });
  presets.SetPresetType(id, EqTypeOctave);
  std::vector<std::pair<float, float>> points;
  const std::optional<EqPreset> octave = presets.FindPreset(id);
  for (const EqPoint& p : octave->points) points.emplace_back(p.x, 0.5f + p.x / 4096.0f);
  presets.ReplacePresetPoints(id, points);
  EqualizerCurve curve;
  presets.BuildEqualizerCurve(id, curve);

  // A second of two tones and noise, written again whenever it runs low.
  std::vector<int16_t> signal(2 * 44100);
  uint32_t noise = 1;
  for (size_t i = 0; i < signal.size(); ++i) {
    noise = noise * 1664525u + 1013904223u;
    const double t = static_cast<double>(i / 2) / 44100.0;
    signal[i] = static_cast<int16_t>(8000 * std::sin(2 * 3.14159265 * (i % 2 ? 440 : 1000) * t) +
                                     static_cast<int32_t>(noise >> 20) - 2048);
  }

  std::printf("%-8s %12s %12s %14s\n", "kernel", "block_us", "core_us", "realtime_x");
  const CFft::Kernel chosen = std::make_unique<EqualizerStage>()->fft().ActiveKernel();
  for (CFft::Kernel kernel : {CFft::Kernel::kWide, CFft::Kernel::kVector, CFft::Kernel::kScalar}) {
    auto stage = std::make_unique<EqualizerStage>();
    if (!stage->fft().SelectKernel(kernel)) continue;
    stage->SetEqCurve(curve);
    auto ring = std::make_unique<SampleRing>();
    std::vector<double> block, core;
    for (int round = 0; round < kRounds + 50; ++round) {
      if (ring->AvailableBytes() < 2 * 32768) {
        ring->Write(signal.data(), static_cast<uint32_t>(signal.size() * 2));
      }
      const double us = TimeUs([&] { stage->ProcessEqBlock(*ring, 16384); });
      CFft& fft = stage->fft();
      const CFft::Kernel active = fft.ActiveKernel();
      const double coreUs = TimeUs([&] {
        fft.Forward();
        eq_block_math::ApplyBinGains(fft.spectrumBuffer(), stage->LatestGains(), 8192, active);
        fft.Inverse();
      });
      if (round >= 50) {  // after the caches have warmed up
        block.push_back(us);
        core.push_back(coreUs);
      }
    }
    const double blockUs = Median(block);
    const std::string name = std::string(CFft::KernelName(kernel)) + (kernel == chosen ? "*" : "");
    std::printf("%-8s %12.1f %12.1f %14.0f\n", name.c_str(), blockUs, Median(core),
                kBlockAudioUs / blockUs);
  }
  return 0;
}
