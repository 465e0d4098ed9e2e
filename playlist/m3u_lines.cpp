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

std::string ResolveM3uLine(const std::string& listPath, const std::string& line) {
  if (line.empty() || line[0] == '\\' || line[0] == '/') return line;
  if (line.size() >= 2 && line[1] == ':') return line;  // a drive, with or without a folder
  if (line.find("://") != std::string::npos) return line;
  const size_t slash = listPath.find_last_of("\\/");
  if (slash == std::string::npos) return line;
  // "C:list.m3u" has no folder to join: the line stays drive-relative.
  return listPath.substr(0, slash + 1) + line;
}
