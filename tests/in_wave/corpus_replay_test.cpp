// Replays the fuzzer's seed corpus (and any crash found later, saved there)
// through the parser: each file is accepted or refused as its name says, and
// an accepted format always describes bytes that are inside the file.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "plugins/in_wave/wav_format.h"

namespace {

namespace fs = std::filesystem;

TEST(WavCorpus, EverySeedParsesAsNamed) {
  int files = 0;
  for (const fs::directory_entry& entry : fs::directory_iterator(MELODEK_IN_WAVE_CORPUS)) {
    if (!entry.is_regular_file()) continue;
    const std::string name = entry.path().filename().string();
    SCOPED_TRACE(name);
    std::ifstream in(entry.path(), std::ios::binary);
    const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    wav::MemoryByteSource source(bytes);
    wav::WavFormat f;
    const bool ok = wav::ParseWav(source, &f) == wav::ParseResult::kOk;
    ++files;
    if (name.rfind("ok_", 0) == 0) {
      EXPECT_TRUE(ok);
    } else if (name.rfind("bad_", 0) == 0) {
      EXPECT_FALSE(ok);
    }
    if (!ok) continue;
    EXPECT_GE(f.channels, 1);
    EXPECT_LE(f.channels, wav::kMaxChannels);
    EXPECT_GE(f.sampleRate, wav::kMinSampleRate);
    EXPECT_LE(f.sampleRate, wav::kMaxSampleRate);
    EXPECT_EQ(f.frameBytes, f.channels * f.bitsPerSample / 8u);
    EXPECT_GT(f.frameCount, 0u);
    EXPECT_LE(f.dataOffset + f.frameCount * f.frameBytes, bytes.size());
  }
  EXPECT_GE(files, 20) << "seed corpus missing: run fuzz/in_wave/make_seeds.py";
}

}  // namespace
