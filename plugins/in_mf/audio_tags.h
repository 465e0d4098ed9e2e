// Title, artist, album and the ReplayGain values from the tags of the formats
// the plug-in plays: ID3v2 (text and "TXXX" frames) and ID3v1 (MP3, also
// found before FLAC), FLAC Vorbis comments, MP4 "ilst" items (freeform
// "----" ones for ReplayGain) and the ASF content descriptions (WMA). All
// text comes out as UTF-8.
// Every parser reads only through a ByteSource and bounds what it reads, so
// huge or corrupt tags cost little and never read outside the data.
#pragma once
#include <cstdint>
#include <string>

#include "plugins/common/byte_source.h"

struct TagFields {
  std::string title;
  std::string artist;
  std::string album;
  // ReplayGain values as written ("-7.25 dB", "0.988525"), from
  // REPLAYGAIN_TRACK_GAIN and its siblings, whatever their case.
  std::string trackGain;
  std::string trackPeak;
  std::string albumGain;
  std::string albumPeak;
  // Opus-style R128_TRACK_GAIN / R128_ALBUM_GAIN (Vorbis comments): Q7.8
  // decibels relative to -23 LUFS, as written.
  std::string r128TrackGain;
  std::string r128AlbumGain;

  bool NamesComplete() const { return !title.empty() && !artist.empty() && !album.empty(); }
  bool GainsComplete() const {
    return !trackGain.empty() && !trackPeak.empty() && !albumGain.empty() && !albumPeak.empty();
  }
  bool Complete() const { return NamesComplete() && GainsComplete(); }
};

// Which field a Vorbis comment, ID3v2 "TXXX" description, MP4 freeform name
// or ASF attribute names ("REPLAYGAIN_TRACK_GAIN", "replaygain_album_peak",
// "R128_TRACK_GAIN", any case); null for other names.
std::string* GainFieldNamed(TagFields& fields, const std::string& name);

// Largest text value taken from any tag; longer values are skipped.
constexpr size_t kMaxTagValueBytes = 64 * 1024;

// Reads the ID3v2 tag at the start (if any) into the fields still empty.
// Returns the tag's size in bytes, 0 when there is none.
uint64_t ReadId3v2(ByteSource& source, TagFields& fields);
// Fills the fields still empty from an ID3v1 tag in the last 128 bytes.
void ReadId3v1(ByteSource& source, TagFields& fields);
// FLAC Vorbis comments; offset is where "fLaC" starts.
void ReadFlacComments(ByteSource& source, uint64_t offset, TagFields& fields);
// MP4/M4A metadata items (moov/udta/meta/ilst).
void ReadMp4Tags(ByteSource& source, TagFields& fields);
// ASF content description object (title, author).
void ReadAsfTags(ByteSource& source, TagFields& fields);

// Looks at the data and reads whichever tags its format carries.
TagFields ReadAudioTags(ByteSource& source);

// "Artist - Title" when both exist, the title alone when only it exists,
// otherwise empty (the caller then shows the file name). Cleaned of control
// characters.
std::string ComposeTagTitle(const TagFields& fields);
