// Which plug-in claims a file: the extension lists of the loaded plug-ins and
// the match of a path's extension against them.
#pragma once
#include <cstddef>
#include <string>

// Builds "ext1;ext2;...;" (lower case) from a plug-in's FileExtensions: pairs
// of NUL-terminated strings (extension text, description) ended by an empty
// string. Reads at most `limit` bytes, so an unterminated list cannot run
// past what the plug-in owns; a null list gives an empty text.
std::string BuildExtensionList(const char* fileExtensions, size_t limit = 65536);

// The text after the last "." of the whole path, lower-cased; false when the
// path has no ".".
bool PathExtension(const std::string& path, std::string& extension);

// True when `extension` occurs in `list` as a plain substring (so "p3" is
// claimed by a plug-in listing "mp3").
bool ExtensionListClaims(const std::string& list, const std::string& extension);
