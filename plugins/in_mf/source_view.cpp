#include "plugins/in_mf/source_view.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

uint64_t SourceView::Size(uint64_t file_size) const {
  return head.size() + (file_size > file_from ? file_size - file_from : 0);
}

size_t SourceView::Read(ByteSource& file, uint64_t offset, uint8_t* out, size_t n) const {
  size_t done = 0;
  if (offset < head.size()) {
    done = static_cast<size_t>(std::min<uint64_t>(n, head.size() - offset));
    std::memcpy(out, head.data() + offset, done);
  }
  if (done == n) return done;
  const uint64_t past_head = offset + done - head.size();
  if (past_head > UINT64_MAX - file_from) return done;  // far past any file's end
  const uint64_t at = file_from + past_head;
  const size_t got = file.ReadAt(at, out + done, n - done);
  ApplyBytePatches(patches, at, out + done, got);
  return done + got;
}
