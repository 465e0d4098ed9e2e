// The ".m3u" line reader: which lines become paths, how line ends, overlong
// and binary lines are treated, that feeding in pieces changes nothing, and
// the bound on the number of paths; and the ".m3u" extension test.
#include "playlist/m3u_lines.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {
using Paths = std::vector<std::string>;

Paths ReadWhole(const std::string& bytes, size_t maxPaths = kMaxGatheredPaths) {
  Paths paths;
  M3uLineReader reader(paths, maxPaths);
  reader.Feed(bytes.data(), bytes.size());
  reader.Finish();
  return paths;
}

Paths ReadBytewise(const std::string& bytes) {
  Paths paths;
  M3uLineReader reader(paths);
  for (char c : bytes) reader.Feed(&c, 1);
  reader.Finish();
  return paths;
}

TEST(M3uLineReader, KeepsPathLinesUnchanged) {
  struct Case {
    const char* what;
    std::string bytes;
    Paths paths;
  };
  const std::string longest(kMaxM3uLineLength, 'a');
  const std::string tooLong(kMaxM3uLineLength + 1, 'b');
  std::string fourByteLongest;
  for (size_t i = 0; i < kMaxM3uLineLength / 2; ++i) fourByteLongest += "\xf0\x9f\x8e\xb5";  // two units each
  fourByteLongest += "a";
  const Case cases[] = {
      {"extended form", "#EXTM3U\r\n#EXTINF:12,T\r\n\r\nmusic\\a.mp3\r\n", {"music\\a.mp3"}},
      {"plain line ends", "a.mp3\nb.mp3\n", {"a.mp3", "b.mp3"}},
      {"last line without line end", "a.mp3\nb.mp3", {"a.mp3", "b.mp3"}},
      {"white space kept", " a.mp3 \t\n", {" a.mp3 \t"}},
      {"only one \\r belongs to the line end", "a.mp3\r\r\n", {"a.mp3\r"}},
      {"\\r inside a line", "a\rb\n", {"a\rb"}},
      {"\"#\" only at the start", "a#b\n #c\n#d\n", {"a#b", " #c"}},
      {"empty input", "", {}},
      {"only line ends", "\n\r\n\n", {}},
      {"longest line kept", longest + "\r\nx\n", {longest, "x"}},
      {"longest line without line end", longest, {longest}},
      {"overlong line skipped whole", "x\n" + tooLong + "\ny\n", {"x", "y"}},
      {"overlong with \\r skipped", tooLong + "\r\ny", {"y"}},
      {"overlong last line skipped", "x\n" + tooLong + tooLong, {"x"}},
      {"line with NUL skipped", std::string("x\nab\0cd\ny\n", 10), {"x", "y"}},
      {"NUL after an overlong run", tooLong + std::string("\0\n", 2) + "z", {"z"}},
      {"UTF-8 passes", "\xc3\xa9t\xc3\xa9.mp3\n", {"\xc3\xa9t\xc3\xa9.mp3"}},
      {"a byte order mark is no part of the path", "\xef\xbb\xbf" "a.mp3\n", {"a.mp3"}},
      {"Western legacy bytes become UTF-8", "\xe9t\xe9.mp3\n\x80\n", {"\xc3\xa9t\xc3\xa9.mp3", "\xe2\x82\xac"}},
      {"one invalid byte makes the whole list legacy", "\xc3\xa9\n\xe9\n", {"\xc3\x83\xc2\xa9", "\xc3\xa9"}},
      {"a mark makes it UTF-8 all the same", "\xef\xbb\xbf\xc3\xa9\n", {"\xc3\xa9"}},
      {"only the whole mark is one", "\xcf\xbb\xbf\n", {"\xc3\x8f\xc2\xbb\xc2\xbf"}},
      {"longest line in four-byte characters", fourByteLongest + "\n", {fourByteLongest}},
      {"one character too many", fourByteLongest + "a\n", {}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ReadWhole(c.bytes), c.paths) << c.what;
    EXPECT_EQ(ReadBytewise(c.bytes), c.paths) << c.what << " (fed byte by byte)";
  }
}

TEST(M3uLineReader, StopsAtThePathBound) {
  std::string bytes;
  for (int i = 0; i < 10; ++i) bytes += "f" + std::to_string(i) + "\n";
  const Paths paths = ReadWhole(bytes, 4);
  EXPECT_EQ(paths, (Paths{"f0", "f1", "f2", "f3"}));

  Paths full(5, "earlier");
  M3uLineReader reader(full, 5);
  EXPECT_TRUE(reader.Full());
  reader.Feed("a\n", 2);
  reader.Finish();
  EXPECT_EQ(full.size(), 5u);
}

