// The answers a plug-in gives to the host's questions by name about a
// file (its extended file information) that come from the file's tags.
// Shared by in_mf.dll and in_wave.dll; portable.
#pragma once
#include <string>
#include <string_view>

#include "plugins/in_mf/audio_tags.h"

// "title", "artist", "album", "replaygain_track_gain", "replaygain_track_peak",
// "replaygain_album_gain", "replaygain_album_peak" (any case): the tag's text
// (UTF-8) in value, and true; false when the tags hold none. A gain missing
// from the ReplayGain fields is taken from the R128 ones when they have it.
bool LookUpTagValue(const TagFields& fields, std::string_view name, std::string& value);

// An Opus-style R128 gain (Q7.8 decimal integer, dB relative to -23 LUFS) as
// a ReplayGain gain ("-4.00 dB", to -18 LUFS); empty when the text is not an
// integer of 16 bits.
std::string R128ToReplayGain(const std::string& q78);
