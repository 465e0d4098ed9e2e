// Tag readers of in_mf.dll on hand-built tags: every ID3v2 version and text
// encoding, ID3v1, FLAC Vorbis comments, MP4 items, ASF content description,
// and damaged or truncated data.
#include <gtest/gtest.h>

#include "plugins/in_mf/audio_tags.h"
#include "plugins/in_mf/tag_text.h"
#include "tests/in_mf/tag_builders.h"

namespace {

TagFields Read(const Bytes& data) {
  MemoryByteSource source(data);
  return ReadAudioTags(source);
}

Bytes Mp3Body() { return Bytes(400, 0x55); }  // stands in for audio frames

TEST(Id3v2Test, ReadsEveryVersionAndEncoding) {
  // 2.3, Latin-1.
  Bytes v23 = Id3Tag(3, 0, [] {
    Bytes b = Id3Frame(3, "TALB", Id3Text(0, Latin1("Album")));
    Append(b, Id3Frame(3, "TIT2", Id3Text(0, Latin1("Caf\xE9"))));
    Append(b, Id3Frame(3, "TPE1", Id3Text(0, Latin1("Band"))));
    return b;
  }());
  Append(v23, Mp3Body());
  TagFields f = Read(v23);
  EXPECT_EQ(f.title, "Caf\xC3\xA9");
  EXPECT_EQ(f.artist, "Band");

  // 2.4, UTF-8, several values, a data length indicator on the title frame.
  Bytes title_body{0, 0, 0, 9};
  Append(title_body, Id3Text(3, Bytes{'O', 'n', 'e', 0, 'T', 'w', 'o'}));
  Bytes v24 = Id3Tag(4, 0, [&] {
    Bytes b = Id3Frame(4, "TIT2", title_body, 0x0001);
    Append(b, Id3Frame(4, "TPE1", Id3Text(3, Latin1("\xC3\x85sa"))));
    return b;
  }());
  f = Read(v24);
  EXPECT_EQ(f.title, "One");
  EXPECT_EQ(f.artist, "\xC3\x85sa");

  // 2.3, UTF-16 with a BOM in both byte orders, with a surrogate pair.
  Bytes le{0xFF, 0xFE};
  Append(le, Utf16LE(u"Ti\u00E9 \U0001F600"));
  Bytes be{0xFE, 0xFF, 0x00, 'B', 0x00, 'e'};
  Bytes v23u = Id3Tag(3, 0, [&] {
    Bytes b = Id3Frame(3, "TIT2", Id3Text(1, le));
    Append(b, Id3Frame(3, "TPE1", Id3Text(1, be)));
    return b;
  }());
  f = Read(v23u);
  EXPECT_EQ(f.title, "Ti\xC3\xA9 \xF0\x9F\x98\x80");
  EXPECT_EQ(f.artist, "Be");

  // 2.2, three-character ids, UTF-16BE without BOM (encoding 2 is 2.4's, read anyway).
  Bytes v22 = Id3Tag(2, 0, [] {
    Bytes b = Id3Frame(2, "TT2", Id3Text(0, Latin1("Old")));
    Append(b, Id3Frame(2, "TP1", Id3Text(2, Bytes{0, 'X', 0, 'Y'})));
    return b;
  }());
  f = Read(v22);
  EXPECT_EQ(f.title, "Old");
  EXPECT_EQ(f.artist, "XY");
}

TEST(Id3v2Test, HandlesUnsyncExtendedHeaderAndSkippedFrames) {
  // Tag-wide unsynchronisation: 0xFF 0x00 in the stored bytes is one 0xFF.
  Bytes frames = Id3Frame(3, "TIT2", Id3Text(0, Bytes{'a', 0xFF, 'b'}));
  Bytes stored;
  for (uint8_t b : frames) {
    stored.push_back(b);
    if (b == 0xFF) stored.push_back(0x00);
  }
  Bytes tag = Id3Tag(3, 0x80, stored);
  EXPECT_EQ(Read(tag).title, "a\xC3\xBF" "b");

  // 2.3 extended header (size field excludes itself), then a compressed
  // frame that must be skipped and a plain one.
  Bytes ext{0, 0, 0, 6, 0, 0, 0, 0, 0, 0};
  Append(ext, Id3Frame(3, "TPE1", Id3Text(0, Latin1("zzz")), 0x0080));
  Append(ext, Id3Frame(3, "TPE1", Id3Text(0, Latin1("Plain"))));
  TagFields f = Read(Id3Tag(3, 0x40, ext));
  EXPECT_EQ(f.artist, "Plain");

  // A frame claiming more bytes than the tag holds ends the walk.
  Bytes bad = Id3Frame(3, "TIT2", Id3Text(0, Latin1("Lost")));
  bad[7] = 0x7F;
  f = Read(Id3Tag(3, 0, bad));
  EXPECT_EQ(f.title, "");

  // The tag size is reported, footer included (2.4).
  Bytes with_footer = Id3Tag(4, 0x10, Id3Frame(4, "TIT2", Id3Text(0, Latin1("F"))), 0);
  size_t body = with_footer.size() - 10;
  Append(with_footer, Bytes(10, 0));
  MemoryByteSource source(with_footer);
  TagFields g;
  EXPECT_EQ(ReadId3v2(source, g), 10 + body + 10);
}

TEST(Id3v1Test, FillsWhatId3v2Lacks) {
  Bytes data = Id3Tag(3, 0, Id3Frame(3, "TIT2", Id3Text(0, Latin1("From v2"))));
  Append(data, Mp3Body());
  Append(data, Id3v1("From v1", "Artist v1   "));
  TagFields f = Read(data);
  EXPECT_EQ(f.title, "From v2");
  EXPECT_EQ(f.artist, "Artist v1");

  Bytes only_v1 = Mp3Body();
  Append(only_v1, Id3v1("123456789012345678901234567890", ""));
  f = Read(only_v1);
  EXPECT_EQ(f.title, "123456789012345678901234567890");
  EXPECT_EQ(f.artist, "");
}

TEST(ContainerTagsTest, FlacMp4AndAsf) {
  TagFields f = Read(FlacWithComments({"album=x", "title=Flac Song", "Artist=Flac Band", "ARTIST=second"}));
  EXPECT_EQ(f.title, "Flac Song");
  EXPECT_EQ(f.artist, "Flac Band");

  Bytes id3_then_flac = Id3Tag(4, 0, Id3Frame(4, "TPE1", Id3Text(3, Latin1("Id3 Artist"))));
  Append(id3_then_flac, FlacWithComments({"TITLE=T"}));
  f = Read(id3_then_flac);
  EXPECT_EQ(f.title, "T");
  EXPECT_EQ(f.artist, "Id3 Artist");

  Bytes items = Mp4TextItem("\xA9nam", "M4A Song");
  Append(items, Mp4TextItem("\xA9" "ART", "M4A Band"));
  f = Read(Mp4File(items));
  EXPECT_EQ(f.title, "M4A Song");
  EXPECT_EQ(f.artist, "M4A Band");
  f = Read(Mp4File(Mp4TextItem("\xA9nam", "QuickTime"), false));
  EXPECT_EQ(f.title, "QuickTime");

  f = Read(AsfFile(u"Wma Song", u"Wma Band"));
  EXPECT_EQ(f.title, "Wma Song");
  EXPECT_EQ(f.artist, "Wma Band");
}

TEST(ContainerTagsTest, DamagedDataNeverYieldsForeignText) {
  Bytes mp3 = Id3Tag(3, 0, [] {
    Bytes b = Id3Frame(3, "TIT2", Id3Text(1, Bytes{0xFF, 0xFE, 'A', 0, 'b', 0}));
    Append(b, Id3Frame(3, "TPE1", Id3Text(0, Latin1("Cd"))));
    return b;
  }());
  Append(mp3, Mp3Body());
  Bytes items = Mp4TextItem("\xA9nam", "Ab");
  Append(items, Mp4TextItem("\xA9" "ART", "Cd"));
  const std::vector<Bytes> samples = {mp3, FlacWithComments({"TITLE=Ab", "ARTIST=Cd"}), Mp4File(items),
                                      AsfFile(u"Ab", u"Cd")};
  for (const Bytes& full : samples) {
    ASSERT_EQ(ComposeTagTitle(Read(full)), "Cd - Ab");
    // Every truncation and every single-byte corruption: the parsers stay in
    // bounds (the sanitizers check) and never invent text.
    for (size_t n = 0; n < full.size(); ++n) {
      TagFields f = Read(Bytes(full.begin(), full.begin() + n));
      EXPECT_TRUE(f.title.empty() || f.title == "Ab") << n;
      EXPECT_TRUE(f.artist.empty() || f.artist == "Cd") << n;
    }
    for (size_t i = 0; i < full.size(); ++i) {
      for (uint8_t value : {uint8_t(0x00), uint8_t(0xFF), uint8_t(0x80), uint8_t(full[i] ^ 0x01)}) {
        Bytes damaged = full;
        damaged[i] = value;
        Read(damaged);
      }
    }
  }
}

TagFields Named(const std::string& title, const std::string& artist) {
  TagFields fields;
  fields.title = title;
  fields.artist = artist;
  return fields;
}

TEST(TagTitleTest, ComposesAndCleans) {
  EXPECT_EQ(ComposeTagTitle(Named("Song", "Band")), "Band - Song");
  EXPECT_EQ(ComposeTagTitle(Named("Song", "")), "Song");
  EXPECT_EQ(ComposeTagTitle(Named("", "Band")), "");
  EXPECT_EQ(ComposeTagTitle(Named(" Two\r\nLines\t", "  ")), "Two  Lines");
  uint8_t bad[] = {0x00, 0xD8, 'x', 0x00};  // unpaired high surrogate, then 'x'
  EXPECT_EQ(DecodeTagText(bad, sizeof bad, TagEncoding::kUtf16LE), "\xEF\xBF\xBDx");
}

}  // namespace
