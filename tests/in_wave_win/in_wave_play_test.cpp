// in_wave.dll under a fake host: what it hands the output for each format,
// how it honours CanWrite, DSP, seeks, pause and stop, which files it refuses,
// and the titles and lengths it reports.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "tests/in_wave/wav_builder.h"
#include "tests/in_wave_win/fake_host.h"
#include "tests/in_wave_win/loaded_plugin.h"

namespace {

using wavtest::WavRecipe;

class InWave : public ::testing::Test {
 protected:
  InWave() : plugin_(MELODEK_IN_WAVE_DLL) {}
  void SetUp() override {
    ASSERT_NE(plugin_.get(), nullptr) << "in_wave.dll did not load";
    plugin_->Init();
  }
  void TearDown() override {
    if (plugin_.get()) {
      plugin_->Stop();
      plugin_->Quit();
    }
  }

  // Plays path to its end message and stops.
  void PlayToEnd(const std::string& path) {
    ASSERT_EQ(plugin_->Play(path.c_str()), 0);
    ASSERT_TRUE(host_.WaitForEndMessage());
    plugin_->Stop();
  }

  LoadedPlugin plugin_;
  FakeHost& host_ = FakeHost::Instance();
};

std::vector<uint8_t> Slice(const std::vector<uint8_t>& v, size_t from, size_t to = SIZE_MAX) {
  to = std::min(to, v.size());
  return from >= to ? std::vector<uint8_t>() : std::vector<uint8_t>(v.begin() + from, v.begin() + to);
}

TEST_F(InWave, ExportsItsModule) {
  EXPECT_EQ(plugin_->version, 0x100);
  EXPECT_EQ(std::memcmp(plugin_->FileExtensions, "wav\0WAV audio (*.wav)\0\0", 24), 0);
  EXPECT_EQ(plugin_->is_seekable, 1);
  EXPECT_EQ(plugin_->UsesOutputPlug, 1);
  for (const void* f : {(void*)plugin_->Init, (void*)plugin_->Quit, (void*)plugin_->GetFileInfo,
                        (void*)plugin_->Play, (void*)plugin_->Stop, (void*)plugin_->Pause, (void*)plugin_->UnPause,
                        (void*)plugin_->IsPaused, (void*)plugin_->GetLength, (void*)plugin_->GetOutputTime,
                        (void*)plugin_->SetOutputTime, (void*)plugin_->SetVolume, (void*)plugin_->SetPan,
                        (void*)plugin_->IsOurFile, (void*)plugin_->InfoBox, (void*)plugin_->Config,
                        (void*)plugin_->About, (void*)plugin_->EQSet})
    EXPECT_NE(f, nullptr);
}

TEST_F(InWave, PassesIntegerPcmAsTheFileHoldsIt) {
  struct Case {
    const char* name;
    uint16_t tag, channels;
    uint32_t rate;
    uint16_t bits;
  };
  const Case cases[] = {
      {"8-bit mono", 1, 1, 22050, 8},          {"16-bit stereo 44100", 1, 2, 44100, 16},
      {"24-bit stereo", 1, 2, 96000, 24},      {"32-bit stereo", 1, 2, 48000, 32},
      {"16-bit mono 48000", 1, 1, 48000, 16},  {"16-bit 6 channels", 1, 6, 48000, 16},
      {"extensible 24-bit", 0xFFFE, 2, 44100, 24},
  };
  const int frames = 3001;  // not a whole number of blocks
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    host_.Reset();
    host_.SetCanWriteChunk(1000);  // not a multiple of most frame sizes
    WavRecipe recipe;
    recipe.formatTag = c.tag;
    recipe.channels = c.channels;
    recipe.sampleRate = c.rate;
    recipe.bitsPerSample = c.bits;
    const int frameBytes = c.channels * c.bits / 8;
    recipe.data = wavtest::NoiseBytes(static_cast<size_t>(frames) * frameBytes, c.rate + c.bits);
    PlayToEnd(WriteTestFile("format.wav", wavtest::BuildWav(recipe)));

    ASSERT_EQ(host_.Opens().size(), 1u);
    const OpenCall open = host_.Opens()[0];
    EXPECT_EQ(open.rate, static_cast<int>(c.rate));
    EXPECT_EQ(open.channels, c.channels);
    EXPECT_EQ(open.bits, c.bits);
    EXPECT_EQ(open.bufferMs, -1);
    EXPECT_EQ(open.prebufferMs, -1);
    EXPECT_TRUE(host_.Written() == recipe.data) << "written " << host_.WrittenSize() << " of " << recipe.data.size();
    int dspFrames = 0;
    for (const DspCall& d : host_.DspCalls()) {
      EXPECT_EQ(d.bits, c.bits);
      EXPECT_EQ(d.channels, c.channels);
      EXPECT_EQ(d.rate, static_cast<int>(c.rate));
      dspFrames += d.frames;
    }
    EXPECT_EQ(dspFrames, frames);
    EXPECT_EQ(host_.Overruns(), 0);
    EXPECT_EQ(host_.MisalignedWrites(), 0);
    EXPECT_GE(host_.IsPlayingCount(), 1);
    EXPECT_EQ(host_.CloseCount(), 1);
  }
}

