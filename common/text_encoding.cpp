// UTF-8, UTF-16 and Windows-1252 conversions of the program's text.
#include "common/text_encoding.h"

#include <algorithm>
#include <cstring>

namespace {
constexpr char32_t kReplacement = 0xFFFD;
}  // namespace

char32_t DecodeUtf8(std::string_view text, size_t& i) {
  const auto byte = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
  const unsigned lead = byte(i);
  if (lead < 0x80) {
    ++i;
    return lead;
  }
  int length;
  char32_t code;
  unsigned low = 0x80, high = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2, code = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3, code = lead & 0x0F;
    if (lead == 0xE0) low = 0xA0;   // overlong
    if (lead == 0xED) high = 0x9F;  // surrogates
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4, code = lead & 0x07;
    if (lead == 0xF0) low = 0x90;   // overlong
    if (lead == 0xF4) high = 0x8F;  // above U+10FFFF
  } else {
    ++i;
    return kReplacement;
  }
  if (i + length > text.size()) {
    ++i;
    return kReplacement;
  }
  for (int k = 1; k < length; ++k) {
    const unsigned next = byte(i + k);
    if (next < low || next > high) {
      ++i;
      return kReplacement;
    }
    low = 0x80, high = 0xBF;
    code = code << 6 | (next & 0x3F);
  }
  i += length;
  return code;
}

void AppendUtf8(std::string& out, char32_t code) {
  if (code < 0x80) {
    out.push_back(static_cast<char>(code));
  } else if (code < 0x800) {
    out.push_back(static_cast<char>(0xC0 | code >> 6));
    out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
  } else if (code < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | code >> 12));
    out.push_back(static_cast<char>(0x80 | (code >> 6 & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | code >> 18));
    out.push_back(static_cast<char>(0x80 | (code >> 12 & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (code >> 6 & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
  }
}

char32_t DecodeUtf16(std::u16string_view text, size_t& i) {
  char32_t code = text[i++];
  if (code >= 0xD800 && code <= 0xDBFF && i < text.size() && text[i] >= 0xDC00 && text[i] <= 0xDFFF) {
    return 0x10000 + ((code - 0xD800) << 10) + (text[i++] - 0xDC00);
  }
  return code >= 0xD800 && code <= 0xDFFF ? kReplacement : code;  // a surrogate without its partner
}

namespace {

// Windows-1252's bytes 0x80..0x9F; the rest of the page is Latin-1. The
// five unassigned bytes map to the C1 controls, as the system does.
constexpr char16_t kWindows1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

const Utf8TextCodec kDefaultCodec;
const TextCodec* installedCodec = &kDefaultCodec;

}  // namespace

bool IsAscii(std::string_view text) {
  for (char c : text) {
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  }
  return true;
}

bool IsValidUtf8(std::string_view text) {
  Utf8StreamValidator validator;
  validator.Feed(text.data(), text.size());
  return validator.Valid();
}

size_t Utf8Length(std::string_view text) {
  size_t count = 0;
  for (size_t i = 0; i < text.size(); ++count) DecodeUtf8(text, i);
  return count;
}

std::u16string Utf8ToUtf16(std::string_view text) {
  std::u16string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    const char32_t code = DecodeUtf8(text, i);
    if (code < 0x10000) {
      out.push_back(static_cast<char16_t>(code));
    } else {
      out.push_back(static_cast<char16_t>(0xD800 + ((code - 0x10000) >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + ((code - 0x10000) & 0x3FF)));
    }
  }
  return out;
}

std::string Utf16ToUtf8(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size();) AppendUtf8(out, DecodeUtf16(text, i));
  return out;
}

void CopyWholeCharacters(std::string_view text, char* out, size_t capacity) {
  if (capacity == 0) return;
  size_t length = std::min(text.size(), capacity - 1);
  while (length > 0 && length < text.size() && (static_cast<unsigned char>(text[length]) & 0xC0) == 0x80) {
    --length;
  }
  std::memcpy(out, text.data(), length);
  out[length] = '\0';
}

std::string Windows1252ToUtf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  for (char c : bytes) {
    const unsigned byte = static_cast<unsigned char>(c);
    AppendUtf8(out, byte >= 0x80 && byte < 0xA0 ? kWindows1252High[byte - 0x80] : byte);
  }
  return out;
}

void Utf8StreamValidator::Feed(const char* data, size_t size) {
  for (size_t i = 0; i < size && valid_; ++i) {
    const unsigned byte = static_cast<unsigned char>(data[i]);
    if (pending_ > 0) {
      if (byte < lowest_ || byte > highest_) {
        valid_ = false;
        break;
      }
      --pending_;
      lowest_ = 0x80, highest_ = 0xBF;
      continue;
    }
    lowest_ = 0x80, highest_ = 0xBF;
    if (byte < 0x80) continue;
    if (byte >= 0xC2 && byte <= 0xDF) {
      pending_ = 1;
    } else if (byte >= 0xE0 && byte <= 0xEF) {
      pending_ = 2;
      if (byte == 0xE0) lowest_ = 0xA0;
      if (byte == 0xED) highest_ = 0x9F;
    } else if (byte >= 0xF0 && byte <= 0xF4) {
      pending_ = 3;
      if (byte == 0xF0) lowest_ = 0x90;
      if (byte == 0xF4) highest_ = 0x8F;
    } else {
      valid_ = false;
    }
  }
}

std::string Utf8TextCodec::FromLegacy(std::string_view bytes) const {
  return IsAscii(bytes) ? std::string(bytes) : Windows1252ToUtf8(bytes);
}

std::string Utf8TextCodec::FromUtf8(std::string_view text) const {
  return IsValidUtf8(text) ? std::string(text) : Utf16ToUtf8(Utf8ToUtf16(text));
}

const TextCodec& ProgramTextCodec() { return *installedCodec; }

void InstallProgramTextCodec(const TextCodec* codec) {
  installedCodec = codec != nullptr ? codec : &kDefaultCodec;
}

std::string ProgramTextFromLegacy(std::string_view bytes) {
  return IsAscii(bytes) ? std::string(bytes) : ProgramTextCodec().FromLegacy(bytes);
}
