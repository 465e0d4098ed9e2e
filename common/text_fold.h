// Folding text for searching: two texts that a user would call the same
// word whatever their case and accents fold to the same bytes ("Été" and
// "ete", "Straße" and "STRASSE"), in any script, so that a search is a plain
// substring test on folded UTF-8.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

// The folded form of single code points. Folding works character by
// character: a text folds to the concatenation of its characters' forms.
class CharFolder {
 public:
  virtual ~CharFolder() = default;
  // Appends the folded form of `code` (none for a character that folds
  // away, such as a combining accent) to `out` as UTF-8.
  virtual void AppendFolded(char32_t code, std::string& out) const = 0;
};

// The tables built into the program (made from the Unicode character
// database): the compatibility decomposition without nonspacing marks,
// case folded with Unicode's full folding. "é" -> "e", "ß" -> "ss",
// "Ω" -> "ω", "Ａ" (full width) -> "a", "が" -> "か"; ideographs stay.
class PortableCharFolder : public CharFolder {
 public:
  void AppendFolded(char32_t code, std::string& out) const override;
};

// Remembers the forms another folder gave, so that each character is asked
// of it once (a system folder answers through several calls). Not
// thread-safe: one thread uses it.
class CachedCharFolder : public CharFolder {
 public:
  explicit CachedCharFolder(std::unique_ptr<CharFolder> inner);
  void AppendFolded(char32_t code, std::string& out) const override;

 private:
  std::unique_ptr<CharFolder> inner_;
  // The forms of the first 64 Ki code points: offset + 1 into pool_ in the
  // low 24 bits, the length in the high 8 (0: not asked yet).
  mutable std::vector<uint32_t> basic_;
  mutable std::string pool_;
  mutable std::unordered_map<char32_t, std::string> others_;
};

// Appends the folded form of program text in UTF-8 to `out`. ASCII folds
// inline (control characters become spaces); other characters through
// `folder`. Malformed bytes fold as U+FFFD does.
void AppendFoldedUtf8(std::string_view text, const CharFolder& folder, std::string& out);
// The same for UTF-16 text.
void AppendFoldedUtf16(std::u16string_view text, const CharFolder& folder, std::string& out);
std::string FoldUtf8(std::string_view text, const CharFolder& folder);
// Program text (see text_encoding.h) in whatever code page `codec` says.
class TextCodec;
void AppendFoldedProgramText(std::string_view text, const CharFolder& folder, const TextCodec& codec,
                             std::string& out);
