// Replays the seed corpus of the ".m3u" line reader's fuzz target (and every
// crash input found later, kept there): each seed keeps the target's
// invariants and gives the number of paths its name ends in.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "fuzz/playlist/fuzz_entries.h"
#include "playlist/m3u_lines.h"

namespace {

namespace fs = std::filesystem;

TEST(M3uCorpus, EverySeedReadsAsNamed) {
  const fs::path dir = fs::path(MELODEK_SOURCE_DIR) / "fuzz" / "playlist" / "corpus" / "m3u_lines";
  int files = 0;
  std::error_code ec;
  for (const auto& file : fs::directory_iterator(dir, ec)) {
    const std::string name = file.path().filename().string();
    SCOPED_TRACE(name);
    std::ifstream in(file.path(), std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    const auto paths = FuzzM3uLines(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    const size_t end = name.find("paths.");
    if (end != std::string::npos) {
      const size_t start = name.rfind('_', end);
      EXPECT_EQ(paths.size(), std::stoul(name.substr(start + 1, end - start - 1)));
    }
    ++files;
  }
  EXPECT_GE(files, 8) << "run fuzz/playlist/make_corpus.py";
}

TEST(M3uCorpus, LongestPathKeptLongerSkippedWhole) {
  std::vector<std::string> paths;
  M3uLineReader reader(paths);
  const std::string longest(kMaxM3uLineLength, 'a');
  const std::string text = longest + "\r\n" + longest + "b\n#c\nd";
  reader.Feed(text.data(), text.size());
  reader.Finish();
  EXPECT_EQ(paths, (std::vector<std::string>{longest, "d"}));
}

}  // namespace
