// Encoder delay and padding of MP3 files from the LAME (Xing/Info) header,
// and what the plug-in must trim when the system's decoder does not.
#pragma once
#include <cstdint>

#include "plugins/common/byte_source.h"
#include "plugins/in_mf/decoder_trim.h"

struct Mp3GaplessInfo {
  bool valid = false;
  int sample_rate = 0;
  int samples_per_frame = 0;  // 1152 (MPEG-1) or 576 (MPEG-2/2.5)
  uint32_t frames = 0;        // audio frames after the Info frame
  int encoder_delay = 0;      // samples the encoder added at the start
  int encoder_padding = 0;    // samples it added at the end
};

// Samples a standard layer III decoder outputs before the first encoded one.
constexpr int kMp3DecoderDelay = 529;

// Reads the Xing/Info frame with a LAME extension, which must be the first
// frame after the ID3v2 tag (id3_size bytes, 0 without one).
Mp3GaplessInfo ReadMp3GaplessInfo(ByteSource& source, uint64_t id3_size);

// Decides from the length the decoder reports (decoder_frames, 0 unknown)
// whether it already honours the header: a length near the gapless content
// means it does; a length near the whole frame count means it does not, and
// the plug-in trims delay and padding itself.
DecoderTrim PlanMp3Trim(const Mp3GaplessInfo& info, int64_t decoder_frames);
