// What a loudness analysis is given and what it gives back, and how a
// choice of play list entries becomes its jobs. Portable.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "playlist/sound_file.h"

struct LoudnessJob {
  int32_t entryId = 0;
  std::string path;
  int32_t albumGroup = -1;  // files with the same group >= 0 form an album
};

enum class LoudnessOutcome {
  kMeasured,
  kSilent,          // nothing above the gates: no loudness to match
  kNoPlugin,        // no plug-in claims the file
  kNoExtendedRead,  // its plug-in lacks the extended-read exports
  kUnreadable,      // the plug-in could not open or decode it
  kCancelled,
};

struct LoudnessTrackResult {
  int32_t entryId = 0;
  std::string path;
  LoudnessOutcome outcome = LoudnessOutcome::kCancelled;
  double lufs = 0;
  double peak = 0;
};

struct LoudnessAlbumResult {
  std::vector<int32_t> entryIds;  // the measured files of the group
  double lufs = 0;
  double peak = 0;
};

struct LoudnessProgress {
  std::vector<LoudnessTrackResult> tracks;  // since the last Take
  std::vector<LoudnessAlbumResult> albums;  // at the end
  size_t done = 0;
  size_t total = 0;
  bool finished = false;
};

// One job per entry, in order; entries whose paths share a folder (the
// same text before the last "\\" or "/", in any case) share an album group.
std::vector<LoudnessJob> MakeLoudnessJobs(const std::vector<SoundFile>& entries);

// A cap on what one file may deliver, so a plug-in that never ends its data
// cannot keep the worker forever: six hours of sound.
inline constexpr double kMaxAnalysedSeconds = 6 * 3600.0;
