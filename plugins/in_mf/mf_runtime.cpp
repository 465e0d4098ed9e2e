#include "plugins/in_mf/mf_runtime.h"

#include <windows.h>
#include <mfapi.h>
#include <objbase.h>

namespace {

SRWLOCK g_lock = SRWLOCK_INIT;
int g_references = 0;  // guarded by g_lock
int g_host_inits = 0;  // guarded by g_lock; host Init calls not yet quit

bool AcquireLocked() {
  if (g_references == 0 && FAILED(MFStartup(MF_VERSION, MFSTARTUP_FULL))) return false;
  ++g_references;
  return true;
}

void ReleaseLocked() {
  if (g_references > 0 && --g_references == 0) MFShutdown();
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
