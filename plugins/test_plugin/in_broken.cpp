// in_broken.dll: named like an input plug-in but without winampGetInModule2
// (it exports an older-looking getter instead). The host must skip it.
#include <windows.h>

extern "C" __declspec(dllexport) void* __cdecl winampGetInModule() { return nullptr; }
