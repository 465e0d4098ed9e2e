// The path lines of a ".m3u" play list, and the test for that extension.
#include "playlist/m3u_lines.h"

namespace {
constexpr char kByteOrderMark[] = "\xEF\xBB\xBF";

bool EndsWithNoCase(const std::string& text, const char* suffix, size_t length) {
  if (text.size() < length) return false;
  for (size_t i = 0; i < length; ++i) {
    char c = text[text.size() - length + i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != suffix[i]) return false;
  }
  return true;
}
}  // namespace

void M3uLineReader::Feed(const char* data, size_t size) {
  utf8_.Feed(data, size);
  for (size_t i = 0; i < size; ++i, ++bytesSeen_) {
    const char c = data[i];
    // The three bytes of a mark at the very start are no part of a path.
    if (bytesSeen_ < 3 && line_.size() == bytesSeen_ && line_.compare(0, bytesSeen_, kByteOrderMark, bytesSeen_) == 0 &&
        c == kByteOrderMark[bytesSeen_]) {
      line_.push_back(c);
      if (bytesSeen_ == 2) {
        byteOrderMark_ = true;
        line_.clear();
      }
      continue;
    }
    if (c == '\n') {
      EndLine();
      continue;
    }
    if (c == '\0') binary_ = true;
    if (overlong_ || binary_) continue;
    if (line_.size() > kMaxM3uLineBytes) {  // already one past: only a "\r" could follow legally
      overlong_ = true;
      line_.clear();
      continue;
    }
    line_.push_back(c);
  }
}

void M3uLineReader::Finish() {
  if (!line_.empty() || overlong_ || binary_) EndLine();
  const bool utf8 = encoding_ == M3uEncoding::Utf8 || byteOrderMark_ || utf8_.Valid();
  const TextCodec& codec = ProgramTextCodec();
  size_t kept = first_;
  for (size_t i = first_; i < paths_.size(); ++i) {
    std::string text = utf8 ? codec.FromUtf8(paths_[i]) : ProgramTextFromLegacy(paths_[i]);
    if (codec.ToUtf16(text).size() > kMaxM3uLineLength) continue;
    paths_[kept++] = std::move(text);
  }
  paths_.resize(kept);
}

void M3uLineReader::EndLine() {
  if (!line_.empty() && line_.back() == '\r') line_.pop_back();
  const bool keep = !overlong_ && !binary_ && !line_.empty() && line_.size() <= kMaxM3uLineBytes &&
                    line_[0] != '#' && !Full();
  if (keep) paths_.push_back(line_);
  line_.clear();
  overlong_ = false;
  binary_ = false;
}

bool HasM3uExtension(const std::string& path) {
  return EndsWithNoCase(path, ".m3u", 4) || EndsWithNoCase(path, ".m3u8", 5);
}

M3uEncoding M3uEncodingOf(const std::string& path) {
  return EndsWithNoCase(path, ".m3u8", 5) ? M3uEncoding::Utf8 : M3uEncoding::Detect;
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
