// ASF (WMA) content description object: title and author as UTF-16LE.
#include <cstring>

#include "plugins/in_mf/audio_tags.h"
#include "plugins/in_mf/tag_text.h"

namespace {

constexpr uint32_t kMaxHeaderObjects = 1024;
const uint8_t kContentDescriptionGuid[16] = {0x33, 0x26, 0xB2, 0x75, 0x8E, 0x66, 0xCF, 0x11,
                                             0xA6, 0xD9, 0x00, 0xAA, 0x00, 0x62, 0xCE, 0x6C};

}  // namespace

void ReadAsfTags(ByteSource& source, TagFields& fields) {
  uint8_t h[30];
  if (!source.ReadExact(0, h, 30)) return;
  const uint64_t header_end = ReadLE64(h + 16);
  const uint32_t objects = ReadLE32(h + 24);
  if (header_end > source.Size() || header_end < 30) return;
  uint64_t pos = 30;
  for (uint32_t n = 0; n < objects && n < kMaxHeaderObjects; ++n) {
    uint8_t o[24];
    if (pos + 24 > header_end || !source.ReadExact(pos, o, 24)) return;
    const uint64_t size = ReadLE64(o + 16);
    if (size < 24 || size > header_end - pos) return;
    if (std::memcmp(o, kContentDescriptionGuid, 16) == 0 && size >= 34 && size - 24 <= 5 * 65535 + 10) {
      std::vector<uint8_t> body;
      if (!source.ReadBlock(pos + 24, static_cast<size_t>(size - 24), body)) return;
      const size_t title_length = ReadLE16(body.data());
      const size_t author_length = ReadLE16(body.data() + 2);
      if (10 + title_length + author_length > body.size()) return;
      const uint8_t* text = body.data() + 10;
      if (fields.title.empty()) fields.title = CleanTagText(DecodeTagText(text, title_length, TagEncoding::kUtf16LE));
      if (fields.artist.empty()) {
        fields.artist = CleanTagText(DecodeTagText(text + title_length, author_length, TagEncoding::kUtf16LE));
      }
      return;
    }
    pos += size;
  }
}
