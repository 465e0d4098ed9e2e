// Sample conversion and frame arithmetic of the decoding loop.
#pragma once
#include <cstddef>
#include <cstdint>

// Float samples (full scale +-1.0) to 16-bit, clipped and rounded to
// nearest with ties to even (as ffmpeg converts, so that decodes compare
// sample for sample); NaN -> 0.
void FloatToPcm16(const float* in, size_t count, int16_t* out);

// The part of a decoded block [block_start, block_start + block_frames) that
// lies inside [keep_from, keep_until); keep_until < 0 means no end.
struct FrameSpan {
  int64_t skip = 0;   // frames to drop at the block's start
  int64_t count = 0;  // frames to keep after them
};
FrameSpan KeepFrames(int64_t block_start, int64_t block_frames, int64_t keep_from, int64_t keep_until);

// Media Foundation time (100 ns units) to frames, rounded down.
int64_t HnsToFrames(int64_t hns, int sample_rate);
// Frames to Media Foundation time, rounded up (so HnsToFrames gives them back).
int64_t FramesToHns(int64_t frames, int sample_rate);
int64_t MsToFrames(int64_t ms, int sample_rate);
int64_t FramesToMs(int64_t frames, int sample_rate);
