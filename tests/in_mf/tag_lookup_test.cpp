// ReplayGain values and album names from every tag format in_mf reads, and
// the extended file information answered from them.
#include "plugins/in_mf/tag_lookup.h"

#include <gtest/gtest.h>

#include "tests/in_mf/tag_builders.h"

namespace {

TagFields Read(const Bytes& file) {
  MemoryByteSource source(file);
  return ReadAudioTags(source);
}

std::string Answer(const TagFields& fields, const char* name) {
  std::string value;
  return LookUpTagValue(fields, name, value) ? value : std::string("(none)");
}

Bytes Txxx(int version, uint8_t encoding, const Bytes& description, const Bytes& value) {
  Bytes body{encoding};
  Append(body, description);
  if (encoding == 1 || encoding == 2) body.push_back(0);
  body.push_back(0);
  Append(body, value);
  return Id3Frame(version, version == 2 ? "TXX" : "TXXX", body);
}

}  // namespace

TEST(ReplayGainTags, Id3v2UserTextFramesInEveryVersionAndEncoding) {
  const Bytes bomDescription = [] {
    Bytes b{0xFF, 0xFE};
    Append(b, Utf16LE(u"replaygain_track_peak"));
    return b;
  }();
  const Bytes bomValue = [] {
    Bytes b{0xFF, 0xFE};
    Append(b, Utf16LE(u"0.988525"));
    return b;
  }();
  for (int version : {2, 3, 4}) {
    Bytes frames = Txxx(version, 0, Latin1("MusicBrainz Album Id"), Latin1("x"));
    Append(frames, Txxx(version, 0, Latin1("REPLAYGAIN_TRACK_GAIN"), Latin1("-7.25 dB")));
    Append(frames, Txxx(version, 1, bomDescription, bomValue));
    Append(frames, Txxx(version, 3, Latin1("Replaygain_Album_Gain"), Latin1("-6.50 dB")));
    Append(frames, Txxx(version, 0, Latin1("REPLAYGAIN_ALBUM_PEAK"), Latin1("1.000000")));
    // A second value of a kind already read is ignored.
    Append(frames, Txxx(version, 0, Latin1("REPLAYGAIN_TRACK_GAIN"), Latin1("+9.00 dB")));
    Append(frames, Id3Frame(version, version == 2 ? "TAL" : "TALB", Id3Text(0, Latin1("An Album"))));
    const TagFields f = Read(Id3Tag(version, 0, frames));
    SCOPED_TRACE(version);
    EXPECT_EQ(Answer(f, "replaygain_track_gain"), "-7.25 dB");
    EXPECT_EQ(Answer(f, "REPLAYGAIN_TRACK_PEAK"), "0.988525");
    EXPECT_EQ(Answer(f, "replaygain_album_gain"), "-6.50 dB");
    EXPECT_EQ(Answer(f, "replaygain_album_peak"), "1.000000");
    EXPECT_EQ(Answer(f, "album"), "An Album");
    EXPECT_EQ(Answer(f, "title"), "(none)");
  }
}

TEST(ReplayGainTags, DamagedUserTextFramesGiveNothing) {
  // No terminator after the description; a description naming nothing
  // known; an empty frame.
  Bytes frames = Id3Frame(3, "TXXX", Latin1(std::string("\0REPLAYGAIN_TRACK_GAIN", 22)));
  Append(frames, Id3Frame(3, "TXXX", Bytes{1, 0xFF, 0xFE, 'R', 0, 0, 0}));
  Append(frames, Id3Frame(3, "TXXX", Bytes{}));
  const TagFields f = Read(Id3Tag(3, 0, frames));
  EXPECT_EQ(Answer(f, "replaygain_track_gain"), "(none)");
}

TEST(ReplayGainTags, VorbisCommentsWithR128Fallback) {
  const TagFields f = Read(FlacWithComments({"TITLE=T", "album=Disc", "REPLAYGAIN_TRACK_PEAK=0.5",
                                             "R128_TRACK_GAIN=-2304", "replaygain_album_gain=-3.10 dB",
                                             "R128_ALBUM_GAIN=512"}));
  EXPECT_EQ(Answer(f, "album"), "Disc");
  EXPECT_EQ(Answer(f, "replaygain_track_peak"), "0.5");
  // -2304 / 256 = -9 dB to -23 LUFS: -4 dB to -18 LUFS.
  EXPECT_EQ(Answer(f, "replaygain_track_gain"), "-4.00 dB");
  // A ReplayGain value wins over the R128 one.
  EXPECT_EQ(Answer(f, "replaygain_album_gain"), "-3.10 dB");
}

TEST(ReplayGainTags, Mp4FreeformItemsAndAlbum) {
  Bytes items = Mp4TextItem("\xA9" "alb", "M4A Album");
  Append(items, Mp4FreeformText("com.apple.iTunes", "replaygain_track_gain", "-1.23 dB"));
  Append(items, Mp4FreeformText("com.apple.iTunes", "REPLAYGAIN_TRACK_PEAK", "0.700000"));
  Append(items, Mp4FreeformText("org.example", "replaygain_album_gain", "+5 dB"));  // another vendor's
  const TagFields f = Read(Mp4File(items));
  EXPECT_EQ(Answer(f, "album"), "M4A Album");
  EXPECT_EQ(Answer(f, "replaygain_track_gain"), "-1.23 dB");
  EXPECT_EQ(Answer(f, "replaygain_track_peak"), "0.700000");
  EXPECT_EQ(Answer(f, "replaygain_album_gain"), "(none)");
}

TEST(ReplayGainTags, AsfStringAttributes) {
  const TagFields f = Read(AsfExtendedFile({
      {u"WM/AlbumTitle", 0, Utf16LE(u"WMA Album")},
      {u"replaygain_track_gain", 0, Utf16LE(u"-8.00 dB")},
      {u"REPLAYGAIN_TRACK_PEAK", 3, Bytes{1, 0, 0, 0}},  // not a string: skipped
      {u"replaygain_album_peak", 0, Utf16LE(u"0.9")},
  }));
  EXPECT_EQ(Answer(f, "album"), "WMA Album");
  EXPECT_EQ(Answer(f, "replaygain_track_gain"), "-8.00 dB");
  EXPECT_EQ(Answer(f, "replaygain_track_peak"), "(none)");
  EXPECT_EQ(Answer(f, "replaygain_album_peak"), "0.9");
}

TEST(ReplayGainTags, R128Conversion) {
  struct Case {
    const char* q78;
    const char* expected;
  } cases[] = {{"0", "5.00 dB"},       {"-2304", "-4.00 dB"}, {"+256", "6.00 dB"}, {"32767", "133.00 dB"},
               {"-32768", "-123.00 dB"}, {"32768", ""},      {"-32769", ""},      {"1.5", ""},
               {"", ""},                 {"-", ""},           {"12a", ""},         {"99999999999999999999", ""}};
  for (const Case& c : cases) EXPECT_EQ(R128ToReplayGain(c.q78), c.expected) << c.q78;
}

TEST(ReplayGainTags, UnknownNamesHaveNoAnswer) {
  TagFields f;
  f.title = "T";
  EXPECT_EQ(Answer(f, "Title"), "T");
  EXPECT_EQ(Answer(f, "titles"), "(none)");
  EXPECT_EQ(Answer(f, "length"), "(none)");
  EXPECT_EQ(Answer(f, ""), "(none)");
}
