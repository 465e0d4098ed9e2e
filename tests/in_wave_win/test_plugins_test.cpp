// The test plug-ins for the host's tests: in_mtest.dll follows its script and
// records the host's calls; in_mtest2.dll claims upper-case extensions;
// in_broken.dll has no winampGetInModule2.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/in_wave_win/fake_host.h"
#include "tests/in_wave_win/loaded_plugin.h"

namespace {

std::vector<std::string> ReadLines(const std::string& path) {
  std::ifstream in(path);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// True when every item of wanted starts one of lines, in this order.
bool HasInOrder(const std::vector<std::string>& lines, const std::vector<std::string>& wanted) {
  size_t next = 0;
  for (const std::string& line : lines)
    if (next < wanted.size() && line.compare(0, wanted[next].size(), wanted[next]) == 0) ++next;
  return next == wanted.size();
}

std::vector<uint8_t> Le16(std::initializer_list<int> values) {
  std::vector<uint8_t> out;
  for (int v : values) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
  }
  return out;
}

class MtestPlugin : public ::testing::Test {
 protected:
  MtestPlugin() : plugin_(MELODEK_TESTPLUGINS "/in_mtest.dll") {}
  void SetUp() override { ASSERT_NE(plugin_.get(), nullptr) << "in_mtest.dll did not load"; }
  LoadedPlugin plugin_;
  FakeHost& host_ = FakeHost::Instance();
};

TEST_F(MtestPlugin, PlaysItsScriptAndLogsTheHostsCalls) {
  const std::string log = TestPath("mtest.log");
  const std::string script = WriteTestFile(
      "ramp.mtest", "# a short mono ramp\nrate=8000\nchannels=1\nbits=16\nframes=1000\nblock=100\n"
                    "pattern=ramp\ntitle=Ramp Test\nlength=1234\nlog=" + log + "\n");
  plugin_->Init();
  ASSERT_EQ(plugin_->Play(script.c_str()), 0);
  ASSERT_TRUE(host_.WaitForEndMessage());
  int length = 0;
  char title[512];
  plugin_->GetFileInfo(script.c_str(), title, &length);
  EXPECT_STREQ(title, "Ramp Test");
  EXPECT_EQ(length, 1234);
  plugin_->Stop();
  plugin_->Quit();

  ASSERT_EQ(host_.Opens().size(), 1u);
  EXPECT_EQ(host_.Opens()[0].rate, 8000);
  EXPECT_EQ(host_.Opens()[0].channels, 1);
  EXPECT_EQ(host_.Opens()[0].bits, 16);
  EXPECT_EQ(host_.Opens()[0].thread, ::GetCurrentThreadId());
  const std::vector<uint8_t> written = host_.Written();
  ASSERT_EQ(written.size(), 2000u);
  for (int i = 0; i < 1000; ++i) EXPECT_EQ(written[2 * i] | (written[2 * i + 1] << 8), i) << i;
  EXPECT_EQ(host_.DspCalls().size(), 10u);
  EXPECT_EQ(host_.Overruns(), 0);

  const std::vector<std::string> lines = ReadLines(log);
  EXPECT_TRUE(HasInOrder(lines, {"Init", "Play " + script, "Host hMainWindow=1 hDllInstance=1 outMod=1",
                                 "Out Open=1", "Open 8000 1 16 -> 0", "End frames=1000 bytes=2000",
                                 "GetFileInfo " + script, "Stop", "Quit"}));
  for (const std::string& line : lines) {
    if (line.rfind("Host", 0) == 0 || line.rfind("Out", 0) == 0) {
      EXPECT_EQ(line.find("=0"), std::string::npos) << line;  // every host member filled
    }
  }
}

TEST_F(MtestPlugin, StoresEachWidthLeftJustified) {
  struct Case {
    int bits;
    std::vector<uint8_t> firstBytes;  // frames 0 and 1, stereo ramp
  };
  const Case cases[] = {
      {8, {0x00, 0x01, 0x02, 0x03}},
      {16, Le16({0, 1, 2, 3})},
      {24, {0, 0, 0, 0, 1, 0, 0, 2, 0, 0, 3, 0}},
      {32, {0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 2, 0, 0, 0, 3, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.bits);
    host_.Reset();
    const std::string script = WriteTestFile(
        "width.mtest", "rate=44100\nchannels=2\nbits=" + std::to_string(c.bits) + "\nframes=300\n");
    ASSERT_EQ(plugin_->Play(script.c_str()), 0);
    ASSERT_TRUE(host_.WaitForEndMessage());
    plugin_->Stop();
    const std::vector<uint8_t> written = host_.Written();
    ASSERT_EQ(written.size(), 300u * 2 * c.bits / 8);
    EXPECT_TRUE(std::vector<uint8_t>(written.begin(), written.begin() + c.firstBytes.size()) == c.firstBytes);
  }
}

TEST_F(MtestPlugin, SeeksToTheRequestedFrame) {
  const std::string script = WriteTestFile("seek.mtest", "rate=44100\nchannels=2\nframes=44100\n");
  host_.SetBudget(0);
  ASSERT_EQ(plugin_->Play(script.c_str()), 0);
  plugin_->SetOutputTime(500);
  host_.SetBudget(-1);
  ASSERT_TRUE(host_.WaitForEndMessage());
  plugin_->Stop();
  ASSERT_EQ(host_.Flushes().size(), 1u);
  EXPECT_EQ(host_.Flushes()[0].ms, 500);
  const std::vector<uint8_t> written = host_.Written();
  ASSERT_EQ(written.size(), 22050u * 4);
  EXPECT_TRUE(std::vector<uint8_t>(written.begin(), written.begin() + 4) == Le16({44100 & 0xFFFF, 44101}));
}

TEST_F(MtestPlugin, MisbehavesOnRequest) {
  const std::string log = TestPath("misbehave.log");
  // refuse: Play fails and says so.
  EXPECT_NE(plugin_->Play(WriteTestFile("refuse.mtest", "refuse\nlog=" + log + "\n").c_str()), 0);
  EXPECT_TRUE(host_.Opens().empty());
  EXPECT_TRUE(HasInOrder(ReadLines(log), {"Play ", "Refuse"}));

  // open_from_thread: Open comes from the decoding thread.
  host_.Reset();
  ASSERT_EQ(plugin_->Play(WriteTestFile("late.mtest", "open_from_thread\nframes=100\n").c_str()), 0);
  ASSERT_TRUE(host_.WaitForEndMessage());
  plugin_->Stop();
  ASSERT_EQ(host_.Opens().size(), 1u);
  EXPECT_NE(host_.Opens()[0].thread, ::GetCurrentThreadId());

  // never_open: accepted, never opens, still stops.
  host_.Reset();
  ASSERT_EQ(plugin_->Play(WriteTestFile("never.mtest", "never_open\n").c_str()), 0);
  ::Sleep(50);
  plugin_->Stop();
  EXPECT_TRUE(host_.Opens().empty());
  EXPECT_EQ(host_.CloseCount(), 0);

  // overwrite: writes although CanWrite answers 0.
  host_.Reset();
  host_.SetBudget(0);
  ASSERT_EQ(plugin_->Play(WriteTestFile("over.mtest", "overwrite\nframes=2000\n").c_str()), 0);
  ASSERT_TRUE(host_.WaitForEndMessage());
  plugin_->Stop();
  EXPECT_EQ(host_.WrittenSize(), 8000u);
  EXPECT_GT(host_.Overruns(), 0);
}

TEST(TestPlugins, SecondPluginAndBrokenPlugin) {
  LoadedPlugin second(MELODEK_TESTPLUGINS "/in_mtest2.dll");
  ASSERT_NE(second.get(), nullptr);
  EXPECT_EQ(std::string(second->FileExtensions), "MTX;MP3");

  LoadedPlugin broken(MELODEK_TESTPLUGINS "/in_broken.dll");
  ASSERT_NE(broken.module(), nullptr);
  EXPECT_EQ(broken.get(), nullptr);
  EXPECT_EQ(::GetProcAddress(broken.module(), "winampGetInModule2"), nullptr);
}

}  // namespace
