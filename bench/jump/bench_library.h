// The collection both Jump to File benchmarks search: 100,000 files in 20
// lists with long paths and titles in Latin with accents, Cyrillic, Greek,
// Japanese, Chinese, Korean and Arabic (every other file untitled), and the
// keystrokes of the searches typed into it.
#pragma once
#include <random>
#include <string>
#include <vector>

#include "common/text_encoding.h"
#include "playlist/play_list_model.h"

namespace jumpbench {

constexpr int kLists = 20;
constexpr int kFilesPerList = 5000;

inline std::string Phrase(std::mt19937& random, int words) {
  static const char* const kWords[] = {
      "Love",   "Song",   "Night",  "Café",   "Été",     "Straße",  "Noël",   "Coração",   "Mañana", "Dancing",
      "Blue",   "Moon",   "Rain",   "Fire",   "Heart",   "Summer",  "Road",   "Golden",    "River",  "Światło",
      "Москва", "Ночь",   "Любовь", "Звезда", "Ωμέγα",   "Θάλασσα", "Αγάπη",  "日本語の歌", "さくら", "東京",
      "夜明け", "月亮",   "爱情",   "北京",   "사랑",    "서울",    "바다",   "حب",        "قمر",    "Øresund"};
  std::string text;
  for (int i = 0; i < words; ++i) {
    if (i > 0) text += " ";
    text += kWords[random() % (sizeof kWords / sizeof kWords[0])];
  }
  return text;
}

// Fills the model with the lists; the current file is in the fourth list.
inline void FillLibrary(PlayListModel& model) {
  std::mt19937 random(2024);
  for (int l = 0; l < kLists; ++l) {
    const int list = model.AppendList("List " + std::to_string(l + 1) + " " + Phrase(random, 1));
    std::vector<NewSoundFile> entries;
    entries.reserve(kFilesPerList);
    std::string artist, album;
    for (int i = 0; i < kFilesPerList; ++i) {
      if (i % 12 == 0) {
        artist = Phrase(random, 2);
        album = std::to_string(1960 + random() % 60) + " - " + Phrase(random, 3);
      }
      const std::string title = Phrase(random, 1 + static_cast<int>(random() % 4));
      const std::string path = "C:\\Users\\Listener\\Music\\Library\\" + artist + "\\" + album + "\\Disc " +
                               std::to_string(1 + i % 2) + "\\" + std::to_string(10 + i % 12) + " - " + title + ".flac";
      entries.emplace_back(path, i % 2 == 0 ? title : std::string(), 0, 0);
    }
    model.InsertFiles(list, 0, std::move(entries));
  }
  model.SelectFile(3, 1200);
}

// The typed searches: each keystroke adds a character, then the query is
// taken back character by character.
inline std::vector<std::u16string> Keystrokes() {
  const char* const queries[] = {"love song", "moon rain 1999", "cafe", "straße", "москва ночь", "日本",
                                 "さくら 東京", "사랑", "disc 2 flac", "zzz", "e", "golden river", "ωμεγα"};
  std::vector<std::u16string> steps;
  for (const char* query : queries) {
    const std::u16string text = Utf8ToUtf16(query);
    for (size_t n = 1; n <= text.size(); ++n) steps.push_back(text.substr(0, n));
    for (size_t n = text.size() - 1; n > 0; --n) steps.push_back(text.substr(0, n));
  }
  return steps;
}

}  // namespace jumpbench
