// The play list editor's line about a loudness analysis: its progress, then
// what it measured and which files it skipped, by name and reason. Portable.
#pragma once
#include <cstddef>
#include <string>
#include <vector>

#include "engine/loudness_jobs.h"

class LoudnessTally {
 public:
  explicit LoudnessTally(size_t total = 0) : total_(total) {}
  void Add(const LoudnessTrackResult& result);
  void Finish() { finished_ = true; }
  bool finished() const { return finished_; }
  // "Analysing loudness: 3 of 10"; at the end "Loudness measured: 8 of 10"
  // followed by "; skipped: a.mtest (no extended read), ..." or, after a
  // stop, "Loudness analysis stopped: 3 of 10 measured".
  std::string Text() const;

 private:
  size_t total_;
  size_t done_ = 0;
  size_t measured_ = 0;
  bool cancelled_ = false;
  bool finished_ = false;
  std::vector<std::string> skipped_;
};
