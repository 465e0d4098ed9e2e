// RIFF/WAVE chunk walk and "fmt " validation for in_wave.dll.
#include "plugins/in_wave/wav_format.h"

#include <algorithm>
#include <cstring>

namespace wav {
namespace {

constexpr uint16_t kTagPcm = 0x0001;
constexpr uint16_t kTagFloat = 0x0003;
constexpr uint16_t kTagExtensible = 0xFFFE;
constexpr uint32_t kUnknownSize = 0xFFFFFFFF;
// A garbage file could otherwise make the walk read millions of tiny chunks.
constexpr int kMaxChunks = 4096;
// Bytes of "fmt " this parser looks at (WAVE_FORMAT_EXTENSIBLE is 40).
constexpr size_t kFmtBytes = 40;
// Tail shared by the KSDATAFORMAT_SUBTYPE_* GUIDs after the 16-bit format tag.
constexpr uint8_t kSubFormatTail[14] = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                        0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};

uint16_t Le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t Le32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
         (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
uint64_t Le64(const uint8_t* p) { return Le32(p) | (static_cast<uint64_t>(Le32(p + 4)) << 32); }
bool IdIs(const uint8_t* p, const char* id) { return std::memcmp(p, id, 4) == 0; }

bool ReadExact(ByteSource& source, uint64_t offset, void* buffer, size_t len) {
  return source.ReadAt(offset, buffer, len) == len;
}

// Checks the "fmt " body (size bytes, at most kFmtBytes of it in fmt) and
// fills the format fields of out.
ParseResult ReadFormat(const uint8_t* fmt, uint32_t size, WavFormat* out) {
  if (size < 16) return ParseResult::kNoFormat;
  uint16_t tag = Le16(fmt);
  const uint16_t channels = Le16(fmt + 2);
  const uint32_t rate = Le32(fmt + 4);
  const uint16_t blockAlign = Le16(fmt + 12);
  const uint16_t bits = Le16(fmt + 14);
  uint32_t containerBits = (bits + 7u) / 8u * 8u;

  if (tag == kTagExtensible) {
    // cbSize (22) + valid bits + channel mask + sub-format GUID.
    if (size < kFmtBytes || Le16(fmt + 16) < 22) return ParseResult::kUnsupportedFormat;
    const uint8_t* guid = fmt + 24;
    if (std::memcmp(guid + 2, kSubFormatTail, sizeof kSubFormatTail) != 0) return ParseResult::kUnsupportedFormat;
    tag = Le16(guid);
    // Here wBitsPerSample is the container; it must be whole bytes.
    if (bits % 8 != 0) return ParseResult::kBadFormatValues;
    const uint16_t validBits = Le16(fmt + 18);
    if (validBits > bits) return ParseResult::kBadFormatValues;
    containerBits = bits;
  }

  if (tag == kTagPcm) {
    if (bits == 0 || containerBits > 32) return ParseResult::kBadFormatValues;
    out->kind = SampleKind::kInteger;
  } else if (tag == kTagFloat) {
    if (bits != 32) return ParseResult::kUnsupportedFormat;
    out->kind = SampleKind::kFloat;
  } else {
    return ParseResult::kUnsupportedFormat;
  }
  if (channels == 0 || channels > kMaxChannels) return ParseResult::kBadFormatValues;
  if (rate < kMinSampleRate || rate > kMaxSampleRate) return ParseResult::kBadFormatValues;
  const uint32_t frameBytes = channels * (containerBits / 8u);
  // A block size of 0 is a common writer slip and harmless; any other value
  // that disagrees with the sample layout makes the frame size a guess.
  if (blockAlign != 0 && blockAlign != frameBytes) return ParseResult::kBadFormatValues;

  out->sampleRate = rate;
  out->channels = channels;
  out->bitsPerSample = static_cast<uint16_t>(containerBits);
  out->frameBytes = frameBytes;
  return ParseResult::kOk;
}

}  // namespace

ParseResult ParseWav(ByteSource& source, WavFormat* format) {
  const uint64_t fileSize = source.Size();
  uint8_t header[12];
  if (!ReadExact(source, 0, header, sizeof header)) return ParseResult::kNotWave;
  const bool rf64 = IdIs(header, "RF64");
  if (!(IdIs(header, "RIFF") || rf64) || !IdIs(header + 8, "WAVE")) return ParseResult::kNotWave;

  WavFormat result;
  bool haveFormat = false;
  ParseResult formatError = ParseResult::kNoFormat;
  bool haveData = false;
  uint64_t dataBytes = 0;
  uint64_t ds64DataBytes = kUnknownSize;  // from an RF64 "ds64" chunk

  uint64_t pos = 12;
  for (int chunk = 0; chunk < kMaxChunks && pos + 8 <= fileSize; ++chunk) {
    uint8_t head[8];
    if (!ReadExact(source, pos, head, sizeof head)) break;
    const uint32_t size = Le32(head + 4);
    const uint64_t body = pos + 8;

    if (IdIs(head, "ds64") && rf64 && size >= 16) {
      uint8_t ds64[16];
      if (ReadExact(source, body, ds64, sizeof ds64)) ds64DataBytes = Le64(ds64 + 8);
    } else if (IdIs(head, "fmt ") && !haveFormat) {
      uint8_t fmt[kFmtBytes] = {};
      const size_t want = std::min<size_t>(size, kFmtBytes);
      if (!ReadExact(source, body, fmt, want)) break;
      formatError = ReadFormat(fmt, size, &result);
      if (formatError != ParseResult::kOk) return formatError;
      haveFormat = true;
    } else if (IdIs(head, "data") && !haveData) {
      haveData = true;
      result.dataOffset = body;
      const uint64_t present = fileSize - std::min(fileSize, body);
      uint64_t declared = size;
      if (size == kUnknownSize) declared = rf64 && ds64DataBytes != kUnknownSize ? ds64DataBytes : present;
      dataBytes = std::min(declared, present);
    }
    if (haveFormat && haveData) break;

    // The data chunk's size may be a placeholder; only walk past it when it
    // lies wholly inside the file (a "fmt " after the data).
    const uint64_t next = body + size + (size & 1u);
    if (IdIs(head, "data") && (size == kUnknownSize || next > fileSize)) break;
    pos = next;
  }

  if (!haveFormat) return formatError;
  if (!haveData) return ParseResult::kNoData;
  result.frameCount = dataBytes / result.frameBytes;
  if (result.frameCount == 0) return ParseResult::kEmptyData;
  *format = result;
  return ParseResult::kOk;
}

}  // namespace wav
