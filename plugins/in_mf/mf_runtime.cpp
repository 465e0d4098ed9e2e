#include "plugins/in_mf/mf_runtime.h"

#include <windows.h>
#include <mfapi.h>
#include <objbase.h>

namespace {

SRWLOCK g_lock = SRWLOCK_INIT;
bool g_started = false;  // guarded by g_lock; MFStartup succeeded

}  // namespace

// Media Foundation is started once and kept to the end of the process: the
// host opens a file per playback, and a start-up per playback would build and
// tear down Media Foundation's work queues and threads each time (under Wine
// every pair also keeps memory). mfplat.dll is pinned, so that its threads
// never outlive its code when the host frees this plug-in.
bool StartMediaFoundation() {
  AcquireSRWLockExclusive(&g_lock);
  if (!g_started && SUCCEEDED(MFStartup(MF_VERSION, MFSTARTUP_FULL))) {
    HMODULE pinned = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_PIN, L"mfplat.dll", &pinned);
    g_started = true;
  }
  const bool started = g_started;
  ReleaseSRWLockExclusive(&g_lock);
  return started;
}

ComApartment::ComApartment() : initialized_(SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED))) {}

ComApartment::~ComApartment() {
  if (initialized_) CoUninitialize();
}
