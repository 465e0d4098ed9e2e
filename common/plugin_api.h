// The binary interface of the input plug-ins Melodek hosts (in_*.dll exporting
// winampGetInModule2). Layout and calling convention are fixed by the plug-ins.
#pragma once
#include <windows.h>

#include <cstddef>
#include <cstdint>

#define MELODEK_PLUGIN_CALL __cdecl

struct Out_Module;

// Filled by the plug-in except the members marked (host), which the host
// writes before every playback. Member order and sizes must not change.
struct In_Module {
  int version;                 // 0x100 for this interface generation
  char* description;
  HWND hMainWindow;            // (host)
  HINSTANCE hDllInstance;      // (host)
  char* FileExtensions;        // pairs "ext;ext\0description\0", ended by "\0"
  int is_seekable;
  int UsesOutputPlug;
  void(MELODEK_PLUGIN_CALL* Config)(HWND parent);
  void(MELODEK_PLUGIN_CALL* About)(HWND parent);
  void(MELODEK_PLUGIN_CALL* Init)(void);
  void(MELODEK_PLUGIN_CALL* Quit)(void);
  // file NULL or "" asks for the playing file.
  void(MELODEK_PLUGIN_CALL* GetFileInfo)(const char* file, char* title, int* length_in_ms);
  int(MELODEK_PLUGIN_CALL* InfoBox)(const char* file, HWND parent);
  int(MELODEK_PLUGIN_CALL* IsOurFile)(const char* file);
  int(MELODEK_PLUGIN_CALL* Play)(const char* file);  // 0 on success
  void(MELODEK_PLUGIN_CALL* Pause)(void);
  void(MELODEK_PLUGIN_CALL* UnPause)(void);
  int(MELODEK_PLUGIN_CALL* IsPaused)(void);
  void(MELODEK_PLUGIN_CALL* Stop)(void);
  int(MELODEK_PLUGIN_CALL* GetLength)(void);        // milliseconds
  int(MELODEK_PLUGIN_CALL* GetOutputTime)(void);    // milliseconds
  void(MELODEK_PLUGIN_CALL* SetOutputTime)(int time_in_ms);
  void(MELODEK_PLUGIN_CALL* SetVolume)(int volume);  // 0..255
  void(MELODEK_PLUGIN_CALL* SetPan)(int pan);        // -127..127
  void(MELODEK_PLUGIN_CALL* SAVSAInit)(int maxlatency_in_ms, int srate);  // (host)
  void(MELODEK_PLUGIN_CALL* SAVSADeInit)(void);                           // (host)
  void(MELODEK_PLUGIN_CALL* SAAddPCMData)(void* pcm, int nch, int bps, int timestamp);  // (host)
  int(MELODEK_PLUGIN_CALL* SAGetMode)(void);                                            // (host)
  int(MELODEK_PLUGIN_CALL* SAAdd)(void* data, int timestamp, int csa);                  // (host)
  void(MELODEK_PLUGIN_CALL* VSAAddPCMData)(void* pcm, int nch, int bps, int timestamp); // (host)
  int(MELODEK_PLUGIN_CALL* VSAGetMode)(int* specNch, int* waveNch);                     // (host)
  int(MELODEK_PLUGIN_CALL* VSAAdd)(void* data, int timestamp);                          // (host)
  void(MELODEK_PLUGIN_CALL* VSASetInfo)(int srate, int nch);                            // (host)
  int(MELODEK_PLUGIN_CALL* dsp_isactive)(void);                                         // (host)
  // Returns the number of samples (frames) to output. (host)
  int(MELODEK_PLUGIN_CALL* dsp_dosamples)(short* samples, int numsamples, int bps, int nch, int srate);
  void(MELODEK_PLUGIN_CALL* EQSet)(int on, char data[10], int preamp);
  void(MELODEK_PLUGIN_CALL* SetInfo)(int bitrate, int srate, int stereo, int synched);  // (host)
  Out_Module* outMod;                                                                   // (host)
};

