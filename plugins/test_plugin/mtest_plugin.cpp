// in_mtest.dll (and, built with MTEST_SECOND, in_mtest2.dll): an input
// plug-in whose behaviour is scripted by the file it plays (mtest_script.h)
// and which records the host's calls (mtest_log.h). For the host's tests.
#include <windows.h>

#include <algorithm>
#include <cctype>
#include <atomic>
#include <fstream>
#include <mutex>
#include <string>
#include <vector>

#include "common/plugin_api.h"
#include "framework/unique_handle.h"
#include "plugins/test_plugin/mtest_log.h"
#include "plugins/test_plugin/mtest_pattern.h"
#include "plugins/test_plugin/mtest_script.h"

namespace {

#ifdef MTEST_SECOND
char g_description[] = "Melodek test plug-in 2";
char g_extensions[] = "MTX;MP3\0Melodek test 2 (*.MTX;*.MP3)\0";
#else
char g_description[] = "Melodek scripted test plug-in";
char g_extensions[] = "mtest\0Melodek test script (*.mtest)\0";
#endif

extern In_Module g_module;
mtest::CallLog g_log;

// Playback state. Play and Stop run on the host's player thread; the fields
// without atomics are written there only while no decoding thread runs.
mtest::Script g_script;
Out_Module* g_out = nullptr;
bool g_opened = false;
UniqueHandle g_thread;
std::atomic<bool> g_stop{false};
std::atomic<bool> g_paused{false};
std::atomic<int> g_seekMs{-1};
std::mutex g_pathMutex;  // guards g_playingPath (GetFileInfo may come from the UI thread)
std::string g_playingPath;

bool ReadScript(const char* path, mtest::Script* script) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::string text(64 * 1024, '\0');
  in.read(&text[0], static_cast<std::streamsize>(text.size()));
  text.resize(static_cast<size_t>(in.gcount()));
  return mtest::ParseScript(text, script);
}

std::string Flag(const char* name, const void* p) { return std::string(" ") + name + (p ? "=1" : "=0"); }

void LogHostMembers() {
  const In_Module& m = g_module;
  g_log.Line("Host" + Flag("hMainWindow", m.hMainWindow) + Flag("hDllInstance", m.hDllInstance) +
             Flag("outMod", m.outMod) + Flag("SAVSAInit", (void*)m.SAVSAInit) +
             Flag("SAVSADeInit", (void*)m.SAVSADeInit) + Flag("SAAddPCMData", (void*)m.SAAddPCMData) +
             Flag("SAGetMode", (void*)m.SAGetMode) + Flag("SAAdd", (void*)m.SAAdd) +
             Flag("VSAAddPCMData", (void*)m.VSAAddPCMData) + Flag("VSAGetMode", (void*)m.VSAGetMode) +
             Flag("VSAAdd", (void*)m.VSAAdd) + Flag("VSASetInfo", (void*)m.VSASetInfo) +
             Flag("dsp_isactive", (void*)m.dsp_isactive) + Flag("dsp_dosamples", (void*)m.dsp_dosamples) +
             Flag("SetInfo", (void*)m.SetInfo));
  if (const Out_Module* o = m.outMod) {
    g_log.Line("Out" + Flag("Open", (void*)o->Open) + Flag("Close", (void*)o->Close) +
               Flag("Write", (void*)o->Write) + Flag("CanWrite", (void*)o->CanWrite) +
               Flag("IsPlaying", (void*)o->IsPlaying) + Flag("Pause", (void*)o->Pause) +
               Flag("SetVolume", (void*)o->SetVolume) + Flag("SetPan", (void*)o->SetPan) +
               Flag("Flush", (void*)o->Flush) + Flag("GetOutputTime", (void*)o->GetOutputTime) +
               Flag("GetWrittenTime", (void*)o->GetWrittenTime));
  }
}

// Opens the output and makes the calls a typical plug-in makes right after;
// members the host left empty are skipped (the "Host" line shows them).
bool OpenOutput(bool fromThread) {
  const mtest::Script& s = g_script;
  const int result = g_out->Open ? g_out->Open(s.rate, s.channels, s.bits, -1, -1) : -1;
  g_log.Line("Open " + std::to_string(s.rate) + " " + std::to_string(s.channels) + " " +
             std::to_string(s.bits) + " -> " + std::to_string(result) + (fromThread ? " thread" : ""));
  if (result < 0) return false;
  g_opened = true;
  In_Module& m = g_module;
  if (m.SetInfo) m.SetInfo(s.rate * s.FrameBytes() * 8 / 1000, s.rate / 1000, s.channels, 1);
  if (m.SAVSAInit) m.SAVSAInit(result, s.rate);
  if (m.VSASetInfo) m.VSASetInfo(s.rate, s.channels);
  if (g_out->SetVolume) g_out->SetVolume(-666);
  return true;
}

