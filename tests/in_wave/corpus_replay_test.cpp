// Replays the fuzzer's seed corpus (and any crash found later, saved there)
// through the parser: each file is accepted or refused as its name says, an
// accepted format always describes bytes that are inside the file, and only
// the seeds with an "id3 " chunk have ReplayGain values.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "plugins/in_mf/tag_lookup.h"
#include "plugins/in_wave/wav_format.h"
#include "plugins/in_wave/wav_tags.h"

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
    wav::MemoryByteSource tagSource(bytes);
    const TagFields tags = ReadWavTags(tagSource);
    std::string gain, peak;
    const bool tagged = LookUpTagValue(tags, "replaygain_track_gain", gain);
    EXPECT_EQ(tagged, name.rfind("ok_id3_chunk", 0) == 0);
    if (tagged) {
      EXPECT_EQ(gain, "-7.25 dB");
      EXPECT_EQ(tags.title, "Tagged");
      // The cut chunk lost its last frame, the peak.
      EXPECT_EQ(LookUpTagValue(tags, "REPLAYGAIN_TRACK_PEAK", peak), name == "ok_id3_chunk.wav");
      if (!peak.empty()) EXPECT_EQ(peak, "0.5");
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
