// Box layout read here: moov/mvhd (movie time scale and duration),
// moov/trak/mdia/hdlr "soun" (the first audio track), its mdia/mdhd (media
// time scale), mdia/minf/stbl/stts (sample durations), edts/elst (edits),
// and moov/udta/meta/ilst/"----" named iTunSMPB.
#include "plugins/in_mf/mp4_gapless.h"

#include <cctype>
#include <cstring>
#include <string>

#include "plugins/in_mf/mp4_boxes.h"
#include "plugins/in_mf/tag_text.h"

namespace {

constexpr uint64_t kMaxSttsEntries = 1 << 20;  // 8 MiB of table; audio tracks have a handful
constexpr size_t kSttsChunkEntries = 4096;
constexpr uint64_t kMaxEdits = 64;
constexpr size_t kMaxSmpbBytes = 256;

// v * num / den rounded to nearest (half up); false on overflow.
bool Scale(uint64_t v, uint64_t num, uint64_t den, uint64_t& out) {
  if (den == 0 || (num != 0 && v > UINT64_MAX / num)) return false;
  const uint64_t product = v * num;
  if (product > UINT64_MAX - den / 2) return false;
  out = (product + den / 2) / den;
  return true;
}

uint64_t AbsDiff(uint64_t a, uint64_t b) { return a > b ? a - b : b - a; }

// Full-box body: version in the first byte, flags in the next three.
bool ReadFullBox(Mp4BoxReader& reader, const Mp4Box& box, size_t max_bytes, std::vector<uint8_t>& body) {
  return box.body_size() >= 4 && reader.ReadBody(box, max_bytes, body);
}

void ReadMovieHeader(Mp4BoxReader& reader, const Mp4Box& moov, Mp4GaplessInfo& info) {
  Mp4Box mvhd;
  std::vector<uint8_t> b;
  if (!reader.FindChild(moov, "mvhd", mvhd) || !ReadFullBox(reader, mvhd, 256, b)) return;
  if (b[0] == 1 && b.size() >= 32) {
    info.movie_timescale = ReadBE32(&b[20]);
    info.movie_duration = ReadBE64(&b[24]);
    info.movie_duration_offset = mvhd.body + 24;
    info.movie_duration_bytes = 8;
  } else if (b[0] == 0 && b.size() >= 20) {
    info.movie_timescale = ReadBE32(&b[12]);
    info.movie_duration = ReadBE32(&b[16]);
    info.movie_duration_offset = mvhd.body + 16;
    info.movie_duration_bytes = 4;
  }
}

bool IsAudioTrack(Mp4BoxReader& reader, const Mp4Box& mdia) {
  Mp4Box hdlr;
  uint8_t b[12];
  return reader.FindChild(mdia, "hdlr", hdlr) && hdlr.body_size() >= 12 &&
         reader.source().ReadExact(hdlr.body, b, 12) && std::memcmp(b + 8, "soun", 4) == 0;
}

uint32_t ReadMediaTimescale(Mp4BoxReader& reader, const Mp4Box& mdia) {
  Mp4Box mdhd;
  std::vector<uint8_t> b;
  if (!reader.FindChild(mdia, "mdhd", mdhd) || !ReadFullBox(reader, mdhd, 64, b)) return 0;
  if (b[0] == 1 && b.size() >= 24) return ReadBE32(&b[20]);
  if (b[0] == 0 && b.size() >= 16) return ReadBE32(&b[12]);
  return 0;
}

// Sum of count * duration over the time-to-sample table; 0 when unreadable.
uint64_t ReadMediaLength(Mp4BoxReader& reader, const Mp4Box& mdia) {
  Mp4Box minf, stbl, stts;
  uint8_t head[8];
  if (!reader.FindChild(mdia, "minf", minf) || !reader.FindChild(minf, "stbl", stbl) ||
      !reader.FindChild(stbl, "stts", stts) || stts.body_size() < 8 ||
      !reader.source().ReadExact(stts.body, head, 8)) {
    return 0;
  }
  const uint64_t count = ReadBE32(head + 4);
  if (count > kMaxSttsEntries || count > (stts.body_size() - 8) / 8) return 0;
  uint64_t total = 0;
  std::vector<uint8_t> chunk;
  for (uint64_t done = 0; done < count;) {
    const size_t n = static_cast<size_t>(count - done < kSttsChunkEntries ? count - done : kSttsChunkEntries);
    if (!reader.source().ReadBlock(stts.body + 8 + done * 8, n * 8, chunk)) return 0;
    for (size_t i = 0; i < n; ++i) {
      const uint64_t samples = ReadBE32(&chunk[i * 8]);
      const uint64_t duration = ReadBE32(&chunk[i * 8 + 4]);
      if (samples * duration > UINT64_MAX - total) return 0;
      total += samples * duration;
    }
    done += n;
  }
  return total;
}

// The edits, in movie time scale (durations) and media time scale (starts).
void ReadEditList(Mp4BoxReader& reader, const Mp4Box& trak, Mp4GaplessInfo& info) {
  Mp4Box edts, elst;
  if (!reader.FindChild(trak, "edts", edts)) return;
  info.has_edits = true;
  info.edts_type_offset = edts.start + 4;
  std::vector<uint8_t> b;
  if (!reader.FindChild(edts, "elst", elst) || elst.body_size() < 8) return;
  uint8_t head[8];
  if (!reader.source().ReadExact(elst.body, head, 8)) return;
  const int version = head[0];
  const size_t entry_bytes = version == 1 ? 20 : 12;
  const uint64_t count = ReadBE32(head + 4);
  if (version > 1 || count == 0 || count > kMaxEdits || count > (elst.body_size() - 8) / entry_bytes) return;
  if (!reader.source().ReadBlock(elst.body + 8, static_cast<size_t>(count * entry_bytes), b)) return;
  bool have_piece = false;
  uint64_t duration = 0;
  int64_t media_time = 0;
  for (uint64_t i = 0; i < count; ++i) {
    const uint8_t* e = &b[i * entry_bytes];
    const uint64_t d = version == 1 ? ReadBE64(e) : ReadBE32(e);
    const int64_t t = version == 1 ? static_cast<int64_t>(ReadBE64(e + 8)) : static_cast<int32_t>(ReadBE32(e + 4));
    const uint32_t rate = ReadBE32(e + (version == 1 ? 16 : 8));
    if (t == -1 && !have_piece) continue;           // an empty edit before the media
    if (t < 0 || rate != 0x00010000 || have_piece) return;  // other rates, several pieces
    have_piece = true;
    duration = d;
    media_time = t;
  }
  if (!have_piece || info.movie_timescale == 0 || info.timescale == 0) return;
  const uint64_t start = static_cast<uint64_t>(media_time);
  uint64_t length = 0;
  if (!Scale(duration, info.timescale, info.movie_timescale, length)) return;
  if (start >= info.media_length || (duration != 0 && length == 0)) return;  // nothing of the media plays
  const uint64_t available = info.media_length - start;
  info.edit_start = start;
  info.edit_length = duration == 0 || length > available ? available : length;
  info.edit_tolerance = (uint64_t(info.timescale) + info.movie_timescale - 1) / info.movie_timescale;
  info.edits_understood = true;
}

bool ParseHex(const std::string& token, size_t max_digits, uint64_t& out) {
  if (token.empty() || token.size() > max_digits) return false;
  out = 0;
  for (char c : token) {
    if (!std::isxdigit(static_cast<unsigned char>(c))) return false;
    out = out * 16 + static_cast<uint64_t>(std::isdigit(static_cast<unsigned char>(c)) ? c - '0'
                                                                                      : std::tolower(c) - 'a' + 10);
  }
  return true;
}

bool ParseSmpb(const std::vector<uint8_t>& value, Mp4GaplessInfo& info) {
  std::vector<std::string> tokens;
  std::string token;
  for (uint8_t c : value) {
    if (c == ' ' || c == 0) {
      if (!token.empty()) tokens.push_back(token);
      token.clear();
      if (c == 0) break;
    } else {
      token.push_back(static_cast<char>(c));
    }
  }
  if (!token.empty()) tokens.push_back(token);
  uint64_t reserved = 0;
  return tokens.size() >= 4 && ParseHex(tokens[0], 8, reserved) && ParseHex(tokens[1], 8, info.smpb_delay) &&
         ParseHex(tokens[2], 8, info.smpb_padding) && ParseHex(tokens[3], 16, info.smpb_length);
}

bool EqualsIgnoringCase(const std::string& a, const char* b) {
  if (a.size() != std::strlen(b)) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) return false;
  }
  return true;
}

