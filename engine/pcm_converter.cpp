// Conversion of a plug-in's PCM frames to 16-bit stereo.
#include "engine/pcm_converter.h"

#include <algorithm>
#include <iterator>

namespace {

constexpr int32_t kFull = 16384;
constexpr int32_t kHalfPower = 11585;  // 0.7071 * 16384
constexpr int32_t kHalf = 8192;

enum Role { kLeft, kRight, kCentre, kLowFrequency, kLeftSurround, kRightSurround, kBackCentre };

// Channel roles in the WAVE order for 3 to 8 channels.
constexpr Role kLayouts[9][8] = {
    {},
    {},
    {},
    {kLeft, kRight, kCentre},
    {kLeft, kRight, kLeftSurround, kRightSurround},
    {kLeft, kRight, kCentre, kLeftSurround, kRightSurround},
    {kLeft, kRight, kCentre, kLowFrequency, kLeftSurround, kRightSurround},
    {kLeft, kRight, kCentre, kLowFrequency, kBackCentre, kLeftSurround, kRightSurround},
    {kLeft, kRight, kCentre, kLowFrequency, kLeftSurround, kRightSurround, kLeftSurround,
     kRightSurround},
};

int16_t Saturate(int32_t v) {
  return static_cast<int16_t>(std::clamp<int32_t>(v, -32768, 32767));
}

}  // namespace

bool PcmConverter::Supports(uint32_t channels, uint32_t bits) {
  const bool bitsOk = bits == 8 || bits == 16 || bits == 24 || bits == 32;
  return bitsOk && channels >= 1 && channels <= kMaxChannels;
}

bool PcmConverter::Configure(uint32_t channels, uint32_t bits) {
  if (!Supports(channels, bits)) return false;
  channels_ = channels;
  bits_ = bits;
  std::fill(std::begin(leftWeight_), std::end(leftWeight_), 0);
  std::fill(std::begin(rightWeight_), std::end(rightWeight_), 0);
  if (channels <= 2) {
    leftWeight_[0] = kFull;
    rightWeight_[channels - 1] = kFull;  // mono feeds both sides
    return true;
  }
  for (uint32_t c = 0; c < channels; ++c) {
    int32_t left = 0, right = 0;
    switch (kLayouts[channels][c]) {
      case kLeft: left = kFull; break;
      case kRight: right = kFull; break;
      case kCentre: left = right = kHalfPower; break;
      case kLowFrequency: break;
      case kLeftSurround: left = kHalfPower; break;
      case kRightSurround: right = kHalfPower; break;
      case kBackCentre: left = right = kHalf; break;
    }
    leftWeight_[c] = left;
    rightWeight_[c] = right;
  }
  return true;
}

int32_t PcmConverter::ReadSample(const uint8_t* at) const {
  switch (bits_) {
    case 8:
      return (static_cast<int32_t>(at[0]) - 128) * 256;
    case 16:
      return static_cast<int16_t>(at[0] | (at[1] << 8));
    case 24:
      return static_cast<int16_t>(at[1] | (at[2] << 8));
    default:  // 32
      return static_cast<int16_t>(at[2] | (at[3] << 8));
  }
}

void PcmConverter::Convert(const uint8_t* src, uint32_t frames, int16_t* dst) const {
  const uint32_t sampleBytes = bits_ / 8;
  if (channels_ <= 2) {
    const uint32_t rightOffset = (channels_ - 1) * sampleBytes;
    for (uint32_t f = 0; f < frames; ++f, src += channels_ * sampleBytes) {
      *dst++ = static_cast<int16_t>(ReadSample(src));
      *dst++ = static_cast<int16_t>(ReadSample(src + rightOffset));
    }
    return;
  }
  for (uint32_t f = 0; f < frames; ++f) {
    int64_t left = 0, right = 0;
    for (uint32_t c = 0; c < channels_; ++c, src += sampleBytes) {
      const int32_t s = ReadSample(src);
      left += static_cast<int64_t>(s) * leftWeight_[c];
      right += static_cast<int64_t>(s) * rightWeight_[c];
    }
    *dst++ = Saturate(static_cast<int32_t>(left >> 14));
    *dst++ = Saturate(static_cast<int32_t>(right >> 14));
  }
}
