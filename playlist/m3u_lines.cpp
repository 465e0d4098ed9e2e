// The path lines of a ".m3u" play list, and the test for that extension.
#include "playlist/m3u_lines.h"

void M3uLineReader::Feed(const char* data, size_t size) {
  for (size_t i = 0; i < size; ++i) {
    const char c = data[i];
    if (c == '\n') {
      EndLine();
      continue;
    }
    if (c == '\0') binary_ = true;
    if (overlong_ || binary_) continue;
    if (line_.size() > kMaxM3uLineLength) {  // already one past: only a "\r" could follow legally
      overlong_ = true;
      line_.clear();
      continue;
    }
    line_.push_back(c);
  }
}

void M3uLineReader::Finish() {
  if (!line_.empty() || overlong_ || binary_) EndLine();
}

void M3uLineReader::EndLine() {
  if (!line_.empty() && line_.back() == '\r') line_.pop_back();
  const bool keep = !overlong_ && !binary_ && !line_.empty() && line_.size() <= kMaxM3uLineLength &&
                    line_[0] != '#' && !Full();
  if (keep) paths_.push_back(line_);
  line_.clear();
  overlong_ = false;
  binary_ = false;
}

bool HasM3uExtension(const std::string& path) {
  const size_t dot = path.rfind('.');
  if (dot == std::string::npos || path.size() - dot != 4) return false;
  static const char kExtension[] = ".m3u";
  for (size_t i = 0; i < 4; ++i) {
    char c = path[dot + i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != kExtension[i]) return false;
  }
  return true;
}
