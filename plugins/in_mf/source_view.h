// What the system's media source is shown instead of a file: some bytes put
// before it, the file from some offset on, and bytes of it replaced (all
// without writing to the file). How the plug-in shows a corrected MP4
// header, and an MP3 file after the previous file's last frames.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "plugins/common/byte_source.h"
#include "plugins/in_mf/byte_patches.h"

struct SourceView {
  std::vector<uint8_t> head;       // shown first
  uint64_t file_from = 0;          // then the file from this offset to its end
  std::vector<BytePatch> patches;  // at file offsets

  bool plain() const { return head.empty() && file_from == 0 && patches.empty(); }
  uint64_t Size(uint64_t file_size) const;
  // Reads up to n bytes of the view at offset; short at the view's end.
  size_t Read(ByteSource& file, uint64_t offset, uint8_t* out, size_t n) const;
};
