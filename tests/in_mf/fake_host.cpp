#include "tests/in_mf/fake_host.h"

#include <algorithm>

namespace fake_host {
namespace {

// Shared with the plug-in's decoding thread: everything below g_lock.
CRITICAL_SECTION g_lock;
OutputRecord g_record;
int64_t g_budget = -1;
bool g_fail_open = false;
HWND g_window = nullptr;

struct Lock {
  Lock() { EnterCriticalSection(&g_lock); }
  ~Lock() { LeaveCriticalSection(&g_lock); }
};

int __cdecl OutOpen(int rate, int channels, int bits, int, int) {
  Lock lock;
  ++g_record.open_calls;
  g_record.sample_rate = rate, g_record.channels = channels, g_record.bits = bits;
  return g_fail_open ? -1 : 0;
}
void __cdecl OutClose() {
  Lock lock;
  ++g_record.close_calls;
}
int __cdecl OutWrite(char* data, int length) {
  Lock lock;
  const int16_t* samples = reinterpret_cast<const int16_t*>(data);
  g_record.pcm.insert(g_record.pcm.end(), samples, samples + length / 2);
  if (g_record.channels > 0) g_record.written_frames += length / 2 / g_record.channels;
  if (g_budget >= 0) g_budget = std::max<int64_t>(0, g_budget - length);
  return 0;
}
int __cdecl OutCanWrite() {
  Lock lock;
  return g_budget < 0 ? 1 << 20 : static_cast<int>(std::min<int64_t>(g_budget, 1 << 20));
}
int __cdecl OutIsPlaying() { return 0; }
int __cdecl OutPause(int) { return 0; }
void __cdecl OutSetVolume(int) {}
void __cdecl OutSetPan(int) {}
void __cdecl OutFlush(int ms) {
  Lock lock;
  g_record.flushes.push_back({ms, g_record.pcm.size()});
}
int __cdecl OutTime() {
  Lock lock;
  if (g_record.sample_rate <= 0 || g_record.channels <= 0) return 0;
  const size_t since = g_record.flushes.empty() ? 0 : g_record.flushes.back().sample_index;
  const int base = g_record.flushes.empty() ? 0 : g_record.flushes.back().ms;
  return base + static_cast<int>((g_record.pcm.size() - since) / g_record.channels * 1000 / g_record.sample_rate);
}
void __cdecl OutNothing() {}
void __cdecl OutConfig(HWND) {}

int __cdecl DspDoSamples(short*, int frames, int, int, int) {
  Lock lock;
  g_record.dsp_frames += frames;
  return frames;
}
int __cdecl DspIsActive() { return 0; }
void __cdecl SetInfo(int, int, int, int) {}
void __cdecl SaVsaInit(int, int) {}
void __cdecl SaVsaDeInit() {}
void __cdecl AddPcm(void*, int, int, int) {}
int __cdecl SaGetMode() { return 0; }
int __cdecl SaAdd(void*, int, int) { return 0; }
int __cdecl VsaGetMode(int*, int*) { return 0; }
int __cdecl VsaAdd(void*, int) { return 0; }
void __cdecl VsaSetInfo(int, int) {}

char g_out_description[] = "test output";
Out_Module g_output = {0x10, g_out_description, 1, nullptr, nullptr, OutConfig, OutConfig, OutNothing, OutNothing,
                       OutOpen, OutClose, OutWrite, OutCanWrite, OutIsPlaying, OutPause, OutSetVolume, OutSetPan,
                       OutFlush, OutTime, OutTime};

std::string ExeFolder() {
  char path[MAX_PATH];
  DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string s(path, n);
  return s.substr(0, s.find_last_of('\\') + 1);
}

}  // namespace

In_Module* Plugin() {
  static In_Module* module = [] () -> In_Module* {
    InitializeCriticalSection(&g_lock);
    std::string dll = ExeFolder() + IN_MF_DLL_RELATIVE;
    std::replace(dll.begin(), dll.end(), '/', '\\');
    HMODULE library = LoadLibraryA(dll.c_str());
    if (!library) return nullptr;
    auto get = reinterpret_cast<GetInModuleFn>(
        reinterpret_cast<void*>(GetProcAddress(library, MELODEK_GET_IN_MODULE_NAME)));
    if (!get) return nullptr;
    In_Module* m = get();
    g_window = CreateWindowExA(0, "STATIC", "in_mf test host", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    m->hMainWindow = g_window;
    m->hDllInstance = library;
    m->outMod = &g_output;
    m->SetInfo = SetInfo;
    m->SAVSAInit = SaVsaInit;
    m->SAVSADeInit = SaVsaDeInit;
    m->SAAddPCMData = AddPcm;
    m->SAGetMode = SaGetMode;
    m->SAAdd = SaAdd;
    m->VSAAddPCMData = AddPcm;
    m->VSAGetMode = VsaGetMode;
    m->VSAAdd = VsaAdd;
    m->VSASetInfo = VsaSetInfo;
    m->dsp_isactive = DspIsActive;
    m->dsp_dosamples = DspDoSamples;
    // What a host does right after loading.
    m->Init();
    m->Quit();
    return m;
  }();
  return module;
}

void ResetOutput(int64_t budget, bool fail_open) {
  Lock lock;
  g_record = OutputRecord();
  g_budget = budget;
  g_fail_open = fail_open;
}

void AddBudget(int64_t bytes) {
  Lock lock;
  g_budget = bytes < 0 || g_budget < 0 ? -1 : g_budget + bytes;
}

OutputRecord Output() {
  Lock lock;
  return g_record;
}

bool WaitForEndOfFile(DWORD limit_ms) {
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < limit_ms) {
    MSG msg;
    while (PeekMessageA(&msg, g_window, 0, 0, PM_REMOVE)) {
      if (msg.message == MELODEK_PLUGIN_EOF_MESSAGE) return true;
    }
    Sleep(2);
  }
  return false;
}

void DrainMessages() {
  MSG msg;
  while (PeekMessageA(&msg, g_window, 0, 0, PM_REMOVE)) {
  }
}

bool WaitForFrames(int64_t count, DWORD limit_ms) {
  const DWORD start = GetTickCount();
  auto written = [] {
    Lock lock;
    return g_record.written_frames;
  };
  while (written() < count) {
    if (GetTickCount() - start >= limit_ms) return false;
    Sleep(2);
  }
  return true;
}

bool WaitForFlushes(size_t count, DWORD limit_ms) {
  const DWORD start = GetTickCount();
  auto flushes = [] {
    Lock lock;
    return g_record.flushes.size();
  };
  while (flushes() < count) {
    if (GetTickCount() - start >= limit_ms) return false;
    Sleep(2);
  }
  return true;
}

std::string MediaPath(const std::string& name) { return ExeFolder() + "media\\" + name; }

}  // namespace fake_host
