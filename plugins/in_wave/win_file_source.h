// A wav::ByteSource over a file opened with the Win32 file API.
#pragma once
#include <windows.h>

#include "framework/unique_handle.h"
#include "plugins/in_wave/wav_format.h"

class WinFileSource : public wav::ByteSource {
 public:
  // Opens path for reading (others may read and write it meanwhile).
  bool Open(const char* path);
  uint64_t Size() const override { return size_; }
  size_t ReadAt(uint64_t offset, void* buffer, size_t len) override;

 private:
  UniqueFileHandle file_;
  uint64_t size_ = 0;
};
