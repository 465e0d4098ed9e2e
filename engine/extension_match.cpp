// Which plug-in claims a file.
#include "engine/extension_match.h"

#include <cctype>

namespace {
std::string LowerCase(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

// Length of the NUL-terminated string at `text`, or `limit` when none ends
// within it.
size_t BoundedLength(const char* text, size_t limit) {
  size_t n = 0;
  while (n < limit && text[n] != '\0') ++n;
  return n;
}
}  // namespace

std::string BuildExtensionList(const char* fileExtensions, size_t limit) {
  std::string list;
  if (fileExtensions == nullptr) return list;
  size_t at = 0;
  while (at < limit) {
    const size_t extensionLength = BoundedLength(fileExtensions + at, limit - at);
    if (extensionLength == 0 || at + extensionLength >= limit) break;  // end, or unterminated
    list += LowerCase(std::string(fileExtensions + at, extensionLength));
    list += ';';
    at += extensionLength + 1;
    if (at >= limit) break;
    const size_t descriptionLength = BoundedLength(fileExtensions + at, limit - at);
    if (at + descriptionLength >= limit) break;
    at += descriptionLength + 1;
    // A pair without a description ends the list as well.
    if (descriptionLength == 0) break;
  }
  return list;
}

bool PathExtension(const std::string& path, std::string& extension) {
  const size_t dot = path.find_last_of('.');
  if (dot == std::string::npos) return false;
  extension = LowerCase(path.substr(dot + 1));
  return true;
}

bool ExtensionListClaims(const std::string& list, const std::string& extension) {
  return list.find(extension) != std::string::npos;
}
