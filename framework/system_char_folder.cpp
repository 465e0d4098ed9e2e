// Search folding by the system's tables.
#include "framework/system_char_folder.h"

#include <windows.h>

#include "common/text_encoding.h"

namespace {
constexpr int kMaxForm = 32;  // UTF-16 units of one character's folded form

// One FoldString pass; false when the system refuses (the text stays).
bool Fold(DWORD flags, wchar_t* text, int& length) {
  wchar_t out[kMaxForm];
  const int made = ::FoldStringW(flags, text, length, out, kMaxForm);
  if (made <= 0) return false;
  std::copy(out, out + made, text);
  length = made;
  return true;
}
}  // namespace

void SystemCharFolder::AppendFolded(char32_t code, std::string& out) const {
  // Hangul syllables stay whole, as the built-in table keeps them (Wine's
  // FoldString takes them apart into their letters, Windows' does not).
  if (code >= 0xAC00 && code <= 0xD7A3) {
    portable_.AppendFolded(code, out);
    return;
  }
  wchar_t text[kMaxForm];
  int length = 0;
  if (code >= 0x10000) {
    text[length++] = static_cast<wchar_t>(0xD800 + ((code - 0x10000) >> 10));
    text[length++] = static_cast<wchar_t>(0xDC00 + ((code - 0x10000) & 0x3FF));
  } else {
    text[length++] = static_cast<wchar_t>(code);
  }
  // Ligatures apart first: FoldString takes MAP_EXPAND_LIGATURES only alone.
  Fold(MAP_EXPAND_LIGATURES | MAP_FOLDCZONE, text, length);
  Fold(MAP_COMPOSITE | MAP_FOLDCZONE, text, length);
  wchar_t lower[kMaxForm];
  const int lowered = ::LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_LOWERCASE, text, length, lower, kMaxForm,
                                      nullptr, nullptr, 0);
  if (lowered > 0) {
    std::copy(lower, lower + lowered, text);
    length = lowered;
  }
  WORD types[kMaxForm] = {};
  if (!::GetStringTypeW(CT_CTYPE3, text, length, types)) std::fill(types, types + length, WORD{0});
  const std::u16string_view form(reinterpret_cast<const char16_t*>(text), static_cast<size_t>(length));
  for (size_t i = 0; i < form.size();) {
    const bool nonspacing = (types[i] & C3_NONSPACING) != 0;
    const char32_t folded = DecodeUtf16(form, i);
    if (!nonspacing) portable_.AppendFolded(folded, out);
  }
}

std::unique_ptr<CharFolder> MakeProgramCharFolder() {
  return std::make_unique<CachedCharFolder>(std::make_unique<SystemCharFolder>());
}
