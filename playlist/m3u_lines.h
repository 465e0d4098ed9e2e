// The path lines of a ".m3u" play list, and the test for that extension.
//
// Bytes are fed in pieces as they are read, so a list of any size is read
// with bounded memory: an overlong line is dropped as it streams by.
#pragma once
#include <cstddef>
#include <string>
#include <vector>

// A path line holds at most this many characters (a path buffer of 260 with
// its terminator); longer lines are skipped whole rather than cut, because a
// cut path would name some other file.
constexpr size_t kMaxM3uLineLength = 259;
// Gathering for one dropped item or command-line argument stops appending
// once its list holds this many paths, so a huge tree or list cannot exhaust
// memory.
constexpr size_t kMaxGatheredPaths = 100000;

// Splits fed bytes into lines ("\n" ends a line; a "\r" before it belongs to
// the line end) and appends each line that is not empty, does not start with
// "#", holds no NUL byte and is not overlong, unchanged, to `paths` while it
// holds fewer than `maxPaths` entries.
class M3uLineReader {
 public:
  explicit M3uLineReader(std::vector<std::string>& paths, size_t maxPaths = kMaxGatheredPaths)
      : paths_(paths), maxPaths_(maxPaths) {}

  void Feed(const char* data, size_t size);
  // The last line may end without a line end.
  void Finish();
  // True once `paths` is full: further bytes cannot add anything.
  bool Full() const { return paths_.size() >= maxPaths_; }

 private:
  void EndLine();

  std::vector<std::string>& paths_;
  const size_t maxPaths_;
  std::string line_;      // up to kMaxM3uLineLength + 1 bytes (room for a "\r")
  bool overlong_ = false;  // the current line went past the limit
  bool binary_ = false;    // the current line holds a NUL byte
};

// True when the text from the last "." of `path` on is ".m3u" in any case.
bool HasM3uExtension(const std::string& path);

// A path line of a ".m3u" list as the program opens it: a line naming a
// file relative to the list (no drive, no leading "\" or "/", no scheme such
// as "http://") is joined to the folder of `listPath`; absolute lines, drive-
// relative ones ("C:music\a.mp3", "\music\a.mp3") and addresses stay as
// they are. A list path without a folder leaves the line alone.
std::string ResolveM3uLine(const std::string& listPath, const std::string& line);
