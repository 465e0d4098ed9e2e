#include "plugins/in_mf/mp3_gapless.h"

#include <cctype>
#include <cstring>
#include <vector>

#include "plugins/in_mf/mp3_frames.h"
#include "plugins/in_mf/tag_text.h"

Mp3GaplessInfo ReadMp3GaplessInfo(ByteSource& source, uint64_t id3_size) {
  Mp3GaplessInfo info;
  std::vector<uint8_t> buffer(kMp3LeadingZeroLimit + 512);
  buffer.resize(source.ReadAt(id3_size, buffer.data(), buffer.size()));
  const size_t start = SkipMp3Padding(buffer.data(), buffer.size());
  Mp3Frame header;
  if (start + 4 > buffer.size() || !ParseMp3Frame(&buffer[start], header)) return info;

  size_t pos = start + 4 + header.side_info_bytes;
  if (pos + 8 > buffer.size()) return info;
  if (std::memcmp(&buffer[pos], "Xing", 4) != 0 && std::memcmp(&buffer[pos], "Info", 4) != 0) return info;
  const uint32_t flags = ReadBE32(&buffer[pos + 4]);
  pos += 8;
  if (!(flags & 1)) return info;  // no frame count: the content length is unknown
  if (pos + 4 > buffer.size()) return info;
  const uint32_t frames = ReadBE32(&buffer[pos]);
  pos += 4;
  if (flags & 2) pos += 4;
  if (flags & 4) pos += 100;
  if (flags & 8) pos += 4;
  // LAME extension: 9 bytes of encoder name, delay and padding 12 bits each at +21.
  if (pos + 24 > buffer.size()) return info;
  for (int i = 0; i < 4; ++i) {
    if (!std::isalnum(buffer[pos + i])) return info;
  }
  const uint8_t* d = &buffer[pos + 21];
  info.encoder_delay = (d[0] << 4) | (d[1] >> 4);
  info.encoder_padding = ((d[1] & 0x0F) << 8) | d[2];
  info.frames = frames;
  info.sample_rate = header.sample_rate;
  info.samples_per_frame = header.samples_per_frame;
  info.valid = true;
  return info;
}

DecoderTrim PlanMp3Trim(const Mp3GaplessInfo& info, int64_t decoder_frames) {
  DecoderTrim none;
  if (!info.valid || info.frames == 0 || decoder_frames <= 0) return none;
  const int64_t raw = int64_t(info.frames) * info.samples_per_frame;
  const int64_t content = raw - info.encoder_delay - info.encoder_padding;
  if (content <= 0 || (info.encoder_delay == 0 && info.encoder_padding == 0)) return none;
  // Trimmed already; untrimmed; untrimmed with the Info frame itself decoded
  // as one frame of silence.
  const int64_t lead = info.encoder_delay + kMp3DecoderDelay;
  return ChooseTrim(decoder_frames, {{content, none},
                                     {raw, {lead, content}},
                                     {raw + info.samples_per_frame, {lead + info.samples_per_frame, content}}});
}
