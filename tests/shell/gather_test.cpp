// Gathering under Wine: folder trees (order, depth limit, loops, bounds),
// ".m3u" lists (extended form, binary and overlong content, missing files)
// and command-line arguments. Each test works in a fresh folder beside the
// test program.
#include "playlist/gather.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "framework/module_path.h"
#include "framework/unique_handle.h"

namespace {
using Paths = std::vector<std::string>;

std::wstring Wide(const std::string& text) { return std::wstring(text.begin(), text.end()); }

// "\\?\" paths pass the 260-character limit (the deep tree needs it).
std::wstring LongPath(const std::string& path) { return L"\\\\?\\" + Wide(path); }

void WriteFile(const std::string& path, const std::string& bytes) {
  UniqueFileHandle file(::CreateFileW(LongPath(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
  ASSERT_TRUE(file) << path;
  DWORD written = 0;
  ASSERT_TRUE(::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr));
}

void MakeFolder(const std::string& path) { ASSERT_TRUE(::CreateDirectoryW(LongPath(path).c_str(), nullptr)) << path; }

void RemoveTree(const std::string& path) {
  WIN32_FIND_DATAW entry{};
  UniqueFindHandle find(::FindFirstFileW((LongPath(path) + L"\\*").c_str(), &entry));
  if (find) {
    do {
      const std::wstring name = entry.cFileName;
      if (name == L"." || name == L"..") continue;
      const std::string child = path + "\\" + std::string(name.begin(), name.end());
      if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 &&
          (entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) {
        RemoveTree(child);
      } else if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        ::RemoveDirectoryW(LongPath(child).c_str());
      } else {
        ::SetFileAttributesW(LongPath(child).c_str(), FILE_ATTRIBUTE_NORMAL);
        ::DeleteFileW(LongPath(child).c_str());
      }
    } while (::FindNextFileW(find.get(), &entry));
  }
  find.reset();
  ::RemoveDirectoryW(LongPath(path).c_str());
}

// The names of a folder's entries in the order the file system lists them.
std::vector<std::string> ListedNames(const std::string& folder) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA entry{};
  UniqueFindHandle find(::FindFirstFileA((folder + "\\*.*").c_str(), &entry));
  if (!find) return names;
  do {
    const std::string name = entry.cFileName;
    if (name != "." && name != "..") names.push_back(name);
  } while (::FindNextFileA(find.get(), &entry));
  return names;
}

class GatherTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    root_ = ModuleFolder() + "\\gather_" + std::to_string(::GetCurrentProcessId()) + "_" + info->name();
    RemoveTree(root_);
    MakeFolder(root_);
  }
  void TearDown() override { RemoveTree(root_); }

  std::string root_;
};

TEST_F(GatherTest, FolderIsGatheredDepthFirstInListedOrder) {
  WriteFile(root_ + "\\a.mp3", "a");
  MakeFolder(root_ + "\\sub");
  WriteFile(root_ + "\\sub\\b.mp3", "b");
  WriteFile(root_ + "\\c.txt", "c");  // no filtering by type
  ::SetFileAttributesA((root_ + "\\c.txt").c_str(), FILE_ATTRIBUTE_HIDDEN);  // hidden files too
  MakeFolder(root_ + "\\empty");

  // Whatever order the file system lists the entries in, the sub-folder's
  // file stands at the sub-folder's place.
  Paths expected;
  for (const std::string& name : ListedNames(root_)) {
    if (name == "sub") {
      expected.push_back(root_ + "\\sub\\b.mp3");
    } else if (name != "empty") {
      expected.push_back(root_ + "\\" + name);
    }
  }
  ASSERT_EQ(expected.size(), 3u);

  Paths paths = {"earlier entry"};
  GatherFolder(root_, paths);
  expected.insert(expected.begin(), "earlier entry");  // appended, never replaced
  EXPECT_EQ(paths, expected);
}

TEST_F(GatherTest, EmptyOrMissingFolderGathersNothing) {
  Paths paths;
  GatherFolder(root_, paths);
  GatherFolder(root_ + "\\missing", paths);
  EXPECT_TRUE(paths.empty());
}

TEST_F(GatherTest, DeepTreeStopsAtTheDepthLimit) {
  // 200 levels, one file in each: only levels 0..64 are entered.
  std::string folder = root_;
  for (int level = 0; level < 200; ++level) {
    WriteFile(folder + "\\f" + std::to_string(level), "x");
    folder += "\\d";
    MakeFolder(folder);
  }
  const int limit = GatherLimits().maxDepth;
  Paths expected;
  std::string level = root_;
  for (int depth = 0; depth <= limit; ++depth, level += "\\d") expected.push_back(level + "\\f" + std::to_string(depth));
  Paths paths;
  GatherFolder(root_, paths);
  std::sort(paths.begin(), paths.end());
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(paths, expected);
}

TEST_F(GatherTest, BoundsStopTheScan) {
  MakeFolder(root_ + "\\one");
  MakeFolder(root_ + "\\two");
  for (const char* name : {"\\a", "\\b", "\\one\\c", "\\one\\d", "\\two\\e"}) WriteFile(root_ + name, "x");

  GatherLimits fewPaths;
  fewPaths.maxPaths = 3;
  Paths paths;
  GatherFolder(root_, paths, fewPaths);
  EXPECT_EQ(paths.size(), 3u);
  GatherFolder(root_, paths, fewPaths);  // already full: nothing more
  EXPECT_EQ(paths.size(), 3u);

  GatherLimits oneFolder;
  oneFolder.maxFolders = 1;  // the starting folder only
  paths.clear();
  GatherFolder(root_, paths, oneFolder);
  EXPECT_EQ(paths.size(), 2u);

  GatherLimits flat;
  flat.maxDepth = 0;
  paths.clear();
  GatherFolder(root_, paths, flat);
  EXPECT_EQ(paths.size(), 2u);
}

