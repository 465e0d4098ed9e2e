// A ByteSource over a file opened for reading only as long as the object
// lives; other programs may read, write or delete the file meanwhile.
#pragma once
#include <windows.h>

#include <string>

#include "framework/unique_handle.h"
#include "plugins/common/byte_source.h"

class WinFileSource : public ByteSource {
 public:
  // False when the file cannot be opened or its size read.
  bool Open(const char* path);
  bool Open(const std::wstring& path);
  uint64_t Size() const override { return size_; }
  size_t ReadAt(uint64_t offset, void* buffer, size_t n) override;

 private:
  bool Adopt(HANDLE file);

  UniqueFileHandle file_;
  uint64_t size_ = 0;
};