TEST_F(InWave, TurnsFloatInto32BitIntegers) {
  for (const uint16_t tag : {uint16_t{3}, uint16_t{0xFFFE}}) {
    SCOPED_TRACE(tag);
    host_.Reset();
    WavRecipe recipe;
    recipe.formatTag = tag;
    recipe.subFormat = 3;
    recipe.bitsPerSample = 32;
    std::vector<int32_t> expected;
    for (int k = -2000; k < 2000; ++k) {
      float f = static_cast<float>(k) / 32768.0f;
      int32_t e = k * 65536;
      if (k == 1999) {
        f = 1.5f;  // beyond full scale saturates
        e = INT32_MAX;
      }
      uint8_t bytes[4];
      std::memcpy(bytes, &f, 4);
      recipe.data.insert(recipe.data.end(), bytes, bytes + 4);
      expected.push_back(e);
    }
    PlayToEnd(WriteTestFile("float.wav", wavtest::BuildWav(recipe)));
    ASSERT_EQ(host_.Opens().size(), 1u);
    EXPECT_EQ(host_.Opens()[0].bits, 32);
    const std::vector<uint8_t> written = host_.Written();
    ASSERT_EQ(written.size(), expected.size() * 4);
    std::vector<int32_t> got(expected.size());
    std::memcpy(got.data(), written.data(), written.size());
    EXPECT_EQ(got, expected);
  }
}

TEST_F(InWave, WritesWhatTheDspReturns) {
  host_.SetDspMode(DspMode::kHalf);
  WavRecipe recipe;
  recipe.data = wavtest::NoiseBytes(5000 * 4, 11);
  PlayToEnd(WriteTestFile("dsp.wav", wavtest::BuildWav(recipe)));
  // Each block shrinks to its first half.
  std::vector<uint8_t> expected;
  size_t frame = 0;
  for (const DspCall& d : host_.DspCalls()) {
    const std::vector<uint8_t> half = Slice(recipe.data, frame * 4, (frame + d.frames / 2) * 4);
    expected.insert(expected.end(), half.begin(), half.end());
    frame += d.frames;
  }
  EXPECT_EQ(frame, 5000u);
  EXPECT_TRUE(host_.Written() == expected);
}

TEST_F(InWave, PlaysWhatATruncatedOrOpenEndedFileHolds) {
  struct Case {
    const char* name;
    int64_t declared;
  };
  for (const Case c : {Case{"size beyond the file", 1000000}, Case{"unknown size", 0xFFFFFFFF}}) {
    SCOPED_TRACE(c.name);
    host_.Reset();
    WavRecipe recipe;
    recipe.before = {wavtest::Chunk{"LIST", std::vector<uint8_t>(9, 'x')}};  // odd: padded
    recipe.data = wavtest::NoiseBytes(4001, 12);                                // a trailing partial frame
    recipe.declaredDataSize = c.declared;
    PlayToEnd(WriteTestFile("cut.wav", wavtest::BuildWav(recipe)));
    // The trailing partial frame and the pad byte never reach the output.
    EXPECT_TRUE(host_.Written() == Slice(recipe.data, 0, 4000));
  }
}

