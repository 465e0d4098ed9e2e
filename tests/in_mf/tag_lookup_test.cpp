// ReplayGain values and album names from every tag format in_mf reads, and
// the extended file information answered from them.
#include "plugins/in_mf/tag_lookup.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "tests/in_mf/tag_builders.h"

namespace {

// Each name's answer from the file's tags, "(none)" for no answer.
void ExpectAnswers(const TagFields& fields, const std::vector<std::pair<const char*, const char*>>& answers) {
  for (const auto& [name, expected] : answers) {
    std::string value;
    EXPECT_EQ(LookUpTagValue(fields, name, value) ? value : "(none)", expected) << name;
  }
}

TagFields Read(const Bytes& file) {
  MemoryByteSource source(file);
  return ReadAudioTags(source);
}

Bytes Txxx(int version, uint8_t encoding, const Bytes& description, const Bytes& value) {
  Bytes body{encoding};
  Append(body, description);
  if (encoding == 1 || encoding == 2) body.push_back(0);
  body.push_back(0);
  Append(body, value);
  return Id3Frame(version, version == 2 ? "TXX" : "TXXX", body);
}

Bytes Bom(const std::u16string& text) {
  Bytes b{0xFF, 0xFE};
  Append(b, Utf16LE(text));
  return b;
}

}  // namespace

TEST(ReplayGainTags, Id3v2UserTextFramesInEveryVersionAndEncoding) {
  for (int version : {2, 3, 4}) {
    SCOPED_TRACE(version);
    Bytes frames = Txxx(version, 0, Latin1("MusicBrainz Album Id"), Latin1("x"));
    Append(frames, Txxx(version, 0, Latin1("REPLAYGAIN_TRACK_GAIN"), Latin1("-7.25 dB")));
    Append(frames, Txxx(version, 1, Bom(u"replaygain_track_peak"), Bom(u"0.988525")));
    Append(frames, Txxx(version, 3, Latin1("Replaygain_Album_Gain"), Latin1("-6.50 dB")));
    Append(frames, Txxx(version, 0, Latin1("REPLAYGAIN_ALBUM_PEAK"), Latin1("1.000000")));
    Append(frames, Txxx(version, 0, Latin1("REPLAYGAIN_TRACK_GAIN"), Latin1("+9.00 dB")));  // a second: ignored
    Append(frames, Id3Frame(version, version == 2 ? "TAL" : "TALB", Id3Text(0, Latin1("An Album"))));
    ExpectAnswers(Read(Id3Tag(version, 0, frames)), {{"replaygain_track_gain", "-7.25 dB"},
                                                     {"REPLAYGAIN_TRACK_PEAK", "0.988525"},
                                                     {"replaygain_album_gain", "-6.50 dB"},
                                                     {"replaygain_album_peak", "1.000000"},
                                                     {"album", "An Album"},
                                                     {"title", "(none)"}});
  }
  // No terminator after the description; a description naming nothing known; an empty frame.
  Bytes damaged = Id3Frame(3, "TXXX", Latin1(std::string("\0REPLAYGAIN_TRACK_GAIN", 22)));
  Append(damaged, Id3Frame(3, "TXXX", Bytes{1, 0xFF, 0xFE, 'R', 0, 0, 0}));
  Append(damaged, Id3Frame(3, "TXXX", Bytes{}));
  ExpectAnswers(Read(Id3Tag(3, 0, damaged)), {{"replaygain_track_gain", "(none)"}});
}

TEST(ReplayGainTags, VorbisCommentsWithR128Fallback) {
  // -2304 / 256 = -9 dB to -23 LUFS: -4 dB to -18 LUFS; a ReplayGain value wins over the R128 one.
  ExpectAnswers(Read(FlacWithComments({"TITLE=T", "album=Disc", "REPLAYGAIN_TRACK_PEAK=0.5", "R128_TRACK_GAIN=-2304",
                                       "replaygain_album_gain=-3.10 dB", "R128_ALBUM_GAIN=512"})),
                {{"album", "Disc"},
                 {"replaygain_track_peak", "0.5"},
                 {"replaygain_track_gain", "-4.00 dB"},
                 {"replaygain_album_gain", "-3.10 dB"}});
}

TEST(ReplayGainTags, Mp4FreeformItemsAndAsfAttributes) {
  Bytes items = Mp4TextItem("\xA9" "alb", "M4A Album");
  Append(items, Mp4FreeformText("com.apple.iTunes", "replaygain_track_gain", "-1.23 dB"));
  Append(items, Mp4FreeformText("org.example", "replaygain_album_gain", "+5 dB"));  // another vendor's
  ExpectAnswers(Read(Mp4File(items)),
                {{"album", "M4A Album"}, {"replaygain_track_gain", "-1.23 dB"}, {"replaygain_album_gain", "(none)"}});
  ExpectAnswers(Read(AsfExtendedFile({
                    {u"WM/AlbumTitle", 0, Utf16LE(u"WMA Album")},
                    {u"replaygain_track_gain", 0, Utf16LE(u"-8.00 dB")},
                    {u"REPLAYGAIN_TRACK_PEAK", 3, Bytes{1, 0, 0, 0}},  // not a string: skipped
                })),
                {{"album", "WMA Album"}, {"replaygain_track_gain", "-8.00 dB"}, {"replaygain_track_peak", "(none)"}});
}

TEST(ReplayGainTags, R128Conversion) {
  const struct {
    const char* q78;
    const char* expected;
  } cases[] = {{"0", "5.00 dB"},       {"-2304", "-4.00 dB"}, {"+256", "6.00 dB"}, {"32767", "133.00 dB"},
               {"-32768", "-123.00 dB"}, {"32768", ""},      {"-32769", ""},      {"1.5", ""},
               {"", ""},                 {"-", ""},           {"12a", ""},         {"99999999999999999999", ""}};
  for (const auto& c : cases) EXPECT_EQ(R128ToReplayGain(c.q78), c.expected) << c.q78;
}

TEST(ReplayGainTags, UnknownNamesHaveNoAnswer) {
  TagFields f;
  f.title = "T";
  ExpectAnswers(f, {{"Title", "T"}, {"titles", "(none)"}, {"length", "(none)"}, {"", "(none)"}});
}
