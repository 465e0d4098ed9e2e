// ID3v2 (versions 2.2, 2.3, 2.4) and ID3v1 title, artist and album; the
// ReplayGain values of ID3v2 "TXXX" frames.
#include <algorithm>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "plugins/in_mf/audio_tags.h"
#include "plugins/in_mf/tag_text.h"

namespace {

constexpr size_t kMaxUnsyncTagBytes = 1024 * 1024;  // tag-wide unsync is read whole, up to this
constexpr int kMaxFrames = 4096;
// Text frame bytes read for one tag in all: frames whose text turns out empty
// do not fill their field, so the next frame of that kind is read too.
constexpr uint64_t kMaxValueBytesRead = 1024 * 1024;

uint32_t SyncSafe(const uint8_t* p) {
  return (uint32_t(p[0] & 0x7F) << 21) | (uint32_t(p[1] & 0x7F) << 14) | (uint32_t(p[2] & 0x7F) << 7) |
         (p[3] & 0x7F);
}

// Undoes unsynchronisation: every 0xFF 0x00 pair loses its 0x00.
std::vector<uint8_t> RemoveUnsync(const uint8_t* data, size_t size) {
  std::vector<uint8_t> out;
  out.reserve(size);
  for (size_t i = 0; i < size; ++i) {
    out.push_back(data[i]);
    if (data[i] == 0xFF && i + 1 < size && data[i + 1] == 0x00) ++i;
  }
  return out;
}

TagEncoding Id3Encoding(uint8_t code) {
  switch (code) {
    case 1: return TagEncoding::kUtf16Bom;
    case 2: return TagEncoding::kUtf16BE;
    case 3: return TagEncoding::kUtf8;
    default: return TagEncoding::kLatin1;
  }
}

// Stores a text frame's first value into the field if that is still empty.
void TakeTextFrame(std::vector<uint8_t> body, bool unsync, std::string& field) {
  if (!field.empty() || body.empty()) return;
  if (unsync) body = RemoveUnsync(body.data(), body.size());
  if (body.empty()) return;
  field = CleanTagText(DecodeTagText(body.data() + 1, body.size() - 1, Id3Encoding(body[0])));
}

// Where the NUL-terminated text at the start of data ends (the terminator is
// one byte, or a 16-bit unit at an even offset for UTF-16), and where the
// text after it starts; npos when there is no terminator.
std::pair<size_t, size_t> SplitAtTerminator(const uint8_t* data, size_t size, uint8_t encoding) {
  if (encoding == 1 || encoding == 2) {
    for (size_t i = 0; i + 1 < size; i += 2) {
      if (data[i] == 0 && data[i + 1] == 0) return {i, i + 2};
    }
  } else {
    for (size_t i = 0; i < size; ++i) {
      if (data[i] == 0) return {i, i + 1};
    }
  }
  return {std::string::npos, std::string::npos};
}

// A user text frame: encoding, description, terminator, value. Fills the
// ReplayGain field its description names, when that is still empty.
void TakeUserTextFrame(std::vector<uint8_t> body, bool unsync, TagFields& fields) {
  if (unsync) body = RemoveUnsync(body.data(), body.size());
  if (body.empty()) return;
  const uint8_t encoding = body[0];
  const uint8_t* text = body.data() + 1;
  const size_t size = body.size() - 1;
  const auto [end, value] = SplitAtTerminator(text, size, encoding);
  if (end == std::string::npos) return;
  std::string* field = GainFieldNamed(fields, CleanTagText(DecodeTagText(text, end, Id3Encoding(encoding))));
  if (!field || !field->empty()) return;
  *field = CleanTagText(DecodeTagText(text + value, size - value, Id3Encoding(encoding)));
}

// Walks the frames of a tag body held in 'frames' (offsets relative to it).
void ReadFrames(ByteSource& frames, uint64_t end, int version, TagFields& fields) {
  const size_t header_size = version == 2 ? 6 : 10;
  uint64_t pos = 0;
  uint64_t value_bytes_left = kMaxValueBytesRead;
  for (int n = 0; n < kMaxFrames && pos + header_size <= end; ++n) {
    uint8_t h[10];
    if (!frames.ReadExact(pos, h, header_size)) return;
    if (h[0] == 0) return;  // padding
    std::string id(reinterpret_cast<char*>(h), version == 2 ? 3 : 4);
    uint64_t size;
    uint16_t flags = 0;
    if (version == 2) {
      size = (uint32_t(h[3]) << 16) | (uint32_t(h[4]) << 8) | h[5];
    } else {
      size = version == 4 ? SyncSafe(h + 4) : ReadBE32(h + 4);
      flags = uint16_t((h[8] << 8) | h[9]);
    }
    uint64_t body = pos + header_size;
    if (size > end - body) return;  // runs past the tag: corrupt
    pos = body + size;

    std::string* field = nullptr;
    if (id == "TIT2" || id == "TT2") field = &fields.title;
    if (id == "TPE1" || id == "TP1") field = &fields.artist;
    if (id == "TALB" || id == "TAL") field = &fields.album;
    const bool userText = (id == "TXXX" || id == "TXX") && !fields.GainsComplete();
    if (!userText && (!field || !field->empty())) continue;
    if (size > kMaxTagValueBytes) continue;

    bool frame_unsync = false;
    uint64_t skip = 0;
    if (version == 3) {
      if (flags & 0x00C0) continue;  // compressed or encrypted
      if (flags & 0x0020) skip += 1;  // group id
    } else if (version == 4) {
      if (flags & 0x000C) continue;  // compressed or encrypted
      if (flags & 0x0040) skip += 1;  // group id
      if (flags & 0x0001) skip += 4;  // data length indicator
      frame_unsync = (flags & 0x0002) != 0;
    }
    if (skip >= size) continue;
    if (size - skip > value_bytes_left) return;
    value_bytes_left -= size - skip;
    std::vector<uint8_t> data;
    if (!frames.ReadBlock(body + skip, static_cast<size_t>(size - skip), data)) return;
    if (userText) {
      TakeUserTextFrame(std::move(data), frame_unsync, fields);
    } else {
      TakeTextFrame(std::move(data), frame_unsync, *field);
    }
    if (fields.Complete()) return;
  }
}

// The frames of a tag, seen from offset 0: the file itself shifted, or an
// in-memory copy when the whole tag was unsynchronised.
class ShiftedSource : public ByteSource {
 public:
  ShiftedSource(ByteSource& inner, uint64_t base) : inner_(inner), base_(base) {}
  uint64_t Size() const override { return inner_.Size() > base_ ? inner_.Size() - base_ : 0; }
  size_t ReadAt(uint64_t offset, void* buffer, size_t n) override {
    return inner_.ReadAt(base_ + offset, buffer, n);
  }