bool Interrupted() { return g_stop.load() || g_seekMs.load() >= 0; }

DWORD WINAPI DecodeThread(void*) {
  const mtest::Script s = g_script;
  if (s.neverOpen || (s.openFromThread && !OpenOutput(true))) {
    while (!g_stop) ::Sleep(5);
    return 0;
  }
  In_Module& m = g_module;
  const int frameBytes = s.FrameBytes();
  std::vector<uint8_t> block(static_cast<size_t>(s.blockFrames) * 2 * frameBytes);
  uint64_t frame = 0;
  uint64_t framesOut = 0;
  uint64_t bytesOut = 0;
  while (!g_stop) {
    const int seek = g_seekMs.exchange(-1);
    if (seek >= 0) {
      frame = std::min<uint64_t>(static_cast<uint64_t>(seek) * s.rate / 1000, s.frames);
      g_out->Flush(seek);
      g_log.Line("Flush " + std::to_string(seek));
      continue;
    }
    if (g_paused) {
      ::Sleep(5);
      continue;
    }
    if (frame >= s.frames) {
      if (!s.noIsPlaying && g_out->IsPlaying()) {
        ::Sleep(10);
        continue;
      }
      g_log.Line("End frames=" + std::to_string(framesOut) + " bytes=" + std::to_string(bytesOut));
      if (m.hMainWindow) ::PostMessageA(m.hMainWindow, MELODEK_PLUGIN_EOF_MESSAGE, 0, 0);
      return 0;
    }
    const int n = static_cast<int>(std::min<uint64_t>(s.blockFrames, s.frames - frame));
    for (int i = 0; i < n; ++i) {
      for (int c = 0; c < s.channels; ++c) {
        const int16_t level = mtest::PatternLevel(s.pattern, s.constLevel, frame + i, c, s.channels, s.rate, s.bits);
        mtest::StoreLevel(level, s.bits, &block[(static_cast<size_t>(i) * s.channels + c) * (s.bits / 8)]);
      }
    }
    const int timestamp = static_cast<int>(frame * 1000 / s.rate);
    if (m.SAAddPCMData) m.SAAddPCMData(block.data(), s.channels, s.bits, timestamp);
    if (m.VSAAddPCMData) m.VSAAddPCMData(block.data(), s.channels, s.bits, timestamp);
    int outFrames = n;
    if (m.dsp_dosamples) {
      outFrames = m.dsp_dosamples(reinterpret_cast<short*>(block.data()), n, s.bits, s.channels, s.rate);
      outFrames = std::clamp(outFrames, 0, 2 * s.blockFrames);
    }
    const int bytes = outFrames * frameBytes;
    if (!s.overwrite) {
      while (!Interrupted() && (g_paused || g_out->CanWrite() < bytes)) ::Sleep(2);
      if (Interrupted()) continue;
    }
    g_out->Write(reinterpret_cast<char*>(block.data()), bytes);
    frame += n;
    framesOut += outFrames;
    bytesOut += bytes;
    if (s.slowMs > 0) ::Sleep(s.slowMs);
  }
  return 0;
}

void StopPlayback() {
  if (g_thread) {
    g_stop = true;
    ::WaitForSingleObject(g_thread.get(), INFINITE);
    g_thread.reset();
  }
  if (g_opened && g_out && g_out->Close) g_out->Close();
  g_opened = false;
  g_out = nullptr;
  g_paused = false;
  g_seekMs = -1;
  std::lock_guard<std::mutex> lock(g_pathMutex);
  g_playingPath.clear();
}

void MELODEK_PLUGIN_CALL Config(HWND) {}
void MELODEK_PLUGIN_CALL About(HWND) {}
void MELODEK_PLUGIN_CALL Init() { g_log.Line("Init"); }
void MELODEK_PLUGIN_CALL Quit() { g_log.Line("Quit"); }

void MELODEK_PLUGIN_CALL GetFileInfo(const char* file, char* title, int* lengthMs) {
  std::string path;
  if (file && *file) {
    path = file;
  } else {
    std::lock_guard<std::mutex> lock(g_pathMutex);
    path = g_playingPath;
  }
  g_log.Line("GetFileInfo " + (file && *file ? path : std::string("(playing)")));
  mtest::Script s;
  const bool known = !path.empty() && ReadScript(path.c_str(), &s);
  std::string text = s.title;
  if (!s.hasTitle) {
    const size_t slash = path.find_last_of("\\/");
    text = slash == std::string::npos ? path : path.substr(slash + 1);
    const size_t dot = text.rfind('.');
    if (dot != std::string::npos && dot > 0) text.resize(dot);
  }
  if (title) {
    const size_t n = std::min<size_t>(text.size(), 511);
    text.copy(title, n);
    title[n] = '\0';
  }
  if (lengthMs) {
    if (!known) *lengthMs = 0;
    else if (s.hasLength) *lengthMs = s.lengthMs;
    else *lengthMs = static_cast<int>(std::min<uint64_t>(s.frames * 1000 / s.rate, 0x7FFFFFFF));
  }
}

