#include "plugins/in_mf/mf_runtime.h"

#include <windows.h>
#include <mfapi.h>
#include <objbase.h>

namespace {

SRWLOCK g_lock = SRWLOCK_INIT;
int g_references = 0;     // guarded by g_lock
int g_host_inits = 0;     // guarded by g_lock; host Init calls not yet quit
bool g_started = false;   // guarded by g_lock; MFStartup succeeded

// Media Foundation is started at the first use and kept to the end of the
// process. The host brackets every playback with Init and Quit, and a
// start-up per playback would build and tear down Media Foundation's work
// queues and threads each time (under Wine every pair also keeps memory).
// mfplat.dll is pinned, so that its threads never outlive its code when the
// host frees this plug-in.
bool AcquireLocked() {
  if (!g_started) {
    if (FAILED(MFStartup(MF_VERSION, MFSTARTUP_FULL))) return false;
    HMODULE pinned = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_PIN, L"mfplat.dll", &pinned);
    g_started = true;
  }
  ++g_references;
  return true;
}

void ReleaseLocked() {
  if (g_references > 0) --g_references;
}

}  // namespace

void MfHostInit() {
  AcquireSRWLockExclusive(&g_lock);
  if (AcquireLocked()) ++g_host_inits;
  ReleaseSRWLockExclusive(&g_lock);
}

void MfHostQuit() {
  AcquireSRWLockExclusive(&g_lock);
  if (g_host_inits > 0) {
    --g_host_inits;
    ReleaseLocked();
  }
  ReleaseSRWLockExclusive(&g_lock);
}

MfRuntimeRef::MfRuntimeRef() {
  AcquireSRWLockExclusive(&g_lock);
  ok_ = AcquireLocked();
  ReleaseSRWLockExclusive(&g_lock);
}

MfRuntimeRef::~MfRuntimeRef() {
  if (!ok_) return;
  AcquireSRWLockExclusive(&g_lock);
  ReleaseLocked();
  ReleaseSRWLockExclusive(&g_lock);
}

ComApartment::ComApartment() : initialized_(SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED))) {}

ComApartment::~ComApartment() {
  if (initialized_) CoUninitialize();
}