 private:
  ByteSource& inner_;
  uint64_t base_;
};

}  // namespace

uint64_t ReadId3v2(ByteSource& source, TagFields& fields) {
  uint8_t h[10];
  if (!source.ReadExact(0, h, 10) || h[0] != 'I' || h[1] != 'D' || h[2] != '3') return 0;
  if (h[3] < 2 || h[3] > 4 || h[4] == 0xFF) return 0;
  if ((h[6] | h[7] | h[8] | h[9]) & 0x80) return 0;  // not a sync-safe size
  const int version = h[3];
  const uint8_t flags = h[5];
  const uint64_t size = SyncSafe(h + 6);
  const uint64_t total = 10 + size + ((version == 4 && (flags & 0x10)) ? 10 : 0);
  if (version == 2 && (flags & 0x40)) return total;  // 2.2 compression: nothing readable

  // Tag-wide unsynchronisation (2.2/2.3) changes every offset: work on a copy.
  std::vector<uint8_t> copy;
  std::unique_ptr<ByteSource> frames;
  uint64_t end;
  if ((flags & 0x80) && version < 4) {
    // Only what the data holds is read: a short file claiming a big tag
    // allocates no more than its own size.
    std::vector<uint8_t> raw;
    const uint64_t available = source.Size() > 10 ? source.Size() - 10 : 0;
    size_t take = static_cast<size_t>(std::min({size, available, uint64_t(kMaxUnsyncTagBytes)}));
    raw.resize(take);
    raw.resize(source.ReadAt(10, raw.data(), take));
    copy = RemoveUnsync(raw.data(), raw.size());
    frames = std::make_unique<MemoryByteSource>(copy);
    end = copy.size();
  } else {
    frames = std::make_unique<ShiftedSource>(source, 10);
    end = size;
  }

  uint64_t start = 0;
  if (flags & 0x40) {  // extended header
    uint8_t e[4];
    if (!frames->ReadExact(0, e, 4)) return total;
    start = version == 4 ? SyncSafe(e) : 4 + uint64_t(ReadBE32(e));
    if (start >= end) return total;
  }
  ShiftedSource body(*frames, start);
  ReadFrames(body, end - start, version, fields);
  return total;
}

void ReadId3v1(ByteSource& source, TagFields& fields) {
  if (source.Size() < 128) return;
  uint8_t tag[128];
  if (!source.ReadExact(source.Size() - 128, tag, 128)) return;
  if (tag[0] != 'T' || tag[1] != 'A' || tag[2] != 'G') return;
  if (fields.title.empty()) fields.title = CleanTagText(DecodeTagText(tag + 3, 30, TagEncoding::kLatin1));
  if (fields.artist.empty()) fields.artist = CleanTagText(DecodeTagText(tag + 33, 30, TagEncoding::kLatin1));
  if (fields.album.empty()) fields.album = CleanTagText(DecodeTagText(tag + 63, 30, TagEncoding::kLatin1));
}