// The build made two trees beside this program with links back to their own
// folder: loop_once (one link) and loop_twice (two links, so an unguarded
// scan would double with every level). Wine shows the links either as
// reparse points, which are not entered, or as plain folders, which the
// depth and folder bounds stop.
TEST(GatherLoops, LinksBackUpTheTreeEndTheScan) {
  const std::string once = ModuleFolder() + "\\loop_once";
  const std::string twice = ModuleFolder() + "\\loop_twice";
  const DWORD link = ::GetFileAttributesA((once + "\\back").c_str());
  ASSERT_NE(link, INVALID_FILE_ATTRIBUTES) << "the build did not make the looping trees";
  ASSERT_NE(link & FILE_ATTRIBUTE_DIRECTORY, 0u);
  const bool seenAsLink = (link & FILE_ATTRIBUTE_REPARSE_POINT) != 0;

  Paths paths;
  GatherFolder(once, paths);
  Paths expected = {once + "\\song.mp3"};
  if (!seenAsLink) {
    std::string folder = once;
    for (int depth = 1; depth <= GatherLimits().maxDepth; ++depth) {
      folder += "\\back";
      expected.push_back(folder + "\\song.mp3");
    }
  }
  std::sort(paths.begin(), paths.end());
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(paths, expected);

  GatherLimits limits;
  limits.maxFolders = 2000;  // the default bound takes long under Wine
  paths.clear();
  GatherFolder(twice, paths, limits);
  if (seenAsLink) {
    EXPECT_EQ(paths, Paths{twice + "\\song.mp3"});
  } else {
    // One song per folder entered: the starting one and at most 2000 more.
    EXPECT_GE(paths.size(), limits.maxFolders);
    EXPECT_LE(paths.size(), limits.maxFolders + 1);
  }
}

TEST_F(GatherTest, M3uGathersItsPathLinesBesideTheList) {
  const std::string list = root_ + "\\list.m3u";
  WriteFile(list, "#EXTM3U\r\n#EXTINF:123,Artist - Title\r\n\r\nmusic\\a.mp3\r\n");
  Paths paths;
  EXPECT_TRUE(ReadM3u(list, paths));
  EXPECT_EQ(paths, Paths{root_ + "\\music\\a.mp3"});

  WriteFile(list, " spaced.mp3 \nC:\\x.mp3");  // no trimming, last line without line end, absolute kept
  paths.clear();
  EXPECT_TRUE(ReadM3u(list, paths));
  EXPECT_EQ(paths, (Paths{root_ + "\\ spaced.mp3 ", "C:\\x.mp3"}));
}

TEST_F(GatherTest, M3uWithBadContentKeepsOnlyGoodLines) {
  const std::string list = root_ + "\\bad.m3u";
  const std::string overlong(300, 'p');
  WriteFile(list, "a.mp3\n" + overlong + "\r\n" + std::string("\x01\x00\xff\x7f junk", 9) + "\nb.mp3\n");
  Paths paths;
  EXPECT_TRUE(ReadM3u(list, paths));
  EXPECT_EQ(paths, (Paths{root_ + "\\a.mp3", root_ + "\\b.mp3"}));

  // A binary file named ".m3u": every byte value, many NULs, long runs.
  std::string binary;
  for (int i = 0; i < 200000; ++i) binary.push_back(static_cast<char>((i * 7919 + i / 13) & 0xFF));
  WriteFile(list, binary);
  paths.clear();
  EXPECT_TRUE(ReadM3u(list, paths));
  for (const std::string& path : paths) {
    EXPECT_EQ(path.find('\0'), std::string::npos);
    EXPECT_LE(path.size(), root_.size() + 1 + kMaxM3uLineLength);
  }

  paths.clear();
  EXPECT_FALSE(ReadM3u(root_ + "\\missing.m3u", paths));
  EXPECT_FALSE(ReadM3u(root_, paths));  // a folder is no list
  EXPECT_TRUE(paths.empty());
}

TEST_F(GatherTest, ArgumentIsFolderListOrPath) {
  MakeFolder(root_ + "\\album.m3u");  // a folder, whatever its name
  WriteFile(root_ + "\\album.m3u\\t1.mp3", "x");
  WriteFile(root_ + "\\LIST.M3U", "one.mp3\ntwo.mp3\n");

  Paths paths;
  GatherArgument(root_ + "\\album.m3u", paths);
  GatherArgument(root_ + "\\LIST.M3U", paths);
  GatherArgument(root_ + "\\missing.m3u", paths);  // unreadable list: nothing
  GatherArgument(root_ + "\\not there.mp3", paths);  // a file, existing or not
  GatherArgument("", paths);
  const Paths expected = {root_ + "\\album.m3u\\t1.mp3", root_ + "\\one.mp3", root_ + "\\two.mp3",
                          root_ + "\\not there.mp3", ""};
  EXPECT_EQ(paths, expected);
}
}  // namespace
