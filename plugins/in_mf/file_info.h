// What the plug-in tells the host about a file: its title from tags or its
// name, and its length. Text for the host is ANSI (the system code page).
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "plugins/in_mf/mp3_gapless.h"
#include "plugins/in_mf/mp4_gapless.h"

// Size of the host's title buffer, terminator included.
constexpr size_t kHostTitleBytes = 512;

std::wstring AnsiToWide(const char* text);
std::string WideToAnsi(const std::wstring& text);
std::wstring Utf8ToWide(const std::string& text);

// Copies ANSI text into a buffer of `size` bytes (size > 0), cut at a
// character boundary so that it fits with its terminator.
void CopyAnsi(const std::string& text, char* out, size_t size);

// "Artist - Title", "Title", or the file name without folder and extension.
// The file is open only while its tags are read.
std::string TitleForFile(const std::wstring& path);

// Copies an ANSI title into the host's buffer, cut at a character boundary
// so that it fits with its terminator.
void CopyTitle(const std::string& title, char* out);

// What a file records about its real samples, read before it is decoded:
// the LAME header of an MP3, the edit list and iTunSMPB of an MP4, and the
// bytes the MP4 media source must be shown corrected (mp4_gapless.h).
struct GaplessRecord {
  Mp3GaplessInfo mp3;
  Mp4GaplessInfo mp4;
  std::vector<BytePatch> mp4_source_patches;
};
GaplessRecord ReadGaplessRecord(const std::wstring& path);

// The trim the plug-in applies and the length the host sees, from the
// length Media Foundation reports (100 ns units, 0 unknown) and the rate the
// decoder outputs (0: not decoding, the file's own rate).
struct PlayLength {
  DecoderTrim trim;
  int length_ms = -1;  // -1: unknown
};
PlayLength PlanPlayLength(const GaplessRecord& record, int64_t duration_hns, int sample_rate);
