// Decoding speed of in_mf.dll alone: a host whose output takes every byte at
// once, so the plug-in runs as fast as it can decode. Reports seconds of
// sound per second of the process's CPU time (GetProcessTimes: the decoding
// thread and whatever threads the system's decoders use).
// Usage: in_mf_bench <in_mf.dll> <file> [repetitions]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "bench/in_mf/sink_output.h"
#include "bench/process_clock.h"
#include "common/plugin_api.h"

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: in_mf_bench <in_mf.dll> <file> [repetitions]\n");
    return 2;
  }
  const int repetitions = argc > 3 ? std::max(1, std::atoi(argv[3])) : 3;
  HMODULE library = LoadLibraryA(argv[1]);
  if (!library) {
    std::fprintf(stderr, "cannot load %s\n", argv[1]);
    return 1;
  }
  auto get = reinterpret_cast<GetInModuleFn>(reinterpret_cast<void*>(GetProcAddress(library, MELODEK_GET_IN_MODULE_NAME)));
  In_Module* module = get ? get() : nullptr;
  if (!module) return 1;
  HWND window = CreateWindowExA(0, "STATIC", "bench", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
  module->hMainWindow = window;
  module->hDllInstance = library;
  sink_output::Attach(module);
  module->Init();
  module->Quit();

  std::vector<double> speeds;
  for (int run = 0; run < repetitions; ++run) {
    sink_output::bytes = 0;
    module->Init();
    const double cpu0 = CpuSeconds(), wall0 = WallSeconds();
    if (module->Play(argv[2]) != 0) {
      std::fprintf(stderr, "cannot play %s\n", argv[2]);
      return 1;
    }
    for (bool done = false; !done;) {
      MSG msg;
      if (GetMessageA(&msg, window, 0, 0) <= 0) break;
      done = msg.message == MELODEK_PLUGIN_EOF_MESSAGE;
    }
    const double cpu = CpuSeconds() - cpu0, wall = WallSeconds() - wall0;
    module->Stop();
    module->Quit();
    const double audio = static_cast<double>(sink_output::bytes) / (2.0 * sink_output::channels * sink_output::rate);
    speeds.push_back(audio / cpu);
    std::printf("run %d: %.1f s of sound, CPU %.3f s, wall %.3f s: %.0f s of sound per CPU second (%.0fx real time)\n",
                run + 1, audio, cpu, wall, audio / cpu, audio / wall);
  }
  std::sort(speeds.begin(), speeds.end());
  std::printf("median: %.0f s of sound per CPU second\n", speeds[speeds.size() / 2]);
  return 0;
}
