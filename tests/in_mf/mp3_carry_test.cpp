// The MP3 frame walking, and the view of a file the media source reads.
#include <gtest/gtest.h>

#include <string>

#include "plugins/in_mf/mp3_frames.h"
#include "plugins/in_mf/source_view.h"
#include "tests/in_mf/tag_builders.h"

namespace {

// One layer III frame. version: 0xFB MPEG-1, 0xF3 MPEG-2, 0xE3 MPEG-2.5 (no
// CRC; clear the low bit for one). rate_index 0: 44100 (and halves).
struct FrameSpec {
  uint8_t version = 0xFB;
  int bitrate_index = 11;  // 192 kbit/s (MPEG-1), 112 (MPEG-2)
  int rate_index = 0;
  bool mono = false;
  int main_data_begin = 0;
  bool padding = false;
};

Bytes Frame(const FrameSpec& s, uint8_t fill = 0x55) {
  Bytes f{0xFF, s.version, uint8_t((s.bitrate_index << 4) | (s.rate_index << 2) | (s.padding ? 2 : 0)),
          uint8_t(s.mono ? 0xC4 : 0x44)};
  Mp3Frame parsed;
  if (!ParseMp3Frame(f.data(), parsed)) return f;
  if (parsed.crc) f.insert(f.end(), {0x12, 0x34});
  if (parsed.mpeg1()) {
    f.push_back(uint8_t(s.main_data_begin >> 1));
    f.push_back(uint8_t((s.main_data_begin & 1) << 7));
  } else {
    f.push_back(uint8_t(s.main_data_begin));
  }
  f.resize(parsed.bytes, fill);
  return f;
}

TEST(Mp3FramesTest, ParsesLengthsAndSideInformation) {
  const struct {
    Bytes header;
    int rate, samples, bytes, side_info;
    bool mono, crc;
  } cases[] = {
      {{0xFF, 0xFB, 0x90, 0x44}, 44100, 1152, 417, 32, false, false},  // 128 kbit/s
      {{0xFF, 0xFB, 0x92, 0x44}, 44100, 1152, 418, 32, false, false},  // padded
      {{0xFF, 0xFB, 0xE4, 0xC4}, 48000, 1152, 960, 17, true, false},   // 320 kbit/s
      {{0xFF, 0xFA, 0x18, 0x44}, 32000, 1152, 144, 32, false, true},   // 32 kbit/s, CRC
      {{0xFF, 0xF3, 0x10, 0xC4}, 22050, 576, 26, 9, true, false},      // MPEG-2, 8 kbit/s
      {{0xFF, 0xF3, 0x14, 0x44}, 24000, 576, 24, 17, false, false},
      {{0xFF, 0xE3, 0x18, 0x44}, 8000, 576, 72, 17, false, false},     // MPEG-2.5
  };
  for (const auto& c : cases) {
    Mp3Frame f;
    ASSERT_TRUE(ParseMp3Frame(c.header.data(), f)) << c.bytes;
    EXPECT_EQ(f.sample_rate, c.rate);
    EXPECT_EQ(f.samples_per_frame, c.samples);
    EXPECT_EQ(f.bytes, size_t(c.bytes));
    EXPECT_EQ(f.side_info_bytes, size_t(c.side_info));
    EXPECT_EQ(f.mono, c.mono);
    EXPECT_EQ(f.crc, c.crc);
    EXPECT_EQ(f.MainDataBytes(), size_t(c.bytes - (c.crc ? 6 : 4) - c.side_info));
  }
  const Bytes refused[] = {
      {0xFF, 0xFD, 0x90, 0x44},  // layer II
      {0xFF, 0xEB, 0x90, 0x44},  // reserved version
      {0xFF, 0xFB, 0x00, 0x44},  // free format
      {0xFF, 0xFB, 0xF0, 0x44},  // bad bitrate
      {0xFF, 0xFB, 0x9C, 0x44},  // reserved rate
      {0xFE, 0xFB, 0x90, 0x44},  // no sync
  };
  for (const Bytes& h : refused) {
    Mp3Frame f;
    EXPECT_FALSE(ParseMp3Frame(h.data(), f)) << int(h[1]) << " " << int(h[2]);
  }
}

TEST(Mp3FramesTest, ReadsTheReservoirPointer) {
  for (int version : {0xFB, 0xFA, 0xF3, 0xF2}) {
    for (int begin : {0, 1, 200, 255, 256, 511}) {
      const bool mpeg1 = version >= 0xFA;
      if (!mpeg1 && begin > 255) continue;
      FrameSpec s;
      s.version = uint8_t(version);
      s.main_data_begin = begin;
      const Bytes f = Frame(s);
      Mp3Frame parsed;
      ASSERT_TRUE(ParseMp3Frame(f.data(), parsed));
      EXPECT_EQ(Mp3MainDataBegin(parsed, f.data()), size_t(begin)) << version;
    }
  }
}

TEST(SourceViewTest, ReadsTheHeadThenTheFileFromItsOffsetPatched) {
  const std::string file_text = "0123456789";
  const Bytes file(file_text.begin(), file_text.end());
  MemoryByteSource file_source(file);
  SourceView view;
  view.head = {'a', 'b', 'c'};
  view.file_from = 4;
  view.patches.push_back({5, {'X'}});
  view.patches.push_back({1, {'Y'}});  // before file_from: never shown
  const std::string whole = "abc4X6789";
  EXPECT_EQ(view.Size(file.size()), whole.size());
  for (uint64_t offset = 0; offset <= whole.size() + 2; ++offset) {
    for (size_t n = 0; n <= whole.size() + 2; ++n) {
      uint8_t out[16] = {};
      const size_t got = view.Read(file_source, offset, out, n);
      const std::string expected = offset < whole.size() ? whole.substr(offset, n) : std::string();
      EXPECT_EQ(std::string(out, out + got), expected) << offset << " " << n;
    }
  }
  uint8_t out[4];
  EXPECT_EQ(view.Read(file_source, UINT64_MAX - 1, out, 4), 0u);
  EXPECT_FALSE(view.plain());
  EXPECT_TRUE(SourceView().plain());
  EXPECT_EQ(SourceView().Size(10), 10u);
  SourceView past;
  past.file_from = 20;
  EXPECT_EQ(past.Size(10), 0u);
}

}  // namespace
