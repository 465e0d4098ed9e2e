// The wave output on a real wave-out device under Wine, with the ALSA file
// device capturing what was played.
//
// Wine's ALSA driver reads ALSA_CONFIG_PATH from the Unix environment the
// process started with: setting it from inside the process
// (SetEnvironmentVariable, _putenv) or in the environment block of a child
// created with CreateProcess does not reach it. So CTest sets
// ALSA_CONFIG_PATH per test (see CMakeLists.txt) and this program writes that
// file before its first waveOut call: MELODEK_TEST_AUDIO=capture makes it a
// file device capturing into <config>.raw, =none a configuration without any
// device. Run by hand without these variables, the tests skip.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "engine/player_protocol.h"
#include "engine/wave_output.h"
#include "tests/support/test_audio.h"

namespace {

std::string EnvText(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

const std::string kAudioMode = EnvText("MELODEK_TEST_AUDIO");
const std::string kConfigPath = EnvText("ALSA_CONFIG_PATH");
const std::string kCapturePath = kConfigPath + ".raw";

// A Unix path as Wine's DOS path.
std::wstring DosPath(const std::string& unixPath) {
  using ToDos = WCHAR*(CDECL*)(const char*);
  auto toDos = reinterpret_cast<ToDos>(
      reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleA("kernel32.dll"), "wine_get_dos_file_name")));
  if (toDos != nullptr) {
    if (WCHAR* dos = toDos(unixPath.c_str())) {
      std::wstring result(dos);
      ::HeapFree(::GetProcessHeap(), 0, dos);
      return result;
    }
  }
  std::wstring result = L"Z:";
  for (char c : unixPath) result += c == '/' ? L'\\' : static_cast<wchar_t>(c);
  return result;
}

// Runs before main, so before anything touches the wave device.
const bool kConfigWritten = [] {
  if (kConfigPath.empty() || (kAudioMode != "capture" && kAudioMode != "none")) return false;
  FILE* file = _wfopen(DosPath(kConfigPath).c_str(), L"wb");
  if (file == nullptr) return false;
  if (kAudioMode == "capture") {
    std::fprintf(file,
                 "pcm.!default {\n  type file\n  slave.pcm { type null }\n  file \"%s\"\n"
                 "  format \"raw\"\n}\n",
                 kCapturePath.c_str());
  }
  std::fclose(file);
  return true;
}();

std::vector<int16_t> ReadCapture() {
  std::vector<int16_t> samples;
  FILE* file = _wfopen(DosPath(kCapturePath).c_str(), L"rb");
  if (file == nullptr) return samples;
  int16_t chunk[4096];
  size_t got;
  while ((got = std::fread(chunk, sizeof(int16_t), 4096, file)) > 0) samples.insert(samples.end(), chunk, chunk + got);
  std::fclose(file);
  return samples;
}

std::vector<uint8_t> AsBytes(const std::vector<int16_t>& samples) {
  std::vector<uint8_t> bytes;
  for (int16_t s : samples) {
    bytes.push_back(static_cast<uint8_t>(s & 0xff));
    bytes.push_back(static_cast<uint8_t>((s >> 8) & 0xff));
  }
  return bytes;
}

// A tone that never crosses 0 exactly, so silence is told apart from it.
std::vector<int16_t> Tone(size_t samples, double step) {
  std::vector<int16_t> tone(samples);
  for (size_t i = 0; i < samples; ++i) {
    tone[i] = static_cast<int16_t>(static_cast<int>(std::lround(20000 * std::sin(step * i))) | 1);
  }
  return tone;
}

// Writes like a plug-in: as much as CanWrite allows, sleeping while it is 0.
void WriteLikePlugin(OutputStage& stage, const std::vector<uint8_t>& bytes) {
  size_t at = 0;
  while (at < bytes.size()) {
    const size_t room = static_cast<size_t>(stage.CanWrite());
    if (room == 0) {
      ::Sleep(1);
      continue;
    }
    const size_t piece = std::min({room, bytes.size() - at, size_t{8192}});
    stage.Write(bytes.data() + at, static_cast<int>(piece));
    at += piece;
  }
}