void ReadSmpb(Mp4BoxReader& reader, const Mp4Box& moov, Mp4GaplessInfo& info) {
  Mp4Box ilst;
  if (!reader.FindItemList(moov, ilst)) return;
  uint64_t pos = ilst.body;
  for (int n = 0; n < Mp4BoxReader::kMaxChildren; ++n) {
    Mp4Box item;
    if (!reader.Read(pos, ilst.end, item)) return;
    pos = item.end;
    Mp4FreeformItem freeform;
    if (!item.Is("----") || !ReadMp4FreeformItem(reader, item, kMaxSmpbBytes, freeform)) continue;
    if (freeform.mean != "com.apple.iTunes" || !EqualsIgnoringCase(freeform.name, "iTunSMPB")) continue;
    info.has_smpb = ParseSmpb(freeform.value, info);
    return;
  }
}

}  // namespace

Mp4GaplessInfo ReadMp4GaplessInfo(ByteSource& source) {
  Mp4GaplessInfo info;
  Mp4BoxReader reader(source);
  Mp4Box moov;
  if (!reader.FindMoov(moov)) return info;
  ReadMovieHeader(reader, moov, info);
  uint64_t pos = moov.body;
  for (int n = 0; n < Mp4BoxReader::kMaxChildren; ++n) {
    Mp4Box trak, mdia;
    if (!reader.Read(pos, moov.end, trak)) break;
    pos = trak.end;
    if (!trak.Is("trak") || !reader.FindChild(trak, "mdia", mdia) || !IsAudioTrack(reader, mdia)) continue;
    info.timescale = ReadMediaTimescale(reader, mdia);
    info.media_length = ReadMediaLength(reader, mdia);
    if (info.valid()) ReadEditList(reader, trak, info);
    break;
  }
  if (info.valid()) ReadSmpb(reader, moov, info);
  return info;
}

