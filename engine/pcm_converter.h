// Turns the PCM a plug-in opened the output with into the 16-bit stereo the
// sample ring and everything after it work with.
#pragma once
#include <cstdint>

// Accepted input: 8-bit unsigned, or 16/24/32-bit little-endian signed, with 1
// to 8 interleaved channels.
//   - Wider samples keep their top 16 bits (truncation, no dither).
//   - Mono is copied to both sides.
//   - More than two channels are folded to two in the usual WAVE channel
//     order: front left/right at full weight, the centre at 0.7071 to both
//     sides, side and rear channels at 0.7071 to their own side, a back centre
//     at 0.5 to both sides; the low-frequency channel is left out. Sums
//     saturate to 16 bits, so loud multichannel material can clip.
//       3: L R C            4: L R BL BR          5: L R C BL BR
//       6: L R C LFE BL BR  7: L R C LFE BC SL SR 8: L R C LFE BL BR SL SR
class PcmConverter {
 public:
  static constexpr uint32_t kMaxChannels = 8;
  static constexpr uint32_t kMaxBytesPerFrame = kMaxChannels * 4;

  static bool Supports(uint32_t channels, uint32_t bits);

  // Starts as 16-bit stereo. Returns false and keeps the old format when the
  // new one is not supported.
  bool Configure(uint32_t channels, uint32_t bits);

  uint32_t Channels() const { return channels_; }
  uint32_t Bits() const { return bits_; }
  uint32_t BytesPerFrame() const { return channels_ * (bits_ / 8); }

  // Converts `frames` whole input frames at src into 2 * frames interleaved
  // left/right samples at dst.
  void Convert(const uint8_t* src, uint32_t frames, int16_t* dst) const;

 private:
  // Reads one input sample scaled to the 16-bit range.
  int32_t ReadSample(const uint8_t* at) const;

  uint32_t channels_ = 2;
  uint32_t bits_ = 16;
  // Folding weights of each input channel to left and right, 16384 = 1.0.
  int32_t leftWeight_[kMaxChannels] = {16384, 0};
  int32_t rightWeight_[kMaxChannels] = {0, 16384};
};
