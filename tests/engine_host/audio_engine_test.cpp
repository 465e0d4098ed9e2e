// The plug-in host under Wine with the scripted test plug-ins: which plug-in
// claims a file, the repeat rule, refusals and bounded waits, the host
// members a plug-in gets, and the exact sound that reaches the device.
#include "engine/audio_engine.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "engine/player_protocol.h"
#include "plugins/test_plugin/mtest_pattern.h"
#include "tests/engine_host/engine_test_support.h"

using namespace enginetest;

namespace {
class AudioEngineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    folder = MakeFolder(name);
    plugins = MakeFolder(name + "\\plugins");
    logPath = folder + "\\calls.log";
    ::DeleteFileA(logPath.c_str());
    engine.SetStartTimeoutMs(1500);
  }
  void TearDown() override {
    engine.Stop();
    engine.Close();
    engine.UnloadPlugins();
  }
  std::string Script(const std::string& file, const std::string& body) {
    return WriteFile(folder + "\\" + file, body + "\nlog=" + logPath + "\n");
  }
  std::vector<std::string> LogLines() {
    std::vector<std::string> lines;
    std::string text = ReadFile(logPath);
    size_t at = 0;
    while (at < text.size()) {
      size_t end = text.find('\n', at);
      if (end == std::string::npos) end = text.size();
      lines.push_back(text.substr(at, end - at));
      at = end + 1;
    }
    return lines;
  }
  size_t Count(const std::string& prefix) {
    auto lines = LogLines();
    return std::count_if(lines.begin(), lines.end(),
                         [&](const std::string& l) { return l.compare(0, prefix.size(), prefix) == 0; });
  }

  CAudioEngine engine;
  std::string folder, plugins, logPath;
};

TEST_F(AudioEngineTest, FirstFolderAndFirstMatchWin) {
  const std::string first = MakeFolder("precedence_a"), second = MakeFolder("precedence_b");
  ASSERT_TRUE(InstallPlugin("in_mtest2.dll", first, "in_first.dll"));
  ASSERT_TRUE(InstallPlugin("in_mtest2.dll", second, "in_second.dll"));
  ASSERT_TRUE(engine.LoadPlugins(first));
  ASSERT_TRUE(engine.LoadPlugins(second));
  std::string title;
  ASSERT_TRUE(engine.TitleOf(Script("song.MP3", "title=x"), title));
  // Titles come through the first folder's plug-in: only its log line exists.
  const std::string song = Script("tune.mp3", "frames=4410");
  ASSERT_TRUE(engine.Play(song));
  EXPECT_EQ(Count("Play "), 1u);
  HMODULE firstModule = ::GetModuleHandleA((first + "\\in_first.dll").c_str());
  HMODULE secondModule = ::GetModuleHandleA((second + "\\in_second.dll").c_str());
  ASSERT_NE(firstModule, nullptr);
  ASSERT_NE(secondModule, nullptr);
  // Both loaded; the second one's Play was never called (its Init/Quit at load only).
  engine.Stop();
  engine.Close();
  engine.UnloadPlugins();
  EXPECT_EQ(::GetModuleHandleA((first + "\\in_first.dll").c_str()), nullptr);  // freed on unload
}

TEST_F(AudioEngineTest, ExtensionsMatchWithoutCaseAndBySubstring) {
  ASSERT_TRUE(InstallPlugin("in_mtest2.dll", plugins, "in_mtest2.dll"));
  ASSERT_TRUE(InstallPlugin("in_broken.dll", plugins, "in_broken.dll"));  // skipped silently
  ASSERT_TRUE(engine.LoadPlugins(plugins));
  std::string title;
  EXPECT_TRUE(engine.TitleOf(Script("A.MTX", "title=upper"), title));
  EXPECT_EQ(title, "upper");
  EXPECT_TRUE(engine.TitleOf(Script("b.tx", "title=substring"), title));  // "tx" occurs in "mtx;mp3;"
  EXPECT_EQ(title, "substring");
  EXPECT_FALSE(engine.TitleOf(Script("c.wav", "title=none"), title));
  EXPECT_FALSE(engine.Play(WriteFile(folder + "\\nodot", "frames=10")));  // no "." at all
  EXPECT_FALSE(engine.Play(folder + "\\missing.mtx"));
  EXPECT_FALSE(engine.LoadPlugins(MakeFolder("empty_plugins")));
  EXPECT_FALSE(engine.LoadPlugins(folder + "\\does_not_exist"));
}

