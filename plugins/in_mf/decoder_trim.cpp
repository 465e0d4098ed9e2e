#include "plugins/in_mf/decoder_trim.h"

#include <cstdlib>

DecoderTrim ChooseTrim(int64_t decoder_frames, std::initializer_list<TrimCandidate> candidates) {
  DecoderTrim chosen;
  if (decoder_frames <= 0) return chosen;
  int64_t best_gap = -1;
  for (const TrimCandidate& candidate : candidates) {
    const int64_t gap = std::llabs(decoder_frames - candidate.decoder_frames);
    if (best_gap < 0 || gap < best_gap) {
      best_gap = gap;
      chosen = candidate.trim;
    }
  }
  return chosen;
}
