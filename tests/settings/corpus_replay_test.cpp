// Replays the fuzz seed corpus through the settings parsers, so the seeds
// and every invariant the fuzz targets check run in each native test run.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "fuzz/settings/fuzz_entries.h"
#include "settings/settings_archive.h"

namespace {

namespace fs = std::filesystem;

std::vector<std::string> CorpusFiles(const char* target) {
  std::vector<std::string> contents;
  const fs::path dir = fs::path(MELODEK_SOURCE_DIR) / "fuzz" / "settings" / "corpus" / target;
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(dir, ec)) {
    std::ifstream in(entry.path(), std::ios::binary);
    contents.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  return contents;
}

const uint8_t* Bytes(const std::string& s) { return reinterpret_cast<const uint8_t*>(s.data()); }

TEST(SettingsCorpus, ArchiveSeedsAreValidArchives) {
  const auto seeds = CorpusFiles("settings_archive");
  ASSERT_GE(seeds.size(), 5u);
  for (const std::string& seed : seeds) {
    SettingsData settings;
    EXPECT_EQ(ReadSettingsArchive(seed, settings, ""), SettingsLoadStatus::Loaded);
    FuzzSettingsArchive(Bytes(seed), seed.size());
  }
}

TEST(SettingsCorpus, TextAndPatternSeedsRunThroughTheirParsers) {
  const auto text = CorpusFiles("text_settings");
  const auto patterns = CorpusFiles("scan_line");
  ASSERT_GE(text.size(), 3u);
  ASSERT_GE(patterns.size(), 5u);
  for (const std::string& seed : text) FuzzTextSettings(Bytes(seed), seed.size());
  for (const std::string& seed : patterns) FuzzScanLine(Bytes(seed), seed.size());
}

}  // namespace
