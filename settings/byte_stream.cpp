// Little-endian field streams of the settings archive.
#include "settings/byte_stream.h"

#include <cstring>
#include <limits>

#include "common/text_encoding.h"

namespace {

constexpr uint8_t kLongLength = 0xFF;
constexpr uint16_t kWideMark = 0xFFFE;
constexpr uint16_t kLength32 = 0xFFFF;
constexpr size_t kMaxLength16 = 65533;

uint32_t LoadLE32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
         static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

}  // namespace

// ---------------------------------------------------------------- writer

void ByteWriter::WriteBytes(const void* data, size_t size) {
  if (size == 0) return;
  const auto* p = static_cast<const uint8_t*>(data);
  if (text_) {
    text_->append(reinterpret_cast<const char*>(p), size);
  } else {
    bytes_->insert(bytes_->end(), p, p + size);
  }
}

void ByteWriter::WriteUInt8(uint8_t value) { WriteBytes(&value, 1); }

void ByteWriter::WriteUInt16(uint16_t value) {
  const uint8_t b[2] = {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8)};
  WriteBytes(b, 2);
}

void ByteWriter::WriteUInt32(uint32_t value) {
  const uint8_t b[4] = {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8),
                        static_cast<uint8_t>(value >> 16), static_cast<uint8_t>(value >> 24)};
  WriteBytes(b, 4);
}

void ByteWriter::WriteFloat32(float value) {
  static_assert(sizeof(float) == 4, "float must be 32-bit IEEE");
  uint32_t bits;
  std::memcpy(&bits, &value, 4);
  WriteUInt32(bits);
}

void ByteWriter::WriteLengthPrefix(size_t length) {
  if (length < kLongLength) {
    WriteUInt8(static_cast<uint8_t>(length));
  } else if (length <= kMaxLength16) {
    WriteUInt8(kLongLength);
    WriteUInt16(static_cast<uint16_t>(length));
  } else {
    WriteUInt8(kLongLength);
    WriteUInt16(kLength32);
    WriteUInt32(static_cast<uint32_t>(length));
  }
}

void ByteWriter::WriteString(std::string_view text) {
  // Text other than ASCII goes in the 16-bit form, which every reader of the
  // format understands whatever its code page. Bytes that are no text of
  // the program's code page (a title a plug-in made in some other one) stay
  // a byte string, as they came.
  std::u16string wide;
  if (!IsAscii(text)) {
    const TextCodec& codec = ProgramTextCodec();
    wide = codec.ToUtf16(text);
    if (codec.FromUtf16(wide) != text) wide.clear();
  }
  if (wide.empty()) {
    size_t length = text.size();
    if (length > std::numeric_limits<uint32_t>::max()) length = std::numeric_limits<uint32_t>::max();
    WriteLengthPrefix(length);
    WriteBytes(text.data(), length);
    return;
  }
  size_t length = wide.size();
  if (length > std::numeric_limits<uint32_t>::max()) length = std::numeric_limits<uint32_t>::max();
  WriteUInt8(kLongLength);
  WriteUInt16(kWideMark);
  WriteLengthPrefix(length);
  for (size_t i = 0; i < length; ++i) WriteUInt16(static_cast<uint16_t>(wide[i]));
}

// ---------------------------------------------------------------- reader

bool ByteReader::Take(size_t size, const uint8_t*& where) {
  if (failed_ || size > size_ - pos_) {
    failed_ = true;
    return false;
  }
  where = data_ + pos_;
  pos_ += size;
  return true;
}

bool ByteReader::ReadBytes(void* out, size_t size) {
  const uint8_t* p;
  if (!Take(size, p)) return false;
  if (size) std::memcpy(out, p, size);
  return true;
}

bool ByteReader::Skip(size_t size) {
  const uint8_t* p;
  return Take(size, p);
}

bool ByteReader::ReadUInt8(uint8_t& value) {
  const uint8_t* p;
  if (!Take(1, p)) return false;
  value = p[0];
  return true;
}

bool ByteReader::ReadUInt16(uint16_t& value) {
  const uint8_t* p;
  if (!Take(2, p)) return false;
  value = static_cast<uint16_t>(p[0] | p[1] << 8);
  return true;
}

bool ByteReader::ReadUInt32(uint32_t& value) {
  const uint8_t* p;
  if (!Take(4, p)) return false;
  value = LoadLE32(p);
  return true;
}

bool ByteReader::ReadInt32(int32_t& value) {
  uint32_t bits;
  if (!ReadUInt32(bits)) return false;
  value = static_cast<int32_t>(bits);
  return true;
}

bool ByteReader::ReadFloat32(float& value) {
  uint32_t bits;
  if (!ReadUInt32(bits)) return false;
  std::memcpy(&value, &bits, 4);
  return true;
}

bool ByteReader::ReadCount(int32_t& count, size_t minElementBytes) {
  int32_t n;
  if (!ReadInt32(n)) return false;
  if (n < 0 || (minElementBytes && static_cast<uint64_t>(n) > Remaining() / minElementBytes)) {
    failed_ = true;
    return false;
  }
  count = n;
  return true;
}

// Reads one length prefix. The 16-bit-text mark is accepted only as the
// first prefix of a string; a second mark after it is damage.
bool ByteReader::ReadLengthPrefix(uint32_t& length, bool& wide) {
  wide = false;
  for (int round = 0; round < 2; ++round) {
    uint8_t first;
    if (!ReadUInt8(first)) return false;
    if (first < kLongLength) {
      length = first;
      return true;
    }
    uint16_t word;
    if (!ReadUInt16(word)) return false;
    if (word < kWideMark) {
      length = word;
      return true;
    }
    if (word == kLength32) return ReadUInt32(length);
    if (wide) break;  // 0xFF 0xFFFE twice
    wide = true;
  }
  failed_ = true;
  return false;
}

bool ByteReader::ReadString(std::string& text) {
  uint32_t length;
  bool wide;
  if (!ReadLengthPrefix(length, wide)) return false;
  const uint64_t bytes = wide ? uint64_t{length} * 2 : length;
  const uint8_t* p;
  if (bytes > Remaining() || !Take(static_cast<size_t>(bytes), p)) {
    failed_ = true;
    return false;
  }
  if (!wide) {
    // Byte strings were written by programs that knew only their ANSI code
    // page: pure ASCII is the same everywhere, anything else is converted.
    text = ProgramTextFromLegacy(std::string_view(reinterpret_cast<const char*>(p), length));
    return true;
  }
  std::u16string units(length, u'\0');
  for (uint32_t i = 0; i < length; ++i) units[i] = static_cast<char16_t>(p[2 * i] | p[2 * i + 1] << 8);
  text = ProgramTextCodec().FromUtf16(units);
  return true;
}
