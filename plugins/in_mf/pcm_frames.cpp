#include "plugins/in_mf/pcm_frames.h"

#include <algorithm>
#include <cmath>

void FloatToPcm16(const float* in, size_t count, int16_t* out) {
  for (size_t i = 0; i < count; ++i) {
    double v = static_cast<double>(in[i]) * 32768.0;  // exact
    if (!(v == v)) v = 0.0;                           // NaN
    v = std::min(32767.0, std::max(-32768.0, v));
    double rounded = std::floor(v + 0.5);
    if (rounded - v == 0.5 && std::fmod(rounded, 2.0) != 0.0) rounded -= 1.0;  // a tie goes to even
    out[i] = static_cast<int16_t>(rounded);
  }
}

FrameSpan KeepFrames(int64_t block_start, int64_t block_frames, int64_t keep_from, int64_t keep_until) {
  FrameSpan span;
  if (block_frames <= 0) return span;
  int64_t first = std::max(block_start, keep_from);
  int64_t last = block_start + block_frames;
  if (keep_until >= 0) last = std::min(last, keep_until);
  if (last <= first) return span;
  span.skip = first - block_start;
  span.count = last - first;
  return span;
}

namespace {
int64_t FloorDiv(int64_t a, int64_t b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0))); }
}  // namespace

int64_t HnsToFrames(int64_t hns, int sample_rate) {
  if (sample_rate <= 0) return 0;
  return FloorDiv(hns * sample_rate, 10000000);
}

int64_t FramesToHns(int64_t frames, int sample_rate) {
  if (sample_rate <= 0) return 0;
  return -FloorDiv(-frames * 10000000, sample_rate);
}

int64_t MsToFrames(int64_t ms, int sample_rate) { return FloorDiv(ms * sample_rate, 1000); }

int64_t FramesToMs(int64_t frames, int sample_rate) {
  if (sample_rate <= 0) return 0;
  return FloorDiv(frames * 1000, sample_rate);
}