TEST_F(AudioEngineTest, EveryHostMemberIsFilledAndCallsAreBracketed) {
  ASSERT_TRUE(InstallPlugin("in_mtest.dll", plugins, "in_mtest.dll"));
  ASSERT_TRUE(engine.LoadPlugins(plugins));
  ::DeleteFileA(logPath.c_str());
  engine.SetMainWindow(::GetDesktopWindow());
  ASSERT_TRUE(engine.Play(Script("a.mtest", "frames=2000\ntitle=Scripted")));
  EXPECT_EQ(engine.CurrentTitle(), "Scripted");
  engine.Stop();
  engine.Close();
  const auto lines = LogLines();
  auto host = std::find_if(lines.begin(), lines.end(), [](const std::string& l) { return l.rfind("Host", 0) == 0; });
  ASSERT_NE(host, lines.end());
  EXPECT_EQ(host->find("=0"), std::string::npos) << *host;
  auto out = std::find_if(lines.begin(), lines.end(), [](const std::string& l) { return l.rfind("Out", 0) == 0; });
  ASSERT_NE(out, lines.end());
  EXPECT_EQ(out->find("=0"), std::string::npos) << *out;
  // Init before Play; Stop then Quit at the end.
  std::vector<std::string> calls;
  for (const auto& l : lines) {
    if (l == "Init" || l == "Quit" || l == "Stop" || l.rfind("Play ", 0) == 0) calls.push_back(l.substr(0, 4));
  }
  // Load-time Init and Quit come first; then Init right before Play.
  auto play = std::find(calls.begin(), calls.end(), "Play");
  ASSERT_NE(play, calls.end());
  ASSERT_NE(play, calls.begin());
  EXPECT_EQ(*(play - 1), "Init");
  ASSERT_GE(calls.end() - play, 3);
  EXPECT_EQ(calls[calls.size() - 2], "Stop");
  EXPECT_EQ(calls.back(), "Quit");
}

TEST_F(AudioEngineTest, SamePathWithinASecondIsNotRestarted) {
  ASSERT_TRUE(InstallPlugin("in_mtest.dll", plugins, "in_mtest.dll"));
  ASSERT_TRUE(engine.LoadPlugins(plugins));
  const std::string song = Script("long.mtest", "frames=441000\nslow_ms=2");
  ASSERT_TRUE(engine.Play(song));
  ASSERT_TRUE(engine.Play(song));
  EXPECT_EQ(Count("Play "), 1u);
  ::Sleep(1100);
  ASSERT_TRUE(engine.Play(song));  // after a second it starts again
  EXPECT_EQ(Count("Play "), 2u);
}

TEST_F(AudioEngineTest, RefusalsAndAPluginThatNeverOpensAreBounded) {
  ASSERT_TRUE(InstallPlugin("in_mtest.dll", plugins, "in_mtest.dll"));
  ASSERT_TRUE(engine.LoadPlugins(plugins));
  EXPECT_FALSE(engine.Play(Script("refuse.mtest", "refuse")));
  const DWORD start = ::GetTickCount();
  EXPECT_FALSE(engine.Play(Script("never.mtest", "never_open")));
  EXPECT_LT(::GetTickCount() - start, 5000u);
  EXPECT_EQ(Count("Stop"), 1u);  // the silent plug-in was stopped
  EXPECT_FALSE(engine.Seek(1000));  // nothing active any more
  // A plug-in opening the output from its own thread is waited for.
  EXPECT_TRUE(engine.Play(Script("late.mtest", "open_from_thread\nframes=4410")));
}

