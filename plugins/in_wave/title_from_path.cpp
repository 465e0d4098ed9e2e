// File name to title, aware of double-byte character sets.
#include "plugins/in_wave/title_from_path.h"

namespace wav {

void TitleFromPath(const char* path, LeadByteTest isLeadByte, char* out, size_t capacity) {
  size_t nameStart = 0;
  size_t lastDot = static_cast<size_t>(-1);
  size_t end = 0;
  // A lead byte and its trail byte form one character; only single-byte
  // characters can be separators or the extension dot.
  while (path[end] != '\0') {
    const unsigned char c = static_cast<unsigned char>(path[end]);
    if (isLeadByte(c) && path[end + 1] != '\0') {
      end += 2;
      continue;
    }
    if (c == '\\' || c == '/' || c == ':') {
      nameStart = end + 1;
      lastDot = static_cast<size_t>(-1);
    } else if (c == '.') {
      lastDot = end;
    }
    ++end;
  }
  if (lastDot != static_cast<size_t>(-1) && lastDot > nameStart) end = lastDot;

  size_t written = 0;
  size_t i = nameStart;
  while (i < end) {
    const size_t charBytes = isLeadByte(static_cast<unsigned char>(path[i])) && i + 1 < end ? 2 : 1;
    if (written + charBytes > capacity - 1) break;
    for (size_t k = 0; k < charBytes; ++k) out[written++] = path[i + k];
    i += charBytes;
  }
  out[written] = '\0';
}

}  // namespace wav
