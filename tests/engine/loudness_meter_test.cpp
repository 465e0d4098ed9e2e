// The loudness meter against libebur128 (a reference only) on synthetic
// signals, and the gating rules themselves.
#include "engine/loudness_meter.h"

#include <ebur128.h>
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <vector>

namespace {

constexpr double kPi = 3.14159265358979323846;

// Interleaved float frames of `seconds`; sample(frame, channel).
std::vector<float> Signal(uint32_t rate, uint32_t channels, double seconds,
                          const std::function<double(size_t, uint32_t)>& sample) {
  const size_t frames = static_cast<size_t>(seconds * rate);
  std::vector<float> out(frames * channels);
  for (size_t i = 0; i < frames; ++i) {
    for (uint32_t c = 0; c < channels; ++c) out[i * channels + c] = static_cast<float>(sample(i, c));
  }
  return out;
}

double Sine(double dbfs, double hz, uint32_t rate, size_t i) {
  return std::pow(10.0, dbfs / 20.0) * std::sin(2 * kPi * hz * static_cast<double>(i) / rate);
}

struct Measured {
  std::optional<double> lufs;
  double peak;
};

// Fed in uneven pieces, so block boundaries fall inside calls.
Measured Ours(const std::vector<float>& s, uint32_t rate, uint32_t channels, bool dualMono) {
  LoudnessMeter meter(rate, channels, dualMono);
  const size_t frames = s.size() / channels;
  for (size_t at = 0, piece = 1; at < frames; at += piece, piece = piece * 3 % 4099 + 1) {
    meter.AddFrames(s.data() + at * channels, std::min(piece, frames - at));
  }
  return {meter.IntegratedLufs(), meter.SamplePeak()};
}

double Reference(const std::vector<float>& s, uint32_t rate, uint32_t channels, bool dualMono) {
  ebur128_state* st = ebur128_init(channels, rate, EBUR128_MODE_I);
  if (channels == 1 && dualMono) ebur128_set_channel(st, 0, EBUR128_DUAL_MONO);
  ebur128_add_frames_float(st, s.data(), s.size() / channels);
  double lufs = 0;
  ebur128_loudness_global(st, &lufs);
  ebur128_destroy(&st);
  return lufs;
}

}  // namespace

TEST(LoudnessMeter, SineAtMinus23OnBothChannelsReadsMinus23) {
  const auto s = Signal(48000, 2, 10, [](size_t i, uint32_t) { return Sine(-23, 1000, 48000, i); });
  const Measured m = Ours(s, 48000, 2, false);
  ASSERT_TRUE(m.lufs);
  EXPECT_NEAR(*m.lufs, -23.0, 0.1);
  EXPECT_NEAR(m.peak, std::pow(10.0, -23.0 / 20), 1e-4);
}

TEST(LoudnessMeter, AgreesWithTheReference) {
  struct Case {
    const char* name;
    uint32_t rate, channels;
    bool dualMono;
    double seconds;
    std::function<double(size_t, uint32_t)> sample;
  };
  const Case cases[] = {
      {"44.1 kHz stereo, two tones", 44100, 2, false, 6,
       [](size_t i, uint32_t c) { return Sine(-12, c ? 100 : 5000, 44100, i); }},
      {"48 kHz mono", 48000, 1, false, 5, [](size_t i, uint32_t) { return Sine(-18, 440, 48000, i); }},
      {"48 kHz dual mono", 48000, 1, true, 5, [](size_t i, uint32_t) { return Sine(-18, 440, 48000, i); }},
      {"22.05 kHz low tone", 22050, 2, false, 4, [](size_t i, uint32_t) { return Sine(-6, 40, 22050, i); }},
      // Loud then quiet: the quiet half falls under the relative gate.
      {"relative gate", 48000, 2, false, 8,
       [](size_t i, uint32_t) { return Sine(i < 4 * 48000 ? -10 : -40, 1000, 48000, i); }},
      // Tone and digital silence: the silence falls under the absolute gate.
      {"silence gated out", 44100, 2, false, 9,
       [](size_t i, uint32_t) { return (i / 44100) % 3 == 1 ? Sine(-20, 1000, 44100, i) : 0.0; }},
      {"5.1 with LFE", 48000, 6, false, 4,
       [](size_t i, uint32_t c) { return Sine(-20 - 2.0 * c, 300 + 100.0 * c, 48000, i); }},
      {"noise-like at 96 kHz", 96000, 2, false, 3,
       [](size_t i, uint32_t c) { return 0.3 * std::sin(i * 12.9898 + c * 78.233) * std::sin(i * 0.001); }},
  };
  for (const Case& c : cases) {
    const auto s = Signal(c.rate, c.channels, c.seconds, c.sample);
    const Measured m = Ours(s, c.rate, c.channels, c.dualMono);
    ASSERT_TRUE(m.lufs) << c.name;
    EXPECT_NEAR(*m.lufs, Reference(s, c.rate, c.channels, c.dualMono), 0.02) << c.name;
  }
}

