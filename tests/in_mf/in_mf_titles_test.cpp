// in_mf.dll's titles and lengths for the host, and files it must refuse.
#include <gtest/gtest.h>

#include <cstring>

#include "tests/in_mf/plugin_test_util.h"

namespace {

using fake_host::Plugin;

std::string TitleOf(const std::string& file, int* length = nullptr) {
  char buffer[700];
  std::memset(buffer, 0x7F, sizeof buffer);
  int ignored = 512;
  Plugin()->GetFileInfo(file.c_str(), buffer, length ? length : &ignored);
  // The host's buffer is 512 bytes: nothing past it may be touched.
  for (size_t i = 512; i < sizeof buffer; ++i) EXPECT_EQ(buffer[i], 0x7F) << file;
  return buffer;
}

std::string Ansi(const wchar_t* text) {
  char out[256];
  int n = WideCharToMultiByte(CP_ACP, 0, text, -1, out, sizeof out, nullptr, nullptr);
  return n > 0 ? std::string(out) : std::string();
}

TEST(TitleTest, FromTagsOfEveryFormatOrFromTheFileName) {
  ASSERT_NE(Plugin(), nullptr);
  const struct {
    const char* file;
    std::string title;
  } cases[] = {
      {"song.mp3", "MP3 Artist - MP3 Title"},   // ID3v2
      {"v1only.mp3", "V1 Artist - V1 Title"},   // ID3v1
      {"song.flac", "FLAC Artist - FLAC Title"},
      {"song.m4a", "M4A Artist - M4A Title"},
      {"song.wma", "WMA Artist - WMA Title"},
      {"titleonly.flac", Ansi(L"Caf\u00E9 Only")},  // title alone, UTF-8 tag to ANSI
      {"No Tags Here.mp3", "No Tags Here"},
      {"garbage.wma", "garbage"},
      {"missing.mp3", "missing"},
  };
  for (const auto& c : cases) {
    if (!MediaExists(c.file) && std::strcmp(c.file, "missing.mp3") != 0) continue;
    EXPECT_EQ(TitleOf(fake_host::MediaPath(c.file)), c.title) << c.file;
  }
}

TEST(TitleTest, LongTitlesAreCutToTheHostBuffer) {
  REQUIRE_MEDIA("long.flac");
  const std::string title = TitleOf(fake_host::MediaPath("long.flac"));
  EXPECT_EQ(title.size(), 511u);
  EXPECT_EQ(title.substr(0, 10), "Long - xxx");
}

TEST(TitleTest, LengthsWithoutPlaying) {
  REQUIRE_MEDIA("song.mp3");
  for (const char* file : {"song.mp3", "song.flac", "song.m4a"}) {
    if (!MediaExists(file)) continue;
    int length = 512;
    TitleOf(fake_host::MediaPath(file), &length);
    EXPECT_NEAR(length, 10000, 27) << file;  // within one MP3 frame
  }
  int length = 512;  // what a host presets; an unreadable file leaves it alone
  TitleOf(fake_host::MediaPath("garbage.mp3"), &length);
  EXPECT_EQ(length, 512);
  Plugin()->GetFileInfo(fake_host::MediaPath("song.mp3").c_str(), nullptr, nullptr);  // both outputs optional
}

TEST(TitleTest, NullOrEmptyFileMeansThePlayingFile) {
  REQUIRE_MEDIA("song.flac");
  In_Module* m = Plugin();
  fake_host::ResetOutput(0);
  m->Init();
  ASSERT_EQ(m->Play(fake_host::MediaPath("song.flac").c_str()), 0);
  for (const char* file : {static_cast<const char*>(nullptr), ""}) {
    char title[512] = "unchanged";
    int length = 512;
    m->GetFileInfo(file, title, &length);
    EXPECT_STREQ(title, "FLAC Artist - FLAC Title");
    EXPECT_EQ(length, 10000);
  }
  m->Stop();
  m->Quit();
}

TEST(PathTest, NamesWithUrlCharactersPlay) {
  REQUIRE_MEDIA("odd #1 100%.flac");
  In_Module* m = Plugin();
  ASSERT_NO_FATAL_FAILURE(PlayToEnd(m, "odd #1 100%.flac"));
  EXPECT_EQ(fake_host::Output().written_frames, 441000);
}

TEST(RefusalTest, BadFilesAreRefusedByPlay) {
  In_Module* m = Plugin();
  ASSERT_NE(m, nullptr);
  for (const char* file : {"garbage.mp3", "garbage.m4a", "garbage.wma", "garbage.flac", "empty.mp3", "empty.flac",
                           "missing.mp3", "missing folder\\x.flac"}) {
    fake_host::ResetOutput();
    m->Init();
    EXPECT_NE(m->Play(fake_host::MediaPath(file).c_str()), 0) << file;
    EXPECT_EQ(fake_host::Output().open_calls, 0) << file;
    m->Stop();  // a host stops a refused playback too
    m->Quit();
    EXPECT_EQ(fake_host::Output().close_calls, 0) << file;
  }
  m->Init();
  EXPECT_NE(m->Play(""), 0);
  EXPECT_NE(m->Play(nullptr), 0);
  m->Stop();
  m->Quit();
}

TEST(RefusalTest, AnOutputThatFailsToOpenRefusesPlay) {
  REQUIRE_MEDIA("song.flac");
  In_Module* m = Plugin();
  fake_host::ResetOutput(-1, true);
  m->Init();
  EXPECT_NE(m->Play(fake_host::MediaPath("song.flac").c_str()), 0);
  m->Stop();
  m->Quit();
  const OutputRecord out = fake_host::Output();
  EXPECT_EQ(out.open_calls, 1);
  EXPECT_EQ(out.written_frames, 0);
}

}  // namespace
