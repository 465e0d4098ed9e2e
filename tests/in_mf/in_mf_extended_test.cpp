// in_mf.dll's extended file information and extended read.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/in_mf/plugin_test_util.h"

namespace {

template <typename Fn>
Fn Export(const char* name) {
  fake_host::Plugin();  // loads the DLL
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("in_mf.dll"), name)));
}

std::wstring Wide(const std::string& text) {
  wchar_t out[MAX_PATH * 2];
  const int n = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, out, MAX_PATH * 2);
  return n > 0 ? std::wstring(out) : std::wstring();
}

// The answer of the wide form, or "(none)".
std::string Info(const std::string& file, const wchar_t* name, int destlen = 256) {
  const auto info = Export<ExtendedFileInfoWFn>(MELODEK_EXTENDED_FILE_INFO_W_NAME);
  std::vector<wchar_t> dest(static_cast<size_t>(destlen) + 8, L'#');
  if (!info(Wide(fake_host::MediaPath(file)).c_str(), name, dest.data(), destlen)) return "(none)";
  // Nothing past the buffer the host gave is touched.
  for (size_t i = static_cast<size_t>(destlen); i < dest.size(); ++i) EXPECT_EQ(dest[i], L'#');
  char out[1024];
  WideCharToMultiByte(CP_UTF8, 0, dest.data(), -1, out, sizeof out, nullptr, nullptr);
  return out;
}

}  // namespace

TEST(ExtendedInfoTest, NamesFromTagsAndTheLength) {
  REQUIRE_MEDIA("song.flac");
  REQUIRE_MEDIA("replaygain.flac");
  const struct {
    const char* file;
    const wchar_t* name;
    const char* expected;
  } cases[] = {
      {"song.flac", L"title", "FLAC Title"},  {"song.flac", L"ARTIST", "FLAC Artist"},
      {"song.mp3", L"title", "MP3 Title"},    {"song.flac", L"replaygain_track_gain", "(none)"},
      {"song.flac", L"no such name", "(none)"}, {"garbage.flac", L"title", "(none)"},
      {"missing.flac", L"length", "(none)"},
  };
  for (const auto& c : cases) EXPECT_EQ(Info(c.file, c.name), c.expected) << c.file;
  EXPECT_NEAR(std::stoi(Info("song.flac", L"length")), 10000, 30);
  // metaflac's values, as it wrote them.
  EXPECT_NE(Info("replaygain.flac", L"replaygain_track_gain").find(" dB"), std::string::npos);
  EXPECT_NE(Info("replaygain.flac", L"replaygain_album_peak"), "(none)");
  EXPECT_EQ(Info("song.flac", L"title", 5), "FLAC");  // cut to the host's buffer with its terminator

  const auto ansi = Export<ExtendedFileInfoFn>(MELODEK_EXTENDED_FILE_INFO_NAME);
  char value[64] = {};
  ASSERT_TRUE(ansi(fake_host::MediaPath("song.m4a").c_str(), "artist", value, sizeof value));
  EXPECT_STREQ(value, "M4A Artist");
}

TEST(ExtendedReadTest, AFlacFileDecodesToItsSource) {
  REQUIRE_MEDIA("song.flac");
  const auto open = Export<ExtendedReadOpenWFn>(MELODEK_EXTENDED_READ_OPEN_W_NAME);
  const auto getData = Export<ExtendedReadGetDataFn>(MELODEK_EXTENDED_READ_GET_DATA_NAME);
  const auto close = Export<ExtendedReadCloseFn>(MELODEK_EXTENDED_READ_CLOSE_NAME);
  ASSERT_TRUE(open && getData && close && Export<ExtendedReadOpenFn>(MELODEK_EXTENDED_READ_OPEN_NAME));
  WavData source;
  ASSERT_TRUE(ReadWav(fake_host::MediaPath("source.wav"), source));
  int size = 0, bits = 0, channels = 0, rate = 0;
  const intptr_t handle = open(Wide(fake_host::MediaPath("song.flac")).c_str(), &size, &bits, &channels, &rate);
  ASSERT_NE(handle, 0);
  EXPECT_EQ(std::vector<int>({bits, channels, rate}), (std::vector<int>{16, 2, 44100}));
  std::vector<int16_t> decoded;
  std::vector<char> buffer(10001);  // not a whole number of frames: only whole ones come
  int killswitch = 0;
  for (;;) {
    const intptr_t got = getData(handle, buffer.data(), buffer.size(), &killswitch);
    ASSERT_TRUE(got >= 0 && static_cast<size_t>(got) <= buffer.size() && got % 4 == 0) << got;
    if (got == 0) break;
    const auto* samples = reinterpret_cast<const int16_t*>(buffer.data());
    decoded.insert(decoded.end(), samples, samples + got / 2);
  }
  close(handle);
  EXPECT_EQ(decoded, source.samples);  // lossless: every sample of the source, none more
  EXPECT_TRUE(size < 0 || static_cast<size_t>(size) == source.samples.size() * 2) << size;
}

TEST(ExtendedReadTest, RefusalsStopsAndForeignHandles) {
  const auto open = Export<ExtendedReadOpenFn>(MELODEK_EXTENDED_READ_OPEN_NAME);
  const auto getData = Export<ExtendedReadGetDataFn>(MELODEK_EXTENDED_READ_GET_DATA_NAME);
  const auto close = Export<ExtendedReadCloseFn>(MELODEK_EXTENDED_READ_CLOSE_NAME);
  int size, bits, channels, rate;
  EXPECT_EQ(open(fake_host::MediaPath("garbage.mp3").c_str(), &size, &bits, &channels, &rate), 0);
  EXPECT_EQ(open(fake_host::MediaPath("empty.flac").c_str(), &size, &bits, &channels, &rate), 0);
  EXPECT_EQ(open(nullptr, &size, &bits, &channels, &rate), 0);
  char buffer[4096];
  int killswitch = 0;
  // A handle the plug-in never gave is refused, not followed.
  EXPECT_EQ(getData(12345, buffer, sizeof buffer, &killswitch), 0);
  close(12345);
  REQUIRE_MEDIA("song.mp3");
  const intptr_t handle = open(fake_host::MediaPath("song.mp3").c_str(), &size, &bits, &channels, &rate);
  ASSERT_NE(handle, 0);
  EXPECT_GT(getData(handle, buffer, sizeof buffer, &killswitch), 0);
  killswitch = 1;
  EXPECT_EQ(getData(handle, buffer, sizeof buffer, &killswitch), 0);
  close(handle);
  EXPECT_EQ(getData(handle, buffer, sizeof buffer, &killswitch), 0);  // closed
}
