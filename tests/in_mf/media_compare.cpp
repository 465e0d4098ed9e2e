#include "tests/in_mf/media_compare.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>

bool ReadWav(const std::string& path, WavData& out) {
  std::ifstream file(path, std::ios::binary);
  std::vector<uint8_t> d((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  if (d.size() < 12 || std::memcmp(d.data(), "RIFF", 4) != 0 || std::memcmp(d.data() + 8, "WAVE", 4) != 0) return false;
  auto le32 = [&](size_t p) { return uint32_t(d[p]) | uint32_t(d[p + 1]) << 8 | uint32_t(d[p + 2]) << 16 | uint32_t(d[p + 3]) << 24; };
  auto le16 = [&](size_t p) { return uint16_t(d[p] | d[p + 1] << 8); };
  bool have_format = false;
  for (size_t pos = 12; pos + 8 <= d.size();) {
    const uint32_t size = le32(pos + 4);
    const size_t body = pos + 8;
    if (size > d.size() - body) return false;
    if (std::memcmp(&d[pos], "fmt ", 4) == 0 && size >= 16) {
      out.channels = le16(body + 2);
      out.sample_rate = static_cast<int>(le32(body + 4));
      have_format = le16(body + 14) == 16;
    } else if (std::memcmp(&d[pos], "data", 4) == 0 && have_format) {
      out.samples.resize(size / 2);
      std::memcpy(out.samples.data(), &d[body], out.samples.size() * 2);
      return true;
    }
    pos = body + size + (size & 1);
  }
  return false;
}

int BestLag(const std::vector<int16_t>& source, int64_t source_start, const std::vector<int16_t>& decoded,
            int channels, int max_lag, int64_t window) {
  const int64_t source_frames = static_cast<int64_t>(source.size()) / channels;
  const int64_t decoded_frames = static_cast<int64_t>(decoded.size()) / channels;
  int best = 0;
  double best_score = -1e300;
  for (int lag = -max_lag; lag <= max_lag; ++lag) {
    double score = 0;
    for (int64_t j = 0; j < window && j < decoded_frames; ++j) {
      const int64_t i = source_start + j - lag;
      if (i < 0 || i >= source_frames) continue;
      for (int c = 0; c < channels; ++c) score += double(source[i * channels + c]) * decoded[j * channels + c];
    }
    if (score > best_score) best_score = score, best = lag;
  }
  return best;
}

double SnrDb(const std::vector<int16_t>& source, int64_t source_start, const std::vector<int16_t>& decoded,
             int channels, int lag) {
  const int64_t source_frames = static_cast<int64_t>(source.size()) / channels;
  const int64_t decoded_frames = static_cast<int64_t>(decoded.size()) / channels;
  double signal = 0, noise = 0;
  for (int64_t j = 0; j < decoded_frames; ++j) {
    const int64_t i = source_start + j - lag;
    if (i < 0 || i >= source_frames) continue;
    for (int c = 0; c < channels; ++c) {
      const double s = source[i * channels + c], e = s - decoded[j * channels + c];
      signal += s * s, noise += e * e;
    }
  }
  if (noise == 0) return 200.0;
  return 10.0 * std::log10(signal / noise);
}

int MaxAbsDiff(const std::vector<int16_t>& a, int64_t a_frame, const std::vector<int16_t>& b, int64_t b_frame,
               int64_t frames, int channels) {
  if (a_frame < 0 || b_frame < 0 || frames < 0) return -1;
  const size_t count = static_cast<size_t>(frames * channels);
  const size_t a_first = static_cast<size_t>(a_frame * channels), b_first = static_cast<size_t>(b_frame * channels);
  if (a_first + count > a.size() || b_first + count > b.size()) return -1;
  int largest = 0;
  for (size_t i = 0; i < count; ++i) {
    const int d = std::abs(int(a[a_first + i]) - int(b[b_first + i]));
    if (d > largest) largest = d;
  }
  return largest;
}
