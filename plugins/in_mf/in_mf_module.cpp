// in_mf.dll: an input plug-in that plays what the system's Media Foundation
// decoders read (MP3, MP2, AAC/M4A, WMA, FLAC) through the host's output.
//
// Threading contract: the host calls the module's functions from its own
// threads (Play/Stop/Init/Quit from its player thread, SetOutputTime and
// GetFileInfo possibly from another). g_lock guards the current session, the
// playing path and the file that last played to its end; the session's own
// methods are thread-safe; the decoding thread never touches the module's
// globals.
#include <windows.h>

#include <memory>
#include <string>

#include "common/plugin_api.h"
#include "plugins/in_mf/decode_session.h"
#include "plugins/in_mf/file_info.h"
#include "plugins/in_mf/mf_audio_reader.h"
#include "plugins/in_mf/mf_runtime.h"

namespace {

char g_description[] = "Melodek Media Foundation Decoder";
char g_extensions[] =
    "mp3;mp2\0MPEG Audio Files (*.mp3;*.mp2)\0"
    "m4a;aac\0MPEG-4 Audio Files (*.m4a;*.aac)\0"
    "wma\0Windows Media Audio Files (*.wma)\0"
    "flac\0FLAC Files (*.flac)\0";  // the literal's own NUL ends the list

struct Playing {
  std::shared_ptr<DecodeSession> session;
  std::string path;  // ANSI, as the host gave it
  bool output_open = false;
};

SRWLOCK g_lock = SRWLOCK_INIT;
Playing g_playing;  // guarded by g_lock
// The file whose playback last reached its end, until the next Play takes
// it: the file played next may continue it (an MP3 gapless set). A stop
// before the end (the user's Next) forgets it. Guarded by g_lock.
std::wstring g_ended_path;
volatile LONG g_paused = 0;

In_Module& Module();

class LockGuard {
 public:
  LockGuard() { AcquireSRWLockExclusive(&g_lock); }
  ~LockGuard() { ReleaseSRWLockExclusive(&g_lock); }
  LockGuard(const LockGuard&) = delete;
  LockGuard& operator=(const LockGuard&) = delete;
};

std::shared_ptr<DecodeSession> CurrentSession() {
  LockGuard lock;
  return g_playing.session;
}

// Path up to its last separator, the separator included.
std::wstring FolderOf(const std::wstring& path) {
  const size_t slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
}

bool SamePathText(const std::wstring& a, const std::wstring& b) {
  return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()), TRUE) ==
         CSTR_EQUAL;
}

// Files of a gapless set lie side by side: a file from another folder, or
// the same file again (Repeat over one file), does not continue the one
// that ended. Files other plug-ins play in between go unseen; a file taken
// wrongly for the next of a set changes only in its first granule, which in
// a file encoded on its own holds the encoder's delay (silence).
bool MayContinue(const std::wstring& ended, const std::wstring& next) {
  return !ended.empty() && SamePathText(FolderOf(ended), FolderOf(next)) && !SamePathText(ended, next);
}

void MELODEK_PLUGIN_CALL Config(HWND) {}

void MELODEK_PLUGIN_CALL About(HWND parent) {
  MessageBoxA(parent, "Plays files through the system's Media Foundation decoders.", g_description, MB_OK);
}

// Media Foundation starts with the first file opened (mf_runtime.h).
void MELODEK_PLUGIN_CALL Init() {}
void MELODEK_PLUGIN_CALL Quit() {}

void MELODEK_PLUGIN_CALL Stop() {
  Playing ended;
  {
    LockGuard lock;
    ended = std::move(g_playing);
    g_playing = Playing();
  }
  if (!ended.session) return;
  ended.session->Stop();
  {
    LockGuard lock;
    g_ended_path = ended.session->reached_end() ? AnsiToWide(ended.path.c_str()) : std::wstring();
  }
  if (ended.output_open && Module().outMod) Module().outMod->Close();
}

