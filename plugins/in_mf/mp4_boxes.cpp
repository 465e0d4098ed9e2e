// Box headers: 32-bit size and type, a 64-bit size after them when the
// 32-bit one is 1, and size 0 for a box that runs to the end of its container.
#include "plugins/in_mf/mp4_boxes.h"

#include <cstring>

#include "plugins/in_mf/tag_text.h"

namespace {

constexpr size_t kMaxNameBytes = 256;  // "mean" and "name" of a freeform item

// The text of a "mean" or "name" box: a full box (version and flags) holding
// the text up to its end.
bool ReadNameBox(Mp4BoxReader& reader, const Mp4Box& box, std::string& out) {
  std::vector<uint8_t> body;
  if (box.body_size() < 4 || !reader.ReadBody(box, kMaxNameBytes, body)) return false;
  out.assign(body.begin() + 4, body.end());
  return true;
}

}  // namespace

bool Mp4Box::Is(const char* name) const { return std::memcmp(type, name, 4) == 0; }

bool Mp4BoxReader::Read(uint64_t pos, uint64_t limit, Mp4Box& box) {
  if (reads_left_ <= 0) return false;
  --reads_left_;
  uint8_t h[16];
  if (pos > limit || limit - pos < 8 || !source_.ReadExact(pos, h, 8)) return false;
  uint64_t size = ReadBE32(h);
  uint64_t header = 8;
  if (size == 1) {
    if (limit - pos < 16 || !source_.ReadExact(pos + 8, h + 8, 8)) return false;
    size = ReadBE64(h + 8);
    header = 16;
  } else if (size == 0) {
    size = limit - pos;
  }
  if (size < header || size > limit - pos) return false;
  std::memcpy(box.type, h + 4, 4);
  box.start = pos;
  box.body = pos + header;
  box.end = pos + size;
  return true;
}

bool Mp4BoxReader::FindChild(uint64_t begin, uint64_t end, const char* type, Mp4Box& found) {
  uint64_t pos = begin;
  for (int n = 0; n < kMaxChildren; ++n) {
    Mp4Box box;
    if (!Read(pos, end, box)) return false;
    if (box.Is(type)) {
      found = box;
      return true;
    }
    pos = box.end;
  }
  return false;
}

bool Mp4BoxReader::FindMoov(Mp4Box& moov) { return FindChild(0, source_.Size(), "moov", moov); }

bool Mp4BoxReader::FindItemList(const Mp4Box& moov, Mp4Box& ilst) {
  Mp4Box udta, meta;
  if (!FindChild(moov, "udta", udta) || !FindChild(udta, "meta", meta)) return false;
  // "meta" is a full box (4 bytes of version and flags) in MP4 files, a plain
  // container in QuickTime files: tell them apart by what follows.
  uint64_t children = meta.body;
  uint8_t probe[8];
  if (meta.body_size() >= 8 && source_.ReadExact(meta.body, probe, 8) && std::memcmp(probe + 4, "hdlr", 4) != 0) {
    children += 4;
  }
  return FindChild(children, meta.end, "ilst", ilst);
}

bool Mp4BoxReader::ReadBody(const Mp4Box& box, size_t max_bytes, std::vector<uint8_t>& out) {
  if (box.body_size() > max_bytes) return false;
  return source_.ReadBlock(box.body, static_cast<size_t>(box.body_size()), out);
}

bool ReadMp4FreeformItem(Mp4BoxReader& reader, const Mp4Box& item, size_t max_value_bytes, Mp4FreeformItem& out) {
  Mp4Box mean, name, data;
  if (!item.Is("----") || !reader.FindChild(item, "mean", mean) || !reader.FindChild(item, "name", name) ||
      !reader.FindChild(item, "data", data)) {
    return false;
  }
  if (!ReadNameBox(reader, mean, out.mean) || !ReadNameBox(reader, name, out.name)) return false;
  std::vector<uint8_t> body;
  if (data.body_size() < 8 || !reader.ReadBody(data, max_value_bytes + 8, body)) return false;
  out.data_type = ReadBE32(body.data()) & 0x00FFFFFF;
  out.value.assign(body.begin() + 8, body.end());
  return true;
}