TEST(LoudnessMeter, SilenceAndShortStreamsHaveNoLoudness) {
  // Silence; 300 ms, not one whole 400 ms block; -80 dB, under the absolute gate.
  for (const auto& [dbfs, seconds] : {std::pair{-500.0, 3.0}, {-10.0, 0.3}, {-80.0, 2.0}}) {
    const double db = dbfs;
    const auto s = Signal(44100, 2, seconds, [db](size_t i, uint32_t) { return Sine(db, 1000, 44100, i); });
    EXPECT_FALSE(Ours(s, 44100, 2, false).lufs) << dbfs << " dB, " << seconds << " s";
  }
}

TEST(LoudnessMeter, NotANumberIsSilenceAndBadFormatsMeasureNothing) {
  std::vector<float> s = Signal(48000, 2, 2, [](size_t i, uint32_t) { return Sine(-20, 1000, 48000, i); });
  std::vector<float> withNan = s;
  for (size_t i = 0; i < withNan.size(); i += 97) withNan[i] = NAN;
  const Measured m = Ours(withNan, 48000, 2, false);
  ASSERT_TRUE(m.lufs && std::isfinite(*m.lufs));
  EXPECT_FALSE(LoudnessMeter(48000, 0, false).Valid());
  EXPECT_FALSE(LoudnessMeter(48000, 33, false).Valid());
  LoudnessMeter none(0, 2, false);
  EXPECT_FALSE(none.Valid());
  none.AddFrames(s.data(), s.size() / 2);
  EXPECT_FALSE(none.IntegratedLufs());
}

TEST(GatedLoudness, AnAlbumIsGatedAsOneStream) {
  const auto loud = Signal(48000, 2, 4, [](size_t i, uint32_t) { return Sine(-10, 1000, 48000, i); });
  const auto quiet = Signal(48000, 2, 6, [](size_t i, uint32_t) { return Sine(-30, 1000, 48000, i); });
  LoudnessMeter a(48000, 2, false), b(48000, 2, false);
  a.AddFrames(loud.data(), loud.size() / 2);
  b.AddFrames(quiet.data(), quiet.size() / 2);
  // The reference's album: both tracks' blocks under one gate.
  ebur128_state* both[] = {ebur128_init(2, 48000, EBUR128_MODE_I), ebur128_init(2, 48000, EBUR128_MODE_I)};
  ebur128_add_frames_float(both[0], loud.data(), loud.size() / 2);
  ebur128_add_frames_float(both[1], quiet.data(), quiet.size() / 2);
  double reference = 0;
  ebur128_loudness_global_multiple(both, 2, &reference);
  for (ebur128_state*& st : both) ebur128_destroy(&st);
  const std::optional<double> album = GatedLoudness({&a.BlockEnergies(), &b.BlockEnergies()});
  ASSERT_TRUE(album);
  EXPECT_NEAR(*album, reference, 0.02);
  // The quiet track is 20 LU down: the gate drops it and the album reads the loud one.
  EXPECT_NEAR(*album, *a.IntegratedLufs(), 0.05);
}
