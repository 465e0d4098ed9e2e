// The WAV header parser: accepted layouts, refused headers, chunk walking and
// the clamping of data sizes to the bytes present.
#include "plugins/in_wave/wav_format.h"

#include <gtest/gtest.h>

#include "tests/in_wave/wav_builder.h"

namespace {

using wav::ParseResult;
using wavtest::BuildWav;
using wavtest::Chunk;
using wavtest::WavRecipe;

ParseResult Parse(const std::vector<uint8_t>& bytes, wav::WavFormat* format) {
  wav::MemoryByteSource source(bytes);
  return wav::ParseWav(source, format);
}

ParseResult Parse(const WavRecipe& recipe, wav::WavFormat* format) { return Parse(BuildWav(recipe), format); }

struct AcceptedCase {
  const char* name;
  uint16_t tag, channels;
  uint32_t rate;
  uint16_t bits, subFormat;
  wav::SampleKind kind;
  uint16_t containerBits;
};

TEST(WavFormat, AcceptsEveryPlayableLayout) {
  using K = wav::SampleKind;
  const AcceptedCase cases[] = {
      {"8-bit mono", 1, 1, 22050, 8, 0, K::kInteger, 8},
      {"16-bit stereo", 1, 2, 44100, 16, 0, K::kInteger, 16},
      {"24-bit stereo", 1, 2, 96000, 24, 0, K::kInteger, 24},
      {"32-bit integer", 1, 2, 48000, 32, 0, K::kInteger, 32},
      {"32-bit float", 3, 2, 44100, 32, 0, K::kFloat, 32},
      {"16-bit mono 48000", 1, 1, 48000, 16, 0, K::kInteger, 16},
      {"6 channels", 1, 6, 48000, 16, 0, K::kInteger, 16},
      {"8 channels", 1, 8, 44100, 24, 0, K::kInteger, 24},
      {"12 bits in 16", 1, 2, 8000, 12, 0, K::kInteger, 16},
      {"lowest rate", 1, 1, 1000, 16, 0, K::kInteger, 16},
      {"highest rate", 1, 2, 384000, 32, 0, K::kInteger, 32},
      {"extensible PCM", 0xFFFE, 2, 44100, 24, 1, K::kInteger, 24},
      {"extensible float", 0xFFFE, 6, 48000, 32, 3, K::kFloat, 32},
  };
  for (const AcceptedCase& c : cases) {
    SCOPED_TRACE(c.name);
    WavRecipe recipe;
    recipe.formatTag = c.tag;
    recipe.channels = c.channels;
    recipe.sampleRate = c.rate;
    recipe.bitsPerSample = c.bits;
    recipe.subFormat = c.subFormat;
    const uint32_t frameBytes = c.channels * c.containerBits / 8u;
    recipe.data = wavtest::NoiseBytes(frameBytes * 10, 1);
    wav::WavFormat f;
    ASSERT_EQ(Parse(recipe, &f), ParseResult::kOk);
    EXPECT_EQ(f.kind, c.kind);
    EXPECT_EQ(f.channels, c.channels);
    EXPECT_EQ(f.sampleRate, c.rate);
    EXPECT_EQ(f.bitsPerSample, c.containerBits);
    EXPECT_EQ(f.frameBytes, frameBytes);
    EXPECT_EQ(f.frameCount, 10u);
    EXPECT_EQ(f.dataOffset, c.tag == 0xFFFE ? 12u + 8 + 40 + 8 : 12u + 8 + 16 + 8);
  }
}

TEST(WavFormat, AcceptsZeroBlockAlign) {
  WavRecipe recipe;
  recipe.blockAlign = 0;
  recipe.data = wavtest::NoiseBytes(40, 2);
  wav::WavFormat f;
  ASSERT_EQ(Parse(recipe, &f), ParseResult::kOk);
  EXPECT_EQ(f.frameBytes, 4u);
  EXPECT_EQ(f.frameCount, 10u);
}

TEST(WavFormat, RefusesBadFormats) {
  struct Case {
    const char* name;
    void (*edit)(WavRecipe&);
    ParseResult expected;
  };
  const Case cases[] = {
      {"zero channels", [](WavRecipe& s) { s.channels = 0; }, ParseResult::kBadFormatValues},
      {"nine channels", [](WavRecipe& s) { s.channels = 9; }, ParseResult::kBadFormatValues},
      {"65535 channels", [](WavRecipe& s) { s.channels = 65535; }, ParseResult::kBadFormatValues},
      {"rate 999", [](WavRecipe& s) { s.sampleRate = 999; }, ParseResult::kBadFormatValues},
      {"rate 384001", [](WavRecipe& s) { s.sampleRate = 384001; }, ParseResult::kBadFormatValues},
      {"rate 0", [](WavRecipe& s) { s.sampleRate = 0; }, ParseResult::kBadFormatValues},
      {"rate 4294967295", [](WavRecipe& s) { s.sampleRate = 0xFFFFFFFF; }, ParseResult::kBadFormatValues},
      {"zero bits", [](WavRecipe& s) { s.bitsPerSample = 0; }, ParseResult::kBadFormatValues},
      {"40 bits", [](WavRecipe& s) { s.bitsPerSample = 40; }, ParseResult::kBadFormatValues},
      {"65535 bits", [](WavRecipe& s) { s.bitsPerSample = 65535; }, ParseResult::kBadFormatValues},
      {"64-bit float", [](WavRecipe& s) { s.formatTag = 3; s.bitsPerSample = 64; }, ParseResult::kUnsupportedFormat},
      {"16-bit float", [](WavRecipe& s) { s.formatTag = 3; s.bitsPerSample = 16; }, ParseResult::kUnsupportedFormat},
      {"ADPCM", [](WavRecipe& s) { s.formatTag = 2; }, ParseResult::kUnsupportedFormat},
      {"mu-law", [](WavRecipe& s) { s.formatTag = 7; }, ParseResult::kUnsupportedFormat},
      {"block align 1000", [](WavRecipe& s) { s.blockAlign = 1000; }, ParseResult::kBadFormatValues},
      {"block align too small", [](WavRecipe& s) { s.blockAlign = 2; }, ParseResult::kBadFormatValues},
      {"extensible ADPCM", [](WavRecipe& s) { s.formatTag = 0xFFFE; s.subFormat = 2; }, ParseResult::kUnsupportedFormat},
      {"extensible foreign GUID", [](WavRecipe& s) { s.formatTag = 0xFFFE; s.extensibleGuidBroken = true; },
       ParseResult::kUnsupportedFormat},
      {"extensible 20-bit container", [](WavRecipe& s) { s.formatTag = 0xFFFE; s.bitsPerSample = 20; },
       ParseResult::kBadFormatValues},
      {"extensible valid bits above container", [](WavRecipe& s) { s.formatTag = 0xFFFE; s.validBits = 24; },
       ParseResult::kBadFormatValues},
      {"no fmt chunk", [](WavRecipe& s) { s.omitFormat = true; }, ParseResult::kNoFormat},
      {"no data chunk", [](WavRecipe& s) { s.omitData = true; }, ParseResult::kNoData},
      {"empty data", [](WavRecipe& s) { s.data.clear(); }, ParseResult::kEmptyData},
      {"less than a frame", [](WavRecipe& s) { s.data.resize(3); }, ParseResult::kEmptyData},
      {"RIFX", [](WavRecipe& s) { s.riffId = "RIFX"; }, ParseResult::kNotWave},
      {"AVI form", [](WavRecipe& s) { s.waveId = "AVI "; }, ParseResult::kNotWave},
      {"cut inside the header", [](WavRecipe& s) { s.truncateTo = 11; }, ParseResult::kNotWave},
      {"cut inside fmt", [](WavRecipe& s) { s.truncateTo = 30; }, ParseResult::kNoFormat},
      {"cut after the data header", [](WavRecipe& s) { s.truncateTo = 44; }, ParseResult::kEmptyData},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WavRecipe recipe;
    recipe.data = wavtest::NoiseBytes(400, 3);
    c.edit(recipe);
    wav::WavFormat f;
    EXPECT_EQ(Parse(recipe, &f), c.expected);
  }
}

TEST(WavFormat, ShortFormatChunksAreRefused) {
  // A "fmt " of 14 bytes (the old WAVEFORMAT without bits) and an extensible
  // tag in a plain 16-byte chunk.
  std::vector<uint8_t> fmt14 = wavtest::FormatBody(WavRecipe{});
  fmt14.resize(14);
  WavRecipe recipe;
  recipe.omitFormat = true;
  recipe.before = {Chunk{"fmt ", fmt14}};
  recipe.data = wavtest::NoiseBytes(40, 4);
  wav::WavFormat f;
  EXPECT_EQ(Parse(recipe, &f), ParseResult::kNoFormat);

  WavRecipe ext;
  ext.formatTag = 0xFFFE;
  std::vector<uint8_t> fmt16 = wavtest::FormatBody(ext);
  fmt16.resize(16);
  recipe.before = {Chunk{"fmt ", fmt16}};
  EXPECT_EQ(Parse(recipe, &f), ParseResult::kUnsupportedFormat);
}

TEST(WavFormat, WalksUnknownAndOddSizedChunks) {
  WavRecipe recipe;
  recipe.before = {Chunk{"JUNK", std::vector<uint8_t>(5, 0xAA)}, Chunk{"bext", std::vector<uint8_t>(1, 1)}};
  recipe.between = {Chunk{"LIST", std::vector<uint8_t>(7, 0x55)}, Chunk{"fact", std::vector<uint8_t>(4, 0)}};
  recipe.data = wavtest::NoiseBytes(44, 5);
  wav::WavFormat f;
  ASSERT_EQ(Parse(recipe, &f), ParseResult::kOk);
  // 12 header + JUNK 8+5+1 + bext 8+1+1 + fmt 8+16 + LIST 8+7+1 + fact 8+4 + data header 8.
  EXPECT_EQ(f.dataOffset, 12u + 14 + 10 + 24 + 16 + 12 + 8);
  EXPECT_EQ(f.frameCount, 11u);
}

TEST(WavFormat, FindsFormatAfterData) {
  WavRecipe recipe;
  recipe.omitFormat = true;
  recipe.data = wavtest::NoiseBytes(42, 6);  // 10.5 frames: the half frame is dropped
  std::vector<uint8_t> bytes = BuildWav(recipe);
  wavtest::PutChunk(bytes, Chunk{"fmt ", wavtest::FormatBody(WavRecipe{})});
  wav::WavFormat f;
  ASSERT_EQ(Parse(bytes, &f), ParseResult::kOk);
  EXPECT_EQ(f.dataOffset, 20u);
  EXPECT_EQ(f.frameCount, 10u);
}

TEST(WavFormat, ClampsDataToTheFile) {
  wav::WavFormat f;
  WavRecipe recipe;
  recipe.data = wavtest::NoiseBytes(400, 7);

  recipe.declaredDataSize = 100000;  // a cut-off recording
  ASSERT_EQ(Parse(recipe, &f), ParseResult::kOk);
  EXPECT_EQ(f.frameCount, 100u);

  recipe.declaredDataSize = 0xFFFFFFFF;  // "unknown length" of a stream capture
  ASSERT_EQ(Parse(recipe, &f), ParseResult::kOk);
  EXPECT_EQ(f.frameCount, 100u);

  recipe.declaredDataSize = 40;  // trailing bytes after the data are not sound
  ASSERT_EQ(Parse(recipe, &f), ParseResult::kOk);
  EXPECT_EQ(f.frameCount, 10u);

  recipe.declaredDataSize = -1;
  recipe.truncateTo = 44 + 201;  // cut mid-frame
  ASSERT_EQ(Parse(recipe, &f), ParseResult::kOk);
  EXPECT_EQ(f.frameCount, 50u);
}

TEST(WavFormat, ChunkSizesBeyondTheFileEndTheWalk) {
  WavRecipe recipe;
  recipe.before = {Chunk{"JUNK", {}}};
  std::vector<uint8_t> bytes = BuildWav(recipe);
  bytes[16] = bytes[17] = bytes[18] = bytes[19] = 0xFF;  // JUNK claims 4 GiB
  wav::WavFormat f;
  EXPECT_EQ(Parse(bytes, &f), ParseResult::kNoFormat);
}

TEST(WavFormat, ManyTinyChunksDoNotMakeTheWalkEndless) {
  WavRecipe recipe;
  for (int i = 0; i < 5000; ++i) recipe.before.push_back(Chunk{"pad ", {}});
  recipe.data = wavtest::NoiseBytes(8, 8);
  wav::WavFormat f;
  EXPECT_EQ(Parse(recipe, &f), ParseResult::kNoFormat);  // gives up after 4096 chunks
}

TEST(WavFormat, Rf64TakesTheDataSizeFromDs64) {
  WavRecipe recipe;
  recipe.riffId = "RF64";
  std::vector<uint8_t> ds64;
  wavtest::Put32(ds64, 0xFFFFFFFF);  // RIFF size, low and high
  wavtest::Put32(ds64, 0);
  wavtest::Put32(ds64, 80);  // data size, low and high
  wavtest::Put32(ds64, 0);
  wavtest::Put32(ds64, 20);  // sample count
  wavtest::Put32(ds64, 0);
  wavtest::Put32(ds64, 0);  // table length
  recipe.before = {Chunk{"ds64", ds64}};
  recipe.data = wavtest::NoiseBytes(400, 9);
  recipe.declaredDataSize = 0xFFFFFFFF;
  wav::WavFormat f;
  ASSERT_EQ(Parse(recipe, &f), ParseResult::kOk);
  EXPECT_EQ(f.frameCount, 20u);
}

}  // namespace