int MELODEK_PLUGIN_CALL InfoBox(const char*, HWND) { return 0; }
int MELODEK_PLUGIN_CALL IsOurFile(const char*) { return 0; }

int MELODEK_PLUGIN_CALL Play(const char* file) {
  StopPlayback();
  mtest::Script s;
  const bool readable = file && ReadScript(file, &s);
  if (readable) g_log.SetPath(s.logPath);
  g_log.Line(std::string("Play ") + (file ? file : "(null)"));
  LogHostMembers();
  if (!readable || s.refuse) {
    g_log.Line(readable ? "Refuse" : "Refuse unreadable");
    return 1;
  }
  const Out_Module* o = g_module.outMod;
  if (!o || !o->Open || !o->Close || !o->Write || !o->CanWrite || !o->IsPlaying || !o->Flush) {
    g_log.Line("Refuse output");
    return 1;
  }
  g_script = s;
  g_out = g_module.outMod;
  g_stop = false;
  g_paused = false;
  g_seekMs = -1;
  if (!s.openFromThread && !s.neverOpen && !OpenOutput(false)) {
    g_out = nullptr;
    return 1;
  }
  {
    std::lock_guard<std::mutex> lock(g_pathMutex);
    g_playingPath = file;
  }
  g_thread.reset(::CreateThread(nullptr, 0, DecodeThread, nullptr, 0, nullptr));
  if (!g_thread) {
    StopPlayback();
    return 1;
  }
  return 0;
}

void MELODEK_PLUGIN_CALL Pause() {
  g_log.Line("Pause");
  g_paused = true;
}
void MELODEK_PLUGIN_CALL UnPause() {
  g_log.Line("UnPause");
  g_paused = false;
}
int MELODEK_PLUGIN_CALL IsPaused() { return g_paused ? 1 : 0; }
void MELODEK_PLUGIN_CALL Stop() {
  g_log.Line("Stop");
  StopPlayback();
}
int MELODEK_PLUGIN_CALL GetLength() {
  return static_cast<int>(std::min<uint64_t>(g_script.frames * 1000 / g_script.rate, 0x7FFFFFFF));
}
int MELODEK_PLUGIN_CALL GetOutputTime() { return g_out && g_out->GetOutputTime ? g_out->GetOutputTime() : 0; }
void MELODEK_PLUGIN_CALL SetOutputTime(int ms) {
  g_log.Line("SetOutputTime " + std::to_string(ms));
  if (g_thread) g_seekMs = std::max(ms, 0);
}
void MELODEK_PLUGIN_CALL SetVolume(int) {}
void MELODEK_PLUGIN_CALL SetPan(int) {}
void MELODEK_PLUGIN_CALL EQSet(int, char*, int) {}

In_Module g_module = {
    0x100, g_description, nullptr, nullptr, g_extensions, 1, 1,
    Config, About, Init, Quit, GetFileInfo, InfoBox, IsOurFile, Play, Pause, UnPause, IsPaused, Stop,
    GetLength, GetOutputTime, SetOutputTime, SetVolume, SetPan,
    nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,  // SA*, VSA* (host)
    nullptr, nullptr,                                                                // dsp (host)
    EQSet, nullptr, nullptr,                                                         // SetInfo, outMod (host)
};

}  // namespace

extern "C" __declspec(dllexport) In_Module* MELODEK_PLUGIN_CALL winampGetInModule2() { return &g_module; }

// Third-party plug-ins' extended file information, in the ANSI form: the
// script's info_NAME lines. Logged, so tests see when the host asks.
extern "C" __declspec(dllexport) int MELODEK_PLUGIN_CALL winampGetExtendedFileInfo(const char* file, const char* name,
                                                                                   char* dest, int destlen) {
  mtest::Script s;
  if (!file || !name || !dest || destlen <= 0 || !ReadScript(file, &s)) return 0;
  if (!s.logPath.empty()) g_log.SetPath(s.logPath);
  std::string key = name;
  for (char& c : key) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  g_log.Line("ExtendedFileInfo " + key);
  const auto found = s.info.find(key);
  if (found == s.info.end() || found->second.empty()) return 0;
  const std::string& value = found->second;
  if (s.infoUnterminated) {
    for (int i = 0; i < destlen; ++i) dest[i] = value[static_cast<size_t>(i) % value.size()];
    return 1;
  }
  const size_t n = std::min<size_t>(value.size(), static_cast<size_t>(destlen) - 1);
  value.copy(dest, n);
  dest[n] = '\0';
  return 1;
}
