// A ByteSource over a file opened for reading only as long as the object
// lives; other programs may read, write or delete the file meanwhile.
#pragma once
#include <windows.h>

#include <string>

#include "framework/unique_handle.h"
#include "plugins/in_mf/byte_source.h"

class WinFileSource : public ByteSource {
 public:
  explicit WinFileSource(const std::wstring& path);
  bool is_open() const { return static_cast<bool>(file_); }
  uint64_t Size() const override { return size_; }
  size_t ReadAt(uint64_t offset, void* buffer, size_t n) override;

 private:
  UniqueFileHandle file_;
  uint64_t size_ = 0;
};
