// The built-in search folding: case and accents in any script, from UTF-8
// and UTF-16 alike, and the cache in front of a folder.
#include "common/text_fold.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>

#include "common/text_encoding.h"
#include "tests/text/fold_cases.h"

namespace {

TEST(TextFold, TheBuiltInTableFoldsCaseAndAccentsInAnyScript) {
  const PortableCharFolder folder;
  for (const FoldCase& c : kFoldCases) {
    EXPECT_EQ(FoldUtf8(c.text, folder), c.folded) << c.what;
    std::string fromWide;
    AppendFoldedUtf16(Utf8ToUtf16(c.text), folder, fromWide);
    EXPECT_EQ(fromWide, c.folded) << c.what << " (from UTF-16)";
    // Folding twice changes nothing more: a folded query finds folded text.
    EXPECT_EQ(FoldUtf8(c.folded, folder), c.folded) << c.what << " (folded again)";
  }
}

TEST(TextFold, MalformedTextFoldsToReplacementCharacters) {
  const PortableCharFolder folder;
  EXPECT_EQ(FoldUtf8("caf\xE9", folder), "caf\xEF\xBF\xBD");  // a Latin-1 byte
  std::string out;
  AppendFoldedUtf16(std::u16string(1, char16_t{0xDC00}), folder, out);  // a lone low surrogate
  EXPECT_EQ(out, "\xEF\xBF\xBD");
}

// A folder that counts what it is asked and answers with a marked form.
class CountingFolder : public CharFolder {
 public:
  explicit CountingFolder(std::map<char32_t, int>& asked) : asked_(asked) {}
  void AppendFolded(char32_t code, std::string& out) const override {
    ++asked_[code];
    if (code == U'\u00E9') return;  // folds away
    out += "<";
    AppendUtf8(out, code);
    out += ">";
  }

 private:
  std::map<char32_t, int>& asked_;
};

TEST(TextFold, TheCacheAsksItsFolderOncePerCharacter) {
  std::map<char32_t, int> asked;
  const CachedCharFolder cached(std::make_unique<CountingFolder>(asked));
  const std::string text = "\xC3\xA9\xE6\x97\xA5\xF0\x9F\x8E\xB5";  // é 日 🎵
  EXPECT_EQ(FoldUtf8(text, cached), "<日><\xF0\x9F\x8E\xB5>");
  EXPECT_EQ(FoldUtf8(text + text, cached), "<日><\xF0\x9F\x8E\xB5><日><\xF0\x9F\x8E\xB5>");
  EXPECT_EQ(asked, (std::map<char32_t, int>{{U'\u00E9', 1}, {U'\u65E5', 1}, {U'\U0001F3B5', 1}}));
  EXPECT_EQ(FoldUtf8("Ab", cached), "ab");  // ASCII never reaches the folder
  EXPECT_EQ(asked.size(), 3u);
}

}  // namespace