TEST_F(AudioEngineTest, NaturalEndPostsTrackEndAndForgetsThePath) {
  ASSERT_TRUE(InstallPlugin("in_mtest.dll", plugins, "in_mtest.dll"));
  ASSERT_TRUE(engine.LoadPlugins(plugins));
  MSG msg;
  ::PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);  // this thread gets the notice
  engine.SetNotifyThread(::GetCurrentThreadId());
  engine.SetVolume(16384);
  const std::string song = Script("short.mtest", "frames=1000");  // shorter than one buffer
  ASSERT_TRUE(engine.Play(song));
  EXPECT_EQ(engine.CurrentPath(), song);
  ASSERT_TRUE(WaitUntil([&] { return ::PeekMessageA(&msg, nullptr, UM_TRACK_END, UM_TRACK_END, PM_REMOVE) != 0; }));
  EXPECT_FALSE(engine.output().IsActive());
  EXPECT_EQ(engine.CurrentPath(), "");
  EXPECT_EQ(engine.output().QueuedBuffers(), 0);
  // Stopping during a drain posts nothing.
  ASSERT_TRUE(engine.Play(song));
  engine.Stop();
  engine.Close();
  ::Sleep(200);
  EXPECT_EQ(::PeekMessageA(&msg, nullptr, UM_TRACK_END, UM_TRACK_END, PM_REMOVE), 0);
}

TEST_F(AudioEngineTest, CapturedSoundEqualsTheStreamAtEachVolume) {
  ASSERT_TRUE(InstallPlugin("in_mtest.dll", plugins, "in_mtest.dll"));
  ASSERT_TRUE(engine.LoadPlugins(plugins));
  MSG msg;
  ::PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);
  engine.SetNotifyThread(::GetCurrentThreadId());
  struct Case {
    int32_t volume, gain;
    const char* script;
  } cases[] = {
      {16384, 0, "frames=30000\npattern=ramp"},
      {8192, 0, "frames=30000\npattern=ramp"},
      {32768, 16384, "frames=30000\npattern=const:32767"},
  };
  for (const Case& c : cases) {
    const size_t before = CapturedSamples().size();
    engine.SetVolume(c.volume);
    engine.SetFileGain(c.gain);
    ASSERT_TRUE(engine.Play(Script(std::string("cap") + std::to_string(c.volume) + ".mtest", c.script)));
    ASSERT_TRUE(WaitUntil([&] { return ::PeekMessageA(&msg, nullptr, UM_TRACK_END, UM_TRACK_END, PM_REMOVE) != 0; }));
    engine.Stop();
    engine.Close();
    std::vector<int16_t> captured = CapturedSamples();
    captured.erase(captured.begin(), captured.begin() + static_cast<long>(before));
    const bool constant = c.gain != 0;
    const int64_t multiplier = std::min<int64_t>((c.gain + 32768) * int64_t{c.volume} / 32768, 65536);
    // Silent frames are left out on both sides: the buffers queued before
    // the plug-in wrote carry silence, and Wine's driver plays silence of its
    // own when a buffer comes late on a busy machine.
    std::vector<int16_t> expected;
    for (uint64_t frame = 0; frame < 30000; ++frame) {
      int16_t pair[2];
      for (int ch = 0; ch < 2; ++ch) {
        const int16_t level = mtest::PatternLevel(constant ? mtest::Pattern::kConst : mtest::Pattern::kRamp,
                                                  32767, frame, ch, 2, 44100, 16);
        pair[ch] = static_cast<int16_t>(std::max<int64_t>(-32768, std::min<int64_t>(32767, (level * multiplier) >> 14)));
      }
      if (pair[0] != 0 || pair[1] != 0) expected.insert(expected.end(), pair, pair + 2);
    }
    // The first buffers wait for the plug-in's first samples instead of
    // going out silent: no buffer of silence before the file.
    const size_t lead = static_cast<size_t>(
        std::find_if(captured.begin(), captured.end(), [](int16_t v) { return v != 0; }) - captured.begin());
    EXPECT_LT(lead, 32768u / 2) << "volume " << c.volume;
    const std::vector<int16_t> sounding = SoundingFrames(captured);
    ASSERT_EQ(sounding.size(), expected.size()) << "volume " << c.volume;
    size_t checked = 0;
    for (size_t k = 0; k < expected.size(); ++k, ++checked) {
      ASSERT_EQ(sounding[k], expected[k]) << "volume " << c.volume << " sample " << k;
    }
    EXPECT_GT(checked, 50000u);
  }
}
}  // namespace

