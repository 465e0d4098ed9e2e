// in_mf.dll's extended file information: winampGetExtendedFileInfoW (and
// its ANSI form) answer "title", "artist", "album", the ReplayGain values
// from the file's tags, and "length" in milliseconds. Any host thread; the
// file is open only for the call.
#include <windows.h>

#include <string>

#include "common/plugin_api.h"
#include "plugins/common/win_file_source.h"
#include "plugins/in_mf/audio_tags.h"
#include "plugins/in_mf/file_info.h"
#include "plugins/in_mf/mf_audio_reader.h"
#include "plugins/in_mf/mf_runtime.h"
#include "plugins/in_mf/tag_lookup.h"

namespace {

std::string WideToUtf8(const wchar_t* text) {
  std::string out;
  const int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
  if (size <= 1) return out;
  out.resize(static_cast<size_t>(size));
  WideCharToMultiByte(CP_UTF8, 0, text, -1, &out[0], size, nullptr, nullptr);
  out.resize(static_cast<size_t>(size - 1));
  return out;
}

// The value as UTF-8; false when the file has none.
bool LookUp(const std::wstring& path, const std::string& name, std::string& value) {
  if (path.empty() || name.empty()) return false;
  if (lstrcmpiA(name.c_str(), "length") == 0) {
    ComApartment com;
    if (!StartMediaFoundation()) return false;
    const int64_t duration = ProbeDurationHns(path);
    if (duration <= 0) return false;
    value = std::to_string(PlanPlayLength(ReadGaplessRecord(path), duration, 0).length_ms);
    return true;
  }
  WinFileSource file;
  return file.Open(path) && LookUpTagValue(ReadAudioTags(file), name, value);
}

// Cut to fit `size` characters with the terminator, never inside a pair.
void CopyWide(const std::wstring& text, wchar_t* out, size_t size) {
  size_t length = text.size() < size - 1 ? text.size() : size - 1;
  if (length > 0 && length < text.size() && text[length - 1] >= 0xD800 && text[length - 1] <= 0xDBFF) --length;
  text.copy(out, length);
  out[length] = L'\0';
}

}  // namespace

extern "C" __declspec(dllexport) int MELODEK_PLUGIN_CALL winampGetExtendedFileInfoW(const wchar_t* file,
                                                                                    const wchar_t* name,
                                                                                    wchar_t* dest, int destlen) {
  if (!file || !name || !dest || destlen <= 0) return 0;
  std::string value;
  if (!LookUp(file, WideToUtf8(name), value)) return 0;
  CopyWide(Utf8ToWide(value), dest, static_cast<size_t>(destlen));
  return 1;
}

extern "C" __declspec(dllexport) int MELODEK_PLUGIN_CALL winampGetExtendedFileInfo(const char* file,
                                                                                   const char* name, char* dest,
                                                                                   int destlen) {
  if (!file || !name || !dest || destlen <= 0) return 0;
  std::string value;
  if (!LookUp(AnsiToWide(file), name, value)) return 0;
  CopyAnsi(WideToAnsi(Utf8ToWide(value)), dest, static_cast<size_t>(destlen));
  return 1;
}
