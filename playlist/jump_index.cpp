// The Jump to File search: building the folded index and filtering it.
#include "playlist/jump_index.h"

#include <algorithm>
#include <cstring>

#include "common/text_encoding.h"

namespace {
// Ends each folded text in the index: folded text holds no control
// characters, so no word and no match runs across it.
constexpr char kEnd = '\n';
// Recent searches are kept while their matches together stay below this
// many (4 MB of ids: about ten searches that match most of 100,000 files).
constexpr size_t kRecentMatches = 1048576;

bool HasSeparator(const std::string& word) { return word.find_first_of("\\/") != std::string::npos; }

// True when every word of `before` is part of a word of `now`: whatever
// matches `now` matched `before`.
bool Narrows(const std::vector<std::string>& now, const std::vector<std::string>& before) {
  return std::all_of(before.begin(), before.end(), [&](const std::string& old) {
    return std::any_of(now.begin(), now.end(),
                       [&](const std::string& word) { return word.find(old) != std::string::npos; });
  });
}
}  // namespace

JumpIndex::JumpIndex(const CharFolder& folder, const TextCodec& codec) : folder_(folder), codec_(codec) {}

void JumpIndex::Clear() {
  // swap: clear() would keep the memory.
  std::vector<Entry>().swap(entries_);
  std::string().swap(text_);
  std::string().swap(folders_);
  std::vector<uint32_t>().swap(folderStarts_);
  folderIds_ = {};
  lastFolder_ = {};
  lastFolderIndex_ = 0;
  std::vector<Search>().swap(recent_);
  std::vector<uint32_t>().swap(results_);
  allResults_ = false;
}

void JumpIndex::Add(int32_t list, int32_t file, const SoundFile& entry) {
  const std::string_view path = entry.path;
  const size_t cut = path.find_last_of("\\/");
  const std::string_view folderPath = cut == std::string_view::npos ? std::string_view() : path.substr(0, cut + 1);
  const std::string_view name = cut == std::string_view::npos ? path : path.substr(cut + 1);
  if (entries_.empty() || folderPath != lastFolder_) {
    lastFolder_.assign(folderPath);
    const auto known = folderIds_.find(lastFolder_);
    if (known != folderIds_.end()) {
      lastFolderIndex_ = known->second;
    } else {
      lastFolderIndex_ = static_cast<uint32_t>(folderStarts_.size());
      folderStarts_.push_back(static_cast<uint32_t>(folders_.size()));
      AppendFoldedProgramText(folderPath, folder_, codec_, folders_);
      folders_.push_back(kEnd);
      folderIds_.emplace(lastFolder_, lastFolderIndex_);
    }
  }
  entries_.push_back(Entry{JumpEntry{list, file, entry.id}, static_cast<uint32_t>(text_.size()), lastFolderIndex_});
  // A title that is the path itself (nothing better was known) adds nothing.
  if (entry.title != entry.path) AppendFoldedProgramText(entry.title, folder_, codec_, text_);
  text_.push_back(kEnd);
  AppendFoldedProgramText(name, folder_, codec_, text_);
  text_.push_back(kEnd);
}

void JumpIndex::Finish() {
  entries_.shrink_to_fit();
  text_.shrink_to_fit();
  folders_.shrink_to_fit();
  folderStarts_.shrink_to_fit();
  folderIds_ = {};
  lastFolder_ = {};
  byteCounts_.fill(0);
  for (char c : text_) ++byteCounts_[static_cast<unsigned char>(c)];
  recent_.clear();
  results_.clear();
  allResults_ = false;
}

size_t JumpIndex::MemoryBytes() const {
  size_t recent = 0;
  for (const Search& search : recent_) recent += sizeof search + search.results.capacity() * sizeof(uint32_t);
  return sizeof *this + entries_.capacity() * sizeof(Entry) + text_.capacity() + folders_.capacity() +
         folderStarts_.capacity() * sizeof(uint32_t) + results_.capacity() * sizeof(uint32_t) + recent +
         folderIds_.size() * (sizeof(std::string) + sizeof(uint32_t) + 2 * sizeof(void*));
}

std::vector<std::string> JumpIndex::Words(std::string_view query) const {
  std::string folded;
  AppendFoldedProgramText(query, folder_, codec_, folded);
  std::vector<std::string> words;
  size_t at = 0;
  while (at < folded.size()) {
    const size_t end = std::min(folded.find(' ', at), folded.size());
    if (end > at) words.emplace_back(folded, at, end - at);
    at = end + 1;
  }
  // The longest word first: it usually leaves the fewest files to look at.
  std::sort(words.begin(), words.end(),
            [](const std::string& a, const std::string& b) { return a.size() > b.size(); });
  words.erase(std::unique(words.begin(), words.end()), words.end());
  return words;
}

size_t JumpIndex::TextEnd(size_t entry) const {
  return entry + 1 < entries_.size() ? entries_[entry + 1].text : text_.size();
}

size_t JumpIndex::Find(std::string_view text, const std::string& word) const {
  // memchr for the word's rarest byte, then a compare around it: far fewer
  // false starts than searching for its first byte.
  size_t rare = 0;
  for (size_t k = 1; k < word.size(); ++k) {
    if (byteCounts_[static_cast<unsigned char>(word[k])] < byteCounts_[static_cast<unsigned char>(word[rare])]) {
      rare = k;
    }
  }
  size_t from = rare;
  while (from < text.size()) {
    const void* hit = std::memchr(text.data() + from, word[rare], text.size() - from);
    if (hit == nullptr) break;
    const size_t at = static_cast<size_t>(static_cast<const char*>(hit) - text.data()) - rare;
    if (at + word.size() <= text.size()) {
      // Compared inline: most candidates differ at once, and words are short.
      size_t k = 0;
      while (k < word.size() && text[at + k] == word[k]) ++k;
      if (k == word.size()) return at;
    }
    from = at + rare + 1;
  }
  return std::string_view::npos;
}

