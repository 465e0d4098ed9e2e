// The path lines of a ".m3u" play list, and the test for that extension.
//
// Bytes are fed in pieces as they are read, so a list of any size is read
// with bounded memory: an overlong line is dropped as it streams by.
#pragma once
#include <cstddef>
#include <string>
#include <vector>

#include "common/text_encoding.h"

// A path line holds at most this many characters (a path buffer of 260 with
// its terminator); longer lines are skipped whole rather than cut, because a
// cut path would name some other file. In bytes a character takes up to
// four (UTF-8).
constexpr size_t kMaxM3uLineLength = 259;
constexpr size_t kMaxM3uLineBytes = 4 * kMaxM3uLineLength;
// Gathering for one dropped item or command-line argument stops appending
// once its list holds this many paths, so a huge tree or list cannot exhaust
// memory.
constexpr size_t kMaxGatheredPaths = 100000;

// How the bytes of a list are text: ".m3u8" lists are UTF-8; a ".m3u" list is
// UTF-8 when it starts with a UTF-8 byte order mark or all its bytes are
// valid UTF-8, and otherwise text in the legacy ANSI code page.
enum class M3uEncoding { Detect, Utf8 };

// Splits fed bytes into lines ("\n" ends a line; a "\r" before it belongs to
// the line end) and appends each line that is not empty, does not start with
// "#", holds no NUL byte and is not overlong to `paths` while it holds fewer
// than `maxPaths` entries. The lines become program text when the list is
// finished (common/text_encoding.h), since only the whole list tells its
// encoding; a byte order mark is not part of the first line.
class M3uLineReader {
 public:
  explicit M3uLineReader(std::vector<std::string>& paths, size_t maxPaths = kMaxGatheredPaths,
                         M3uEncoding encoding = M3uEncoding::Detect)
      : paths_(paths), first_(paths.size()), maxPaths_(maxPaths), encoding_(encoding) {}

  void Feed(const char* data, size_t size);
  // The last line may end without a line end. Converts the appended lines.
  void Finish();
  // True once `paths` is full: further bytes cannot add anything.
  bool Full() const { return paths_.size() >= maxPaths_; }

 private:
  void EndLine();

  std::vector<std::string>& paths_;
  const size_t first_;  // paths_ entries before this reader's
  const size_t maxPaths_;
  const M3uEncoding encoding_;
  Utf8StreamValidator utf8_;
  size_t bytesSeen_ = 0;
  bool byteOrderMark_ = false;
  std::string line_;      // up to kMaxM3uLineBytes + 1 bytes (room for a "\r")
  bool overlong_ = false;  // the current line went past the limit
  bool binary_ = false;    // the current line holds a NUL byte
};

// True when the text from the last "." of `path` on is ".m3u" or ".m3u8" in
// any case; M3uEncodingOf tells how to read it.
bool HasM3uExtension(const std::string& path);
M3uEncoding M3uEncodingOf(const std::string& path);

// A path line of a ".m3u" list as the program opens it: a line naming a
// file relative to the list (no drive, no leading "\" or "/", no scheme such
// as "http://") is joined to the folder of `listPath`; absolute lines, drive-
// relative ones ("C:music\a.mp3", "\music\a.mp3") and addresses stay as
// they are. A list path without a folder leaves the line alone.
std::string ResolveM3uLine(const std::string& listPath, const std::string& line);