int MELODEK_PLUGIN_CALL Play(const char* file) {
  Stop();  // a host that plays without stopping first
  std::wstring ended;
  {
    LockGuard lock;
    ended.swap(g_ended_path);
  }
  In_Module& module = Module();
  const std::wstring path = AnsiToWide(file);
  if (path.empty() || !module.outMod) return -1;
  if (!MayContinue(ended, path)) ended.clear();
  auto session = std::make_shared<DecodeSession>(&module, path, ended);
  if (!session->Start()) return -1;
  const StreamInfo& info = session->info();
  const int latency = module.outMod->Open(info.sample_rate, info.channels, 16, -1, -1);
  if (latency < 0) {
    session->Stop();
    return -1;
  }
  if (module.SetInfo) module.SetInfo(info.bitrate_kbps, info.sample_rate / 1000, info.channels, 1);
  if (module.SAVSAInit) module.SAVSAInit(latency, info.sample_rate);
  if (module.VSASetInfo) module.VSASetInfo(info.sample_rate, info.channels);
  module.outMod->SetVolume(-666);  // re-apply the host's volume to the new output
  InterlockedExchange(&g_paused, 0);
  {
    LockGuard lock;
    g_playing.session = session;
    g_playing.path = file;
    g_playing.output_open = true;
  }
  session->Go(module.outMod);
  return 0;
}

void SetPaused(bool paused) {
  InterlockedExchange(&g_paused, paused ? 1 : 0);
  if (auto session = CurrentSession()) {
    session->SetPaused(paused);
    if (Module().outMod) Module().outMod->Pause(paused ? 1 : 0);
  }
}

void MELODEK_PLUGIN_CALL Pause() { SetPaused(true); }
void MELODEK_PLUGIN_CALL UnPause() { SetPaused(false); }
int MELODEK_PLUGIN_CALL IsPaused() { return g_paused ? 1 : 0; }

int MELODEK_PLUGIN_CALL GetLength() {
  auto session = CurrentSession();
  return session ? session->info().length_ms : -1;
}

int MELODEK_PLUGIN_CALL GetOutputTime() {
  auto session = CurrentSession();
  if (!session) return 0;
  const int seek = session->pending_seek_ms();
  if (seek >= 0) return seek;
  return Module().outMod ? Module().outMod->GetOutputTime() : 0;
}

void MELODEK_PLUGIN_CALL SetOutputTime(int time_in_ms) {
  if (auto session = CurrentSession()) session->RequestSeek(time_in_ms);
}

void MELODEK_PLUGIN_CALL SetVolume(int volume) {
  if (Module().outMod) Module().outMod->SetVolume(volume);
}

void MELODEK_PLUGIN_CALL SetPan(int pan) {
  if (Module().outMod) Module().outMod->SetPan(pan);
}

void MELODEK_PLUGIN_CALL GetFileInfo(const char* file, char* title, int* length_in_ms) {
  std::wstring path;
  std::shared_ptr<DecodeSession> session;
  {
    // The playing file (named or not) is answered from its session: the
    // host asks for it right after Play, and opening it a second time
    // costs a decoder set-up.
    LockGuard lock;
    if (!file || !*file || (g_playing.session && lstrcmpiA(file, g_playing.path.c_str()) == 0)) {
      session = g_playing.session;
      path = AnsiToWide(g_playing.path.c_str());
    } else {
      path = AnsiToWide(file);
    }
  }
  if (title) CopyTitle(path.empty() ? std::string() : TitleForFile(path), title);
  if (!length_in_ms || path.empty()) return;
  if (session) {
    *length_in_ms = session->info().length_ms;
    return;
  }
  ComApartment com;
  if (!StartMediaFoundation()) return;
  const int64_t duration = ProbeDurationHns(path);
  // A file Media Foundation cannot open leaves the host's value alone.
  if (duration > 0) *length_in_ms = PlanPlayLength(ReadGaplessRecord(path), duration, 0).length_ms;
}

int MELODEK_PLUGIN_CALL InfoBox(const char*, HWND) { return 0; }
int MELODEK_PLUGIN_CALL IsOurFile(const char*) { return 0; }
void MELODEK_PLUGIN_CALL EqSet(int, char[10], int) {}

In_Module g_module = {
    0x100,           // version
    g_description,   // description
    nullptr,         // hMainWindow (host)
    nullptr,         // hDllInstance (host)
    g_extensions,    // FileExtensions
    1,               // is_seekable
    1,               // UsesOutputPlug
    Config, About, Init, Quit, GetFileInfo, InfoBox, IsOurFile, Play, Pause, UnPause, IsPaused, Stop,
    GetLength, GetOutputTime, SetOutputTime, SetVolume, SetPan,
    nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,  // visualisation (host)
    nullptr, nullptr,  // dsp_isactive, dsp_dosamples (host)
    EqSet,
    nullptr,  // SetInfo (host)
    nullptr,  // outMod (host)
};

In_Module& Module() { return g_module; }

}  // namespace

extern "C" __declspec(dllexport) In_Module* MELODEK_PLUGIN_CALL winampGetInModule2() { return &g_module; }
