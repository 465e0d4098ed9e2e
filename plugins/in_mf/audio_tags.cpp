// Format detection, FLAC Vorbis comments and the title composed from tags.
#include <cctype>
#include <cstring>

#include "plugins/in_mf/audio_tags.h"
#include "plugins/in_mf/tag_text.h"

namespace {

constexpr int kMaxFlacBlocks = 1024;
constexpr uint32_t kMaxCommentBlockBytes = 1024 * 1024;
constexpr uint32_t kMaxComments = 10000;
constexpr size_t kMaxGainNameBytes = 32;

const uint8_t kAsfHeaderGuid[16] = {0x30, 0x26, 0xB2, 0x75, 0x8E, 0x66, 0xCF, 0x11,
                                    0xA6, 0xD9, 0x00, 0xAA, 0x00, 0x62, 0xCE, 0x6C};

bool SameLetters(const std::string& a, const char* upper) {
  if (a.size() != std::strlen(upper)) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (std::toupper(static_cast<unsigned char>(a[i])) != upper[i]) return false;
  }
  return true;
}

bool KeyIs(const uint8_t* key, size_t length, const char* name) {
  if (std::strlen(name) != length) return false;
  for (size_t i = 0; i < length; ++i) {
    if (std::toupper(key[i]) != name[i]) return false;
  }
  return true;
}

void ParseVorbisComments(const std::vector<uint8_t>& block, TagFields& fields) {
  const size_t size = block.size();
  const uint8_t* p = block.data();
  if (size < 8) return;
  uint64_t pos = 4 + uint64_t(ReadLE32(p));  // vendor string
  if (pos + 4 > size) return;
  uint32_t count = ReadLE32(p + pos);
  pos += 4;
  for (uint32_t i = 0; i < count && i < kMaxComments && pos + 4 <= size; ++i) {
    uint64_t length = ReadLE32(p + pos);
    pos += 4;
    if (length > size - pos) return;
    const uint8_t* entry = p + pos;
    pos += length;
    const uint8_t* eq = static_cast<const uint8_t*>(std::memchr(entry, '=', static_cast<size_t>(length)));
    if (!eq) continue;
    size_t key_length = static_cast<size_t>(eq - entry);
    size_t value_length = static_cast<size_t>(length) - key_length - 1;
    if (value_length > kMaxTagValueBytes) continue;
    std::string* field = nullptr;
    if (KeyIs(entry, key_length, "TITLE")) field = &fields.title;
    if (KeyIs(entry, key_length, "ARTIST")) field = &fields.artist;
    if (KeyIs(entry, key_length, "ALBUM")) field = &fields.album;
    if (!field && key_length <= kMaxGainNameBytes) {
      field = GainFieldNamed(fields, std::string(reinterpret_cast<const char*>(entry), key_length));
    }
    if (field && field->empty()) field->assign(CleanTagText(DecodeTagText(eq + 1, value_length, TagEncoding::kUtf8)));
  }
}

}  // namespace

void ReadFlacComments(ByteSource& source, uint64_t offset, TagFields& fields) {
  uint8_t magic[4];
  if (!source.ReadExact(offset, magic, 4) || std::memcmp(magic, "fLaC", 4) != 0) return;
  uint64_t pos = offset + 4;
  for (int n = 0; n < kMaxFlacBlocks; ++n) {
    uint8_t h[4];
    if (!source.ReadExact(pos, h, 4)) return;
    const bool last = (h[0] & 0x80) != 0;
    const int type = h[0] & 0x7F;
    const uint32_t length = (uint32_t(h[1]) << 16) | (uint32_t(h[2]) << 8) | h[3];
    if (type == 4) {
      // A comment block past the bound is read only in part: what fits is
      // used. A block claiming more than the data holds costs only the data.
      const uint64_t available = source.Size() > pos + 4 ? source.Size() - (pos + 4) : 0;
      uint32_t take = length < kMaxCommentBlockBytes ? length : kMaxCommentBlockBytes;
      if (take > available) take = static_cast<uint32_t>(available);
      std::vector<uint8_t> block(take);
      block.resize(source.ReadAt(pos + 4, block.data(), take));
      ParseVorbisComments(block, fields);
      return;
    }
    if (last || type == 127) return;
    pos += 4 + uint64_t(length);
  }
}

TagFields ReadAudioTags(ByteSource& source) {
  TagFields fields;
  const uint64_t id3_size = ReadId3v2(source, fields);
  uint8_t head[16] = {};
  const size_t got = source.ReadAt(id3_size, head, sizeof head);
  if (got >= 4 && std::memcmp(head, "fLaC", 4) == 0) {
    ReadFlacComments(source, id3_size, fields);
  } else if (id3_size == 0 && got >= 8 && std::memcmp(head + 4, "ftyp", 4) == 0) {
    ReadMp4Tags(source, fields);
    return fields;
  } else if (id3_size == 0 && got >= 16 && std::memcmp(head, kAsfHeaderGuid, 16) == 0) {
    ReadAsfTags(source, fields);
    return fields;
  }
  if (!fields.NamesComplete()) ReadId3v1(source, fields);
  return fields;
}

std::string* GainFieldNamed(TagFields& fields, const std::string& name) {
  if (SameLetters(name, "REPLAYGAIN_TRACK_GAIN")) return &fields.trackGain;
  if (SameLetters(name, "REPLAYGAIN_TRACK_PEAK")) return &fields.trackPeak;
  if (SameLetters(name, "REPLAYGAIN_ALBUM_GAIN")) return &fields.albumGain;
  if (SameLetters(name, "REPLAYGAIN_ALBUM_PEAK")) return &fields.albumPeak;
  if (SameLetters(name, "R128_TRACK_GAIN")) return &fields.r128TrackGain;
  if (SameLetters(name, "R128_ALBUM_GAIN")) return &fields.r128AlbumGain;
  return nullptr;
}

std::string ComposeTagTitle(const TagFields& fields) {
  std::string title = CleanTagText(fields.title);
  std::string artist = CleanTagText(fields.artist);
  if (title.empty()) return std::string();
  if (artist.empty()) return title;
  return artist + " - " + title;
}