namespace {
// A 16-bit mono WAV at `rate` whose sample n is (n % 20000) + 1.
std::string WriteCounterWav(const std::string& path, int rate, int frames) {
  std::string data;
  for (int n = 0; n < frames; ++n) {
    const int16_t v = static_cast<int16_t>(n % 20000 + 1);
    data += static_cast<char>(v & 0xFF);
    data += static_cast<char>((v >> 8) & 0xFF);
  }
  auto u32 = [](uint32_t v) { return std::string{char(v), char(v >> 8), char(v >> 16), char(v >> 24)}; };
  auto u16 = [](uint16_t v) { return std::string{char(v), char(v >> 8)}; };
  const std::string header = "RIFF" + u32(36 + static_cast<uint32_t>(data.size())) + "WAVEfmt " + u32(16) +
                             u16(1) + u16(1) + u32(static_cast<uint32_t>(rate)) +
                             u32(static_cast<uint32_t>(rate) * 2) + u16(2) + u16(16) + "data" +
                             u32(static_cast<uint32_t>(data.size()));
  return WriteFile(path, header + data);
}

TEST_F(AudioEngineTest, SeekingAMonoFileAt48000PlaysFromThere) {
  ASSERT_TRUE(InstallPlugin("..\\melodek\\Plugins\\in_wave.dll", plugins, "in_wave.dll"));
  ASSERT_TRUE(engine.LoadPlugins(plugins));
  MSG msg;
  ::PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);
  engine.SetNotifyThread(::GetCurrentThreadId());
  engine.SetVolume(16384);
  const size_t before = CapturedSamples().size();
  const std::string song = WriteCounterWav(folder + "\\counter48.wav", 48000, 48000 * 5);
  ASSERT_TRUE(engine.Play(song));
  engine.output().Stage().TogglePause();  // hold the output while seeking
  EXPECT_EQ(engine.LengthMs(), 5000);
  ASSERT_TRUE(engine.Seek(3000));
  ASSERT_TRUE(WaitUntil([&] { return engine.PositionMs() == 3000; }, 5000));
  engine.output().Stage().TogglePause();
  ASSERT_TRUE(WaitUntil([&] { return ::PeekMessageA(&msg, nullptr, UM_TRACK_END, UM_TRACK_END, PM_REMOVE) != 0; }));
  EXPECT_EQ(engine.PositionMs(), 5000u);
  engine.Stop();
  engine.Close();
  std::vector<int16_t> captured = CapturedSamples();
  captured.erase(captured.begin(), captured.begin() + static_cast<long>(before));
  const std::vector<int16_t> sounding = SoundingFrames(captured);
  // What played before the pause, then the last two seconds from frame
  // 144000 on, mono on both sides.
  const size_t tail = 2u * 48000 * 2;
  ASSERT_GE(sounding.size(), tail);
  for (size_t k = 0; k < tail / 2; ++k) {
    const int16_t expected = static_cast<int16_t>((144000 + k) % 20000 + 1);
    ASSERT_EQ(sounding[sounding.size() - tail + 2 * k], expected) << k;
    ASSERT_EQ(sounding[sounding.size() - tail + 2 * k + 1], expected) << k;
  }
}
}  // namespace
