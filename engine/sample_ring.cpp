// The sample ring between the decoding thread and the audio refills.
#include "engine/sample_ring.h"

#include <cstring>

SampleRing::SampleRing() : samples_(new int16_t[kSamples]()) {}

SampleRing::~SampleRing() { delete[] samples_; }

uint32_t SampleRing::FreeBytes() const {
  const uint32_t used = write_.load(std::memory_order_relaxed) - read_.load(std::memory_order_acquire);
  return used >= kBytes ? 0 : kBytes - used;
}

void SampleRing::Write(const void* data, uint32_t len) {
  const uint32_t w = write_.load(std::memory_order_relaxed);
  const auto* src = static_cast<const unsigned char*>(data);
  auto* bytes = reinterpret_cast<unsigned char*>(samples_);
  uint32_t done = 0;
  while (done < len) {
    const uint32_t at = (w + done) & kMask;
    uint32_t chunk = kBytes - at;
    if (chunk > len - done) chunk = len - done;
    std::memcpy(bytes + at, src + done, chunk);
    done += chunk;
  }
  write_.store(w + len, std::memory_order_release);
}

void SampleRing::CommitWrite(uint32_t len) {
  write_.store(write_.load(std::memory_order_relaxed) + len, std::memory_order_release);
}

uint32_t SampleRing::AvailableBytes() const {
  const uint32_t r = read_.load(std::memory_order_acquire);
  const uint32_t w = write_.load(std::memory_order_acquire);
  return w - r > kBytes ? 0 : w - r;
}

void SampleRing::AdvanceRead(uint32_t bytes) {
  AdvanceReadFrom(read_.load(std::memory_order_relaxed), bytes);
}

bool SampleRing::AdvanceReadFrom(uint32_t from, uint32_t bytes) {
  return read_.compare_exchange_strong(from, from + bytes, std::memory_order_release,
                                       std::memory_order_relaxed);
}

void SampleRing::AdvanceReadCapped(uint32_t bytes) {
  uint32_t r = read_.load(std::memory_order_acquire);
  const uint32_t w = write_.load(std::memory_order_acquire);
  const uint32_t next = (w - r) < bytes ? w : r + bytes;
  read_.compare_exchange_strong(r, next, std::memory_order_release, std::memory_order_relaxed);
}

void SampleRing::SetBothCounters(uint32_t byteCounter) {
  write_.store(byteCounter, std::memory_order_release);
  read_.store(byteCounter, std::memory_order_release);
}
