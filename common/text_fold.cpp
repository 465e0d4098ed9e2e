// Folding text for searching: the built-in table, the cache, and folding
// whole texts.
#include "common/text_fold.h"

#include <algorithm>

#include "common/text_encoding.h"

namespace {
struct FoldTableEntry {
  uint32_t code;
  uint32_t folded;
};
#include "text_fold_table.inc"

constexpr uint32_t kExpansion = 0x80000000u;
constexpr uint32_t kFormLengthShift = 24;
constexpr uint32_t kOffsetMask = 0xFFFFFFu;

char FoldAscii(unsigned char c) {
  if (c >= 'A' && c <= 'Z') return static_cast<char>(c + ('a' - 'A'));
  if (c < 0x20 || c == 0x7F) return ' ';  // no search types them; they also keep separators apart
  return static_cast<char>(c);
}
}  // namespace

void PortableCharFolder::AppendFolded(char32_t code, std::string& out) const {
  const FoldTableEntry* end = kFoldTable + sizeof kFoldTable / sizeof kFoldTable[0];
  const FoldTableEntry* found =
      std::lower_bound(kFoldTable, end, code, [](const FoldTableEntry& e, char32_t c) { return e.code < c; });
  if (found == end || found->code != code) {
    AppendUtf8(out, code);
  } else if ((found->folded & kExpansion) == 0) {
    AppendUtf8(out, found->folded);
  } else {
    const uint32_t length = (found->folded & ~kExpansion) >> kFormLengthShift;
    const char32_t* form = kFoldPool + (found->folded & kOffsetMask);
    for (uint32_t k = 0; k < length; ++k) AppendUtf8(out, form[k]);
  }
}

CachedCharFolder::CachedCharFolder(std::unique_ptr<CharFolder> inner) : inner_(std::move(inner)) {}

void CachedCharFolder::AppendFolded(char32_t code, std::string& out) const {
  if (code >= 0x10000) {
    auto found = others_.find(code);
    if (found == others_.end()) {
      std::string form;
      inner_->AppendFolded(code, form);
      found = others_.emplace(code, std::move(form)).first;
    }
    out += found->second;
    return;
  }
  if (basic_.empty()) basic_.assign(0x10000, 0);
  uint32_t& slot = basic_[code];
  if (slot == 0) {
    const size_t at = pool_.size();
    inner_->AppendFolded(code, pool_);
    // A form too long for the slot (none is) would be asked again each time.
    const size_t length = pool_.size() - at;
    if (length > 0xFF || at + 1 > kOffsetMask) {
      out.append(pool_, at, length);
      pool_.resize(at);
      return;
    }
    slot = static_cast<uint32_t>(length) << kFormLengthShift | static_cast<uint32_t>(at + 1);
  }
  out.append(pool_, (slot & kOffsetMask) - 1, slot >> kFormLengthShift);
}

void AppendFoldedUtf8(std::string_view text, const CharFolder& folder, std::string& out) {
  for (size_t i = 0; i < text.size();) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (c < 0x80) {
      out.push_back(FoldAscii(c));
      ++i;
    } else {
      folder.AppendFolded(DecodeUtf8(text, i), out);
    }
  }
}

void AppendFoldedUtf16(std::u16string_view text, const CharFolder& folder, std::string& out) {
  for (size_t i = 0; i < text.size();) {
    if (text[i] < 0x80) {
      out.push_back(FoldAscii(static_cast<unsigned char>(text[i++])));
    } else {
      folder.AppendFolded(DecodeUtf16(text, i), out);
    }
  }
}

std::string FoldUtf8(std::string_view text, const CharFolder& folder) {
  std::string out;
  out.reserve(text.size());
  AppendFoldedUtf8(text, folder, out);
  return out;
}

void AppendFoldedProgramText(std::string_view text, const CharFolder& folder, const TextCodec& codec,
                             std::string& out) {
  if (codec.ProgramTextIsUtf8() || IsAscii(text)) {
    AppendFoldedUtf8(text, folder, out);
  } else {
    AppendFoldedUtf16(codec.ToUtf16(text), folder, out);
  }
}
