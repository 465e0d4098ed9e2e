// Fuzz entry of the ".m3u" line reader: any bytes give only path lines the
// rules allow, as UTF-8 text, in the order they stand, however the bytes are
// cut into pieces, and never more than the limit.
#include "fuzz/playlist/fuzz_entries.h"

#include <algorithm>
#include <cstdlib>

#include "common/text_encoding.h"
#include "playlist/m3u_lines.h"

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

std::vector<std::string> ReadInPieces(const char* text, size_t size, size_t piece, size_t maxPaths) {
  std::vector<std::string> paths;
  M3uLineReader reader(paths, maxPaths);
  for (size_t at = 0; at < size; at += piece) reader.Feed(text + at, size - at < piece ? size - at : piece);
  reader.Finish();
  return paths;
}

// Where the line `line` ends at or after `from`, npos when it is not there.
size_t FindLine(const std::string& all, const std::string& line, size_t from) {
  for (size_t at = all.find(line, from); at != std::string::npos; at = all.find(line, at + 1)) {
    const size_t after = at + line.size();
    const bool starts = at == 0 || all[at - 1] == '\n';
    const bool ends = after == all.size() || all[after] == '\n' ||
                      (all[after] == '\r' && (after + 1 == all.size() || all[after + 1] == '\n'));
    if (starts && ends) return after;
  }
  return std::string::npos;
}

}  // namespace

std::vector<std::string> FuzzM3uLines(const uint8_t* data, size_t size) {
  if (size == 0) return {};
  const size_t piece = 1 + data[0] % 64;
  const size_t limit = 1 + data[0] / 64;
  const char* text = reinterpret_cast<const char*>(data + 1);
  const size_t length = size - 1;

  const std::vector<std::string> whole = ReadInPieces(text, length, length ? length : 1, kMaxGatheredPaths);
  Check(ReadInPieces(text, length, piece, kMaxGatheredPaths) == whole);

  // Every path is a whole line of the text (less the "\r" of its line end),
  // in the order of the lines: of the UTF-8 text less its byte order mark,
  // or of the Western legacy text made UTF-8 (line ends stay where they are).
  std::string all(text, length);
  const bool mark = all.compare(0, 3, "\xEF\xBB\xBF") == 0;
  if (mark) all.erase(0, 3);
  if (mark) {
    all = Utf16ToUtf8(Utf8ToUtf16(all));  // a marked list is UTF-8, broken bytes and all
  } else if (!IsValidUtf8(all)) {
    all = Windows1252ToUtf8(all);
  }
  size_t searchFrom = 0;
  for (const std::string& path : whole) {
    Check(!path.empty() && Utf8ToUtf16(path).size() <= kMaxM3uLineLength && path[0] != '#');
    Check(IsValidUtf8(path));
    Check(path.find('\n') == std::string::npos && path.find('\0') == std::string::npos);
    searchFrom = FindLine(all, path, searchFrom);
    Check(searchFrom != std::string::npos);
  }

  // A bounded read keeps the first paths and stops at its limit (lines too
  // long in characters, known only once decoded, may leave it short).
  const std::vector<std::string> first = ReadInPieces(text, length, piece, limit);
  Check(first.size() <= limit && first.size() <= whole.size());
  Check(std::equal(first.begin(), first.end(), whole.begin()));
  return whole;
}
