// MP3 frame walking, the carry from one file of a gapless set into the next,
// and the view of a file the media source reads.
#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "plugins/in_mf/mp3_carry.h"
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
  if (parsed.mpeg1()) f.insert(f.end(), {uint8_t(s.main_data_begin >> 1), uint8_t((s.main_data_begin & 1) << 7)});
  if (!parsed.mpeg1()) f.push_back(uint8_t(s.main_data_begin));
  f.resize(parsed.bytes, fill);
  return f;
}

Bytes Frames(const FrameSpec& s, int count) {
  Bytes out;
  for (FrameSpec each = s; count-- > 0; each.main_data_begin = 400 % (s.version == 0xFB ? 512 : 256)) {
    Append(out, Frame(each));
  }
  return out;
}

Mp3Carry Plan(const Bytes& previous, const Bytes& next) {
  MemoryByteSource a(previous), b(next);
  return PlanMp3Carry(a, b);
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
    EXPECT_EQ(std::make_tuple(f.sample_rate, f.samples_per_frame, f.bytes, f.side_info_bytes, f.mono, f.crc),
              std::make_tuple(c.rate, c.samples, size_t(c.bytes), size_t(c.side_info), c.mono, c.crc));
    EXPECT_EQ(f.MainDataBytes(), size_t(c.bytes - (c.crc ? 6 : 4) - c.side_info));
  }
  // Layer II, reserved version, free format, bad bitrate, reserved rate, no sync.
  for (const Bytes& h : {Bytes{0xFF, 0xFD, 0x90, 0x44}, Bytes{0xFF, 0xEB, 0x90, 0x44}, Bytes{0xFF, 0xFB, 0x00, 0x44},
                         Bytes{0xFF, 0xFB, 0xF0, 0x44}, Bytes{0xFF, 0xFB, 0x9C, 0x44}, Bytes{0xFE, 0xFB, 0x90, 0x44}}) {
    Mp3Frame f;
    EXPECT_FALSE(ParseMp3Frame(h.data(), f)) << int(h[1]) << " " << int(h[2]);
  }
}

TEST(Mp3FramesTest, ReadsTheReservoirPointer) {
  for (int version : {0xFB, 0xFA, 0xF3, 0xF2}) {
    for (int begin : {0, 1, 255, 256, 511}) {
      if (version < 0xFA && begin > 255) continue;  // 8 bits in MPEG-2
      const Bytes f = Frame({uint8_t(version), 11, 0, false, begin});
      Mp3Frame parsed;
      ASSERT_TRUE(ParseMp3Frame(f.data(), parsed));
      EXPECT_EQ(Mp3MainDataBegin(parsed, f.data()), size_t(begin)) << version;
    }
  }
}

// Carried: the last frame, those before it that hold 511 bytes of main data
// (255 for MPEG-2 and 2.5), and one more; a short file whole.
TEST(Mp3CarryTest, CarriesAFullReservoirAndTheLastFrame) {
  const struct {
    const char* what;
    FrameSpec spec;
    int previous_frames, carried, samples_per_frame;
  } cases[] = {
      {"192 kbit/s: 590 bytes each", {}, 40, 1 + 1 + 1, 1152},
      {"32 kbit/s: 68 bytes each", {0xFB, 1}, 40, 8 + 1 + 1, 1152},
      {"128 kbit/s mono: 396 bytes", {0xFB, 9, 0, true}, 40, 2 + 1 + 1, 1152},
      {"CRC: 588 bytes", {0xFA}, 40, 1 + 1 + 1, 1152},
      {"MPEG-2 64 kbit/s mono: 195 bytes", {0xF3, 8, 0, true}, 40, 2 + 1 + 1, 576},
      {"MPEG-2.5 8 kbit/s 8 kHz: 51 bytes", {0xE3, 1, 2}, 40, 5 + 1 + 1, 576},
      {"a short file", {0xFB, 1}, 4, 4, 1152},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const Bytes previous = Frames(c.spec, c.previous_frames);
    const Mp3Carry carry = Plan(previous, Frames(c.spec, 5));
    ASSERT_TRUE(carry.valid());
    EXPECT_EQ(carry.tail_frames, c.carried);
    EXPECT_EQ(carry.lead_frames(), int64_t(c.carried) * c.samples_per_frame);
    EXPECT_EQ(carry.tail_offset, previous.size() - c.carried * Frame(c.spec).size());
    EXPECT_EQ(carry.tail_offset + carry.tail_bytes, previous.size());
    EXPECT_EQ(carry.next_audio_offset, 0u);
  }
}

