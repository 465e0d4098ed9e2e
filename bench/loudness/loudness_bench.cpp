// Speed of the loudness analysis through the plug-ins' extended-read
// exports: the same worker the play list editor starts, on every file named,
// with the plug-ins of one folder. Reports files per second, times real time
// (wall clock) and times real time per core (seconds of sound per second of
// the process's CPU time). Meanwhile a time-critical thread stands in for
// the output's refill thread: it wakes every 10 ms and counts the wakes that
// came later than one device buffer (186 ms at 44.1 kHz), each of which would
// be a dropout. Usage: loudness_bench <plug-in folder> <seconds per file> <file>...
#include <windows.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "bench/process_clock.h"
#include "engine/loudness_analysis.h"
#include "engine/plugin_library.h"

namespace {

// A device buffer of the wave output at 44.1 kHz.
constexpr double kBufferSeconds = 8192.0 / 44100.0;

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: loudness_bench <plug-in folder> <seconds per file> <file>...\n");
    return 2;
  }
  PluginLibrary plugins;
  if (!plugins.LoadPlugins(argv[1])) {
    std::fprintf(stderr, "no plug-ins in %s\n", argv[1]);
    return 1;
  }
  const double secondsPerFile = std::atof(argv[2]);
  std::vector<SoundFile> entries;
  for (int i = 3; i < argc; ++i) {
    SoundFile entry;
    entry.id = i;
    entry.path = argv[i];
    entries.push_back(entry);
  }

  HWND window = CreateWindowExA(0, "STATIC", "bench", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
  std::atomic<bool> done{false};
  std::atomic<int> late{0};
  std::atomic<double> worst{0};
  std::thread refill([&] {
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_TIME_CRITICAL);
    double last = WallSeconds();
    while (!done) {
      Sleep(10);
      const double now = WallSeconds();
      if (now - last > worst) worst = now - last;
      if (now - last > kBufferSeconds) ++late;
      last = now;
    }
  });

  LoudnessAnalysis analysis(plugins);
  const double cpu0 = CpuSeconds(), wall0 = WallSeconds();
  analysis.Start(MakeLoudnessJobs(entries), window, WM_USER);
  size_t measured = 0;
  for (;;) {
    MSG message;
    if (GetMessageA(&message, nullptr, 0, 0) <= 0) break;
    if (message.message != WM_USER) continue;
    const LoudnessProgress progress = analysis.Take();
    for (const LoudnessTrackResult& track : progress.tracks) {
      if (track.outcome == LoudnessOutcome::kMeasured) ++measured;
    }
    if (progress.finished) break;
  }
  const double cpu = CpuSeconds() - cpu0, wall = WallSeconds() - wall0;
  done = true;
  refill.join();
  const double audio = secondsPerFile * static_cast<double>(measured);
  std::printf("files measured        %zu of %zu\n", measured, entries.size());
  std::printf("files per second      %.2f\n", measured / wall);
  std::printf("x real time (wall)    %.1f\n", audio / wall);
  std::printf("x real time per core  %.1f\n", audio / cpu);
  std::printf("refill wakes late     %d (worst gap %.0f ms, a buffer holds %.0f ms)\n", late.load(),
              worst.load() * 1000, kBufferSeconds * 1000);
  return measured == entries.size() ? 0 : 1;
}
