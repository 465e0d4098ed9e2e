// Progress and result text of the loudness analysis.
#include "ui/loudness_status.h"

namespace {

std::string FileName(const std::string& path) {
  const size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

const char* Reason(LoudnessOutcome outcome) {
  switch (outcome) {
    case LoudnessOutcome::kSilent: return "silent";
    case LoudnessOutcome::kNoPlugin: return "no plug-in";
    case LoudnessOutcome::kNoExtendedRead: return "no extended read";
    case LoudnessOutcome::kUnreadable: return "unreadable";
    default: return nullptr;
  }
}

}  // namespace

void LoudnessTally::Add(const LoudnessTrackResult& result) {
  ++done_;
  if (result.outcome == LoudnessOutcome::kMeasured) {
    ++measured_;
  } else if (result.outcome == LoudnessOutcome::kCancelled) {
    cancelled_ = true;
  } else {
    skipped_.push_back(FileName(result.path) + " (" + Reason(result.outcome) + ")");
  }
}

std::string LoudnessTally::Text() const {
  const std::string counts = std::to_string(measured_) + " of " + std::to_string(total_);
  if (!finished_) return "Analysing loudness: " + std::to_string(done_) + " of " + std::to_string(total_);
  if (cancelled_) return "Loudness analysis stopped: " + counts + " measured";
  std::string text = "Loudness measured: " + counts;
  for (size_t i = 0; i < skipped_.size(); ++i) text += (i == 0 ? "; skipped: " : ", ") + skipped_[i];
  return text;
}