bool WaitUntilIdle(const CWaveOutput& output) {
  for (int ms = 0; ms < 30000; ++ms) {
    if (!output.IsActive()) return true;
    ::Sleep(1);
  }
  return false;
}

// Index of the first non-zero sample.
size_t LeadingSilence(const std::vector<int16_t>& samples) {
  size_t i = 0;
  while (i < samples.size() && samples[i] == 0) ++i;
  return i;
}

using testaudio::SoundingFrames;

// A thread with a message queue that counts UM_TRACK_END and notes the
// output's state when the first one arrives.
class TrackEndListener {
 public:
  explicit TrackEndListener(CWaveOutput& output) : output_(output) {
    thread_ = std::thread([this] { Run(); });
    while (threadId_.load() == 0) ::Sleep(1);
  }
  ~TrackEndListener() {
    if (thread_.joinable()) Join();
  }
  DWORD ThreadId() const { return threadId_.load(); }
  void Join() {
    ::PostThreadMessageA(threadId_.load(), WM_QUIT, 0, 0);
    thread_.join();
  }
  int count = 0;
  int queuedAtEnd = -1;
  bool activeAtEnd = true;

 private:
  void Run() {
    MSG msg;
    ::PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);  // creates the queue
    threadId_.store(::GetCurrentThreadId());
    while (::GetMessageA(&msg, nullptr, 0, 0) > 0) {
      if (msg.message != UM_TRACK_END) continue;
      if (count++ == 0) {
        queuedAtEnd = output_.QueuedBuffers();
        activeAtEnd = output_.IsActive();
      }
    }
  }
  CWaveOutput& output_;
  std::atomic<DWORD> threadId_{0};
  std::thread thread_;
};

class WaveOutputCapture : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!kConfigWritten || kAudioMode != "capture") GTEST_SKIP() << "needs CTest's ALSA capture set-up";
    OutputStage& stage = output.Stage();
    stage.Reset();
    stage.SetVolume(16384);  // 100 %: the samples pass unchanged
  }
  CWaveOutput output;
};

TEST_F(WaveOutputCapture, StereoAt44100PlaysBitExact) {
  const std::vector<int16_t> signal = Tone(44100 * 2 * 3 / 2, 0.0627);  // 1.5 s
  OutputStage& stage = output.Stage();
  stage.TogglePause();  // the first buffers go out silent while the plug-in writes
  ASSERT_GE(output.Open(44100, 2, 16), 0);
  EXPECT_TRUE(output.IsActive());
  EXPECT_EQ(output.QueuedBuffers(), 2);
  WriteLikePlugin(stage, AsBytes(signal));
  stage.IsPlaying();
  stage.TogglePause();
  ASSERT_TRUE(WaitUntilIdle(output));
  EXPECT_EQ(output.PositionMs(), 1500u);
  EXPECT_EQ(output.QueuedBuffers(), 0);
  output.Close();

  const std::vector<int16_t> captured = ReadCapture();
  const size_t lead = LeadingSilence(captured);
  EXPECT_EQ(lead % 2, 0u);
  EXPECT_GE(lead * 2, 2u * CWaveOutput::kBufferBytes);  // the two paused buffers
  ASSERT_GE(captured.size(), lead + signal.size());
  EXPECT_TRUE(SoundingFrames(captured) == signal);  // every sample, unchanged, in order
}

