// Replays the seed corpora of the in_mf fuzz targets (made from files that
// lame, flac and ffmpeg wrote, plus every crash input found later, kept
// there) through the same entries the fuzzers run, so their invariants hold
// in each native test run; the seeds made from tagged files must give the
// title and artist, or the album and ReplayGain values, they were tagged
// with.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "fuzz/in_mf/fuzz_entries.h"
#include "plugins/in_mf/tag_lookup.h"

namespace {

namespace fs = std::filesystem;

struct Seed {
  std::string name;
  std::vector<uint8_t> bytes;
};

std::vector<Seed> CorpusFiles(const char* target) {
  std::vector<Seed> seeds;
  const fs::path dir = fs::path(MELODEK_SOURCE_DIR) / "fuzz" / "in_mf" / "corpus" / target;
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(dir, ec)) {
    std::ifstream in(entry.path(), std::ios::binary);
    seeds.push_back({entry.path().filename().string(),
                     std::vector<uint8_t>{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()}});
  }
  return seeds;
}

bool StartsWith(const std::string& text, const char* prefix) { return text.rfind(prefix, 0) == 0; }

using Entry = TagFields (*)(const uint8_t*, size_t);

TEST(InMfCorpus, TagSeedsGiveTheirTagsAndKeepTheInvariants) {
  const struct {
    const char* target;
    Entry entry;
  } readers[] = {{"id3v2", FuzzId3v2},
                 {"id3v1", FuzzId3v1},
                 {"mp4_tags", FuzzMp4Tags},
                 {"asf_tags", FuzzAsfTags},
                 {"flac_comments", FuzzFlacComments}};
  for (const auto& reader : readers) {
    const std::vector<Seed> seeds = CorpusFiles(reader.target);
    EXPECT_GE(seeds.size(), 3u) << reader.target << ": run fuzz/in_mf/make_corpus.py";
    int tagged = 0;
    for (const Seed& seed : seeds) {
      SCOPED_TRACE(std::string(reader.target) + "/" + seed.name);
      const TagFields fields = reader.entry(seed.bytes.data(), seed.bytes.size());
      if (StartsWith(seed.name, "tagged_")) {
        EXPECT_EQ(fields.title, "Seed Title");
        EXPECT_EQ(fields.artist, "Seed Artist");
        ++tagged;
      } else if (StartsWith(seed.name, "unicode_")) {
        EXPECT_EQ(fields.title, "S\xC3\xA9" "ed \xE2\x99\xAA Title");
        EXPECT_EQ(fields.artist, "Seed Artist");
        ++tagged;
      } else if (StartsWith(seed.name, "gain_")) {
        EXPECT_EQ(fields.album, "Seed Album");
        EXPECT_EQ(fields.trackGain, "-7.25 dB");
        EXPECT_EQ(fields.trackPeak, "0.988525");
        EXPECT_EQ(fields.albumGain, "-6.50 dB");
        EXPECT_EQ(fields.albumPeak, "1.000000");
        ++tagged;
      } else if (StartsWith(seed.name, "r128_")) {
        std::string gain;
        EXPECT_TRUE(LookUpTagValue(fields, "replaygain_track_gain", gain));
        EXPECT_EQ(gain, "-4.00 dB");
      } else if (StartsWith(seed.name, "plain_")) {
        EXPECT_TRUE(fields.title.empty() && fields.artist.empty() && fields.trackGain.empty());
      }
    }
    EXPECT_GE(tagged, 1) << reader.target;
  }
}

TEST(InMfCorpus, GaplessSeedsKeepTheInvariants) {
  const std::vector<Seed> seeds = CorpusFiles("mp3_gapless");
  EXPECT_GE(seeds.size(), 10u) << "run fuzz/in_mf/make_corpus.py";
  for (const Seed& seed : seeds) {
    SCOPED_TRACE(seed.name);
    FuzzMp3Gapless(seed.bytes.data(), seed.bytes.size());
  }
}

// Seeds named carry_<frames>_*.bin: pairs of files of a gapless set, the
// previous file's last frames carried; none_*: pairs that are no set.
TEST(InMfCorpus, Mp3CarrySeedsCarryTheirFrames) {
  const std::vector<Seed> seeds = CorpusFiles("mp3_carry");
  EXPECT_GE(seeds.size(), 8u) << "run fuzz/in_mf/make_corpus.py";
  int carried = 0;
  for (const Seed& seed : seeds) {
    SCOPED_TRACE(seed.name);
    const Mp3Carry carry = FuzzMp3Carry(seed.bytes.data(), seed.bytes.size());
    int frames = 0;
    if (std::sscanf(seed.name.c_str(), "carry_%d_", &frames) == 1) {
      EXPECT_EQ(carry.tail_frames, frames);
      ++carried;
    } else if (StartsWith(seed.name, "none_")) {
      EXPECT_FALSE(carry.valid());
    }
  }
  EXPECT_GE(carried, 4);
}

// Seeds named real_<start>_<length>_<kind>_<reported>.bin: the real samples
// lie at start for length (media units), found from the edit list, iTunSMPB
// or both as kind says; plain_* seeds have nothing to trim.
TEST(InMfCorpus, Mp4GaplessSeedsFindTheRealSamples) {
  const std::vector<Seed> seeds = CorpusFiles("mp4_gapless");
  EXPECT_GE(seeds.size(), 20u) << "run fuzz/in_mf/make_corpus.py";
  int real = 0;
  for (const Seed& seed : seeds) {
    SCOPED_TRACE(seed.name);
    const Mp4Content content = FuzzMp4Gapless(seed.bytes.data(), seed.bytes.size());
    unsigned long long start = 0, length = 0;
    char kind[32] = {};
    if (std::sscanf(seed.name.c_str(), "real_%llu_%llu_%31[a-z_]", &start, &length, kind) == 3) {
      const std::string k(kind);
      const Mp4Content::From expected = StartsWith(k, "smpb")   ? Mp4Content::From::kItunSmpb
                                        : StartsWith(k, "both") ? Mp4Content::From::kBoth
                                                                : Mp4Content::From::kEditList;
      EXPECT_EQ(content.from, expected);
      EXPECT_EQ(content.start, start);
      EXPECT_EQ(content.length, length);
      ++real;
    } else if (StartsWith(seed.name, "plain_")) {
      EXPECT_EQ(content.from, Mp4Content::From::kNone);
    }
  }
  EXPECT_GE(real, 10);
}

}  // namespace