TEST(M3uLineReader, BinaryInputNeverYieldsBadLines) {
  std::string bytes;
  unsigned state = 12345;
  for (int i = 0; i < 100000; ++i) {
    state = state * 1103515245u + 12345u;
    bytes.push_back(static_cast<char>(state >> 24));
  }
  const Paths paths = ReadWhole(bytes);
  EXPECT_EQ(paths, ReadBytewise(bytes));
  for (const std::string& path : paths) {
    EXPECT_FALSE(path.empty());
    EXPECT_NE(path[0], '#');
    EXPECT_EQ(path.find('\0'), std::string::npos);
    EXPECT_EQ(path.find('\n'), std::string::npos);
    EXPECT_LE(Utf8ToUtf16(path).size(), kMaxM3uLineLength);
    EXPECT_TRUE(IsValidUtf8(path));
  }
}

TEST(M3uLineReader, Utf8ListsAreUtf8WhateverTheirBytes) {
  Paths paths;
  M3uLineReader reader(paths, kMaxGatheredPaths, M3uEncoding::Utf8);
  const std::string bytes = "\xef\xbb\xbf\xc3\xa9\n\xe9\n";
  reader.Feed(bytes.data(), bytes.size());
  reader.Finish();
  EXPECT_EQ(paths, (Paths{"\xc3\xa9", "\xef\xbf\xbd"}));
}

TEST(M3uExtension, LastDotOfTheWholePathDecides) {
  EXPECT_TRUE(HasM3uExtension("list.m3u"));
  EXPECT_TRUE(HasM3uExtension("C:\\Lists\\ROCK.M3U"));
  EXPECT_TRUE(HasM3uExtension("mixed.M3u"));
  EXPECT_TRUE(HasM3uExtension(".m3u"));
  EXPECT_TRUE(HasM3uExtension("list.m3u8"));
  EXPECT_TRUE(HasM3uExtension("C:\\Lists\\Rock.M3U8"));
  EXPECT_EQ(M3uEncodingOf("a.M3U8"), M3uEncoding::Utf8);
  EXPECT_EQ(M3uEncodingOf("a.m3u"), M3uEncoding::Detect);
  EXPECT_FALSE(HasM3uExtension("list.m3u9"));
  EXPECT_FALSE(HasM3uExtension("list.mp3"));
  EXPECT_FALSE(HasM3uExtension("m3u"));
  EXPECT_FALSE(HasM3uExtension("C:\\a.m3u\\song"));  // ".m3u\\song" from the folder's dot
  EXPECT_TRUE(HasM3uExtension("C:\\a.b\\list.m3u"));
  EXPECT_FALSE(HasM3uExtension("C:\\a.m3u\\song.mp3"));
  EXPECT_FALSE(HasM3uExtension(""));
}
TEST(M3uResolve, RelativeLinesJoinTheListsFolderOthersStay) {
  struct Case {
    const char* list;
    const char* line;
    const char* opened;
  };
  const Case cases[] = {
      {"C:\\Music\\Album\\album.m3u", "01 Intro.mp3", "C:\\Music\\Album\\01 Intro.mp3"},
      {"C:\\Music\\Album\\album.m3u", "disc2\\a.mp3", "C:\\Music\\Album\\disc2\\a.mp3"},
      {"C:\\Music\\Album\\album.m3u", "..\\Other\\b.mp3", "C:\\Music\\Album\\..\\Other\\b.mp3"},
      {"Z:/tmp/list.m3u", "c.mp3", "Z:/tmp/c.mp3"},
      {"C:\\Music\\album.m3u", "D:\\x.mp3", "D:\\x.mp3"},            // absolute
      {"C:\\Music\\album.m3u", "D:x.mp3", "D:x.mp3"},                    // drive-relative
      {"C:\\Music\\album.m3u", "\\Songs\\x.mp3", "\\Songs\\x.mp3"},    // root of the drive
      {"C:\\Music\\album.m3u", "\\\\server\\share\\x.mp3", "\\\\server\\share\\x.mp3"},
      {"C:\\Music\\album.m3u", "http://radio.example/stream", "http://radio.example/stream"},
      {"album.m3u", "x.mp3", "x.mp3"},                                     // no folder to join
      {"C:\\Music\\album.m3u", "", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(ResolveM3uLine(c.list, c.line), c.opened) << c.list << " " << c.line;
}
}  // namespace
