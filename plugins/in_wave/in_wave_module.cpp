// in_wave.dll: Melodek's WAV input plug-in. The exported In_Module and its
// entry points, and the extended file information ("length" from the header;
// title, artist, album and ReplayGain values from an "id3 " chunk); the
// playback itself lives in WavePlayer, the extended read in extended_read.cpp.
#include <windows.h>

#include <string>

#include "common/plugin_api.h"
#include "plugins/in_mf/tag_lookup.h"
#include "plugins/in_wave/title_from_path.h"
#include "plugins/in_wave/wav_format.h"
#include "plugins/in_wave/wav_samples.h"
#include "plugins/in_wave/wav_tags.h"
#include "plugins/in_wave/wave_player.h"
#include "plugins/common/win_file_source.h"

namespace {

// The host's title buffer holds 512 bytes.
constexpr size_t kTitleBytes = 512;

char g_description[] = "Melodek WAV input 1.0";
char g_extensions[] = "wav\0WAV audio (*.wav)\0";  // the literal adds the closing empty string

extern In_Module g_module;

WavePlayer& Player() {
  // Never destroyed: the host may unload the library without a last Stop,
  // and a destructor running under the loader lock must not join a thread.
  static WavePlayer* player = new WavePlayer(g_module);
  return *player;
}

bool IsLeadByte(unsigned char byte) { return ::IsDBCSLeadByte(byte) != FALSE; }

void MELODEK_PLUGIN_CALL Config(HWND) {}
void MELODEK_PLUGIN_CALL About(HWND parent) {
  ::MessageBoxA(parent, "Melodek WAV input\nPlays PCM and float RIFF/WAVE files.", "About", MB_OK);
}
void MELODEK_PLUGIN_CALL Init() {}
// Quit ends a playback the host forgot to stop, so no thread outlives us.
void MELODEK_PLUGIN_CALL Quit() { Player().Stop(); }

void MELODEK_PLUGIN_CALL GetFileInfo(const char* file, char* title, int* lengthMs) {
  std::string path;
  int length = 0;
  if (file == nullptr || *file == '\0') {
    if (!Player().PlayingFile(&path, &length)) path.clear();
  } else {
    path = file;
    // A file that cannot be read or parsed still gets its title; its length
    // is reported as 0.
    WinFileSource source;
    wav::WavFormat format;
    if (source.Open(file) && wav::ParseWav(source, &format) == wav::ParseResult::kOk)
      length = wav::FramesToMs(format.frameCount, format.sampleRate);
  }
  if (title) wav::TitleFromPath(path.c_str(), &IsLeadByte, title, kTitleBytes);
  if (lengthMs) *lengthMs = length;
}

int MELODEK_PLUGIN_CALL InfoBox(const char*, HWND) { return 0; }
// The host picks plug-ins by extension; content sniffing is not claimed.
int MELODEK_PLUGIN_CALL IsOurFile(const char*) { return 0; }
int MELODEK_PLUGIN_CALL Play(const char* file) { return Player().Play(file); }
void MELODEK_PLUGIN_CALL Pause() { Player().Pause(); }
void MELODEK_PLUGIN_CALL UnPause() { Player().UnPause(); }
int MELODEK_PLUGIN_CALL IsPaused() { return Player().IsPaused() ? 1 : 0; }
void MELODEK_PLUGIN_CALL Stop() { Player().Stop(); }
int MELODEK_PLUGIN_CALL GetLength() { return Player().LengthMs(); }
int MELODEK_PLUGIN_CALL GetOutputTime() { return Player().OutputTimeMs(); }
void MELODEK_PLUGIN_CALL SetOutputTime(int ms) { Player().RequestSeek(ms); }
void MELODEK_PLUGIN_CALL SetVolume(int volume) { Player().SetVolume(volume); }
void MELODEK_PLUGIN_CALL SetPan(int pan) { Player().SetPan(pan); }
void MELODEK_PLUGIN_CALL EQSet(int, char*, int) {}

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
    nullptr, nullptr, nullptr, nullptr, nullptr,           // SA* (host)
    nullptr, nullptr, nullptr, nullptr,                    // VSA* (host)
    nullptr, nullptr,                                      // dsp_isactive, dsp_dosamples (host)
    EQSet,
    nullptr,                                               // SetInfo (host)
    nullptr,                                               // outMod (host)
};

// The value as text in the process's code page (the tags' UTF-8 converted).
bool LookUp(const char* file, const char* name, std::string& value) {
  WinFileSource source;
  if (!file || !*file || !name || !source.Open(file)) return false;
  if (lstrcmpiA(name, "length") == 0) {
    wav::WavFormat format;
    if (wav::ParseWav(source, &format) != wav::ParseResult::kOk) return false;
    value = std::to_string(wav::FramesToMs(format.frameCount, format.sampleRate));
    return true;
  }
  std::string utf8;
  if (!LookUpTagValue(ReadWavTags(source), name, utf8)) return false;
  const int units = ::MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, nullptr, 0);
  if (units <= 1) return false;
  std::wstring wide(static_cast<size_t>(units), L'\0');
  ::MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, &wide[0], units);
  const int bytes = ::WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, nullptr, 0, nullptr, nullptr);
  if (bytes <= 1) return false;
  value.assign(static_cast<size_t>(bytes), '\0');
  ::WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, &value[0], bytes, nullptr, nullptr);
  value.resize(static_cast<size_t>(bytes - 1));
  return true;
}

}  // namespace

extern "C" __declspec(dllexport) In_Module* MELODEK_PLUGIN_CALL winampGetInModule2() { return &g_module; }

// The ANSI form only: in_wave names files in the process's code page everywhere.
extern "C" __declspec(dllexport) int MELODEK_PLUGIN_CALL winampGetExtendedFileInfo(const char* file, const char* name,
                                                                                   char* dest, int destlen) {
  std::string value;
  if (!dest || destlen <= 0 || !LookUp(file, name, value)) return 0;
  // Cut at a character boundary so that it fits with its terminator.
  size_t length = 0;
  while (length < value.size()) {
    const size_t step = IsLeadByte(static_cast<unsigned char>(value[length])) ? 2 : 1;
    if (length + step > static_cast<size_t>(destlen) - 1 || length + step > value.size()) break;
    length += step;
  }
  value.copy(dest, length);
  dest[length] = '\0';
  return 1;
}
