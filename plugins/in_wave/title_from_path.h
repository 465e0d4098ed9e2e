// The title in_wave.dll reports for a file: its name without folder and
// extension. Portable; the caller supplies the code page's lead-byte test so
// that double-byte characters are never split or mistaken for separators.
#pragma once
#include <cstddef>

namespace wav {

using LeadByteTest = bool (*)(unsigned char byte);

// Writes the title of path into out (capacity bytes, capacity >= 1), always
// NUL-terminated, cut at a character boundary when it does not fit.
// "C:\music\My Song.wav" gives "My Song"; a name that is only an extension
// (".wav") is kept whole.
void TitleFromPath(const char* path, LeadByteTest isLeadByte, char* out, size_t capacity);

}  // namespace wav
