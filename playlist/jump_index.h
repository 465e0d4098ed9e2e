// The search of the Jump to File window: every file of every play list,
// found by words typed in any order, each a substring of the file's title or
// path, whatever the case and accents (common/text_fold.h).
//
// The index holds each file's folded title and file name, and each folder's
// folded path once (the files of a folder share it). It is built from the
// lists once (when the window opens or the lists changed), in parts, and
// then filters at every keystroke: a query that narrows a recent one (each
// of that one's words is part of one of its words) only looks at that
// one's matches, so typing on, and typing back with Backspace, look at few.
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "common/text_fold.h"
#include "playlist/sound_file.h"

class TextCodec;

// Where a file is (list and position when the index was built) and its id.
struct JumpEntry {
  int32_t list = 0;
  int32_t file = 0;
  int32_t id = 0;
};

// Not thread-safe: one thread builds and filters (the UI thread).
class JumpIndex {
 public:
  // The folder and codec must outlive the index.
  JumpIndex(const CharFolder& folder, const TextCodec& codec);

  // --- building -------------------------------------------------------------
  void Clear();
  // Adds the next file; files come in list order.
  void Add(int32_t list, int32_t file, const SoundFile& entry);
  // After the last Add: gives back building memory.
  void Finish();
  size_t EntryCount() const { return entries_.size(); }
  const JumpEntry& EntryAt(size_t index) const { return entries_[index].where; }
  // Bytes the index holds (its buffers' capacities).
  size_t MemoryBytes() const;

  // --- searching -----------------------------------------------------------
  // The query's folded words, in any order; empty when it has none (only
  // spaces or characters that fold away).
  std::vector<std::string> Words(std::string_view query) const;
  // The entries (indexes for EntryAt, in list order) whose title or path
  // holds every word of the query; every entry for a query without words.
  const std::vector<uint32_t>& Filter(std::string_view query);

 private:
  struct Entry {
    JumpEntry where;
    uint32_t text;    // its folded title, '\n', file name, '\n' in text_
    uint32_t folder;  // index into folderStarts_
  };

  // Marks (mark[i] = 1) the entries whose title, file name or folder holds
  // `word`, looking at every entry's text once.
  void ScanAll(const std::string& word, std::vector<uint8_t>& mark) const;
  // Whether one entry holds `word`.
  bool Holds(const Entry& entry, const std::string& word, const std::vector<uint8_t>& folderHits) const;
  // The folders whose folded path holds `word`.
  std::vector<uint8_t> FolderHits(const std::string& word) const;
  // A word with a path separator can run from the folder into the name.
  bool PathHolds(const Entry& entry, const std::string& word) const;
  size_t TextEnd(size_t entry) const;
  size_t Find(std::string_view text, const std::string& word) const;

  const CharFolder& folder_;
  const TextCodec& codec_;
  std::vector<Entry> entries_;
  std::string text_;
  std::string folders_;                // each folder's folded path and '\n'
  std::vector<uint32_t> folderStarts_;
  std::array<uint32_t, 256> byteCounts_{};  // of text_: the rarest byte of a word leads its search
  // --- while building ---
  std::string lastFolder_;  // the last file's folder, unfolded
  uint32_t lastFolderIndex_ = 0;
  std::unordered_map<std::string, uint32_t> folderIds_;
  // --- recent searches ---
  struct Search {
    std::vector<std::string> words;
    std::vector<uint32_t> results;
  };
  // The recent search with the fewest matches that `words` narrows, or null.
  const Search* NarrowedSearch(const std::vector<std::string>& words) const;
  void Remember(const std::vector<std::string>& words);

  std::vector<Search> recent_;  // oldest first; their matches together at most kRecentMatches
  std::vector<uint32_t> results_;
  bool allResults_ = false;  // results_ is every entry
};