TEST_F(InWave, SeekFlushesAndContinuesFromTheNewFrame) {
  WavRecipe recipe;  // 2 s of 16-bit stereo 44100 Hz
  recipe.data = wavtest::NoiseBytes(88200 * 4, 13);
  const std::string path = WriteTestFile("seek.wav", wavtest::BuildWav(recipe));
  struct Case {
    const char* name;
    int64_t writtenBefore;  // the output stalls after this many bytes
    int seekMs;
    int flushMs;
    size_t resumeFrame;
  };
  const Case cases[] = {
      {"before the first write", 0, 1000, 1000, 44100},
      {"after some writes", 8192, 500, 500, 22050},
      {"past the end", 4096, 5000, 2000, 88200},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    host_.Reset();
    host_.SetBudget(c.writtenBefore);
    ASSERT_EQ(plugin_->Play(path.c_str()), 0);
    ASSERT_TRUE(FakeHost::WaitFor([&] { return host_.WrittenSize() == static_cast<size_t>(c.writtenBefore) &&
                                               !host_.DspCalls().empty(); }));
    plugin_->SetOutputTime(c.seekMs);
    EXPECT_EQ(plugin_->GetOutputTime(), c.flushMs);  // the pending position
    host_.SetBudget(-1);
    ASSERT_TRUE(host_.WaitForEndMessage());
    plugin_->Stop();

    const std::vector<FlushCall> flushes = host_.Flushes();
    ASSERT_EQ(flushes.size(), 1u);
    EXPECT_EQ(flushes[0].ms, c.flushMs);
    EXPECT_EQ(flushes[0].writtenBefore, static_cast<size_t>(c.writtenBefore));
    const std::vector<uint8_t> written = host_.Written();
    EXPECT_TRUE(Slice(written, 0, c.writtenBefore) == Slice(recipe.data, 0, c.writtenBefore));
    EXPECT_TRUE(Slice(written, c.writtenBefore) == Slice(recipe.data, c.resumeFrame * 4));
  }
}

// Runs Stop on a thread of its own; false when it has not returned in time
// (the test then fails instead of hanging).
DWORD WINAPI CallStop(void* module) {
  static_cast<In_Module*>(module)->Stop();
  return 0;
}

bool StopReturns(In_Module* module) {
  HANDLE thread = ::CreateThread(nullptr, 0, CallStop, module, 0, nullptr);
  const bool done = ::WaitForSingleObject(thread, 10000) == WAIT_OBJECT_0;
  ::CloseHandle(thread);
  return done;
}

TEST_F(InWave, StopEndsAPlaybackThatCannotWrite) {
  WavRecipe recipe;
  recipe.data = wavtest::NoiseBytes(44100 * 4, 14);
  const std::string path = WriteTestFile("stall.wav", wavtest::BuildWav(recipe));
  host_.SetBudget(0);  // the output never has room
  ASSERT_EQ(plugin_->Play(path.c_str()), 0);
  ASSERT_TRUE(FakeHost::WaitFor([&] { return !host_.DspCalls().empty(); }));
  ASSERT_TRUE(StopReturns(plugin_.get()));
  EXPECT_EQ(host_.CloseCount(), 1);
  EXPECT_EQ(host_.WrittenSize(), 0u);

  // Paused, then stopped; and a second Stop does nothing more.
  ASSERT_EQ(plugin_->Play(path.c_str()), 0);
  plugin_->Pause();
  ASSERT_TRUE(StopReturns(plugin_.get()));
  ASSERT_TRUE(StopReturns(plugin_.get()));
  EXPECT_EQ(host_.CloseCount(), 2);
  EXPECT_EQ(plugin_->IsPaused(), 0);
}

