// Replays the seed corpora of the command-line and DDE poke fuzz targets
// (and every crash input found later, kept there) through the entries the
// fuzzers run: each seed keeps their invariants and splits into the number
// of arguments its name ends in.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/poke_text.h"
#include "fuzz/app/fuzz_entries.h"

namespace {

namespace fs = std::filesystem;

// "<name>_<n>args.<ext>" -> n; -1 when the name gives no count.
int ExpectedCount(const std::string& name) {
  const size_t end = name.find("args.");
  if (end == std::string::npos) return -1;
  size_t start = name.rfind('_', end);
  return start == std::string::npos ? -1 : std::stoi(name.substr(start + 1, end - start - 1));
}

template <typename Entry>
void Replay(const char* target, Entry entry, bool afterProgramName) {
  const fs::path dir = fs::path(MELODEK_SOURCE_DIR) / "fuzz" / "app" / "corpus" / target;
  int files = 0;
  std::error_code ec;
  for (const auto& file : fs::directory_iterator(dir, ec)) {
    const std::string name = file.path().filename().string();
    SCOPED_TRACE(name);
    std::ifstream in(file.path(), std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    const auto* data = reinterpret_cast<const uint8_t*>(bytes.data());
    entry(data, bytes.size());
    const int expected = ExpectedCount(name);
    if (expected >= 0) {
      const std::vector<std::string> arguments =
          afterProgramName ? SplitCommandLine(ArgumentsAfterProgramName(bytes))
                           : SplitCommandLine(PokeText(data, bytes.size()));
      EXPECT_EQ(static_cast<int>(arguments.size()), expected);
    }
    ++files;
  }
  EXPECT_GE(files, 5) << target << ": run fuzz/app/make_corpus.py";
}

TEST(AppCorpus, CommandLineSeeds) { Replay("command_line", FuzzCommandLine, true); }
TEST(AppCorpus, DdePokeSeeds) { Replay("dde_poke", FuzzPokeText, false); }

TEST(ArgumentsAfterProgramName, SkipsTheNameQuotedOrNot) {
  EXPECT_EQ(ArgumentsAfterProgramName("\"C:\\Program Files\\m.exe\"  a b"), "a b");
  EXPECT_EQ(ArgumentsAfterProgramName("m.exe\t\"x y\" "), "\"x y\" ");
  EXPECT_EQ(ArgumentsAfterProgramName("\"unterminated a b"), "");
  EXPECT_EQ(ArgumentsAfterProgramName("m.exe"), "");
  EXPECT_EQ(ArgumentsAfterProgramName(""), "");
  EXPECT_EQ(ArgumentsAfterProgramName("\"\"a"), "a");  // the closing quote ends the name
}

TEST(PokeText, CutAtNulAndAtTheBuffer) {
  const auto text = [](const std::string& bytes) {
    return PokeText(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
  };
  EXPECT_EQ(text(std::string("a b\0c", 5)), "a b");
  EXPECT_EQ(text("no nul"), "no nul");
  EXPECT_EQ(text(""), "");
  EXPECT_EQ(text(std::string(kMaxPokeBytes + 10, 'x')).size(), kMaxPokeBytes - 1);
  // A NUL past the buffer does not count: the buffer ends the text first.
  std::string late(kMaxPokeBytes + 5, 'y');
  late[kMaxPokeBytes + 1] = '\0';
  EXPECT_EQ(text(late).size(), kMaxPokeBytes - 1);
}

}  // namespace
