// The loudness analysis and the extended file information through real
// plug-ins under Wine: in_wave and the scripted plug-in.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "engine/loudness_analysis.h"
#include "engine/loudness_meter.h"
#include "engine/plugin_info.h"
#include "engine/plugin_library.h"
#include "tests/engine_host/engine_test_support.h"
#include "tests/in_mf/tag_builders.h"

namespace {

using namespace enginetest;

constexpr double kPi = 3.14159265358979323846;

std::string Le(uint32_t v, size_t bytes = 4) {
  return std::string{char(v), char(v >> 8), char(v >> 16), char(v >> 24)}.substr(0, bytes);
}

// A 16-bit stereo WAV of a sine at `dbfs` (its samples also in `samples`),
// with an "id3 " chunk after the data when `tag` is not empty.
std::string WriteTone(const std::string& path, double dbfs, double seconds, std::vector<float>* samples,
                      const std::string& tag = std::string()) {
  const uint32_t frames = static_cast<uint32_t>(seconds * 44100);
  std::string data;
  for (uint32_t i = 0; i < frames; ++i) {
    const int16_t v = static_cast<int16_t>(std::lround(32767 * std::pow(10.0, dbfs / 20) *
                                                       std::sin(2 * kPi * 997 * i / 44100.0)));
    data += Le(static_cast<uint16_t>(v), 2) + Le(static_cast<uint16_t>(v), 2);
    if (samples) samples->insert(samples->end(), 2, v / 32768.0f);
  }
  std::string body = "WAVEfmt " + Le(16) + Le(1, 2) + Le(2, 2) + Le(44100) + Le(176400) + Le(4, 2) + Le(16, 2) +
                     "data" + Le(static_cast<uint32_t>(data.size())) + data;
  if (!tag.empty()) body += "id3 " + Le(static_cast<uint32_t>(tag.size())) + tag + (tag.size() % 2 ? "\0" : "");
  return WriteFile(path, "RIFF" + Le(static_cast<uint32_t>(body.size())) + body);
}

// An ID3v2.3 tag of TXXX frames (description, value).
std::string Id3(const std::vector<std::pair<std::string, std::string>>& values) {
  Bytes frames;
  for (const auto& [description, value] : values) {
    Append(frames, Id3Frame(3, "TXXX", Latin1(std::string(1, '\0') + description + std::string(1, '\0') + value)));
  }
  const Bytes tag = Id3Tag(3, 0, frames, 0);
  return std::string(tag.begin(), tag.end());
}

class LoudnessAnalysisTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = MakeFolder("loudness_analysis");
    plugins_ = MakeFolder("loudness_analysis\\plugins");
    ASSERT_TRUE(::CopyFileA((TestFolder() + "\\..\\..\\melodek\\Plugins\\in_wave.dll").c_str(),
                            (plugins_ + "\\in_wave.dll").c_str(), FALSE));
    ASSERT_TRUE(InstallPlugin("in_mtest.dll", plugins_, "in_mtest.dll"));
    ASSERT_TRUE(library_.LoadPlugins(plugins_));
    window_ = ::CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
  }
  void TearDown() override { ::DestroyWindow(window_); }

  // Runs the analysis to its end, pumping the notices; everything it gave.
  LoudnessProgress RunToEnd(LoudnessAnalysis& analysis, const std::vector<SoundFile>& entries,
                            bool cancelAtOnce = false) {
    EXPECT_TRUE(analysis.Start(MakeLoudnessJobs(entries), window_, WM_USER + 7));
    EXPECT_FALSE(analysis.Start(MakeLoudnessJobs(entries), window_, WM_USER + 7));  // one at a time
    if (cancelAtOnce) analysis.Cancel();
    LoudnessProgress all;
    const DWORD start = ::GetTickCount();
    while (!all.finished && ::GetTickCount() - start < 60000) {
      MSG message;
      if (!::PeekMessageA(&message, window_, WM_USER + 7, WM_USER + 7, PM_REMOVE)) {
        ::Sleep(1);
        continue;
      }
      LoudnessProgress part = analysis.Take();
      part.tracks.insert(part.tracks.begin(), all.tracks.begin(), all.tracks.end());
      all = part;
    }
    EXPECT_TRUE(all.finished);
    EXPECT_FALSE(analysis.Running());
    return all;
  }

  static SoundFile Entry(int32_t id, const std::string& path) {
    SoundFile entry;
    entry.id = id, entry.path = path;
    return entry;
  }

  std::string folder_, plugins_;
  PluginLibrary library_;
  HWND window_ = nullptr;
};

