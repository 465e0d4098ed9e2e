// The Jump to File search: words in any order, each in the title or the
// path, whatever case and accents, results in list order; and filtering as
// the user types gives what a fresh search gives.
#include "playlist/jump_index.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "common/text_encoding.h"

namespace {

struct File {
  const char* path;
  const char* title;
};

// Three lists; ids count from 1 in list order.
const std::vector<std::vector<File>> kLists = {
    {{"C:\\Musique\\Été\\01 Café au lait.mp3", "Café au lait"},
     {"C:\\Musique\\Été\\02 Straße.flac", ""},
     {"C:\\Music\\Love\\Love Song.mp3", "Love Song"}},
    {{"D:\\音楽\\日本語の歌.wav", "日本語の歌"},
     {"D:\\音楽\\がっこう.wav", ""},
     {"D:\\Other\\Blue.wav", "Blue"}},
    {{"E:\\Album\\07 Track.mp3", "E:\\Album\\07 Track.mp3"},  // a title that is the path
     {"Moon.wav", "Song of Love"}},
};

class JumpIndexTest : public testing::Test {
 protected:
  void Build(JumpIndex& index) const {
    int32_t id = 0;
    for (size_t list = 0; list < kLists.size(); ++list) {
      for (size_t file = 0; file < kLists[list].size(); ++file) {
        SoundFile entry;
        entry.id = ++id;
        entry.path = kLists[list][file].path;
        entry.title = kLists[list][file].title;
        index.Add(static_cast<int32_t>(list), static_cast<int32_t>(file), entry);
      }
    }
    index.Finish();
  }

  std::vector<int32_t> Ids(JumpIndex& index, const char* query) const {
    std::vector<int32_t> ids;
    for (uint32_t at : index.Filter(query)) ids.push_back(index.EntryAt(at).id);
    return ids;
  }

  PortableCharFolder folder_;
  Utf8TextCodec codec_;
};

TEST_F(JumpIndexTest, FindsFilesByWordsOfTheirTitlesOrPaths) {
  struct Case {
    const char* query;
    std::vector<int32_t> ids;
  };
  const Case cases[] = {
      {"love song", {3, 8}},
      {"SONG   love", {3, 8}},            // any order, any case, any spacing
      {"cafe", {1}},                      // accents
      {"STRASSE", {2}},                   // ß
      {"ete", {1, 2}},                    // the folder's name
      {"日本", {4}},                      // ideographs
      {"音楽 かっこう", {5}},             // the folder and a name, kana without its voicing marks
      {"blue wav", {6}},                  // the title and the path's extension
      {"bluewav", {}},                    // never across the title and the name
      {"album\\07", {7}},                 // a word across the folder and the name
      {"c:\\music", {3}},
      {"musique\\ete\\02 str", {2}},
      {"moon love", {8}},
      {"love moon café", {}},
      {"07 track", {7}},
  };
  JumpIndex index(folder_, codec_);
  Build(index);
  EXPECT_EQ(index.EntryCount(), 8u);
  EXPECT_EQ(index.EntryAt(7).list, 2);
  EXPECT_EQ(index.EntryAt(7).file, 1);
  for (const Case& c : cases) {
    EXPECT_EQ(Ids(index, c.query), c.ids) << c.query;
    JumpIndex fresh(folder_, codec_);  // the same without an earlier query
    Build(fresh);
    EXPECT_EQ(Ids(fresh, c.query), c.ids) << c.query << " (fresh)";
  }
  EXPECT_EQ(Ids(index, "  ").size(), 8u);  // no words: every file
  EXPECT_TRUE(index.Words(" \t ").empty());
  EXPECT_EQ(index.Words("Café CAFE x"), (std::vector<std::string>{"cafe", "x"}));
}

// A naive search to compare with: every file's whole folded title and
// path, each word a substring of one of them.
struct FoldedFile {
  int32_t id;
  std::string title;
  std::string path;
};

std::vector<int32_t> Reference(const std::vector<FoldedFile>& files, const std::vector<std::string>& words) {
  std::vector<int32_t> ids;
  for (const FoldedFile& file : files) {
    bool all = true;
    for (const std::string& word : words) {
      all = all && (file.title.find(word) != std::string::npos || file.path.find(word) != std::string::npos);
    }
    if (all) ids.push_back(file.id);
  }
  return ids;
}

TEST_F(JumpIndexTest, TypingKeyByKeyFindsWhatTheNaiveSearchFinds) {
  // Many files in a few folders, names built from a small alphabet so that
  // words match often, partly and across parts.
  const char* const syllables[] = {"la", "lé", "mo", "ON", "ß", "日", "の", "ka", "\\", " "};
  std::mt19937 random(7);
  auto text = [&](int length) {
    std::string out;
    for (int i = 0; i < length; ++i) out += syllables[random() % 10];
    return out;
  };
  std::vector<FoldedFile> files;
  JumpIndex index(folder_, codec_);
  for (int32_t i = 0; i < 3000; ++i) {
    SoundFile file;
    file.id = i + 1;
    file.path = "C:\\f" + std::to_string(i % 40) + "\\" + text(4) + "\\" + text(5) + ".mp3";
    file.title = i % 5 == 0 ? file.path : text(6);
    index.Add(i / 1000, i % 1000, file);
    files.push_back({file.id, FoldUtf8(file.title, folder_), FoldUtf8(file.path, folder_)});
  }
  index.Finish();
  for (int round = 0; round < 60; ++round) {
    // A query typed key by key (each a UTF-8 piece), sometimes with a
    // backspace, checked at every step.
    std::vector<std::string> typed;
    const int keys = 1 + static_cast<int>(random() % 8);
    for (int k = 0; k < keys; ++k) {
      if (!typed.empty() && random() % 6 == 0) {
        typed.pop_back();
      } else {
        typed.push_back(syllables[random() % 10]);
      }
      std::string query;
      for (const std::string& piece : typed) query += piece;
      const std::vector<std::string> words = index.Words(query);
      std::vector<int32_t> found;
      for (uint32_t at : index.Filter(query)) found.push_back(index.EntryAt(at).id);
      ASSERT_EQ(found, Reference(files, words)) << "query \"" << query << "\"";
    }
  }
  EXPECT_GT(index.MemoryBytes(), 3000u * 20);
}

TEST_F(JumpIndexTest, ClearedIndexIsEmptyAndCanBeBuiltAgain) {
  JumpIndex index(folder_, codec_);
  Build(index);
  index.Filter("love");
  index.Clear();
  EXPECT_EQ(index.EntryCount(), 0u);
  EXPECT_TRUE(index.Filter("love").empty());
  Build(index);
  EXPECT_EQ(Ids(index, "love"), (std::vector<int32_t>{3, 8}));
}

}  // namespace
