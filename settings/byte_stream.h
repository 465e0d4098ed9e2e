// Little-endian field streams of the settings archive: a writer that appends
// to a caller's buffer and a bounds-checked reader over bytes in memory.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Appends fields to a std::string or std::vector<uint8_t> owned by the caller.
// Integers are 32-bit little-endian, floats are their IEEE bits (bit-exact,
// NaN payloads included). Strings are counted:
//   length < 255          : one byte
//   255 .. 65533          : 0xFF, 16-bit length
//   65534 and longer      : 0xFF, 0xFFFF, 32-bit length
// followed by the bytes, no terminator. Program text that is not pure ASCII
// is written in the 16-bit form instead: 0xFF, 0xFFFE, then a second prefix
// of the forms above counting UTF-16 units, then the units.
class ByteWriter {
 public:
  explicit ByteWriter(std::string& out) : text_(&out) {}
  explicit ByteWriter(std::vector<uint8_t>& out) : bytes_(&out) {}

  void WriteUInt8(uint8_t value);
  void WriteUInt16(uint16_t value);
  void WriteInt32(int32_t value) { WriteUInt32(static_cast<uint32_t>(value)); }
  void WriteUInt32(uint32_t value);
  void WriteFloat32(float value);
  // Counted string of program text (common/text_encoding.h). Text longer
  // than 4 GiB - 1 units is cut to fit the 32-bit length (never reached by a
  // settings file).
  void WriteString(std::string_view text);
  void WriteBytes(const void* data, size_t size);

 private:
  void WriteLengthPrefix(size_t length);

  std::string* text_ = nullptr;
  std::vector<uint8_t>* bytes_ = nullptr;
};

// Reads fields from a span of bytes that stays alive while the reader does.
// Every read checks the remaining bytes first: when they do not suffice the
// reader enters a failed state, the read returns false and leaves its target
// unchanged, and every later read fails too. Nothing is read past the end and
// no allocation is larger than the bytes that remain.
class ByteReader {
 public:
  ByteReader(const void* data, size_t size)
      : data_(static_cast<const uint8_t*>(data)), size_(size) {}
  explicit ByteReader(std::string_view bytes) : ByteReader(bytes.data(), bytes.size()) {}
  explicit ByteReader(const std::vector<uint8_t>& bytes) : ByteReader(bytes.data(), bytes.size()) {}

  bool ReadUInt8(uint8_t& value);
  bool ReadUInt16(uint16_t& value);
  bool ReadInt32(int32_t& value);
  bool ReadUInt32(uint32_t& value);
  bool ReadFloat32(float& value);
  // Counted string in any form the writer describes, as program text: the
  // 16-bit form is converted from UTF-16, a byte string that is not pure
  // ASCII from the legacy ANSI code page (it was written by an older
  // program). A length beyond the remaining bytes fails before anything is
  // allocated.
  bool ReadString(std::string& text);
  bool ReadBytes(void* out, size_t size);
  bool Skip(size_t size);

  // Reads an element count written as int32 and checks that it is plausible:
  // not negative and count * minElementBytes not beyond the remaining bytes.
  // Callers pass the smallest encoded size of one element, so a damaged
  // count can never make them reserve more than the file could hold.
  bool ReadCount(int32_t& count, size_t minElementBytes);

  // Marks the stream failed (for callers that find a value out of range).
  void Fail() { failed_ = true; }
  bool Failed() const { return failed_; }
  size_t Position() const { return pos_; }
  size_t Remaining() const { return size_ - pos_; }
  // True when every byte was consumed and no read failed.
  bool AtEnd() const { return !failed_ && pos_ == size_; }

 private:
  bool Take(size_t size, const uint8_t*& where);
  bool ReadLengthPrefix(uint32_t& length, bool& wide);

  const uint8_t* data_;
  size_t size_;
  size_t pos_ = 0;
  bool failed_ = false;
};
