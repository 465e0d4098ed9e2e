// Byte-level builders of the tag layouts the in_mf parsers read.
#pragma once
#include <cstdint>
#include <string>
#include <tuple>
#include <vector>

using Bytes = std::vector<uint8_t>;

inline void Append(Bytes& out, const Bytes& more) { out.insert(out.end(), more.begin(), more.end()); }
inline void AppendText(Bytes& out, const std::string& text) { out.insert(out.end(), text.begin(), text.end()); }
inline void AppendBE32(Bytes& out, uint32_t v) {
  for (int s = 24; s >= 0; s -= 8) out.push_back(uint8_t(v >> s));
}
inline void AppendLE32(Bytes& out, uint32_t v) {
  for (int s = 0; s < 32; s += 8) out.push_back(uint8_t(v >> s));
}
inline void AppendLE16(Bytes& out, uint16_t v) {
  out.push_back(uint8_t(v));
  out.push_back(uint8_t(v >> 8));
}
inline void AppendLE64(Bytes& out, uint64_t v) {
  AppendLE32(out, uint32_t(v));
  AppendLE32(out, uint32_t(v >> 32));
}
inline void AppendSyncSafe(Bytes& out, uint32_t v) {
  for (int s = 21; s >= 0; s -= 7) out.push_back(uint8_t((v >> s) & 0x7F));
}

// One ID3v2 frame: id, body and flags for versions 2 (3-char ids), 3 and 4.
inline Bytes Id3Frame(int version, const std::string& id, const Bytes& body, uint16_t flags = 0) {
  Bytes out;
  AppendText(out, id);
  if (version == 2) {
    out.push_back(uint8_t(body.size() >> 16));
    out.push_back(uint8_t(body.size() >> 8));
    out.push_back(uint8_t(body.size()));
  } else {
    if (version == 4) AppendSyncSafe(out, uint32_t(body.size())); else AppendBE32(out, uint32_t(body.size()));
    out.push_back(uint8_t(flags >> 8));
    out.push_back(uint8_t(flags));
  }
  Append(out, body);
  return out;
}

// Text frame body: encoding byte then the raw text bytes.
inline Bytes Id3Text(uint8_t encoding, const Bytes& text) {
  Bytes out{encoding};
  Append(out, text);
  return out;
}
inline Bytes Latin1(const std::string& s) { return Bytes(s.begin(), s.end()); }

inline Bytes Id3Tag(int version, uint8_t flags, const Bytes& body, size_t padding = 16) {
  Bytes out;
  AppendText(out, "ID3");
  out.push_back(uint8_t(version));
  out.push_back(0);
  out.push_back(flags);
  AppendSyncSafe(out, uint32_t(body.size() + padding));
  Append(out, body);
  out.insert(out.end(), padding, 0);
  return out;
}

inline Bytes Id3v1(const std::string& title, const std::string& artist) {
  Bytes out(128, 0);
  out[0] = 'T', out[1] = 'A', out[2] = 'G';
  for (size_t i = 0; i < title.size() && i < 30; ++i) out[3 + i] = uint8_t(title[i]);
  for (size_t i = 0; i < artist.size() && i < 30; ++i) out[33 + i] = uint8_t(artist[i]);
  return out;
}

inline Bytes FlacWithComments(const std::vector<std::string>& comments) {
  Bytes out;
  AppendText(out, "fLaC");
  Bytes info(34, 0);
  out.push_back(0x00);  // STREAMINFO, not last
  out.push_back(0), out.push_back(0), out.push_back(34);
  Append(out, info);
  Bytes block;
  AppendLE32(block, 6);
  AppendText(block, "vendor");
  AppendLE32(block, uint32_t(comments.size()));
  for (const auto& c : comments) {
    AppendLE32(block, uint32_t(c.size()));
    AppendText(block, c);
  }
  out.push_back(0x84);  // VORBIS_COMMENT, last
  out.push_back(uint8_t(block.size() >> 16)), out.push_back(uint8_t(block.size() >> 8)), out.push_back(uint8_t(block.size()));
  Append(out, block);
  Bytes frames(64, 0xAB);  // stands in for audio frames
  Append(out, frames);
  return out;
}

inline Bytes Mp4Atom(const std::string& type, const Bytes& body) {
  Bytes out;
  AppendBE32(out, uint32_t(body.size() + 8));
  AppendText(out, type);
  Append(out, body);
  return out;
}

inline Bytes Mp4TextItem(const std::string& type, const std::string& utf8) {
  Bytes data;
  AppendBE32(data, 1);  // well-known type 1: UTF-8
  AppendBE32(data, 0);  // locale
  AppendText(data, utf8);
  return Mp4Atom(type, Mp4Atom("data", data));
}

