// Import of the older text settings file.
#include "settings/text_settings.h"

#include <algorithm>

#include "common/text_encoding.h"
#include "settings/scan_line.h"

namespace {

using Lines = std::vector<std::string_view>;
constexpr size_t kNotFound = static_cast<size_t>(-1);

// The first line, from the top, that holds the key anywhere in it.
size_t FindKeyLine(const Lines& lines, std::string_view key) {
  for (size_t i = 0; i < lines.size(); ++i) {
    if (lines[i].find(key) != std::string_view::npos) return i;
  }
  return kNotFound;
}

// The value of a single-value key: the number right after the key's length
// from the start of its line (not from where the key was found).
void ReadValueKey(const Lines& lines, std::string_view key, int32_t& field) {
  const size_t line = FindKeyLine(lines, key);
  if (line == kNotFound) return;
  field = ParseLeadingInt(lines[line].substr(key.size()));
}

bool IsBlockLine(std::string_view line) { return !line.empty() && line[0] == '\t'; }

std::string_view WithoutLeadingSpace(std::string_view line) {
  size_t i = 0;
  while (i < line.size() && (line[i] == ' ' || (line[i] >= '\t' && line[i] <= '\r'))) ++i;
  return line.substr(i);
}

SoundFile ReadFileLine(std::string_view line, int32_t version, SettingsData& settings) {
  SoundFile file;
  if (version <= 0) {
    file.id = static_cast<int32_t>(settings.NextEntryId());
    file.path = ProgramTextFromLegacy(WithoutLeadingSpace(line));
    return file;
  }
  if (version == 1) {
    ScanLine(line, "\t%d,%d,%s", {&file.id, &file.volume, &file.path});
  } else {
    ScanLine(line, "\t%d,%d,%d,%s", {&file.id, &file.volume, &file.presetId, &file.path});
  }
  file.path = ProgramTextFromLegacy(file.path);
  settings.lastId = std::max(settings.lastId, static_cast<uint32_t>(file.id));
  return file;
}

void ReadPlayLists(const Lines& lines, int32_t version, SettingsData& settings) {
  const size_t key = FindKeyLine(lines, "PlayList=");
  if (key == kNotFound) return;
  settings.playLists.clear();
  size_t i = key + 1;
  while (i < lines.size()) {
    const std::string_view line = lines[i++];
    if (line.size() < 2 || line.front() != '[' || line.back() != ']') continue;
    PlayList list;
    list.name = ProgramTextFromLegacy(line.substr(1, line.size() - 2));
    // File lines follow until the first line that is empty or has no tab;
    // that line is looked at again as a possible header.
    for (; i < lines.size() && IsBlockLine(lines[i]); ++i) {
      list.files.push_back(ReadFileLine(lines[i], version, settings));
    }
    settings.playLists.push_back(std::move(list));
  }
}

void ReadPluginFolders(const Lines& lines, SettingsData& settings) {
  const size_t key = FindKeyLine(lines, "PluginPath=");
  if (key == kNotFound) return;
  settings.pluginFolders.clear();
  for (size_t i = key + 1; i < lines.size() && IsBlockLine(lines[i]); ++i) {
    settings.pluginFolders.push_back(ProgramTextFromLegacy(WithoutLeadingSpace(lines[i])));
  }
}

// Thirteen lines after the key; when the file ends sooner, the entries
// without a line keep their defaults.
void ReadHotKeys(const Lines& lines, SettingsData& settings) {
  const size_t key = FindKeyLine(lines, "HotKey=");
  if (key == kNotFound) return;
  for (int k = 0; k < kClassicHotKeyCount && key + 1 + k < lines.size(); ++k) {
    HotKeyEntry& entry = settings.hotKeys[k];
    ScanLine(lines[key + 1 + k], "\t%d,%d,%d", {&entry.enabled, &entry.modifiers, &entry.virtualKey});
  }
}

void ReadPlayListRects(const Lines& lines, SettingsData& settings) {
  const size_t key = FindKeyLine(lines, "PlayListRects3=");
  if (key == kNotFound) return;
  std::string pattern = "PlayListRects3=";
  ScanTarget targets[kPlayListRectCount * 4];
  int n = 0;
  for (SettingsRect& rect : settings.playListRects) {
    for (int32_t& side : rect) {
      pattern += n ? ",%d" : "%d";
      targets[n++] = &side;
    }
  }
  ScanLine(lines[key], pattern, targets, n);
}

}  // namespace

std::vector<std::string_view> SplitTextLines(std::string_view text) {
  std::vector<std::string_view> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    const size_t next = end == std::string_view::npos ? text.size() : end + 1;
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(start, end - start);
    if (next != end && !line.empty() && line.back() == '\r') line.remove_suffix(1);
    line = line.substr(0, line.find('\0'));
    lines.push_back(line);
    start = next;
  }
  return lines;
}

void ImportTextSettings(std::string_view text, SettingsData& settings,
                        std::string_view programFilesFolder) {
  ResetDefaults(settings, programFilesFolder);
  const Lines lines = SplitTextLines(text);

  int32_t version = 0;
  ReadValueKey(lines, "Version=", version);
  ReadPlayLists(lines, version, settings);
  ReadPluginFolders(lines, settings);
  ReadHotKeys(lines, settings);
  ReadValueKey(lines, "SelFileID=", settings.SelFileID);
  ReadValueKey(lines, "Repeat=", settings.Repeat);
  ReadValueKey(lines, "PlayMode=", settings.PlayMode);
  ReadValueKey(lines, "ControlAlpha=", settings.ControlAlpha);
  ReadValueKey(lines, "Volume=", settings.Volume);
  ReadValueKey(lines, "VolumeType=", settings.VolumeType);
  ReadValueKey(lines, "VolumeStep=", settings.VolumeStep);
  ReadPlayListRects(lines, settings);
}
