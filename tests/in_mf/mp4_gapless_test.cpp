// The MP4 gapless reader: edit lists and iTunSMPB, which of them wins, the
// trim in frames, and the patches shown to the media source.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "plugins/in_mf/mp4_boxes.h"
#include "plugins/in_mf/mp4_gapless.h"
#include "tests/in_mf/mp4_builders.h"

namespace {

using From = Mp4Content::From;

Mp4GaplessInfo ReadInfo(const Mp4Layout& layout) {
  const Bytes file = Mp4TimedFile(layout);
  MemoryByteSource source(file);
  return ReadMp4GaplessInfo(source);
}

Mp4GaplessInfo ReadInfo(const Bytes& file) {
  MemoryByteSource source(file);
  return ReadMp4GaplessInfo(source);
}

Mp4Layout T(std::vector<std::pair<uint32_t, uint32_t>> stts, uint32_t timescale = 44100, uint32_t movie = 1000) {
  Mp4Layout s;
  s.stts = std::move(stts), s.media_timescale = timescale, s.movie_timescale = movie;
  return s;
}

Mp4Layout E(Mp4Layout s, std::vector<Mp4Edit> edits, int version = 0) {
  s.with_edts = true, s.edits = std::move(edits), s.elst_version = version;
  return s;
}

Mp4Layout S(Mp4Layout s, std::string smpb) {
  s.smpb = std::move(smpb);
  return s;
}

Mp4Layout Video(Mp4Layout s) {
  s.video_first = true, s.header_version = 1;
  return s;
}

// 4.000 s from ffmpeg: 173 packets of 1024 and one of 272, 1024 of priming.
const Mp4Layout k4s = T({{173, 1024}, {1, 272}});
constexpr uint64_t k4sMedia = 177424;

TEST(Mp4GaplessTest, ReadsEditListsAndMediaLength) {
  const struct {
    const char* what;
    Mp4Layout layout;
    uint64_t media_length;
    From from;
    uint64_t start, length;  // media units
  } cases[] = {
      {"ffmpeg: edit to the media's end", E(k4s, {{4000, 1024}}), k4sMedia, From::kEditList, 1024, 176400},
      // 172 whole packets: the edit's 3970 ms is 27 samples short of the media end.
      {"edit rounded to a millisecond", E(T({{172, 1024}}), {{3970, 1024}}), 176128, From::kEditList, 1024, 175104},
      {"version 1, movie scale = media scale", E(T(k4s.stts, 44100, 44100), {{175000, 2112}}, 1), k4sMedia,
       From::kEditList, 2112, 175000},
      {"48 kHz in a 600 Hz movie", E(T({{100, 1024}}, 48000, 600), {{1200, 2112}}), 102400, From::kEditList, 2112,
       96000},
      {"empty edit first", E(k4s, {{500, -1}, {4000, 1024}}), k4sMedia, From::kEditList, 1024, 176400},
      {"duration 0 plays to the end", E(k4s, {{0, 1024}}), k4sMedia, From::kEditList, 1024, 176400},
      {"edit cutting nothing", E(k4s, {{4023, 0}}), k4sMedia, From::kNone, 0, 0},
      {"two pieces of media", E(k4s, {{1000, 1024}, {1000, 50000}}), k4sMedia, From::kNone, 0, 0},
      {"dwell (rate 0)", E(k4s, {{4000, 1024, 0}}), k4sMedia, From::kNone, 0, 0},
      {"start past the media", E(k4s, {{4000, 200000}}), k4sMedia, From::kNone, 0, 0},
      {"only empty edits", E(k4s, {{4000, -1}}), k4sMedia, From::kNone, 0, 0},
      {"neither", k4s, k4sMedia, From::kNone, 0, 0},
      {"audio after a video track", Video(E(k4s, {{4000, 1024}})), k4sMedia, From::kEditList, 1024, 176400},
      {"HE-AAC: media at core rate", E(T({{90, 1024}}, 22050), {{4000, 2048}}), 92160, From::kEditList, 2048, 88200},
      {"iTunSMPB alone", S(k4s, "0 400 0 2B110"), k4sMedia, From::kItunSmpb, 1024, 176400},
      {"iTunSMPB length 0", S(k4s, "0 400 10 0"), k4sMedia, From::kItunSmpb, 1024, 176384},
      {"iTunSMPB beyond the media", S(k4s, "0 400 0 2B511"), k4sMedia, From::kNone, 0, 0},
      {"iTunSMPB delay past the media", S(k4s, "0 FFFFFF 0 0"), k4sMedia, From::kNone, 0, 0},
      {"both agree", S(E(k4s, {{4000, 1024}}), "0 400 0 2B110"), k4sMedia, From::kBoth, 1024, 176400},
      {"both agree, edit rounded", S(E(k4s, {{3970, 1024}}), "0 400 0 2AC00"), k4sMedia, From::kBoth, 1024, 175104},
      {"start differs: edit wins", S(E(k4s, {{4000, 1024}}), "0 840 0 2AC00"), k4sMedia, From::kEditList, 1024,
       176400},
      {"length differs: edit wins", S(E(k4s, {{2000, 1024}}), "0 400 0 2B110"), k4sMedia, From::kEditList, 1024,
       88200},
      {"edit cutting nothing leaves iTunSMPB", S(E(k4s, {{4023, 0}}), "0 400 0 2B110"), k4sMedia, From::kItunSmpb,
       1024, 176400},
      {"edit list not understood keeps its say", S(E(k4s, {{1000, 1024}, {1000, 50000}}), "0 400 0 2B110"),
       k4sMedia, From::kNone, 0, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const Mp4GaplessInfo info = ReadInfo(c.layout);
    ASSERT_TRUE(info.valid());
    EXPECT_EQ(info.timescale, c.layout.media_timescale);
    EXPECT_EQ(info.media_length, c.media_length);
    const Mp4Content content = Mp4RealSamples(info);
    EXPECT_EQ(content.from, c.from);
    if (c.from != From::kNone) {
      EXPECT_EQ(std::make_pair(content.start, content.length), std::make_pair(c.start, c.length));
    }
  }
}

template <size_t N>
std::string Text(const char (&text)[N]) {
  return std::string(text, N - 1);  // NULs inside included
}

TEST(Mp4GaplessTest, ParsesItunSmpb) {
  const struct {
    std::string text;
    bool valid;
  } cases[] = {
      {" 00000000 00000840 000001CA 00000000003F31F6 00000000 00000000 00000000", true},
      {Text(" 00000000 00000840 000001ca 00000000003f31f6\0 junk"), true},
      {"  0   840  1CA   3F31F6 ", true},
      {Text(" 00000000 00000840\0 000001CA 00000000003F31F6"), false},  // the text ends at a NUL
      {" 00000000 00000840 000001CA", false},
      {" 00000000 0000084G 000001CA 00000000003F31F6", false},
      {" 00000000 000000840 000001CA 00000000003F31F6", false},  // delay beyond 32 bits
      {" 00000000 00000840 000001CA 100000000003F31F6", false},  // length beyond 64 bits
      {" 00000000 -0000840 000001CA 00000000003F31F6", false},
      {" ", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    const Mp4GaplessInfo info = ReadInfo(S(k4s, c.text));
    EXPECT_EQ(info.has_smpb, c.valid);
    if (c.valid) {
      EXPECT_EQ(std::vector<uint64_t>({info.smpb_delay, info.smpb_padding, info.smpb_length}),
                (std::vector<uint64_t>{0x840, 0x1CA, 0x3F31F6}));
    }
  }
  // Found only under Apple's name space.
  Bytes file = Mp4TimedFile(S(k4s, "0 400 0 2B110"));
  const std::string mean = "com.apple.iTunes";
  for (auto at = file.begin(); (at = std::search(at, file.end(), mean.begin(), mean.end())) != file.end();) *at = 'C';
  EXPECT_FALSE(ReadInfo(file).has_smpb);
}

TEST(Mp4GaplessTest, TrimsOnlyWhenTheDecoderDoesNot) {
  const Mp4GaplessInfo info = ReadInfo(E(k4s, {{4000, 1024}}));
  const struct {
    int rate;
    int64_t decoder_frames, lead, content;
  } cases[] = {
      {44100, 177424, 1024, 176400},      // every decoded sample, priming and padding included
      {44100, 177458, 1024, 176400},      // the same, length rounded up to a millisecond
      {44100, 176400, 0, -1},             // the decoder honoured the edit list itself
      {44100, 176401, 0, -1},             // ... keeping one sample of priming
      {44100, 0, 0, -1},                  // length unknown: leave it
      {88200, 2 * 177424, 2048, 352800},  // a decoder doubling the rate (SBR)
      {48000, 193114, 1115, 192000},      // a resampling decoder: rounded to the nearest frame
  };
  for (const auto& c : cases) {
    const DecoderTrim trim = PlanMp4Trim(info, c.rate, c.decoder_frames);
    EXPECT_EQ(trim.lead_frames, c.lead) << c.decoder_frames;
    EXPECT_EQ(trim.content_frames, c.content) << c.decoder_frames;
  }
  EXPECT_EQ(Mp4ContentFrames(info, 44100), 176400);
  EXPECT_EQ(Mp4ContentFrames(ReadInfo(k4s), 44100), -1);
  EXPECT_EQ(PlanMp4Trim(ReadInfo(k4s), 44100, 177424).content_frames, -1);
}

TEST(Mp4GaplessTest, PatchesHideTheEditListAndLengthenTheMovie) {
  for (int version : {0, 1}) {
    SCOPED_TRACE(version);
    Mp4Layout layout = E(k4s, {{4000, 1024}});
    layout.header_version = version, layout.movie_duration = 4000;
    Bytes file = Mp4TimedFile(layout);
    const Mp4GaplessInfo info = ReadInfo(file);
    EXPECT_EQ(info.movie_duration, 4000u);
    const std::vector<BytePatch> patches = Mp4SourcePatches(info);
    ASSERT_EQ(patches.size(), 2u);
    ApplyBytePatches(patches, 0, file.data(), file.size());
    const Mp4GaplessInfo patched = ReadInfo(file);
    EXPECT_FALSE(patched.has_edits);
    EXPECT_EQ(patched.media_length, info.media_length);
    EXPECT_GE(patched.movie_duration * 44100, k4sMedia * 1000);  // the movie covers all the media
    EXPECT_LE(patched.movie_duration, 4025u);
  }
  // iTunSMPB alone with a movie as long as the media, or nothing to trim: no patch.
  Mp4Layout smpb = S(k4s, "0 400 0 2B110");
  smpb.movie_duration = 4024;
  EXPECT_TRUE(Mp4SourcePatches(ReadInfo(smpb)).empty());
  EXPECT_TRUE(Mp4SourcePatches(ReadInfo(E(k4s, {{1000, 1024}, {1000, 50000}}))).empty());
}

TEST(Mp4GaplessTest, BytePatchesApplyToAnyOverlappingRead) {
  const std::vector<BytePatch> patches = {{4, {'A', 'B', 'C', 'D'}}, {10, {'x', 'y'}}};
  const struct {
    uint64_t offset;
    size_t n;
    const char* expected;
  } cases[] = {{0, 12, "....ABCD..xy"}, {5, 3, "BCD"}, {2, 4, "..AB"}, {7, 4, "D..x"}, {12, 3, "..."}, {0, 4, "...."}};
  for (const auto& c : cases) {
    std::string data(c.n, '.');
    ApplyBytePatches(patches, c.offset, reinterpret_cast<uint8_t*>(&data[0]), c.n);
    EXPECT_EQ(data, c.expected) << c.offset << "+" << c.n;
  }
}

TEST(Mp4GaplessTest, TruncatedAndOversizedBoxesAreRefusedQuietly) {
  // An stts claiming four billion entries in a few bytes (cut files: the fuzz target's corpus).
  Bytes file = Mp4TimedFile(S(E(k4s, {{4000, 1024}}), "0 400 0 2B110"));
  const std::string stts = "stts";
  auto at = std::search(file.begin(), file.end(), stts.begin(), stts.end());
  ASSERT_NE(at, file.end());
  at[8] = at[9] = at[10] = at[11] = 0xFF;
  EXPECT_FALSE(ReadInfo(file).valid());
}

TEST(Mp4BoxesTest, FindsItemListsInBothMetaForms) {
  for (bool full : {true, false}) {
    const Bytes file = Mp4File(Mp4FreeformText("com.apple.iTunes", "iTunSMPB", "0 400 0 0"), full);
    MemoryByteSource source(file);
    Mp4BoxReader reader(source);
    Mp4Box moov, ilst, item;
    ASSERT_TRUE(reader.FindMoov(moov) && reader.FindItemList(moov, ilst) && reader.Read(ilst.body, ilst.end, item));
    Mp4FreeformItem freeform;
    ASSERT_TRUE(ReadMp4FreeformItem(reader, item, 64, freeform));
    EXPECT_EQ(freeform.mean + "/" + freeform.name, "com.apple.iTunes/iTunSMPB");
    EXPECT_EQ(freeform.data_type, 1u);
    EXPECT_EQ(std::string(freeform.value.begin(), freeform.value.end()), "0 400 0 0");
    EXPECT_FALSE(ReadMp4FreeformItem(reader, item, 8, freeform)) << "value larger than asked for";
  }
}

}  // namespace