// The output the host emulates; the plug-in calls it from its own threads.
struct Out_Module {
  int version;
  char* description;
  int id;
  HWND hMainWindow;
  HINSTANCE hDllInstance;
  void(MELODEK_PLUGIN_CALL* Config)(HWND parent);
  void(MELODEK_PLUGIN_CALL* About)(HWND parent);
  void(MELODEK_PLUGIN_CALL* Init)(void);
  void(MELODEK_PLUGIN_CALL* Quit)(void);
  // Returns the latency in ms, negative on failure.
  int(MELODEK_PLUGIN_CALL* Open)(int samplerate, int numchannels, int bitspersamp, int bufferlenms,
                                 int prebufferms);
  void(MELODEK_PLUGIN_CALL* Close)(void);
  int(MELODEK_PLUGIN_CALL* Write)(char* buf, int len);  // 0 on success
  int(MELODEK_PLUGIN_CALL* CanWrite)(void);             // bytes that may be written now
  int(MELODEK_PLUGIN_CALL* IsPlaying)(void);
  int(MELODEK_PLUGIN_CALL* Pause)(int pause);           // previous pause state
  void(MELODEK_PLUGIN_CALL* SetVolume)(int volume);     // 0..255, -666 re-applies
  void(MELODEK_PLUGIN_CALL* SetPan)(int pan);           // -128..128
  void(MELODEK_PLUGIN_CALL* Flush)(int t);              // drop buffered data, restart at t ms
  int(MELODEK_PLUGIN_CALL* GetOutputTime)(void);
  int(MELODEK_PLUGIN_CALL* GetWrittenTime)(void);
};

// i686: 4-byte members, no padding. x86_64 (64-bit host and plug-ins): natural
// alignment pads the int before each pointer that follows an int.
static_assert(sizeof(void*) != 4 || sizeof(In_Module) == 38 * 4, "In_Module layout");
static_assert(sizeof(void*) != 4 || sizeof(Out_Module) == 20 * 4, "Out_Module layout");
static_assert(sizeof(void*) != 8 || (sizeof(In_Module) == 296 && offsetof(In_Module, is_seekable) == 40 &&
                                     offsetof(In_Module, Config) == 48 && offsetof(In_Module, outMod) == 288),
              "In_Module layout");
static_assert(sizeof(void*) != 8 || (sizeof(Out_Module) == 160 && offsetof(Out_Module, id) == 16 &&
                                     offsetof(Out_Module, hMainWindow) == 24 && offsetof(Out_Module, Config) == 40),
              "Out_Module layout");

typedef In_Module*(MELODEK_PLUGIN_CALL* GetInModuleFn)(void);
#define MELODEK_GET_IN_MODULE_NAME "winampGetInModule2"

// Optional exports a plug-in DLL may have beside winampGetInModule2, looked
// up by name (C calls, like the module's members).
//
// Extended file information: copies the value named `name` ("artist",
// "replaygain_track_gain", ...) of `file` into dest, which holds destlen
// characters with the terminator; non-zero when the plug-in has a value.
typedef int(MELODEK_PLUGIN_CALL* ExtendedFileInfoFn)(const char* file, const char* name, char* dest, int destlen);
typedef int(MELODEK_PLUGIN_CALL* ExtendedFileInfoWFn)(const wchar_t* file, const wchar_t* name, wchar_t* dest,
                                                      int destlen);
#define MELODEK_EXTENDED_FILE_INFO_NAME "winampGetExtendedFileInfo"
#define MELODEK_EXTENDED_FILE_INFO_W_NAME "winampGetExtendedFileInfoW"

// Extended read: a file decoded without playing it (what transcoders use).
// open gives a handle (0: refused) and the PCM format: bits per sample,
// channels, rate, and size, the bytes to come (-1: unknown). getData fills
// dest with up to len bytes of whole frames and returns their count (0 at
// the end); a non-zero *killswitch asks it to give up. close ends the handle.
typedef intptr_t(MELODEK_PLUGIN_CALL* ExtendedReadOpenFn)(const char* file, int* size, int* bps, int* nch,
                                                          int* srate);
typedef intptr_t(MELODEK_PLUGIN_CALL* ExtendedReadOpenWFn)(const wchar_t* file, int* size, int* bps, int* nch,
                                                           int* srate);
typedef intptr_t(MELODEK_PLUGIN_CALL* ExtendedReadGetDataFn)(intptr_t handle, char* dest, size_t len,
                                                             int* killswitch);
typedef void(MELODEK_PLUGIN_CALL* ExtendedReadCloseFn)(intptr_t handle);
#define MELODEK_EXTENDED_READ_OPEN_NAME "winampGetExtendedRead_open"
#define MELODEK_EXTENDED_READ_OPEN_W_NAME "winampGetExtendedRead_openW"
#define MELODEK_EXTENDED_READ_GET_DATA_NAME "winampGetExtendedRead_getData"
#define MELODEK_EXTENDED_READ_CLOSE_NAME "winampGetExtendedRead_close"

// End-of-file message some plug-ins post to hMainWindow; Melodek ignores it.
#define MELODEK_PLUGIN_EOF_MESSAGE (WM_USER + 2)
