// Start-up latency of playback through the real engine and wave output:
// for each run, how long CAudioEngine::Play takes and how long it is from
// the Play call until the first refill consumed the file's samples (the
// ring's read counter moved off 0), then Stop and Close. Whatever wave
// device Wine has plays the sound: PulseAudio keeps real time, the ALSA file
// device does not. Files are played in turn (a, b, a, ...) so that no Play
// is taken for a repeat of the same path.
// Usage: engine_bench <Plugins folder> <runs> <file>...
// Prints one line per measure: name, runs, min, median, p95, first run (ms).
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "engine/audio_engine.h"
#include "framework/unique_handle.h"

namespace {

double NowMs() {
  LARGE_INTEGER now, frequency;
  ::QueryPerformanceCounter(&now);
  ::QueryPerformanceFrequency(&frequency);
  return static_cast<double>(now.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

struct Samples {
  const char* name;
  std::vector<double> ms;
};

void PrintRow(const Samples& samples) {
  if (samples.ms.empty()) {
    std::printf("%-22s %4d %9s %9s %9s %9s\n", samples.name, 0, "-", "-", "-", "-");
    return;
  }
  std::vector<double> sorted = samples.ms;
  std::sort(sorted.begin(), sorted.end());
  const size_t n = sorted.size();
  const size_t p95 = std::min(n - 1, (n * 95 + 99) / 100 - 1);  // nearest rank
  const double median = n % 2 ? sorted[n / 2] : (sorted[n / 2 - 1] + sorted[n / 2]) / 2;
  std::printf("%-22s %4u %9.1f %9.1f %9.1f %9.1f\n", samples.name, static_cast<unsigned>(n), sorted[0], median,
              sorted[p95], samples.ms[0]);
}

// Watches one start from a thread of its own: when the plug-in's first
// samples reached the ring (the write counter moved; in_wave opens the device
// before its thread writes) and when the device's first buffers were queued
// (the output became active). Polled every millisecond.
class StartWatch {
 public:
  StartWatch(CWaveOutput& output, double start) : output_(output), start_(start) {
    thread_ = std::thread([this] { Run(); });
  }
  ~StartWatch() { Finish(); }
  void Finish() {
    done_.store(true);
    if (thread_.joinable()) thread_.join();
  }
  double firstWriteMs = -1;
  double activeMs = -1;

 private:
  void Run() {
    // One last look after Finish: the main thread may have seen the first
    // refill while this one slept.
    for (;;) {
      const bool finishing = done_.load();
      const double now = NowMs();
      if (firstWriteMs < 0 && output_.Stage().Ring().WriteCounter() != 0) firstWriteMs = now - start_;
      if (activeMs < 0 && output_.IsActive()) activeMs = now - start_;
      if (finishing || (firstWriteMs >= 0 && activeMs >= 0)) return;
      ::Sleep(1);
    }
  }
  CWaveOutput& output_;
  double start_;
  std::atomic<bool> done_{false};
  std::thread thread_;
};

// waveOutOpen alone, 16-bit stereo at 44100 Hz, as the output opens it.
double DeviceOpenMs() {
  WAVEFORMATEX format{};
  format.wFormatTag = WAVE_FORMAT_PCM;
  format.nChannels = 2;
  format.nSamplesPerSec = 44100;
  format.wBitsPerSample = 16;
  format.nBlockAlign = 4;
  format.nAvgBytesPerSec = 44100 * 4;
  HWAVEOUT handle = nullptr;
  const double start = NowMs();
  if (::waveOutOpen(&handle, WAVE_MAPPER, &format, 0, 0, CALLBACK_NULL) != MMSYSERR_NOERROR) return -1;
  const double opened = NowMs() - start;
  UniqueWaveOut device(handle);
  return opened;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: engine_bench <Plugins folder> <runs> <file>...\n");
    return 2;
  }
  const int runs = std::max(1, std::atoi(argv[2]));
  std::vector<std::string> files(argv + 3, argv + argc);

  CAudioEngine engine;
  if (!engine.LoadPlugins(argv[1])) {
    std::fprintf(stderr, "no plug-ins in %s\n", argv[1]);
    return 1;
  }
  engine.SetVolume(16384);
  ::timeBeginPeriod(1);  // 1 ms sleeps while polling

  Samples play{"play_call", {}};
  Samples firstRefill{"play_to_first_refill", {}};
  Samples afterPlay{"return_to_first_refill", {}};
  Samples firstWrite{"play_to_plugin_write", {}};
  Samples active{"play_to_buffers_queued", {}};
  int failures = 0;
  for (int run = 0; run < runs; ++run) {
    const std::string& path = files[static_cast<size_t>(run) % files.size()];
    const SampleRing& ring = engine.output().Stage().Ring();
    const double start = NowMs();
    StartWatch watch(engine.output(), start);
    const bool started = engine.Play(path);
    const double returned = NowMs();
    bool moved = false;
    double consumed = returned;
    while (started) {
      if (ring.ReadCounter() != 0) {
        consumed = NowMs();
        moved = true;
        break;
      }
      if (NowMs() - start > 10000) break;
      ::Sleep(1);
    }
    watch.Finish();
    engine.Stop();
    engine.Close();
    if (!started || !moved) {
      ++failures;
      continue;
    }
    std::fprintf(stderr, "run %d: play %.1f, first write %.1f, queued %.1f, first refill %.1f ms\n", run,
                 returned - start, watch.firstWriteMs, watch.activeMs, consumed - start);
    if (watch.firstWriteMs >= 0) firstWrite.ms.push_back(watch.firstWriteMs);
    if (watch.activeMs >= 0) active.ms.push_back(watch.activeMs);
    play.ms.push_back(returned - start);
    firstRefill.ms.push_back(consumed - start);
    afterPlay.ms.push_back(consumed - returned);
    ::Sleep(50);
  }
  Samples deviceOpen{"device_open_alone", {}};
  for (int run = 0; run < runs; ++run) {
    const double ms = DeviceOpenMs();
    if (ms >= 0) deviceOpen.ms.push_back(ms);
    ::Sleep(50);
  }
  ::timeEndPeriod(1);

  std::printf("%-22s %4s %9s %9s %9s %9s\n", "measure_ms", "runs", "min", "median", "p95", "first");
  PrintRow(play);
  PrintRow(firstRefill);
  PrintRow(afterPlay);
  PrintRow(firstWrite);
  PrintRow(active);
  PrintRow(deviceOpen);
  if (failures > 0) std::printf("failed_runs %d\n", failures);
  return failures == runs ? 1 : 0;
}
