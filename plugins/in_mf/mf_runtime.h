// Media Foundation start-up shared by everything in the plug-in.
// MFStartup runs when the first file is opened (a decoding thread or a
// GetFileInfo call asks for it), not at the host's Init: a player
// that loads the plug-in at start-up and plays nothing keeps none of Media
// Foundation's work-queue threads waking it. Once started, Media Foundation
// stays up to the end of the process (see mf_runtime.cpp).
// Thread-safe: the start-up is guarded by a lock.
#pragma once

// Starts Media Foundation unless it runs already; false when MFStartup
// failed (a later call tries again).
bool StartMediaFoundation();

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
