// Fuzz entries of the settings formats.
#include "fuzz/settings/fuzz_entries.h"

#include <cstdlib>
#include <string>
#include <string_view>

#include "settings/scan_line.h"
#include "settings/settings_archive.h"
#include "settings/text_settings.h"

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

std::string_view AsText(const uint8_t* data, size_t size) {
  return std::string_view(reinterpret_cast<const char*>(data), size);
}

}  // namespace

void FuzzSettingsArchive(const uint8_t* data, size_t size) {
  SettingsData settings;
  const SettingsLoadStatus status = ReadSettingsArchive(AsText(data, size), settings, "C:\\P");
  Check(status != SettingsLoadStatus::Missing);
  if (status != SettingsLoadStatus::Loaded) {
    Check(settings.playLists.empty() && settings.presets.size() == 1 && settings.lastId == 0);
    return;
  }
  // What was read writes and reads back to the same archive.
  const std::string once = WriteSettingsArchive(settings);
  SettingsData again;
  Check(ReadSettingsArchive(once, again, "C:\\P") == SettingsLoadStatus::Loaded);
  Check(WriteSettingsArchive(again) == once);
  Check(again.lastId == settings.lastId);
}

void FuzzTextSettings(const uint8_t* data, size_t size) {
  SettingsData settings;
  ImportTextSettings(AsText(data, size), settings, "C:\\P");
  Check(settings.presets.size() == 1);
  // An imported snapshot is a valid archive.
  SettingsData back;
  Check(ReadSettingsArchive(WriteSettingsArchive(settings), back, "") == SettingsLoadStatus::Loaded);
}

void FuzzScanLine(const uint8_t* data, size_t size) {
  const std::string_view input = AsText(data, size);
  const size_t split = input.find('\n');
  const std::string_view pattern = input.substr(0, split);
  const std::string_view text = split == std::string_view::npos ? std::string_view() : input.substr(split + 1);
  int32_t i1 = 0, i2 = 0;
  uint32_t u1 = 0;
  float f1 = 0, f2 = 0;
  std::string s1, s2;
  const ScanTarget targets[] = {&i1, &f1, &s1, &u1, &i2, &f2, &s2, &i1, &s1, &f1};
  const int count = ScanLine(text, pattern, targets, std::size(targets));
  Check(count >= 0 && count <= static_cast<int>(std::size(targets)));
  Check(s1.size() <= text.size() && s2.size() <= text.size());
  // Every conversion needs a '%' in the pattern.
  size_t percents = 0;
  for (char c : pattern) percents += c == '%';
  Check(static_cast<size_t>(count) <= percents);
}