TEST_F(WaveOutputCapture, MonoAt48000PlaysOnBothSidesForItsDuration) {
  const std::vector<int16_t> mono = Tone(48000, 0.0411);  // 1 s
  OutputStage& stage = output.Stage();
  stage.TogglePause();
  ASSERT_GE(output.Open(48000, 1, 16), 0);
  WriteLikePlugin(stage, AsBytes(mono));
  stage.IsPlaying();
  stage.TogglePause();
  ASSERT_TRUE(WaitUntilIdle(output));
  EXPECT_EQ(output.PositionMs(), 1000u);
  output.Close();

  const std::vector<int16_t> captured = ReadCapture();
  EXPECT_EQ(LeadingSilence(captured) % 2, 0u);
  const std::vector<int16_t> sounding = SoundingFrames(captured);
  ASSERT_EQ(sounding.size(), 2 * mono.size());  // one second of 48000 Hz frames
  for (size_t f = 0; f < mono.size(); ++f) {
    ASSERT_EQ(sounding[2 * f], mono[f]) << f;
    ASSERT_EQ(sounding[2 * f + 1], mono[f]) << f;
  }
}

TEST_F(WaveOutputCapture, TrackEndIsPostedOnceAfterBothBuffersCameBack) {
  TrackEndListener listener(output);
  output.SetNotifyThread(listener.ThreadId());
  std::atomic<int> drained{0};
  OutputStage& stage = output.Stage();
  stage.SetDrainedCallback([&] { ++drained; });
  WriteLikePlugin(stage, AsBytes(Tone(2000, 0.1)));  // shorter than one buffer
  stage.IsPlaying();
  ASSERT_GE(output.Open(44100, 2, 16), 0);
  ASSERT_TRUE(WaitUntilIdle(output));
  ::Sleep(200);  // room for a wrong second message
  listener.Join();
  EXPECT_EQ(listener.count, 1);
  EXPECT_EQ(listener.queuedAtEnd, 0);
  EXPECT_FALSE(listener.activeAtEnd);
  EXPECT_EQ(drained.load(), 1);
  output.SetNotifyThread(0);
  output.Close();
}

TEST_F(WaveOutputCapture, StopDrainsSilentlyWithoutTrackEnd) {
  TrackEndListener listener(output);
  output.SetNotifyThread(listener.ThreadId());
  OutputStage& stage = output.Stage();
  WriteLikePlugin(stage, AsBytes(Tone(44100 * 2 * 4, 0.05)));  // 4 s, never finished
  ASSERT_GE(output.Open(44100, 2, 16), 0);
  ::Sleep(20);
  stage.MarkStopped();
  ASSERT_TRUE(WaitUntilIdle(output));
  EXPECT_EQ(output.QueuedBuffers(), 0);
  ::Sleep(200);
  listener.Join();
  EXPECT_EQ(listener.count, 0);
  output.SetNotifyThread(0);
  output.Close();
  EXPECT_EQ(output.PositionMs(), 0u);

  // A second file on the same output after the stop plays again.
  stage.Reset();
  WriteLikePlugin(stage, AsBytes(Tone(4000, 0.2)));
  stage.IsPlaying();
  ASSERT_GE(output.Open(22050, 2, 16), 0);
  ASSERT_TRUE(WaitUntilIdle(output));
  output.Close();
  EXPECT_TRUE(SoundingFrames(ReadCapture()) == Tone(4000, 0.2));
}

TEST_F(WaveOutputCapture, UnsupportedFormatIsRefused) {
  EXPECT_EQ(output.Open(44100, 2, 12), -1);
  EXPECT_EQ(output.Open(44100, 9, 16), -1);
  EXPECT_EQ(output.Open(0, 2, 16), -1);
  EXPECT_FALSE(output.IsActive());
  EXPECT_EQ(output.QueuedBuffers(), 0);
}

TEST(WaveOutputNoDevice, OpenFailsAndStoppingDoesNotWait) {
  if (!kConfigWritten || kAudioMode != "none") GTEST_SKIP() << "needs CTest's no-device set-up";
  CWaveOutput output;
  OutputStage& stage = output.Stage();
  stage.Reset();
  EXPECT_LT(output.Open(44100, 2, 16), 0);
  EXPECT_FALSE(output.IsActive());  // the host's stop has nothing to wait for
  EXPECT_EQ(output.QueuedBuffers(), 0);
  stage.MarkStopped();
  EXPECT_FALSE(output.IsActive());
  output.Close();
}

}  // namespace