TEST(Mp3CarryTest, FindsTheFramesBetweenTags) {
  // Padded and unpadded frames, a file longer than the part read from its end.
  Bytes audio;
  std::vector<size_t> starts;
  for (int n = 0; n < 200; ++n) {
    starts.push_back(audio.size());
    Append(audio, Frame({0xFB, 11, 0, false, n % 7 * 60, n % 3 == 1}, uint8_t(n)));
  }
  const Bytes id3 = Id3Tag(3, 0, Id3Frame(3, "TIT2", Id3Text(0, Latin1("A"))));
  Bytes ape(64, 'a'), v1 = Latin1("TAG");  // APEv2: header and items, then the footer
  AppendText(ape, "APETAGEX");
  AppendLE32(ape, 2000), AppendLE32(ape, 64), AppendLE32(ape, 0), AppendLE32(ape, 1u << 31);  // size, with a header
  ape.resize(96, 0);
  v1.resize(128, ' ');
  Bytes ape_and_v1 = ape;
  Append(ape_and_v1, v1);
  const struct {
    const char* what;
    Bytes before, after;
  } layouts[] = {
      {"no tags", {}, {}}, {"ID3v2 and ID3v1", id3, v1}, {"APEv2 and ID3v1", {}, ape_and_v1}, {"APEv2", id3, ape}};
  for (const auto& layout : layouts) {
    SCOPED_TRACE(layout.what);
    Bytes previous = layout.before, next = layout.before;
    Append(previous, audio);
    Append(previous, layout.after);
    next.insert(next.end(), 100, 0);  // zero padding before the first frame
    Append(next, Frames({}, 3));
    const Mp3Carry carry = Plan(previous, next);
    ASSERT_TRUE(carry.valid());
    EXPECT_EQ(carry.tail_offset, layout.before.size() + starts[197]);
    EXPECT_EQ(carry.tail_offset + carry.tail_bytes, layout.before.size() + audio.size());
    EXPECT_EQ(carry.next_audio_offset, layout.before.size() + 100);
  }
}

TEST(Mp3CarryTest, FollowsTheFramesPastFalseSyncs) {
  const Bytes lookalike{0xFF, 0xFB, 0x90, 0x44, 0xFF, 0xFB, 0xB0, 0x44};
  Bytes previous;
  for (int n = 0; n < 30; ++n) {
    Bytes f = Frame({});
    for (size_t at = 36; at + lookalike.size() <= f.size(); at += 13) {
      std::copy(lookalike.begin(), lookalike.end(), f.begin() + at);
    }
    Append(previous, f);
  }
  const Mp3Carry carry = Plan(previous, Frames({}, 2));
  ASSERT_TRUE(carry.valid());
  EXPECT_EQ(carry.tail_frames, 3);
  EXPECT_EQ(carry.tail_offset, 27 * Frame({}).size());
}

TEST(Mp3CarryTest, CarriesNothingBetweenFilesThatAreNoSet) {
  const Bytes frames = Frames({}, 20);
  auto with = [&](const char* tag) {
    Bytes out = frames;
    std::copy(tag, tag + 4, out.begin() + 36);
    return out;
  };
  Bytes truncated = frames, junk_after = frames;
  truncated.resize(truncated.size() - 100);
  junk_after.insert(junk_after.end(), 50, 0x11);
  const struct {
    const char* what;
    Bytes previous, next;
  } cases[] = {
      {"the next file has an Info frame", frames, with("Info")},
      {"the next file has a Xing frame", frames, with("Xing")},
      {"the next file has a VBRI frame", frames, with("VBRI")},
      {"the previous file has an Info frame", with("Info"), frames},
      {"mono after stereo", frames, Frames({0xFB, 11, 0, true}, 5)},
      {"another rate", frames, Frames({0xFB, 11, 1}, 5)},
      {"MPEG-2 after MPEG-1", frames, Frames({0xF3}, 5)},
      {"the previous file ends inside a frame", truncated, frames},
      {"the previous file ends in unknown bytes", junk_after, frames},
      {"the next file holds one frame", frames, Frame({})},
      {"the next file is no MP3", frames, Bytes(4000, 0x11)},
      {"the previous file is no MP3", Bytes(4000, 0x11), frames},
      {"the previous file is empty", {}, frames},
      {"the next file is empty", frames, {}},
  };
  for (const auto& c : cases) EXPECT_FALSE(Plan(c.previous, c.next).valid()) << c.what;
}

TEST(SourceViewTest, ReadsTheHeadThenTheFileFromItsOffsetPatched) {
  const Bytes file = Latin1("0123456789");
  MemoryByteSource file_source(file);
  SourceView view;
  view.head = {'a', 'b', 'c'};
  view.file_from = 4;
  view.patches = {{5, {'X'}}, {1, {'Y'}}};  // the second lies before file_from: never shown
  const std::string whole = "abc4X6789";
  EXPECT_EQ(view.Size(file.size()), whole.size());
  for (uint64_t offset = 0; offset <= whole.size() + 2; ++offset) {
    for (size_t n = 0; n <= whole.size() + 2; ++n) {
      uint8_t out[16] = {};
      const size_t got = view.Read(file_source, offset, out, n);
      const std::string expected = offset < whole.size() ? whole.substr(offset, n) : "";
      EXPECT_EQ(std::string(out, out + got), expected) << offset << " " << n;
    }
  }
  uint8_t out[4];
  EXPECT_EQ(view.Read(file_source, UINT64_MAX - 1, out, 4), 0u);
  EXPECT_FALSE(view.plain());
  EXPECT_TRUE(SourceView().plain());
  SourceView past;
  past.file_from = 20;
  EXPECT_EQ(past.Size(10), 0u);
}

}  // namespace
