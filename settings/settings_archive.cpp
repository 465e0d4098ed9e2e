// The binary settings archive: writer and validating reader.
#include "settings/settings_archive.h"

#include "settings/eq_preset_block.h"
#include "settings/byte_stream.h"
#include "settings/settings_extension.h"

namespace {

// Smallest encoded sizes, used to reject counts the remaining bytes cannot
// hold before anything is reserved.
constexpr size_t kMinStringBytes = 1;
constexpr size_t kMinListBytes = 4 + kMinStringBytes + 4;           // order, name, count
constexpr size_t kMinFileBytes = 4 + 4 + 2 * kMinStringBytes + 4 + 4;  // ids, texts, volume, preset

void WritePlayLists(ByteWriter& w, const std::vector<PlayList>& lists) {
  w.WriteInt32(static_cast<int32_t>(lists.size()));
  for (const PlayList& list : lists) {
    w.WriteInt32(list.order);
    w.WriteString(list.name);
    w.WriteInt32(static_cast<int32_t>(list.files.size()));
    for (const SoundFile& file : list.files) {
      w.WriteInt32(file.id);  // the entry's key, equal to its id
      w.WriteInt32(file.id);
      w.WriteString(file.path);
      w.WriteString(file.title);
      w.WriteInt32(file.volume);
      w.WriteInt32(file.presetId);
    }
  }
}

bool ReadPlayLists(ByteReader& r, std::vector<PlayList>& lists) {
  int32_t listCount;
  if (!r.ReadCount(listCount, kMinListBytes)) return false;
  lists.clear();
  lists.resize(static_cast<size_t>(listCount));
  for (PlayList& list : lists) {
    int32_t fileCount;
    if (!r.ReadInt32(list.order) || !r.ReadString(list.name) ||
        !r.ReadCount(fileCount, kMinFileBytes)) {
      return false;
    }
    list.files.resize(static_cast<size_t>(fileCount));
    for (SoundFile& file : list.files) {
      int32_t key;  // when the two differ, the second is the id
      if (!r.ReadInt32(key) || !r.ReadInt32(file.id) || !r.ReadString(file.path) ||
          !r.ReadString(file.title) || !r.ReadInt32(file.volume) || !r.ReadInt32(file.presetId)) {
        return false;
      }
    }
  }
  return true;
}

// An upper bound of the archive's size, so that writing a large play list
// set appends into one allocation instead of regrowing the buffer.
size_t ArchiveSizeBound(const SettingsData& s) {
  constexpr size_t kMaxPrefix = 7;
  size_t size = 64 + 13 * 12 + kPlayListRectCount * 16;
  for (const std::string& folder : s.pluginFolders) size += kMaxPrefix + folder.size();
  for (const PlayList& list : s.playLists) {
    size += 8 + kMaxPrefix + list.name.size();
    for (const SoundFile& file : list.files) {
      size += 16 + 2 * kMaxPrefix + file.path.size() + file.title.size();
    }
  }
  for (const EqPreset& preset : s.presets) {
    size += 24 + kMaxPrefix + preset.name.size() + 12 * preset.points.size();
  }
  const SettingsExtension& e = s.extension;
  size += 256 + 24 * e.loudness.size() + 12 * e.extraHotKeys.size() + 4 * e.queue.size();
  for (const SettingsRecord& record : e.unknown) {
    size += 4 + kMaxPrefix + record.name.size() + record.value.size();
  }
  return size;
}

bool ReadBody(ByteReader& r, SettingsData& s) {
  int32_t mark;
  if (!r.ReadInt32(mark)) return false;
  if (mark == kSettingsFormatMark &&
      !(r.ReadInt32(s.controllerPos.left) && r.ReadInt32(s.controllerPos.top))) {
    return false;
  }
  if (!(r.ReadInt32(s.PlayMode) && r.ReadInt32(s.Repeat) && r.ReadInt32(s.SelFileID) &&
        r.ReadInt32(s.ControlAlpha) && r.ReadInt32(s.Volume) && r.ReadInt32(s.VolumeType) &&
        r.ReadInt32(s.VolumeStep))) {
    return false;
  }

  int32_t folderCount;
  if (!r.ReadCount(folderCount, kMinStringBytes)) return false;
  s.pluginFolders.assign(static_cast<size_t>(folderCount), std::string());
  for (std::string& folder : s.pluginFolders) {
    if (!r.ReadString(folder)) return false;
  }

  if (!ReadPlayLists(r, s.playLists)) return false;
  if (!ReadPresetBlock(r, s.presets, s.presetCapacity, s.presetGrowth)) return false;

  for (HotKeyEntry& entry : s.hotKeys) {
    if (!(r.ReadInt32(entry.enabled) && r.ReadUInt32(entry.modifiers) &&
          r.ReadUInt32(entry.virtualKey))) {
      return false;
    }
  }
  for (SettingsRect& rect : s.playListRects) {
    for (int32_t& side : rect) {
      if (!r.ReadInt32(side)) return false;
    }
  }
  // The classic archive ends after the editor layout; what follows must be
  // the extension block, anything else is damage.
  return r.AtEnd() || ReadSettingsExtension(r, s.extension);
}

}  // namespace

void WriteSettingsArchive(const SettingsData& s, std::string& out) {
  out.reserve(out.size() + ArchiveSizeBound(s));
  ByteWriter w(out);
  w.WriteInt32(kSettingsFormatMark);
  w.WriteInt32(s.controllerPos.left);
  w.WriteInt32(s.controllerPos.top);
  w.WriteInt32(s.PlayMode);
  w.WriteInt32(s.Repeat);
  w.WriteInt32(s.SelFileID);
  w.WriteInt32(s.ControlAlpha);
  w.WriteInt32(s.Volume);
  w.WriteInt32(s.VolumeType);
  w.WriteInt32(s.VolumeStep);
  w.WriteInt32(static_cast<int32_t>(s.pluginFolders.size()));
  for (const std::string& folder : s.pluginFolders) w.WriteString(folder);
  WritePlayLists(w, s.playLists);
  WritePresetBlock(w, s.presets, s.presetCapacity, s.presetGrowth);
  for (const HotKeyEntry& entry : s.hotKeys) {
    w.WriteInt32(entry.enabled);
    w.WriteUInt32(entry.modifiers);
    w.WriteUInt32(entry.virtualKey);
  }
  for (const SettingsRect& rect : s.playListRects) {
    for (int32_t side : rect) w.WriteInt32(side);
  }
  WriteSettingsExtension(w, s.extension);
}

std::string WriteSettingsArchive(const SettingsData& settings) {
  std::string out;
  WriteSettingsArchive(settings, out);
  return out;
}

SettingsLoadStatus ReadSettingsArchive(std::string_view bytes, SettingsData& settings,
                                       std::string_view programFilesFolder) {
  // Parse into a fresh snapshot so that a damaged archive leaves nothing
  // half-read behind; only controllerPos carries over (a missing mark).
  SettingsData parsed;
  parsed.controllerPos = settings.controllerPos;
  ResetDefaults(parsed, programFilesFolder);
  ByteReader reader(bytes);
  if (!ReadBody(reader, parsed)) {
    settings = SettingsData();
    ResetDefaults(settings, programFilesFolder);
    return SettingsLoadStatus::Damaged;
  }
  parsed.lastId = LargestEntryId(parsed);
  settings = std::move(parsed);
  return SettingsLoadStatus::Loaded;
}
