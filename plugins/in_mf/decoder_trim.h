// What the plug-in cuts from a decoder's output so that exactly the real
// samples of a file play: encoder delay and decoder priming at the start,
// padding at the end. Files record these (the LAME header of MP3, the edit
// list or iTunSMPB of MP4); some decoders honour the record themselves.
#pragma once
#include <cstdint>
#include <initializer_list>

// Decoded stream frames to drop at the start (lead) and the content length
// after them (-1: no limit, play what the decoder gives).
struct DecoderTrim {
  int64_t lead_frames = 0;
  int64_t content_frames = -1;
};

// One way a decoder may present a file: the length it reports then, and the
// trim that leaves the real samples.
struct TrimCandidate {
  int64_t decoder_frames;
  DecoderTrim trim;
};

// The trim of the candidate whose length is nearest the length the decoder
// reports (the first of equally near ones); no trim when the decoder's
// length is unknown (decoder_frames <= 0).
DecoderTrim ChooseTrim(int64_t decoder_frames, std::initializer_list<TrimCandidate> candidates);
