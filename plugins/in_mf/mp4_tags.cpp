// MP4/M4A metadata: moov/udta/meta/ilst, items "\xA9nam" (title), "\xA9ART"
// (artist) and "\xA9alb" (album), each holding a "data" atom with UTF-8 or
// UTF-16 text; ReplayGain values in freeform "----" items, whose "mean" is
// "com.apple.iTunes" and whose "name" names the value.
#include "plugins/in_mf/audio_tags.h"
#include "plugins/in_mf/mp4_boxes.h"
#include "plugins/in_mf/tag_text.h"

namespace {

// Value bytes read for one file in all (items whose text turns out empty do
// not fill their field, so the next item of that kind is read too).
constexpr uint64_t kMaxValueBytesRead = 1024 * 1024;

// Text of a "data" atom's type: UTF-8 or UTF-16; false for other types.
bool ItemEncoding(uint32_t data_type, TagEncoding& encoding) {
  if (data_type == 1) {
    encoding = TagEncoding::kUtf8;
  } else if (data_type == 2) {
    encoding = TagEncoding::kUtf16BE;
  } else {
    return false;
  }
  return true;
}

void ReadItemText(Mp4BoxReader& reader, uint64_t& value_bytes_left, const Mp4Box& item, std::string& field) {
  Mp4Box data;
  if (!field.empty() || !reader.FindChild(item, "data", data)) return;
  if (data.body_size() < 8 || data.body_size() - 8 > kMaxTagValueBytes) return;
  if (data.body_size() > value_bytes_left) return;
  value_bytes_left -= data.body_size();
  std::vector<uint8_t> value;
  if (!reader.ReadBody(data, kMaxTagValueBytes + 8, value)) return;
  TagEncoding encoding;
  if (!ItemEncoding(ReadBE32(value.data()) & 0x00FFFFFF, encoding)) return;
  field = CleanTagText(DecodeTagText(value.data() + 8, value.size() - 8, encoding));
}

// A ReplayGain value is a few characters; a longer one is not read.
constexpr size_t kMaxGainValueBytes = 256;

void ReadFreeform(Mp4BoxReader& reader, uint64_t& value_bytes_left, const Mp4Box& item, TagFields& fields) {
  Mp4FreeformItem freeform;
  if (value_bytes_left < kMaxGainValueBytes) return;
  if (!ReadMp4FreeformItem(reader, item, kMaxGainValueBytes, freeform)) return;
  value_bytes_left -= freeform.value.size();
  if (freeform.mean != "com.apple.iTunes") return;
  std::string* field = GainFieldNamed(fields, freeform.name);
  TagEncoding encoding;
  if (!field || !field->empty() || !ItemEncoding(freeform.data_type, encoding)) return;
  *field = CleanTagText(DecodeTagText(freeform.value.data(), freeform.value.size(), encoding));
}

}  // namespace

void ReadMp4Tags(ByteSource& source, TagFields& fields) {
  Mp4BoxReader reader(source);
  uint64_t value_bytes_left = kMaxValueBytesRead;
  Mp4Box moov, ilst;
  if (!reader.FindMoov(moov) || !reader.FindItemList(moov, ilst)) return;
  uint64_t pos = ilst.body;
  for (int n = 0; n < Mp4BoxReader::kMaxChildren && !fields.Complete(); ++n) {
    Mp4Box item;
    if (!reader.Read(pos, ilst.end, item)) return;
    if (item.Is("\xA9nam")) ReadItemText(reader, value_bytes_left, item, fields.title);
    if (item.Is("\xA9" "ART")) ReadItemText(reader, value_bytes_left, item, fields.artist);
    if (item.Is("\xA9" "alb")) ReadItemText(reader, value_bytes_left, item, fields.album);
    if (item.Is("----") && !fields.GainsComplete()) ReadFreeform(reader, value_bytes_left, item, fields);
    pos = item.end;
  }
}
