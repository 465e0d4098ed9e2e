// Extended file information from a plug-in's module.
#include "engine/plugin_info.h"

#include "common/plugin_api.h"

namespace {

constexpr int kValueChars = 512;  // the buffer a plug-in writes into, terminator included

template <typename Fn>
Fn Export(HMODULE module, const char* name) {
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
}

std::wstring Wide(const std::string& text) {
  const int units = ::MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
  if (units <= 0) return std::wstring();
  std::wstring out(static_cast<size_t>(units), L'\0');
  ::MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, &out[0], units);
  out.resize(static_cast<size_t>(units - 1));
  return out;
}

std::string Narrow(const std::wstring& text) {
  if (text.empty()) return std::string();
  const int bytes = ::WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                          nullptr, nullptr);
  if (bytes <= 0) return std::string();
  std::string out(static_cast<size_t>(bytes), '\0');
  ::WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), &out[0], bytes, nullptr, nullptr);
  return out;
}

}  // namespace

std::optional<std::string> ExtendedFileInfo(HMODULE plugin, const std::string& path, const char* name) {
  if (plugin == nullptr || path.empty()) return std::nullopt;
  if (auto wide = Export<ExtendedFileInfoWFn>(plugin, MELODEK_EXTENDED_FILE_INFO_W_NAME)) {
    const std::wstring file = Wide(path);
    const std::wstring key = Wide(name);
    wchar_t value[kValueChars] = {};
    if (file.empty() || !wide(file.c_str(), key.c_str(), value, kValueChars)) return std::nullopt;
    size_t n = 0;
    while (n < kValueChars && value[n] != L'\0') ++n;
    return Narrow(std::wstring(value, n));
  }
  if (auto ansi = Export<ExtendedFileInfoFn>(plugin, MELODEK_EXTENDED_FILE_INFO_NAME)) {
    char value[kValueChars] = {};
    if (!ansi(path.c_str(), name, value, kValueChars)) return std::nullopt;
    size_t n = 0;
    while (n < kValueChars && value[n] != '\0') ++n;
    return std::string(value, n);
  }
  return std::nullopt;
}

FileGainValues ReplayGainTags(HMODULE plugin, const std::string& path) {
  FileGainValues values;
  auto ask = [&](const char* name) { return ExtendedFileInfo(plugin, path, name); };
  if (auto text = ask("replaygain_track_gain")) values.trackGainDb = ParseGainDb(*text);
  if (auto text = ask("replaygain_album_gain")) values.albumGainDb = ParseGainDb(*text);
  // Peaks matter only beside a gain: an untagged file costs two questions.
  if (!values.HasGain()) return values;
  if (auto text = ask("replaygain_track_peak")) values.trackPeak = ParsePeak(*text);
  if (auto text = ask("replaygain_album_peak")) values.albumPeak = ParsePeak(*text);
  return values;
}