// An M4A skeleton: ftyp, mdat, then moov/udta/meta/ilst (meta as a full box
// when full_box, else the QuickTime form).
inline Bytes Mp4File(const Bytes& ilst_items, bool full_box = true) {
  Bytes out = Mp4Atom("ftyp", Bytes{'M', '4', 'A', ' ', 0, 0, 0, 0, 'i', 's', 'o', 'm'});
  Append(out, Mp4Atom("mdat", Bytes(100, 0x11)));
  Bytes meta;
  if (full_box) AppendBE32(meta, 0);
  Append(meta, Mp4Atom("hdlr", Bytes(25, 0)));
  Append(meta, Mp4Atom("ilst", ilst_items));
  Bytes moov = Mp4Atom("mvhd", Bytes(100, 0));
  Append(moov, Mp4Atom("udta", Mp4Atom("meta", meta)));
  Append(out, Mp4Atom("moov", moov));
  return out;
}

inline Bytes Utf16LE(const std::u16string& s) {
  Bytes out;
  for (char16_t c : s) AppendLE16(out, uint16_t(c));
  return out;
}

// An ASF header holding a content description object with title and author.
inline Bytes AsfFile(const std::u16string& title, const std::u16string& author) {
  static const uint8_t kHeader[16] = {0x30, 0x26, 0xB2, 0x75, 0x8E, 0x66, 0xCF, 0x11,
                                      0xA6, 0xD9, 0x00, 0xAA, 0x00, 0x62, 0xCE, 0x6C};
  static const uint8_t kContent[16] = {0x33, 0x26, 0xB2, 0x75, 0x8E, 0x66, 0xCF, 0x11,
                                       0xA6, 0xD9, 0x00, 0xAA, 0x00, 0x62, 0xCE, 0x6C};
  Bytes t = Utf16LE(title + u'\0');
  Bytes a = Utf16LE(author + u'\0');
  Bytes body;
  AppendLE16(body, uint16_t(t.size()));
  AppendLE16(body, uint16_t(a.size()));
  AppendLE16(body, 0), AppendLE16(body, 0), AppendLE16(body, 0);
  Append(body, t);
  Append(body, a);
  Bytes other(16 + 8 + 40, 0x5A);  // an unrelated header object first
  for (int i = 16; i < 24; ++i) other[i] = 0;
  other[16] = uint8_t(other.size());
  Bytes content(kContent, kContent + 16);
  AppendLE64(content, 24 + body.size());
  Append(content, body);
  Bytes out(kHeader, kHeader + 16);
  AppendLE64(out, 30 + other.size() + content.size());
  AppendLE32(out, 2);
  out.push_back(1), out.push_back(2);
  Append(out, other);
  Append(out, content);
  Append(out, Bytes(50, 0x77));  // data object stand-in
  return out;
}

// An MP4 freeform item "----" with its mean, name and UTF-8 data.
inline Bytes Mp4FreeformText(const std::string& mean, const std::string& name, const std::string& utf8) {
  Bytes meanBody(4, 0), nameBody(4, 0), data;
  AppendText(meanBody, mean);
  AppendText(nameBody, name);
  AppendBE32(data, 1);
  AppendBE32(data, 0);
  AppendText(data, utf8);
  Bytes item = Mp4Atom("mean", meanBody);
  Append(item, Mp4Atom("name", nameBody));
  Append(item, Mp4Atom("data", data));
  return Mp4Atom("----", item);
}

// An ASF header holding only an extended content description object with
// the given (name, type, value bytes) attributes.
inline Bytes AsfExtendedFile(const std::vector<std::tuple<std::u16string, uint16_t, Bytes>>& attributes) {
  static const uint8_t kHeader[16] = {0x30, 0x26, 0xB2, 0x75, 0x8E, 0x66, 0xCF, 0x11,
                                      0xA6, 0xD9, 0x00, 0xAA, 0x00, 0x62, 0xCE, 0x6C};
  static const uint8_t kExtended[16] = {0x40, 0xA4, 0xD0, 0xD2, 0x07, 0xE3, 0xD2, 0x11,
                                        0x97, 0xF0, 0x00, 0xA0, 0xC9, 0x5E, 0xA8, 0x50};
  Bytes body;
  AppendLE16(body, uint16_t(attributes.size()));
  for (const auto& [name, type, value] : attributes) {
    const Bytes n = Utf16LE(name + u'\0');
    AppendLE16(body, uint16_t(n.size()));
    Append(body, n);
    AppendLE16(body, type);
    AppendLE16(body, uint16_t(value.size()));
    Append(body, value);
  }
  Bytes object(kExtended, kExtended + 16);
  AppendLE64(object, 24 + body.size());
  Append(object, body);
  Bytes out(kHeader, kHeader + 16);
  AppendLE64(out, 30 + object.size());
  AppendLE32(out, 1);
  out.push_back(1), out.push_back(2);
  Append(out, object);
  Append(out, Bytes(50, 0x77));
  return out;
}
