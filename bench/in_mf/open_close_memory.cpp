// Memory kept per opened file: opens, plays a little of, seeks in and closes
// the same file many times and reports how the process's private bytes and
// handle count move. Three ways to open, so that a growth can be placed:
//   plugin <in_*.dll> <file> <count>  through an input plug-in, as the player
//                                     does (Init, Play, GetFileInfo, a seek,
//                                     Stop, Quit; GetFileInfo while stopped)
//   reader <file> <count>             bare Media Foundation source readers
//                                     (no code of ours) used as one playback
//                                     uses them: on a thread of its own open,
//                                     select the audio, ask for PCM, read,
//                                     seek, read; then a reader for the length
//   startup <count>                   MFStartup and MFShutdown only
// Prints the figures after a warm-up and at every tenth of the count, then
// the growth per 1,000 opens after the warm-up.
#include <windows.h>
#include <mfapi.h>
#include <mfidl.h>
#include <mfreadwrite.h>
#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "bench/in_mf/sink_output.h"
#include "common/plugin_api.h"
#include "plugins/in_mf/com_ptr.h"
#include "tests/support/process_counts.h"

namespace {


struct Figures {
  double private_mib;
  DWORD handles;
};

// Wine answers 0 for the private usage; there the process's anonymous
// resident memory comes from Linux (the Windows heaps and everything the
// system libraries below Wine allocate). Wine's server opens files for its
// clients, so /proc/self would be the server: the process is found by its
// command line instead (its program file and the same arguments).
std::string g_linux_status;  // "Z:\proc\<pid>\status", empty when not found

std::vector<std::string> ReadCommandLine(const std::string& file) {
  std::vector<std::string> words;
  FILE* f = std::fopen(file.c_str(), "rb");
  if (f == nullptr) return words;
  std::string word;
  for (int c; (c = std::fgetc(f)) != EOF;) {
    if (c != 0) {
      word += static_cast<char>(c);
    } else {
      words.push_back(word);
      word.clear();
    }
  }
  std::fclose(f);
  while (!words.empty() && words.back().empty()) words.pop_back();  // Wine pads the rewritten line with NULs
  return words;
}

void FindLinuxProcess(int argc, char** argv) {
  WIN32_FIND_DATAA entry;
  HANDLE search = FindFirstFileA("Z:\\proc\\*", &entry);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    if (entry.cFileName[0] < '0' || entry.cFileName[0] > '9') continue;
    const std::string folder = std::string("Z:\\proc\\") + entry.cFileName;
    const std::vector<std::string> words = ReadCommandLine(folder + "\\cmdline");
    if (static_cast<int>(words.size()) != argc || words[0].find("open_close_memory") == std::string::npos) continue;
    bool same = true;
    for (int i = 1; i < argc && same; ++i) same = words[i] == argv[i];
    if (same) g_linux_status = folder + "\\status";
  } while (g_linux_status.empty() && FindNextFileA(search, &entry));
  FindClose(search);
}

double LinuxAnonymousBytes() {
  FILE* status = g_linux_status.empty() ? nullptr : std::fopen(g_linux_status.c_str(), "r");
  if (status == nullptr) return 0;
  char line[256];
  double bytes = 0;
  while (std::fgets(line, sizeof line, status)) {
    if (std::strncmp(line, "RssAnon:", 8) == 0) bytes = std::atof(line + 8) * 1024.0;
  }
  std::fclose(status);
  return bytes;
}

Figures Measure() {
  PROCESS_MEMORY_COUNTERS_EX counters{};
  counters.cb = sizeof(counters);
  GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof(counters));
  const double bytes = counters.PrivateUsage != 0 ? static_cast<double>(counters.PrivateUsage) : LinuxAnonymousBytes();
  return {bytes / 1048576.0, static_cast<DWORD>(testprocess::HandleCount(GetCurrentProcessId()))};
}

// Waits until the plug-in has written more than it had (bounded).
bool WaitForSound(LONG64 before) {
  for (int i = 0; i < 2000; ++i) {
    if (sink_output::bytes > before) return true;
    Sleep(1);
  }
  return false;
}

// One playback in the order the player calls the plug-in: Init, Play, the
// title and length of the file once sound comes, a seek, Stop, Quit; then
// the title of the file while nothing plays (as for a list entry).
bool PlayOnce(In_Module* module, char* file) {
  const LONG64 before = sink_output::bytes;
  module->Init();
  bool ok = module->Play(file) == 0 && WaitForSound(before);
  char title[1024];
  int length = -1;
  if (ok) module->GetFileInfo(file, title, &length);
  module->SetOutputTime(1000);
  Sleep(2);
  module->Stop();
  module->Quit();
  module->GetFileInfo(file, title, &length);
  MSG msg;  // end-of-file notices the plug-in posted
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
  return ok;
}

bool ReadOnce(const wchar_t* path);

// What one playback through the plug-in asks of Media Foundation, without
// the plug-in: a thread of its own (COM initialised) opens, reads, seeks
// and reads; then, stopped, the file's length is read from a reader that
// decodes nothing.
struct ReadJob {
  const wchar_t* path;
  bool ok;
};

DWORD WINAPI ReadOnThread(void* param) {
  auto* job = static_cast<ReadJob*>(param);
  CoInitializeEx(nullptr, COINIT_MULTITHREADED);
  job->ok = ReadOnce(job->path);
  CoUninitialize();
  return 0;
}

