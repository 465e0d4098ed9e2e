// Joining the files of an MP3 gapless set (lame --nogap): the files are cut
// between frames of one encoding and carry no header saying so. A decoder
// that starts on such a file alone gets its first ~1152 samples wrong: the
// first frame overlaps the previous file's last one (the transform's overlap
// and the synthesis filter's memory), and a file's frames may take main data
// from frames before them (the bit reservoir). When a file plays right after
// the one before it, the plug-in decodes the previous file's last frames
// first and drops what they decode to.
#pragma once
#include <cstdint>

#include "plugins/common/byte_source.h"

struct Mp3Carry {
  int tail_frames = 0;             // the previous file's frames to decode first; 0: none
  uint64_t tail_offset = 0;        // where they start in the previous file
  uint64_t tail_bytes = 0;         // up to the end of its last frame
  int samples_per_frame = 0;
  uint64_t next_audio_offset = 0;  // the file's own first frame

  bool valid() const { return tail_frames > 0; }
  // What the carried frames decode to, to be dropped. Every frame decodes
  // to samples_per_frame samples, also the first one, whose reservoir is
  // missing (measured with Wine's decoder): the decoder's own delay lies
  // inside the stream and moves nothing.
  int64_t lead_frames() const { return int64_t(tail_frames) * samples_per_frame; }
};

// The previous file's last frame (its overlap and filter memory reach into
// the next file) and the frames before it that hold a full bit reservoir
// for it and for the next file's first frame, plus one. Only for files of
// one stream, neither with an information frame
// (Xing/Info, VBRI: a file that has one was not cut from a set, or says its
// own delay), the previous file ending in whole frames. An invalid carry
// otherwise. Reads a bounded part of each file.
Mp3Carry PlanMp3Carry(ByteSource& previous, ByteSource& next);
