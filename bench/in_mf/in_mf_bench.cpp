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

#include "common/plugin_api.h"

namespace {

volatile LONG64 g_bytes = 0;
int g_rate = 0, g_channels = 0;

int __cdecl Open(int rate, int channels, int, int, int) {
  g_rate = rate, g_channels = channels;
  return 0;
}
int __cdecl Write(char*, int length) {
  InterlockedExchangeAdd64(&g_bytes, length);
  return 0;
}
int __cdecl CanWrite() { return 1 << 24; }
int __cdecl Zero() { return 0; }
int __cdecl IntZero(int) { return 0; }
void __cdecl Nothing() {}
void __cdecl IntNothing(int) {}
void __cdecl WindowNothing(HWND) {}
int __cdecl Dsp(short*, int frames, int, int, int) { return frames; }
int __cdecl DspOff() { return 0; }

char g_name[] = "bench output";
Out_Module g_output = {0x10, g_name, 0, nullptr, nullptr, WindowNothing, WindowNothing, Nothing, Nothing, Open,
                       Nothing, Write, CanWrite, Zero, IntZero, IntNothing, IntNothing, IntNothing, Zero, Zero};

double CpuSeconds() {
  FILETIME created, exited, kernel, user;
  GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
  auto seconds = [](const FILETIME& t) {
    return (static_cast<double>(t.dwHighDateTime) * 4294967296.0 + t.dwLowDateTime) / 1e7;
  };
  return seconds(kernel) + seconds(user);
}

double WallSeconds() {
  LARGE_INTEGER now, frequency;
  QueryPerformanceCounter(&now);
  QueryPerformanceFrequency(&frequency);
  return static_cast<double>(now.QuadPart) / frequency.QuadPart;
}

}  // namespace

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
  module->outMod = &g_output;
  module->dsp_dosamples = Dsp;
  module->dsp_isactive = DspOff;
  module->Init();
  module->Quit();

  std::vector<double> speeds;
  for (int run = 0; run < repetitions; ++run) {
    g_bytes = 0;
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
    const double audio = static_cast<double>(g_bytes) / (2.0 * g_channels * g_rate);
    speeds.push_back(audio / cpu);
    std::printf("run %d: %.1f s of sound, CPU %.3f s, wall %.3f s: %.0f s of sound per CPU second (%.0fx real time)\n",
                run + 1, audio, cpu, wall, audio / cpu, audio / wall);
  }
  std::sort(speeds.begin(), speeds.end());
  std::printf("median: %.0f s of sound per CPU second\n", speeds[speeds.size() / 2]);
  return 0;
}
