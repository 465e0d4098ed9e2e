// MP4/M4A metadata: moov/udta/meta/ilst, items "\xA9nam" (title), "\xA9ART"
// (artist) and "\xA9alb" (album), each holding a "data" atom with UTF-8 or
// UTF-16 text; ReplayGain values in freeform "----" items, whose "mean" is
// "com.apple.iTunes" and whose "name" names the value.
#include <cstring>

#include "plugins/in_mf/audio_tags.h"
#include "plugins/in_mf/tag_text.h"

namespace {

constexpr int kMaxAtoms = 4096;  // per container level
// Atom headers read for one file in all: items holding thousands of children
// each would otherwise multiply the per-level bound.
constexpr int kMaxAtomReads = 16384;
// Value bytes read for one file in all (items whose text turns out empty do
// not fill their field, so the next item of that kind is read too).
constexpr uint64_t kMaxValueBytesRead = 1024 * 1024;

struct Atom {
  uint64_t body = 0;  // offset of the contents
  uint64_t end = 0;   // offset just past the atom
  char type[4] = {};
};

struct Mp4Budget {
  int atom_reads_left = kMaxAtomReads;
  uint64_t value_bytes_left = kMaxValueBytesRead;
};

// Reads the atom header at pos if it fits inside [pos, limit).
bool ReadAtom(ByteSource& source, Mp4Budget& budget, uint64_t pos, uint64_t limit, Atom& atom) {
  if (budget.atom_reads_left <= 0) return false;
  --budget.atom_reads_left;
  uint8_t h[16];
  if (pos + 8 > limit || !source.ReadExact(pos, h, 8)) return false;
  uint64_t size = ReadBE32(h);
  uint64_t header = 8;
  if (size == 1) {
    if (pos + 16 > limit || !source.ReadExact(pos + 8, h + 8, 8)) return false;
    size = ReadBE64(h + 8);
    header = 16;
  } else if (size == 0) {
    size = limit - pos;  // runs to the end of its container
  }
  if (size < header || size > limit - pos) return false;
  std::memcpy(atom.type, h + 4, 4);
  atom.body = pos + header;
  atom.end = pos + size;
  return true;
}

// Finds the first child of the given type inside [begin, end).
bool FindChild(ByteSource& source, Mp4Budget& budget, uint64_t begin, uint64_t end, const char* type,
               Atom& found) {
  uint64_t pos = begin;
  for (int n = 0; n < kMaxAtoms; ++n) {
    Atom atom;
    if (!ReadAtom(source, budget, pos, end, atom)) return false;
    if (std::memcmp(atom.type, type, 4) == 0) {
      found = atom;
      return true;
    }
    pos = atom.end;
  }
  return false;
}

void ReadItemText(ByteSource& source, Mp4Budget& budget, const Atom& item, std::string& field) {
  Atom data;
  if (!field.empty() || !FindChild(source, budget, item.body, item.end, "data", data)) return;
  if (data.end - data.body < 8 || data.end - data.body - 8 > kMaxTagValueBytes) return;
  if (data.end - data.body > budget.value_bytes_left) return;
  budget.value_bytes_left -= data.end - data.body;
  std::vector<uint8_t> value;
  if (!source.ReadBlock(data.body, static_cast<size_t>(data.end - data.body), value)) return;
  const uint32_t type = ReadBE32(value.data()) & 0x00FFFFFF;
  TagEncoding encoding;
  if (type == 1) {
    encoding = TagEncoding::kUtf8;
  } else if (type == 2) {
    encoding = TagEncoding::kUtf16BE;
  } else {
    return;
  }
  field = CleanTagText(DecodeTagText(value.data() + 8, value.size() - 8, encoding));
}

// The text of a "mean" or "name" atom (4 bytes of version and flags, then
// UTF-8); empty when it is not one or is too long to be a name we know.
std::string FreeformLabel(ByteSource& source, Mp4Budget& budget, const Atom& item, const char* type) {
  constexpr uint64_t kMaxLabelBytes = 64;
  Atom atom;
  if (!FindChild(source, budget, item.body, item.end, type, atom)) return std::string();
  const uint64_t size = atom.end - atom.body;
  if (size < 4 || size - 4 > kMaxLabelBytes) return std::string();
  uint8_t text[kMaxLabelBytes];
  if (!source.ReadExact(atom.body + 4, text, static_cast<size_t>(size - 4))) return std::string();
  return DecodeTagText(text, static_cast<size_t>(size - 4), TagEncoding::kUtf8);
}

void ReadFreeform(ByteSource& source, Mp4Budget& budget, const Atom& item, TagFields& fields) {
  if (FreeformLabel(source, budget, item, "mean") != "com.apple.iTunes") return;
  std::string* field = GainFieldNamed(fields, FreeformLabel(source, budget, item, "name"));
  if (field) ReadItemText(source, budget, item, *field);
}

}  // namespace

void ReadMp4Tags(ByteSource& source, TagFields& fields) {
  const uint64_t size = source.Size();
  Mp4Budget budget;
  Atom moov, udta, meta, ilst;
  if (!FindChild(source, budget, 0, size, "moov", moov)) return;
  if (!FindChild(source, budget, moov.body, moov.end, "udta", udta)) return;
  if (!FindChild(source, budget, udta.body, udta.end, "meta", meta)) return;
  // "meta" is a full box (4 bytes of version and flags) in MP4 files, a plain
  // container in QuickTime files: tell them apart by what follows.
  uint64_t children = meta.body;
  uint8_t probe[8];
  if (meta.end - meta.body >= 8 && source.ReadExact(meta.body, probe, 8) && std::memcmp(probe + 4, "hdlr", 4) != 0) {
    children += 4;
  }
  if (!FindChild(source, budget, children, meta.end, "ilst", ilst)) return;
  uint64_t pos = ilst.body;
  for (int n = 0; n < kMaxAtoms && !fields.Complete(); ++n) {
    Atom item;
    if (!ReadAtom(source, budget, pos, ilst.end, item)) return;
    if (std::memcmp(item.type, "\xA9nam", 4) == 0) ReadItemText(source, budget, item, fields.title);
    if (std::memcmp(item.type, "\xA9" "ART", 4) == 0) ReadItemText(source, budget, item, fields.artist);
    if (std::memcmp(item.type, "\xA9" "alb", 4) == 0) ReadItemText(source, budget, item, fields.album);
    if (std::memcmp(item.type, "----", 4) == 0 && !fields.GainsComplete()) ReadFreeform(source, budget, item, fields);
    pos = item.end;
  }
}
