// Random-access reads for the plug-ins' header and tag parsers: a file on
// Windows, a memory block in the unit tests and fuzz targets. Short reads
// mean the end of the data (or a read error).
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

class ByteSource {
 public:
  virtual ~ByteSource() = default;
  virtual uint64_t Size() const = 0;
  // Reads up to n bytes at offset; returns the count read.
  virtual size_t ReadAt(uint64_t offset, void* buffer, size_t n) = 0;

  bool ReadExact(uint64_t offset, void* buffer, size_t n) { return ReadAt(offset, buffer, n) == n; }
  // Reads n bytes into a vector; false (and an empty vector) on a short read.
  bool ReadBlock(uint64_t offset, size_t n, std::vector<uint8_t>& out) {
    out.resize(n);
    if (ReadAt(offset, out.data(), n) == n) return true;
    out.clear();
    return false;
  }
};

class MemoryByteSource : public ByteSource {
 public:
  MemoryByteSource(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  explicit MemoryByteSource(const std::vector<uint8_t>& data) : data_(data.data()), size_(data.size()) {}
  uint64_t Size() const override { return size_; }
  size_t ReadAt(uint64_t offset, void* buffer, size_t n) override {
    if (offset >= size_) return 0;
    size_t available = static_cast<size_t>(size_ - offset);
    if (n > available) n = available;
    if (n) std::memcpy(buffer, data_ + offset, n);
    return n;
  }

 private:
  const uint8_t* data_;
  size_t size_;
};