TEST_F(InWave, AFullOutputIsAskedRarelyAndRequestsWakeTheWait) {
  WavRecipe recipe;
  recipe.data = wavtest::NoiseBytes(44100 * 4, 19);
  const std::string path = WriteTestFile("full.wav", wavtest::BuildWav(recipe));
  host_.SetBudget(0);  // the output is full for the whole second below
  ASSERT_EQ(plugin_->Play(path.c_str()), 0);
  ASSERT_TRUE(FakeHost::WaitFor([&] { return host_.CanWriteCount() > 0; }));
  const int before = host_.CanWriteCount();
  ::Sleep(1000);
  // A poll every 50 ms at most: about 20 in a second (a 5 ms poll made 200).
  EXPECT_LE(host_.CanWriteCount() - before, 30);
  // A seek during the wait is taken, and once there is room the
  // file plays from there to its end.
  plugin_->SetOutputTime(500);
  ASSERT_TRUE(FakeHost::WaitFor([&] { return !host_.Flushes().empty(); }, 2000));
  host_.SetBudget(-1);
  ASSERT_TRUE(host_.WaitForEndMessage());
  EXPECT_TRUE(host_.Written() == Slice(recipe.data, 22050 * 4));
}

TEST_F(InWave, PlayWhilePlayingStopsTheFirstFile) {
  WavRecipe recipe;
  recipe.data = wavtest::NoiseBytes(4000, 15);
  const std::string first = WriteTestFile("first.wav", wavtest::BuildWav(recipe));
  recipe.channels = 1;
  recipe.data = wavtest::NoiseBytes(3000, 16);
  const std::string second = WriteTestFile("second.wav", wavtest::BuildWav(recipe));
  host_.SetBudget(0);  // the first file cannot write before the second replaces it
  ASSERT_EQ(plugin_->Play(first.c_str()), 0);
  ASSERT_EQ(plugin_->Play(second.c_str()), 0);
  EXPECT_EQ(host_.CloseCount(), 1);  // the first playback's output
  host_.SetBudget(-1);
  ASSERT_TRUE(host_.WaitForEndMessage());
  ASSERT_EQ(host_.Opens().size(), 2u);
  EXPECT_EQ(host_.Opens()[1].channels, 1);
  EXPECT_TRUE(host_.Written() == recipe.data);
}

TEST_F(InWave, PauseHoldsTheDecoderUntilUnPause) {
  WavRecipe recipe;
  recipe.data = wavtest::NoiseBytes(20000 * 4, 17);
  host_.SetBudget(0);
  ASSERT_EQ(plugin_->Play(WriteTestFile("pause.wav", wavtest::BuildWav(recipe)).c_str()), 0);
  plugin_->Pause();
  EXPECT_EQ(plugin_->IsPaused(), 1);
  host_.SetBudget(-1);
  ::Sleep(100);  // room to write, but paused: nothing may arrive
  EXPECT_EQ(host_.WrittenSize(), 0u);
  plugin_->UnPause();
  EXPECT_EQ(plugin_->IsPaused(), 0);
  ASSERT_TRUE(host_.WaitForEndMessage());
  EXPECT_TRUE(host_.Written() == recipe.data);
  EXPECT_EQ(host_.PauseCalls(), (std::vector<int>{1, 0}));
}

