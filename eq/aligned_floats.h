// A zeroed float array whose first element sits on a 32-byte boundary, as the
// transform's vector kernels load whole 16- or 32-byte vectors.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

class AlignedFloats {
 public:
  static constexpr uintptr_t kAlign = 32;

  AlignedFloats() = default;
  AlignedFloats(const AlignedFloats&) = delete;
  AlignedFloats& operator=(const AlignedFloats&) = delete;

  // Frees the old array, then allocates count floats with kAlign spare
  // bytes and rounds the start up to a multiple of kAlign. All values are 0.
  void Allocate(size_t count) {
    Release();
    raw_.reset(new unsigned char[count * sizeof(float) + kAlign]);
    const uintptr_t at = reinterpret_cast<uintptr_t>(raw_.get());
    data_ = reinterpret_cast<float*>(raw_.get() + ((kAlign - (at & (kAlign - 1))) & (kAlign - 1)));
    size_ = count;
    std::memset(data_, 0, count * sizeof(float));
  }
  void Release() {
    raw_.reset();
    data_ = nullptr;
    size_ = 0;
  }

  float* data() { return data_; }
  const float* data() const { return data_; }
  size_t size() const { return size_; }

 private:
  std::unique_ptr<unsigned char[]> raw_;
  float* data_ = nullptr;
  size_t size_ = 0;
};