bool ReadLikePlayback(const wchar_t* path) {
  ReadJob job{path, false};
  HANDLE thread = CreateThread(nullptr, 0, ReadOnThread, &job, 0, nullptr);
  if (thread == nullptr) return false;
  WaitForSingleObject(thread, INFINITE);
  CloseHandle(thread);
  ComPtr<IMFSourceReader> reader;
  if (FAILED(MFCreateSourceReaderFromURL(path, nullptr, reader.put()))) return false;
  PROPVARIANT duration;
  PropVariantInit(&duration);
  reader->GetPresentationAttribute(static_cast<DWORD>(MF_SOURCE_READER_MEDIASOURCE), MF_PD_DURATION, &duration);
  PropVariantClear(&duration);
  return job.ok;
}

bool ReadOnce(const wchar_t* path) {
  const DWORD audio = static_cast<DWORD>(MF_SOURCE_READER_FIRST_AUDIO_STREAM);
  ComPtr<IMFSourceReader> reader;
  if (FAILED(MFCreateSourceReaderFromURL(path, nullptr, reader.put()))) return false;
  reader->SetStreamSelection(static_cast<DWORD>(MF_SOURCE_READER_ALL_STREAMS), FALSE);
  reader->SetStreamSelection(audio, TRUE);
  ComPtr<IMFMediaType> type;
  MFCreateMediaType(type.put());
  type->SetGUID(MF_MT_MAJOR_TYPE, MFMediaType_Audio);
  type->SetGUID(MF_MT_SUBTYPE, MFAudioFormat_PCM);
  type->SetUINT32(MF_MT_AUDIO_BITS_PER_SAMPLE, 16);
  if (FAILED(reader->SetCurrentMediaType(audio, nullptr, type.get()))) return false;
  for (int i = 0; i < 6; ++i) {
    if (i == 3) {
      PROPVARIANT position;
      PropVariantInit(&position);
      position.vt = VT_I8;
      position.hVal.QuadPart = 10000000;  // 1 s
      reader->SetCurrentPosition(GUID_NULL, position);
    }
    DWORD stream = 0, flags = 0;
    LONGLONG stamp = 0;
    ComPtr<IMFSample> sample;
    if (FAILED(reader->ReadSample(audio, 0, &stream, &flags, &stamp, sample.put()))) return false;
  }
  return true;
}

int Repeat(int count, const std::function<bool()>& once) {
  const int warm_up = count / 10 > 20 ? 20 : count / 10;
  for (int i = 0; i < warm_up; ++i) once();
  const Figures start = Measure();
  std::printf("after %d warm-up opens: private %.2f MiB, %lu handles\n", warm_up, start.private_mib, start.handles);
  int failures = 0;
  Figures now = start;
  for (int i = 1; i <= count; ++i) {
    if (!once()) ++failures;
    if (i % (count / 10 > 0 ? count / 10 : 1) == 0) {
      now = Measure();
      std::printf("%6d opens: private %.2f MiB, %lu handles\n", i, now.private_mib, now.handles);
      std::fflush(stdout);
    }
  }
  std::printf("growth: %.1f KiB per 1,000 opens, %+ld handles; %d opens failed\n",
              (now.private_mib - start.private_mib) * 1024.0 * 1000.0 / count,
              static_cast<long>(now.handles) - static_cast<long>(start.handles), failures);
  return failures == count ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv) {
  FindLinuxProcess(argc, argv);
  if (argc >= 5 && std::strcmp(argv[1], "plugin") == 0) {
    HMODULE library = LoadLibraryA(argv[2]);
    auto get = library ? reinterpret_cast<GetInModuleFn>(
                             reinterpret_cast<void*>(GetProcAddress(library, MELODEK_GET_IN_MODULE_NAME)))
                       : nullptr;
    In_Module* module = get ? get() : nullptr;
    if (!module) {
      std::fprintf(stderr, "cannot load %s\n", argv[2]);
      return 1;
    }
    module->hMainWindow = CreateWindowExA(0, "STATIC", "host", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    module->hDllInstance = library;
    sink_output::Attach(module);
    module->Init();  // as after loading
    module->Quit();
    char* file = argv[3];
    return Repeat(std::atoi(argv[4]), [&] { return PlayOnce(module, file); });
  }
  if (argc >= 4 && std::strcmp(argv[1], "reader") == 0) {
    wchar_t path[MAX_PATH];
    MultiByteToWideChar(CP_ACP, 0, argv[2], -1, path, MAX_PATH);
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    MFStartup(MF_VERSION, MFSTARTUP_FULL);
    const int result = Repeat(std::atoi(argv[3]), [&] { return ReadLikePlayback(path); });
    MFShutdown();
    return result;
  }
  if (argc >= 3 && std::strcmp(argv[1], "startup") == 0) {
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    return Repeat(std::atoi(argv[2]), [] { return SUCCEEDED(MFStartup(MF_VERSION, MFSTARTUP_FULL)) &&
                                                  SUCCEEDED(MFShutdown()); });
  }
  std::fprintf(stderr,
               "usage: open_close_memory plugin <in_*.dll> <file> <count> | reader <file> <count> | startup <count>\n");
  return 2;
}
