// Text found in audio tags, converted to UTF-8 for the plug-in.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

enum class TagEncoding { kLatin1, kUtf16Bom, kUtf16BE, kUtf16LE, kUtf8 };

// Decodes one text value; stops at the first NUL (a NUL code unit for UTF-16)
// and drops trailing spaces. Malformed UTF-16 becomes U+FFFD.
std::string DecodeTagText(const uint8_t* data, size_t size, TagEncoding encoding);

// Replaces control characters with spaces and trims spaces at both ends.
std::string CleanTagText(const std::string& text);

inline uint32_t ReadBE32(const uint8_t* p) {
  return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3];
}
inline uint32_t ReadLE32(const uint8_t* p) {
  return (uint32_t(p[3]) << 24) | (uint32_t(p[2]) << 16) | (uint32_t(p[1]) << 8) | p[0];
}
inline uint64_t ReadBE64(const uint8_t* p) { return (uint64_t(ReadBE32(p)) << 32) | ReadBE32(p + 4); }
inline uint64_t ReadLE64(const uint8_t* p) { return (uint64_t(ReadLE32(p + 4)) << 32) | ReadLE32(p); }
inline uint16_t ReadLE16(const uint8_t* p) { return uint16_t(p[0] | (p[1] << 8)); }