TEST_F(LoudnessAnalysisTest, MeasuresThroughThePlugInAndSkipsWhatItCannot) {
  MakeFolder("loudness_analysis\\album");
  std::vector<float> quietSamples, loudSamples;
  const std::string quiet = WriteTone(folder_ + "\\album\\quiet.wav", -16, 3, &quietSamples);
  const std::string loud = WriteTone(folder_ + "\\album\\loud.wav", -10, 2, &loudSamples);
  const std::string single = WriteTone(folder_ + "\\single.wav", -20, 1, nullptr);
  const std::string script = WriteFile(folder_ + "\\x.mtest", "pattern=sine\n");
  const std::string broken = WriteFile(folder_ + "\\broken.wav", "RIFF, but not a sound");
  const std::string silent = WriteTone(folder_ + "\\silent.wav", -200, 1, nullptr);
  LoudnessAnalysis analysis(library_);
  const LoudnessProgress result = RunToEnd(
      analysis, {Entry(1, quiet), Entry(2, loud), Entry(3, script), Entry(4, folder_ + "\\none.xyz"),
                 Entry(5, broken), Entry(6, single), Entry(7, silent)});
  ASSERT_EQ(result.tracks.size(), 7u);
  const LoudnessOutcome expected[] = {LoudnessOutcome::kMeasured,   LoudnessOutcome::kMeasured,
                                      LoudnessOutcome::kNoExtendedRead, LoudnessOutcome::kNoPlugin,
                                      LoudnessOutcome::kUnreadable, LoudnessOutcome::kMeasured,
                                      LoudnessOutcome::kSilent};
  for (size_t i = 0; i < 7; ++i) {
    EXPECT_EQ(result.tracks[i].entryId, static_cast<int32_t>(i + 1));
    EXPECT_EQ(result.tracks[i].outcome, expected[i]) << result.tracks[i].path;
  }
  // The plug-in's samples are the file's: the meter reads what it reads of them directly.
  LoudnessMeter direct(44100, 2, false);
  direct.AddFrames(quietSamples.data(), quietSamples.size() / 2);
  EXPECT_NEAR(result.tracks[0].lufs, *direct.IntegratedLufs(), 1e-6);
  EXPECT_NEAR(result.tracks[0].peak, direct.SamplePeak(), 1e-6);
  EXPECT_NEAR(result.tracks[1].lufs - result.tracks[0].lufs, 6.0, 0.01);
  // The two files of one folder gated together (both pass the relative gate);
  // the single file's folder holds no other measured file: an album of its own.
  ASSERT_EQ(result.albums.size(), 2u);
  const LoudnessAlbumResult& album = result.albums[0].entryIds.size() == 2 ? result.albums[0] : result.albums[1];
  EXPECT_EQ(album.entryIds, (std::vector<int32_t>{1, 2}));
  EXPECT_GT(album.lufs, result.tracks[0].lufs);
  EXPECT_LT(album.lufs, result.tracks[1].lufs);
  EXPECT_NEAR(album.peak, result.tracks[1].peak, 1e-9);
}

TEST_F(LoudnessAnalysisTest, AStopEndsItAndLeavesTheRestUnmeasured) {
  const std::string longFile = WriteTone(folder_ + "\\long.wav", -20, 30, nullptr);
  LoudnessAnalysis analysis(library_);
  const LoudnessProgress result =
      RunToEnd(analysis, {Entry(1, longFile), Entry(2, longFile), Entry(3, longFile)}, true);
  ASSERT_EQ(result.tracks.size(), 3u);
  for (const LoudnessTrackResult& track : result.tracks) EXPECT_EQ(track.outcome, LoudnessOutcome::kCancelled);
  EXPECT_TRUE(result.albums.empty());
}

TEST_F(LoudnessAnalysisTest, ReplayGainValuesFromThePlugInsBounded) {
  const std::string tagged = WriteTone(
      folder_ + "\\tagged.wav", -20, 0.5, nullptr,
      Id3({{"replaygain_track_gain", "-7,25 dB"}, {"REPLAYGAIN_TRACK_PEAK", "0.5"}, {"REPLAYGAIN_ALBUM_GAIN", "x"}}));
  const std::string plain = WriteTone(folder_ + "\\plain.wav", -20, 0.5, nullptr);
  const std::string script = WriteFile(folder_ + "\\s.mtest",
                                       "info_replaygain_album_gain=+2.5 dB\ninfo_replaygain_album_peak=1.2\n"
                                       "info_artist=Someone\n");
  const std::string unterminated =
      WriteFile(folder_ + "\\u.mtest", "info_unterminated\ninfo_replaygain_track_gain=-1 dB\ninfo_title=T\n");
  std::lock_guard<std::mutex> guard(library_.lock());
  const HMODULE wave = library_.FindPluginLocked(tagged)->module.get();
  const HMODULE mtest = library_.FindPluginLocked(script)->module.get();

  FileGainValues values = ReplayGainTags(wave, tagged);
  EXPECT_NEAR(*values.trackGainDb, -7.25, 1e-9);
  EXPECT_NEAR(*values.trackPeak, 0.5, 1e-9);
  EXPECT_FALSE(values.albumGainDb);  // "x" does not parse
  EXPECT_FALSE(ReplayGainTags(wave, plain).HasGain());
  EXPECT_EQ(ExtendedFileInfo(wave, plain, "length").value_or(""), "500");
  EXPECT_FALSE(ExtendedFileInfo(wave, plain, "title"));  // no chunk: no answer

  values = ReplayGainTags(mtest, script);
  EXPECT_FALSE(values.trackGainDb);
  EXPECT_NEAR(*values.albumGainDb, 2.5, 1e-9);
  EXPECT_NEAR(*values.albumPeak, 1.2, 1e-9);
  EXPECT_EQ(ExtendedFileInfo(mtest, script, "Artist").value_or(""), "Someone");
  // A buffer filled without a terminator: the host takes its length and no more.
  EXPECT_EQ(ExtendedFileInfo(mtest, unterminated, "title").value_or(""), std::string(512, 'T'));
  EXPECT_FALSE(ReplayGainTags(mtest, unterminated).HasGain());
  EXPECT_FALSE(ExtendedFileInfo(nullptr, plain, "title"));
}

}  // namespace
