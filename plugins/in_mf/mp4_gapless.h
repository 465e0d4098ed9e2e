// Where the real samples of an MP4/M4A audio track lie: the encoder delay
// and padding that the edit list (elst, what ffmpeg writes) and the iTunSMPB
// item (what iTunes writes) record, and the trim the plug-in applies.
//
// Which wins: the edit list is the container's own time line, iTunSMPB a tag
// that a tool may copy unchanged onto a re-encoded or cut stream. When both
// exist and agree (same start, lengths within the precision of the edit's
// duration), the start is theirs and the length iTunSMPB's, which is exact
// where the edit's duration was rounded to the movie's time scale. When they
// disagree, the edit list wins. An edit list that cuts nothing counts as
// absent. Empty edits (which only delay the track against others in the
// movie) are skipped: a lone audio track plays from its first real sample.
#pragma once
#include <cstdint>
#include <vector>

#include "plugins/common/byte_source.h"
#include "plugins/in_mf/byte_patches.h"
#include "plugins/in_mf/decoder_trim.h"

struct Mp4GaplessInfo {
  // The first audio track: its media time scale (mdhd) and the sum of its
  // sample durations (stts), in media units.
  uint32_t timescale = 0;
  uint64_t media_length = 0;

  // The edit list of that track, reduced to the one piece of media it plays
  // (media units). edit_length is the edit's duration converted from the
  // movie's time scale, rounded; edit_tolerance is that scale's precision
  // (one movie tick, in media units). An edit of duration 0 plays to the end.
  bool has_edits = false;         // an edts box exists (hidden from the source, see below)
  bool edits_understood = false;  // one piece at normal rate after optional empty edits
  uint64_t edit_start = 0;
  uint64_t edit_length = 0;
  uint64_t edit_tolerance = 0;

  // iTunSMPB: "<reserved> <delay> <padding> <length> ..." in hexadecimal,
  // counted in media units. A length of 0 means "all but delay and padding".
  bool has_smpb = false;
  uint64_t smpb_delay = 0;
  uint64_t smpb_padding = 0;
  uint64_t smpb_length = 0;

  // Where the source must be corrected (see Mp4SourcePatches): the type of
  // the track's edts box, and the movie header's duration field.
  uint64_t edts_type_offset = 0;
  uint32_t movie_timescale = 0;
  uint64_t movie_duration = 0;
  uint64_t movie_duration_offset = 0;
  int movie_duration_bytes = 0;  // 4 or 8, 0 when unknown

  bool valid() const { return timescale > 0 && media_length > 0; }
};

// Reads the movie header, the first audio track and the iTunSMPB item.
Mp4GaplessInfo ReadMp4GaplessInfo(ByteSource& source);

// The real samples in media units: from start, length of them.
struct Mp4Content {
  enum class From { kNone, kEditList, kItunSmpb, kBoth };
  From from = From::kNone;  // kNone: nothing to trim, or nothing known
  uint64_t start = 0;
  uint64_t length = 0;
};
Mp4Content Mp4RealSamples(const Mp4GaplessInfo& info);

// What a media source reading the file must be shown so that it delivers
// every decoded sample from media time 0 to the end of the media, the
// decoder's priming and the padding included, for the plug-in to trim
// exactly: the track's edit list hidden (its type renamed "free"), and a
// movie duration that covers all the media. Wine's media source applies the
// edit's start itself, but ends the stream when the media time (not the
// presentation time) reaches the movie duration, so without this it drops
// the last edit-start's worth of real samples; it also keeps one sample of
// the priming. Empty when there is nothing to trim.
std::vector<BytePatch> Mp4SourcePatches(const Mp4GaplessInfo& info);

// The trim in frames of a decoder that outputs sample_rate frames per second
// and reports decoder_frames as the stream's length: untrimmed when that is
// near the whole media, nothing when it is near the real length already.
DecoderTrim PlanMp4Trim(const Mp4GaplessInfo& info, int sample_rate, int64_t decoder_frames);
// The real length in frames at sample_rate, -1 when unknown.
int64_t Mp4ContentFrames(const Mp4GaplessInfo& info, int sample_rate);
