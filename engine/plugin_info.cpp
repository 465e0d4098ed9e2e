// Extended file information from a plug-in's module.
#include "engine/plugin_info.h"

#include "common/plugin_api.h"
#include "engine/plugin_library.h"
#include "framework/system_text_codec.h"

namespace {
constexpr int kValueChars = 512;  // the buffer a plug-in writes into, terminator included
}  // namespace

std::optional<std::string> ExtendedFileInfo(HMODULE plugin, const std::string& path, const char* name) {
  if (plugin == nullptr || path.empty()) return std::nullopt;
  if (auto wide = PluginExport<ExtendedFileInfoWFn>(plugin, MELODEK_EXTENDED_FILE_INFO_W_NAME)) {
    const std::wstring file = WideFromProgramText(path);
    const std::wstring key = WideFromProgramText(name);
    wchar_t value[kValueChars] = {};
    if (file.empty() || !wide(file.c_str(), key.c_str(), value, kValueChars)) return std::nullopt;
    size_t n = 0;
    while (n < kValueChars && value[n] != L'\0') ++n;
    return ProgramTextFromWide(std::wstring(value, n).c_str());
  }
  if (auto ansi = PluginExport<ExtendedFileInfoFn>(plugin, MELODEK_EXTENDED_FILE_INFO_NAME)) {
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

FileGainValues ReplayGainTagsOf(const PluginLibrary& plugins, const std::string& path) {
  std::lock_guard<std::mutex> guard(plugins.lock());
  const InputPluginRecord* record = plugins.FindPluginLocked(path);
  return record != nullptr ? ReplayGainTags(record->module.get(), path) : FileGainValues();
}
