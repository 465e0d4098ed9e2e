// ASF (WMA) tags: the content description object (title and author as
// UTF-16LE), and the extended content description object's string
// attributes "WM/AlbumTitle" and the ReplayGain values.
#include <cstring>

#include "plugins/in_mf/audio_tags.h"
#include "plugins/in_mf/tag_text.h"

namespace {

constexpr uint32_t kMaxHeaderObjects = 1024;
constexpr uint16_t kMaxAttributes = 1024;
constexpr size_t kMaxExtendedBytes = 1024 * 1024;  // larger objects are read up to this
constexpr uint16_t kUnicodeString = 0;
const uint8_t kContentDescriptionGuid[16] = {0x33, 0x26, 0xB2, 0x75, 0x8E, 0x66, 0xCF, 0x11,
                                             0xA6, 0xD9, 0x00, 0xAA, 0x00, 0x62, 0xCE, 0x6C};
const uint8_t kExtendedContentDescriptionGuid[16] = {0x40, 0xA4, 0xD0, 0xD2, 0x07, 0xE3, 0xD2, 0x11,
                                                     0x97, 0xF0, 0x00, 0xA0, 0xC9, 0x5E, 0xA8, 0x50};

void ReadContentDescription(const std::vector<uint8_t>& body, TagFields& fields) {
  const size_t title_length = ReadLE16(body.data());
  const size_t author_length = ReadLE16(body.data() + 2);
  if (10 + title_length + author_length > body.size()) return;
  const uint8_t* text = body.data() + 10;
  if (fields.title.empty()) fields.title = CleanTagText(DecodeTagText(text, title_length, TagEncoding::kUtf16LE));
  if (fields.artist.empty()) {
    fields.artist = CleanTagText(DecodeTagText(text + title_length, author_length, TagEncoding::kUtf16LE));
  }
}

// Count, then per attribute: name length, name (UTF-16LE with its NUL),
// value type, value length, value. Only string values are taken.
void ReadExtendedContentDescription(const std::vector<uint8_t>& body, TagFields& fields) {
  if (body.size() < 2) return;
  const uint16_t count = ReadLE16(body.data());
  size_t pos = 2;
  for (uint16_t n = 0; n < count && n < kMaxAttributes; ++n) {
    if (pos + 2 > body.size()) return;
    const size_t name_length = ReadLE16(body.data() + pos);
    pos += 2;
    if (name_length + 4 > body.size() - pos) return;
    const std::string name = DecodeTagText(body.data() + pos, name_length, TagEncoding::kUtf16LE);
    pos += name_length;
    const uint16_t type = ReadLE16(body.data() + pos);
    const size_t value_length = ReadLE16(body.data() + pos + 2);
    pos += 4;
    if (value_length > body.size() - pos) return;
    const uint8_t* value = body.data() + pos;
    pos += value_length;
    if (type != kUnicodeString) continue;
    std::string* field = name == "WM/AlbumTitle" ? &fields.album : GainFieldNamed(fields, name);
    if (field && field->empty()) field->assign(CleanTagText(DecodeTagText(value, value_length, TagEncoding::kUtf16LE)));
  }
}

}  // namespace

void ReadAsfTags(ByteSource& source, TagFields& fields) {
  uint8_t h[30];
  if (!source.ReadExact(0, h, 30)) return;
  const uint64_t header_end = ReadLE64(h + 16);
  const uint32_t objects = ReadLE32(h + 24);
  if (header_end > source.Size() || header_end < 30) return;
  uint64_t pos = 30;
  bool described = false, extended = false;
  for (uint32_t n = 0; n < objects && n < kMaxHeaderObjects && !(described && extended); ++n) {
    uint8_t o[24];
    if (pos + 24 > header_end || !source.ReadExact(pos, o, 24)) return;
    const uint64_t size = ReadLE64(o + 16);
    if (size < 24 || size > header_end - pos) return;
    std::vector<uint8_t> body;
    if (!described && std::memcmp(o, kContentDescriptionGuid, 16) == 0 && size >= 34 &&
        size - 24 <= 5 * 65535 + 10) {
      described = true;
      if (!source.ReadBlock(pos + 24, static_cast<size_t>(size - 24), body)) return;
      ReadContentDescription(body, fields);
    } else if (!extended && std::memcmp(o, kExtendedContentDescriptionGuid, 16) == 0) {
      extended = true;
      // An object past the bound is read in part: the attributes that fit count.
      const size_t take = size - 24 < kMaxExtendedBytes ? static_cast<size_t>(size - 24) : kMaxExtendedBytes;
      if (!source.ReadBlock(pos + 24, take, body)) return;
      ReadExtendedContentDescription(body, fields);
    }
    pos += size;
  }
}
