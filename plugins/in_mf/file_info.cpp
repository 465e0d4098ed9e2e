#include "plugins/in_mf/file_info.h"

#include <windows.h>

#include <algorithm>
#include <climits>
#include <cstring>

#include "plugins/in_mf/audio_tags.h"
#include "plugins/in_mf/pcm_frames.h"
#include "plugins/common/win_file_source.h"

namespace {

// Name without folder and extension (a name that is all extension, such as
// ".mp3", keeps it).
std::wstring FileNameStem(const std::wstring& path) {
  size_t slash = path.find_last_of(L"\\/:");
  std::wstring name = slash == std::wstring::npos ? path : path.substr(slash + 1);
  size_t dot = name.rfind(L'.');
  if (dot != std::wstring::npos && dot > 0) name.erase(dot);
  return name;
}

}  // namespace

std::string WideToAnsi(const std::wstring& text) {
  if (text.empty()) return std::string();
  int size = WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  if (size <= 0) return std::string();
  std::string out(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), &out[0], size, nullptr, nullptr);
  return out;
}

std::wstring Utf8ToWide(const std::string& text) {
  if (text.empty()) return std::wstring();
  int size = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  if (size <= 0) return std::wstring();
  std::wstring out(static_cast<size_t>(size), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &out[0], size);
  return out;
}

std::wstring AnsiToWide(const char* text) {
  if (!text || !*text) return std::wstring();
  int size = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
  if (size <= 1) return std::wstring();
  std::wstring out(static_cast<size_t>(size), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text, -1, &out[0], size);
  out.resize(static_cast<size_t>(size - 1));
  return out;
}

std::string TitleForFile(const std::wstring& path) {
  std::string from_tags;
  {
    WinFileSource file;
    if (file.Open(path)) from_tags = ComposeTagTitle(ReadAudioTags(file));
  }
  std::string title = WideToAnsi(Utf8ToWide(from_tags));
  return title.empty() ? WideToAnsi(FileNameStem(path)) : title;
}

void CopyAnsi(const std::string& text, char* out, size_t size) {
  size_t length = 0;
  while (length < text.size()) {
    size_t step = IsDBCSLeadByte(static_cast<BYTE>(text[length])) ? 2 : 1;
    if (length + step > size - 1 || length + step > text.size()) break;
    length += step;
  }
  memcpy(out, text.data(), length);
  out[length] = '\0';
}

void CopyTitle(const std::string& title, char* out) { CopyAnsi(title, out, kHostTitleBytes); }

GaplessRecord ReadGaplessRecord(const std::wstring& path) {
  GaplessRecord record;
  WinFileSource file;
  if (!file.Open(path)) return record;
  TagFields ignored;
  const uint64_t id3_size = ReadId3v2(file, ignored);
  record.mp3 = ReadMp3GaplessInfo(file, id3_size);
  uint8_t head[8];
  if (!record.mp3.valid && id3_size == 0 && file.ReadExact(0, head, 8) && std::memcmp(head + 4, "ftyp", 4) == 0) {
    record.mp4 = ReadMp4GaplessInfo(file);
    record.mp4_source_patches = Mp4SourcePatches(record.mp4);
  }
  return record;
}

PlayLength PlanPlayLength(const GaplessRecord& record, int64_t duration_hns, int sample_rate) {
  PlayLength result;
  int rate = sample_rate;
  if (record.mp3.valid) {
    rate = record.mp3.sample_rate;
    result.trim = PlanMp3Trim(record.mp3, HnsToFrames(duration_hns, rate));
  } else if (record.mp4.valid()) {
    if (rate <= 0) rate = static_cast<int>(std::min<uint32_t>(record.mp4.timescale, INT_MAX));
    result.trim = PlanMp4Trim(record.mp4, rate, HnsToFrames(duration_hns, rate));
    // Known from the container even where the decoder trims by itself.
    if (result.trim.content_frames < 0) {
      const int64_t content = Mp4ContentFrames(record.mp4, rate);
      if (content > 0) {
        result.length_ms = static_cast<int>(std::min<int64_t>(FramesToMs(content, rate), INT_MAX));
        return result;
      }
    }
  }
  int64_t ms = -1;
  if (result.trim.content_frames >= 0) {
    ms = FramesToMs(result.trim.content_frames, rate);
  } else if (duration_hns > 0) {
    ms = duration_hns / 10000;
  }
  result.length_ms = static_cast<int>(std::min<int64_t>(ms, INT_MAX));
  return result;
}
