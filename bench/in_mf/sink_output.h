// The host side of an input plug-in for the in_mf benchmarks: an output that
// takes every byte at once and counts it, and a DSP that does nothing, so the
// plug-in runs as fast as it decodes.
#pragma once
#include <windows.h>

#include "common/plugin_api.h"

namespace sink_output {

inline volatile LONG64 bytes = 0;  // written by the plug-in's decoding thread
inline int rate = 0, channels = 0;

inline int __cdecl Open(int sampleRate, int channelCount, int, int, int) {
  rate = sampleRate, channels = channelCount;
  return 0;
}
inline int __cdecl Write(char*, int length) {
  InterlockedExchangeAdd64(&bytes, length);
  return 0;
}
inline int __cdecl CanWrite() { return 1 << 24; }
inline int __cdecl Zero() { return 0; }
inline int __cdecl IntZero(int) { return 0; }
inline void __cdecl Nothing() {}
inline void __cdecl IntNothing(int) {}
inline void __cdecl WindowNothing(HWND) {}
inline int __cdecl Dsp(short*, int frames, int, int, int) { return frames; }
inline int __cdecl DspOff() { return 0; }

inline char name[] = "bench output";
inline Out_Module module = {0x10, name, 0, nullptr, nullptr, WindowNothing, WindowNothing, Nothing, Nothing, Open,
                            Nothing, Write, CanWrite, Zero, IntZero, IntNothing, IntNothing, IntNothing, Zero, Zero};

// Hands the plug-in this output and the pass-through DSP.
inline void Attach(In_Module* plugin) {
  plugin->outMod = &module;
  plugin->dsp_dosamples = Dsp;
  plugin->dsp_isactive = DspOff;
}

}  // namespace sink_output
