// Comparing decoded PCM with the source it was encoded from.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

struct WavData {
  int sample_rate = 0;
  int channels = 0;
  std::vector<int16_t> samples;  // interleaved
  int64_t frames() const { return channels ? static_cast<int64_t>(samples.size()) / channels : 0; }
};

// Reads a 16-bit PCM WAV file; false if it is not one.
bool ReadWav(const std::string& path, WavData& out);

// The lag (decoded frame = source frame + lag) in [-max_lag, max_lag] that
// best matches decoded[0..window) against source starting at source_start,
// by cross-correlation over all channels.
int BestLag(const std::vector<int16_t>& source, int64_t source_start, const std::vector<int16_t>& decoded,
            int channels, int max_lag, int64_t window);

// Signal-to-noise ratio in dB of decoded against source over the frames
// where both exist, decoded frame j compared with source frame
// source_start + j - lag.
double SnrDb(const std::vector<int16_t>& source, int64_t source_start, const std::vector<int16_t>& decoded,
             int channels, int lag);

// Largest difference between a[a_frame..] and b[b_frame..] over frames
// frames, -1 when either holds fewer.
int MaxAbsDiff(const std::vector<int16_t>& a, int64_t a_frame, const std::vector<int16_t>& b, int64_t b_frame,
               int64_t frames, int channels);