TEST_F(InWave, RefusesFilesItCannotPlay) {
  WavRecipe good;
  good.data = wavtest::NoiseBytes(4000, 18);
  auto edited = [&](void (*edit)(WavRecipe&)) {
    WavRecipe s = good;
    edit(s);
    return wavtest::BuildWav(s);
  };
  const std::vector<uint8_t> wellFormed = wavtest::BuildWav(good);
  struct Case {
    const char* name;
    std::vector<uint8_t> bytes;
  };
  const Case cases[] = {
      {"empty file", {}},
      {"garbage", wavtest::NoiseBytes(5000, 19)},
      {"header only", Slice(wellFormed, 0, 20)},
      {"zero channels", edited([](WavRecipe& s) { s.channels = 0; })},
      {"rate 500", edited([](WavRecipe& s) { s.sampleRate = 500; })},
      {"rate 10000000", edited([](WavRecipe& s) { s.sampleRate = 10000000; })},
      {"block align 1000", edited([](WavRecipe& s) { s.blockAlign = 1000; })},
      {"ADPCM", edited([](WavRecipe& s) { s.formatTag = 2; })},
      {"no sound in it", edited([](WavRecipe& s) { s.data.clear(); })},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    host_.Reset();
    EXPECT_NE(plugin_->Play(WriteTestFile("bad.wav", c.bytes).c_str()), 0);
    plugin_->Stop();  // the host stops even a refused playback
    EXPECT_TRUE(host_.Opens().empty());
    EXPECT_EQ(host_.CloseCount(), 0);
    EXPECT_EQ(host_.WrittenSize(), 0u);
  }
  host_.Reset();
  EXPECT_NE(plugin_->Play((TestFolder() + "\\missing.wav").c_str()), 0);
  EXPECT_NE(plugin_->Play(TestFolder().c_str()), 0);  // a folder
  EXPECT_TRUE(host_.Opens().empty());

  // An output that cannot open refuses the file too.
  host_.SetOpenResult(-1);
  EXPECT_NE(plugin_->Play(WriteTestFile("good.wav", wellFormed).c_str()), 0);
  plugin_->Stop();
  EXPECT_EQ(host_.Opens().size(), 1u);
  EXPECT_EQ(host_.CloseCount(), 0);
  EXPECT_EQ(host_.WrittenSize(), 0u);
}

std::string Title(In_Module* m, const char* file, int* length) {
  std::vector<char> buf(600, '#');
  *length = -12345;
  m->GetFileInfo(file, buf.data(), length);
  const size_t n = strnlen(buf.data(), buf.size());
  EXPECT_LT(n, 512u) << "title not terminated inside the host's 512 bytes";
  EXPECT_EQ(buf[512], '#') << "title wrote past the host's 512 bytes";
  return std::string(buf.data(), std::min<size_t>(n, 512));
}

TEST_F(InWave, ReportsTitleAndLength) {
  WavRecipe recipe;
  recipe.channels = 1;
  recipe.sampleRate = 8000;
  recipe.data = wavtest::NoiseBytes(12000 * 2, 20);  // 1.5 s
  const std::string path = WriteTestFile("My Song.v2.wav", wavtest::BuildWav(recipe));
  int length = 0;
  EXPECT_EQ(Title(plugin_.get(), path.c_str(), &length), "My Song.v2");
  EXPECT_EQ(length, 1500);

  // NULL and "" ask about the playing file.
  host_.SetBudget(0);
  ASSERT_EQ(plugin_->Play(path.c_str()), 0);
  EXPECT_EQ(Title(plugin_.get(), nullptr, &length), "My Song.v2");
  EXPECT_EQ(length, 1500);
  EXPECT_EQ(Title(plugin_.get(), "", &length), "My Song.v2");
  EXPECT_EQ(plugin_->GetLength(), 1500);
  plugin_->Stop();
  EXPECT_EQ(Title(plugin_.get(), nullptr, &length), "");
  EXPECT_EQ(length, 0);

  // Files it cannot read still have a title.
  const std::string text = WriteTestFile("notes.wav", std::string("not a wave file"));
  EXPECT_EQ(Title(plugin_.get(), text.c_str(), &length), "notes");
  EXPECT_EQ(length, 0);
  const std::string longPath = "C:\\" + std::string(700, 'n') + ".wav";
  EXPECT_EQ(Title(plugin_.get(), longPath.c_str(), &length), std::string(511, 'n'));
  EXPECT_EQ(length, 0);
}

TEST_F(InWave, PlaysTheDefaultSound) {
  const std::string path = BuiltFile(MELODEK_DEFAULT_SOUND);
  int length = 0;
  EXPECT_EQ(Title(plugin_.get(), path.c_str(), &length), "default");
  EXPECT_EQ(length, 3000);
  PlayToEnd(path);
  ASSERT_EQ(host_.Opens().size(), 1u);
  EXPECT_EQ(host_.Opens()[0].rate, 44100);
  EXPECT_EQ(host_.Opens()[0].channels, 2);
  EXPECT_EQ(host_.Opens()[0].bits, 16);
  EXPECT_EQ(host_.WrittenSize(), 3u * 44100 * 4);
}

}  // namespace
