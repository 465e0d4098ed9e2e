// Bytes replaced in a file as it is read, without writing to it: how the
// plug-in shows the system's media source a corrected header.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

struct BytePatch {
  uint64_t offset = 0;
  std::vector<uint8_t> bytes;
};

// Overwrites the parts of data (n bytes read at offset) that patches cover.
inline void ApplyBytePatches(const std::vector<BytePatch>& patches, uint64_t offset, uint8_t* data, size_t n) {
  for (const BytePatch& patch : patches) {
    const uint64_t patch_end = patch.offset + patch.bytes.size();
    const uint64_t first = patch.offset > offset ? patch.offset : offset;
    const uint64_t last = patch_end < offset + n ? patch_end : offset + n;
    for (uint64_t at = first; at < last; ++at) data[at - offset] = patch.bytes[at - patch.offset];
  }
}
