#include "plugins/in_mf/tag_text.h"

namespace {

void AppendUtf8(std::string& out, uint32_t cp) {
  if (cp < 0x80) {
    out += char(cp);
  } else if (cp < 0x800) {
    out += char(0xC0 | (cp >> 6));
    out += char(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += char(0xE0 | (cp >> 12));
    out += char(0x80 | ((cp >> 6) & 0x3F));
    out += char(0x80 | (cp & 0x3F));
  } else {
    out += char(0xF0 | (cp >> 18));
    out += char(0x80 | ((cp >> 12) & 0x3F));
    out += char(0x80 | ((cp >> 6) & 0x3F));
    out += char(0x80 | (cp & 0x3F));
  }
}

std::string DecodeUtf16(const uint8_t* data, size_t size, bool big_endian) {
  std::string out;
  constexpr uint32_t kReplacement = 0xFFFD;
  size_t units = size / 2;
  for (size_t i = 0; i < units; ++i) {
    auto unit = [&](size_t k) -> uint32_t {
      return big_endian ? (uint32_t(data[2 * k]) << 8) | data[2 * k + 1]
                        : (uint32_t(data[2 * k + 1]) << 8) | data[2 * k];
    };
    uint32_t u = unit(i);
    if (u == 0) break;
    if (u >= 0xD800 && u <= 0xDBFF) {
      if (i + 1 < units) {
        uint32_t low = unit(i + 1);
        if (low >= 0xDC00 && low <= 0xDFFF) {
          AppendUtf8(out, 0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00));
          ++i;
          continue;
        }
      }
      AppendUtf8(out, kReplacement);
    } else if (u >= 0xDC00 && u <= 0xDFFF) {
      AppendUtf8(out, kReplacement);
    } else {
      AppendUtf8(out, u);
    }
  }
  return out;
}

}  // namespace

std::string DecodeTagText(const uint8_t* data, size_t size, TagEncoding encoding) {
  std::string out;
  switch (encoding) {
    case TagEncoding::kLatin1:
      for (size_t i = 0; i < size && data[i]; ++i) AppendUtf8(out, data[i]);
      break;
    case TagEncoding::kUtf8:
      for (size_t i = 0; i < size && data[i]; ++i) out += char(data[i]);
      break;
    case TagEncoding::kUtf16BE:
      out = DecodeUtf16(data, size, true);
      break;
    case TagEncoding::kUtf16LE:
      out = DecodeUtf16(data, size, false);
      break;
    case TagEncoding::kUtf16Bom:
      if (size >= 2 && data[0] == 0xFE && data[1] == 0xFF) {
        out = DecodeUtf16(data + 2, size - 2, true);
      } else if (size >= 2 && data[0] == 0xFF && data[1] == 0xFE) {
        out = DecodeUtf16(data + 2, size - 2, false);
      } else {
        out = DecodeUtf16(data, size, false);  // no BOM: little endian is what writers use
      }
      break;
  }
  while (!out.empty() && out.back() == ' ') out.pop_back();
  return out;
}

std::string CleanTagText(const std::string& text) {
  std::string out = text;
  for (char& c : out) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = ' ';
  }
  size_t first = out.find_first_not_of(' ');
  if (first == std::string::npos) return std::string();
  size_t last = out.find_last_not_of(' ');
  return out.substr(first, last - first + 1);
}