Mp4Content Mp4RealSamples(const Mp4GaplessInfo& info) {
  Mp4Content content;
  if (!info.valid()) return content;
  if (info.has_edits && !info.edits_understood) return content;  // the source applies what the plug-in cannot
  // An edit that ends within one movie tick of the media's end was rounded
  // from it: the media's end is exact.
  const uint64_t edit_to_end = info.media_length - info.edit_start;
  const bool edit_to_media_end = AbsDiff(info.edit_length, edit_to_end) <= info.edit_tolerance;
  const bool edit_cuts = info.edits_understood && (info.edit_start > 0 || !edit_to_media_end);
  bool smpb_fits = false;
  uint64_t smpb_length = 0;
  if (info.has_smpb && info.smpb_delay < info.media_length) {
    const uint64_t available = info.media_length - info.smpb_delay;
    smpb_length = info.smpb_length > 0 ? info.smpb_length
                                       : (info.smpb_padding < available ? available - info.smpb_padding : 0);
    smpb_fits = smpb_length > 0 && smpb_length <= available;
  }
  if (edit_cuts) {
    content.from = Mp4Content::From::kEditList;
    content.start = info.edit_start;
    content.length = edit_to_media_end ? edit_to_end : info.edit_length;
    if (smpb_fits && info.smpb_delay == info.edit_start &&
        AbsDiff(smpb_length, info.edit_length) <= info.edit_tolerance) {
      content.from = Mp4Content::From::kBoth;
      content.length = smpb_length;
    }
    return content;
  }
  if (smpb_fits && (info.smpb_delay > 0 || smpb_length < info.media_length)) {
    content.from = Mp4Content::From::kItunSmpb;
    content.start = info.smpb_delay;
    content.length = smpb_length;
  }
  return content;
}

std::vector<BytePatch> Mp4SourcePatches(const Mp4GaplessInfo& info) {
  std::vector<BytePatch> patches;
  if (Mp4RealSamples(info).from == Mp4Content::From::kNone) return patches;
  if (info.has_edits) patches.push_back({info.edts_type_offset, {'f', 'r', 'e', 'e'}});
  uint64_t needed = 0;
  if (info.movie_timescale > 0 && info.movie_duration_bytes > 0 &&
      Scale(info.media_length, info.movie_timescale, info.timescale, needed)) {
    ++needed;  // rounding, and a tick to spare
    if (needed > info.movie_duration && (info.movie_duration_bytes == 8 || needed <= UINT32_MAX)) {
      BytePatch patch{info.movie_duration_offset, {}};
      for (int i = info.movie_duration_bytes - 1; i >= 0; --i) patch.bytes.push_back(uint8_t(needed >> (8 * i)));
      patches.push_back(patch);
    }
  }
  return patches;
}

namespace {

// The content and the whole media in frames at sample_rate; false when there
// is nothing to trim or the numbers do not fit.
bool ContentInFrames(const Mp4GaplessInfo& info, int sample_rate, int64_t& start, int64_t& length, int64_t& whole) {
  const Mp4Content content = Mp4RealSamples(info);
  uint64_t first = 0, count = 0, all = 0;
  if (content.from == Mp4Content::From::kNone || sample_rate <= 0 ||
      !Scale(content.start, sample_rate, info.timescale, first) ||
      !Scale(content.length, sample_rate, info.timescale, count) ||
      !Scale(info.media_length, sample_rate, info.timescale, all) || all > INT64_MAX || count == 0) {
    return false;
  }
  // Start and length each rounded: a length in whole seconds stays whole.
  start = static_cast<int64_t>(first);
  length = static_cast<int64_t>(count);
  whole = static_cast<int64_t>(all);
  return true;
}

}  // namespace

int64_t Mp4ContentFrames(const Mp4GaplessInfo& info, int sample_rate) {
  int64_t start = 0, length = 0, whole = 0;
  return ContentInFrames(info, sample_rate, start, length, whole) ? length : -1;
}

DecoderTrim PlanMp4Trim(const Mp4GaplessInfo& info, int sample_rate, int64_t decoder_frames) {
  int64_t start = 0, length = 0, whole = 0;
  if (!ContentInFrames(info, sample_rate, start, length, whole)) return DecoderTrim{};
  return ChooseTrim(decoder_frames, {{length, DecoderTrim{}}, {whole, {start, length}}});
}
