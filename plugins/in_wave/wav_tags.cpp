// The ID3v2 chunk of a WAV file, read with the ID3v2 reader in_mf.dll uses.
#include "plugins/in_wave/wav_tags.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "plugins/in_mf/tag_text.h"

namespace {
constexpr int kMaxChunks = 4096;
}  // namespace

TagFields ReadWavTags(ByteSource& source) {
  TagFields fields;
  uint8_t header[12];
  if (!source.ReadExact(0, header, sizeof header)) return fields;
  if ((std::memcmp(header, "RIFF", 4) != 0 && std::memcmp(header, "RF64", 4) != 0) ||
      std::memcmp(header + 8, "WAVE", 4) != 0) {
    return fields;
  }
  const uint64_t size = source.Size();
  uint64_t pos = 12;
  for (int n = 0; n < kMaxChunks && pos + 8 <= size; ++n) {
    uint8_t head[8];
    if (!source.ReadExact(pos, head, sizeof head)) break;
    const uint32_t length = ReadLE32(head + 4);
    if (std::memcmp(head, "id3 ", 4) == 0 || std::memcmp(head, "ID3 ", 4) == 0) {
      const uint64_t present = size - (pos + 8);
      std::vector<uint8_t> tag(static_cast<size_t>(std::min<uint64_t>({length, present, kMaxWavTagBytes})));
      tag.resize(source.ReadAt(pos + 8, tag.data(), tag.size()));
      MemoryByteSource body(tag);
      ReadId3v2(body, fields);
      break;
    }
    // A size of 0xFFFFFFFF (RF64, or a writer that never finished) ends the walk.
    if (length == 0xFFFFFFFFu) break;
    pos += 8 + uint64_t(length) + (length & 1u);
  }
  return fields;
}
