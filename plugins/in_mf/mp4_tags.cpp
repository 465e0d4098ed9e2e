// MP4/M4A metadata: moov/udta/meta/ilst, items "\xA9nam" (title) and
// "\xA9ART" (artist), each holding a "data" atom with UTF-8 or UTF-16 text.
#include "plugins/in_mf/audio_tags.h"
#include "plugins/in_mf/mp4_boxes.h"
#include "plugins/in_mf/tag_text.h"

namespace {

// Value bytes read for one file in all (items whose text turns out empty do
// not fill their field, so the next item of that kind is read too).
constexpr uint64_t kMaxValueBytesRead = 1024 * 1024;

void ReadItemText(Mp4BoxReader& reader, uint64_t& value_bytes_left, const Mp4Box& item, std::string& field) {
  Mp4Box data;
  if (!field.empty() || !reader.FindChild(item, "data", data)) return;
  if (data.body_size() < 8 || data.body_size() - 8 > kMaxTagValueBytes) return;
  if (data.body_size() > value_bytes_left) return;
  value_bytes_left -= data.body_size();
  std::vector<uint8_t> value;
  if (!reader.ReadBody(data, kMaxTagValueBytes + 8, value)) return;
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
    pos = item.end;
  }
}
