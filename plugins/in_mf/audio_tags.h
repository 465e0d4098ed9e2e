// Title and artist from the tags of the formats the plug-in plays: ID3v2 and
// ID3v1 (MP3, also found before FLAC), FLAC Vorbis comments, MP4 "ilst" items
// and the ASF content description (WMA). All text comes out as UTF-8.
// Every parser reads only through a ByteSource and bounds what it reads, so
// huge or corrupt tags cost little and never read outside the data.
#pragma once
#include <cstdint>
#include <string>

#include "plugins/common/byte_source.h"

struct TagFields {
  std::string title;
  std::string artist;
  bool Complete() const { return !title.empty() && !artist.empty(); }
};

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