std::vector<uint8_t> JumpIndex::FolderHits(const std::string& word) const {
  std::vector<uint8_t> hits(folderStarts_.size(), 0);
  const std::string_view text = folders_;
  size_t from = 0;
  for (;;) {
    const size_t at = Find(text.substr(from), word);
    if (at == std::string_view::npos) break;
    const size_t folder = static_cast<size_t>(
        std::upper_bound(folderStarts_.begin(), folderStarts_.end(), static_cast<uint32_t>(from + at)) -
        folderStarts_.begin() - 1);
    hits[folder] = 1;
    from = folder + 1 < folderStarts_.size() ? folderStarts_[folder + 1] : text.size();
  }
  return hits;
}

bool JumpIndex::PathHolds(const Entry& entry, const std::string& word) const {
  const size_t folderEnd =
      entry.folder + 1 < folderStarts_.size() ? folderStarts_[entry.folder + 1] - 1 : folders_.size() - 1;
  std::string path(folders_, folderStarts_[entry.folder], folderEnd - folderStarts_[entry.folder]);
  const size_t name = text_.find(kEnd, entry.text) + 1;
  path.append(text_, name, text_.find(kEnd, name) - name);
  return path.find(word) != std::string::npos;
}

bool JumpIndex::Holds(const Entry& entry, const std::string& word, const std::vector<uint8_t>& folderHits) const {
  if (folderHits[entry.folder] != 0) return true;
  const size_t index = static_cast<size_t>(&entry - entries_.data());
  const std::string_view text(text_.data() + entry.text, TextEnd(index) - entry.text);
  if (Find(text, word) != std::string_view::npos) return true;
  return HasSeparator(word) && PathHolds(entry, word);
}

void JumpIndex::ScanAll(const std::string& word, std::vector<uint8_t>& mark) const {
  const std::string_view text = text_;
  size_t from = 0;
  size_t entry = 0;
  for (;;) {
    const size_t at = Find(text.substr(from), word);
    if (at == std::string_view::npos) break;
    // The entry holding the match: the next one, or found by halves past
    // a stretch of entries without one.
    const uint32_t position = static_cast<uint32_t>(from + at);
    if (entry + 1 < entries_.size() && entries_[entry + 1].text <= position) {
      ++entry;
      if (entry + 1 < entries_.size() && entries_[entry + 1].text <= position) {
        entry = static_cast<size_t>(std::upper_bound(entries_.begin() + static_cast<std::ptrdiff_t>(entry), entries_.end(),
                                                     position, [](uint32_t p, const Entry& e) { return p < e.text; }) -
                                    entries_.begin()) - 1;
      }
    }
    mark[entry] = 1;
    from = TextEnd(entry);  // one match is enough: on to the next entry
  }
  const std::vector<uint8_t> folderHits = FolderHits(word);
  const bool path = HasSeparator(word);
  for (size_t i = 0; i < entries_.size(); ++i) {
    if (mark[i] == 0 && (folderHits[entries_[i].folder] != 0 || (path && PathHolds(entries_[i], word)))) {
      mark[i] = 1;
    }
  }
}

const JumpIndex::Search* JumpIndex::NarrowedSearch(const std::vector<std::string>& words) const {
  const Search* best = nullptr;
  for (const Search& search : recent_) {
    if ((best == nullptr || search.results.size() < best->results.size()) && Narrows(words, search.words)) {
      best = &search;
    }
  }
  return best;
}

void JumpIndex::Remember(const std::vector<std::string>& words) {
  recent_.erase(std::remove_if(recent_.begin(), recent_.end(), [&](const Search& s) { return s.words == words; }),
                recent_.end());
  size_t total = results_.size();
  if (total > kRecentMatches) return;
  for (const Search& search : recent_) total += search.results.size();
  while (total > kRecentMatches) {
    total -= recent_.front().results.size();
    recent_.erase(recent_.begin());
  }
  recent_.push_back(Search{words, results_});
}

const std::vector<uint32_t>& JumpIndex::Filter(std::string_view query) {
  const std::vector<std::string> words = Words(query);
  const Search* base = words.empty() ? nullptr : NarrowedSearch(words);
  if (base != nullptr) {
    results_ = base->results;
    allResults_ = false;
  } else {
    results_.resize(entries_.size());
    for (size_t i = 0; i < entries_.size(); ++i) results_[i] = static_cast<uint32_t>(i);
    allResults_ = true;
  }
  for (const std::string& word : words) {
    if (base != nullptr && std::find(base->words.begin(), base->words.end(), word) != base->words.end()) continue;
    // Few files left: look at each; many: one pass over all the text.
    if (!allResults_ && results_.size() < entries_.size() / 8) {
      const std::vector<uint8_t> folderHits = FolderHits(word);
      results_.erase(std::remove_if(results_.begin(), results_.end(),
                                    [&](uint32_t i) { return !Holds(entries_[i], word, folderHits); }),
                     results_.end());
    } else {
      std::vector<uint8_t> mark(entries_.size(), 0);
      ScanAll(word, mark);
      results_.erase(std::remove_if(results_.begin(), results_.end(), [&](uint32_t i) { return mark[i] == 0; }),
                     results_.end());
    }
    allResults_ = false;
  }
  if (!words.empty()) Remember(words);
  return results_;
}
