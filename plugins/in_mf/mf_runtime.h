// Media Foundation start-up shared by everything in the plug-in.
// MFStartup runs when the first reference is taken; Media Foundation then
// stays up to the end of the process (see mf_runtime.cpp). The host's
// Init/Quit pairs hold a reference, every decoding thread and every
// GetFileInfo call hold one of their own.
// Thread-safe: the count is guarded by a lock.
#pragma once

// Host Init and Quit: Quit without a matching Init does nothing.
void MfHostInit();
void MfHostQuit();

// One reference for the lifetime of the object; ok() is false when
// MFStartup failed (nothing is held then).
class MfRuntimeRef {
 public:
  MfRuntimeRef();
  ~MfRuntimeRef();
  MfRuntimeRef(const MfRuntimeRef&) = delete;
  MfRuntimeRef& operator=(const MfRuntimeRef&) = delete;
  bool ok() const { return ok_; }

 private:
  bool ok_;
};

// COM for the calling thread (multithreaded apartment) for the object's
// lifetime. A thread already in another apartment keeps it: COM still works
// there, and it is not ours to uninitialise.
class ComApartment {
 public:
  ComApartment();
  ~ComApartment();
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;

 private:
  bool initialized_;
};
