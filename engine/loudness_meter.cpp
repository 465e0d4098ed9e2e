// K-weighting, block energies and gating.
#include "engine/loudness_meter.h"

#include <cmath>

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kAbsoluteGateLufs = -70.0;
constexpr double kRelativeGateLu = -10.0;

double LoudnessOfEnergy(double energy) { return -0.691 + 10.0 * std::log10(energy); }
double EnergyOfLoudness(double lufs) { return std::pow(10.0, (lufs + 0.691) / 10.0); }

double ChannelWeight(uint32_t channel, uint32_t channels, bool dualMono) {
  if (channels == 1) return dualMono ? 2.0 : 1.0;
  if (channels == 4) return channel < 2 ? 1.0 : 1.41;
  if (channels == 5) return channel < 3 ? 1.0 : 1.41;
  if (channel < 3) return 1.0;
  if (channel == 3) return 0.0;  // low-frequency effects
  if (channel < 6) return 1.41;
  return 0.0;
}

}  // namespace

// The two stages of the K filter, by the bilinear transform of their analog
// prototypes at the stream's rate (at 48 kHz they give BS.1770's table): a
// high shelf of about +4 dB above 1.5 kHz (the head), and a high pass near
// 38 Hz (the revised low-frequency B curve).
LoudnessMeter::LoudnessMeter(uint32_t rate, uint32_t channels, bool dualMono) {
  if (rate == 0 || rate > 768000 || channels == 0 || channels > kMaxChannels) return;
  rate_ = rate;
  channels_ = channels;
  {
    const double f0 = 1681.974450955533, gainDb = 3.999843853973347, q = 0.7071752369554196;
    const double k = std::tan(kPi * f0 / rate);
    const double vh = std::pow(10.0, gainDb / 20.0);
    const double vb = std::pow(vh, 0.4996667741545416);
    const double a0 = 1.0 + k / q + k * k;
    shelf_ = {(vh + vb * k / q + k * k) / a0, 2.0 * (k * k - vh) / a0, (vh - vb * k / q + k * k) / a0,
              2.0 * (k * k - 1.0) / a0, (1.0 - k / q + k * k) / a0};
  }
  {
    const double f0 = 38.13547087602444, q = 0.5003270373238773;
    const double k = std::tan(kPi * f0 / rate);
    const double a0 = 1.0 + k / q + k * k;
    highPass_ = {1.0, -2.0, 1.0, 2.0 * (k * k - 1.0) / a0, (1.0 - k / q + k * k) / a0};
  }
  for (uint32_t c = 0; c < channels; ++c) weights_.push_back(ChannelWeight(c, channels, dualMono));
  shelfState_.resize(channels);
  highPassState_.resize(channels);
  subBlockFrames_ = (rate + 5) / 10;
}

double LoudnessMeter::Run(const Biquad& f, State& s, double x) {
  const double y = f.b0 * x + f.b1 * s.x1 + f.b2 * s.x2 - f.a1 * s.y1 - f.a2 * s.y2;
  s.x2 = s.x1;
  s.x1 = x;
  s.y2 = s.y1;
  s.y1 = y;
  return y;
}

void LoudnessMeter::AddFrames(const float* samples, size_t frames) {
  if (!Valid()) return;
  for (size_t i = 0; i < frames; ++i) {
    const float* frame = samples + i * channels_;
    double sum = 0;
    for (uint32_t c = 0; c < channels_; ++c) {
      double x = frame[c];
      if (std::isnan(x)) x = 0;
      const double magnitude = std::fabs(x);
      if (magnitude > peak_) peak_ = magnitude;
      if (weights_[c] == 0) continue;
      const double y = Run(highPass_, highPassState_[c], Run(shelf_, shelfState_[c], x));
      sum += weights_[c] * y * y;
    }
    subBlockSum_ += sum;
    if (++subBlockFill_ == subBlockFrames_) EndSubBlock();
  }
}

// A 400 ms block ends with every fourth and later 100 ms step.
void LoudnessMeter::EndSubBlock() {
  if (++subBlocksSeen_ >= 4) {
    const double total = lastSums_[0] + lastSums_[1] + lastSums_[2] + subBlockSum_;
    blocks_.push_back(total / (4.0 * subBlockFrames_));
  }
  lastSums_[0] = lastSums_[1];
  lastSums_[1] = lastSums_[2];
  lastSums_[2] = subBlockSum_;
  subBlockSum_ = 0;
  subBlockFill_ = 0;
}

std::optional<double> LoudnessMeter::IntegratedLufs() const { return GatedLoudness({&blocks_}); }

namespace {

// The mean energy of the blocks above `gate`; nullopt when there are none.
std::optional<double> MeanAbove(const std::vector<const std::vector<double>*>& blockSets, double gate) {
  double sum = 0;
  size_t count = 0;
  for (const std::vector<double>* blocks : blockSets) {
    for (double e : *blocks) {
      if (e > gate) {
        sum += e;
        ++count;
      }
    }
  }
  if (count == 0) return std::nullopt;
  return sum / count;
}

}  // namespace

std::optional<double> GatedLoudness(const std::vector<const std::vector<double>*>& blockSets) {
  const double absoluteGate = EnergyOfLoudness(kAbsoluteGateLufs);
  const std::optional<double> ungated = MeanAbove(blockSets, absoluteGate);
  if (!ungated) return std::nullopt;
  const double relativeGate = EnergyOfLoudness(LoudnessOfEnergy(*ungated) + kRelativeGateLu);
  const std::optional<double> gated = MeanAbove(blockSets, relativeGate > absoluteGate ? relativeGate : absoluteGate);
  if (!gated) return std::nullopt;
  return LoudnessOfEnergy(*gated);
}

bool PcmToFloat(const uint8_t* pcm, size_t samples, int bits, float* out) {
  switch (bits) {
    case 8:
      for (size_t i = 0; i < samples; ++i) out[i] = (static_cast<int>(pcm[i]) - 128) / 128.0f;
      return true;
    case 16:
      for (size_t i = 0; i < samples; ++i, pcm += 2) {
        out[i] = static_cast<int16_t>(pcm[0] | (pcm[1] << 8)) / 32768.0f;
      }
      return true;
    case 24:
      for (size_t i = 0; i < samples; ++i, pcm += 3) {
        const int32_t v = static_cast<int32_t>((uint32_t(pcm[0]) << 8) | (uint32_t(pcm[1]) << 16) | (uint32_t(pcm[2]) << 24));
        out[i] = static_cast<float>((v >> 8) / 8388608.0);
      }
      return true;
    case 32:
      for (size_t i = 0; i < samples; ++i, pcm += 4) {
        const int32_t v = static_cast<int32_t>(uint32_t(pcm[0]) | (uint32_t(pcm[1]) << 8) | (uint32_t(pcm[2]) << 16) |
                                               (uint32_t(pcm[3]) << 24));
        out[i] = static_cast<float>(v / 2147483648.0);
      }
      return true;
    default:
      return false;
  }
}
