// The settings block after the classic fields: tagged records, unknown ones
// kept.
#include "settings/settings_extension.h"

#include <cmath>

#include "settings/byte_stream.h"

namespace {

constexpr int32_t kMaxCentiDb = 1500;

// Each record's value is written into a buffer first so its length can lead.
template <typename WriteValue>
void WriteRecord(ByteWriter& out, std::string_view name, WriteValue writeValue) {
  std::string value;
  ByteWriter w(value);
  writeValue(w);
  out.WriteString(name);
  out.WriteUInt32(static_cast<uint32_t>(value.size()));
  out.WriteBytes(value.data(), value.size());
}

bool ReadFlag(ByteReader& r, bool& flag) {
  int32_t v;
  if (!r.ReadInt32(v) || (v != 0 && v != 1)) return false;
  flag = v == 1;
  return true;
}

bool ReadCentiDb(ByteReader& r, int32_t& value) {
  int32_t v;
  if (!r.ReadInt32(v) || v < -kMaxCentiDb || v > kMaxCentiDb) return false;
  value = v;
  return true;
}

bool ReadFiniteFloat(ByteReader& r, float& value) {
  float v;
  if (!r.ReadFloat32(v) || !std::isfinite(v)) return false;
  value = v;
  return true;
}

// Each reader takes its record's whole value and changes the setting only
// when every byte parsed.
bool ReadGapless(ByteReader& r, SettingsExtension& e) {
  bool gapless;
  if (!ReadFlag(r, gapless) || !r.AtEnd()) return false;
  e.gapless = gapless;
  return true;
}

bool ReadReplayGain(ByteReader& r, SettingsExtension& e) {
  ReplayGainSettings s;
  int32_t mode;
  if (!r.ReadInt32(mode) || mode < 0 || mode > static_cast<int32_t>(ReplayGainMode::kByPlayOrder)) {
    return false;
  }
  s.mode = static_cast<ReplayGainMode>(mode);
  if (!ReadCentiDb(r, s.preampCentiDb) || !ReadCentiDb(r, s.untaggedGainCentiDb) ||
      !ReadFlag(r, s.preventClipping) || !r.AtEnd()) {
    return false;
  }
  e.replayGain = s;
  return true;
}

bool ReadLoudness(ByteReader& r, SettingsExtension& e) {
  int32_t count;
  if (!r.ReadCount(count, 24)) return false;
  std::vector<LoudnessRecord> records(static_cast<size_t>(count));
  for (LoudnessRecord& l : records) {
    if (!r.ReadInt32(l.entryId) || !ReadFiniteFloat(r, l.trackLufs) ||
        !ReadFiniteFloat(r, l.trackPeak) || !ReadFlag(r, l.hasAlbum) ||
        !ReadFiniteFloat(r, l.albumLufs) || !ReadFiniteFloat(r, l.albumPeak)) {
      return false;
    }
  }
  if (!r.AtEnd()) return false;
  e.loudness = std::move(records);
  return true;
}

bool ReadExtraHotKeys(ByteReader& r, SettingsExtension& e) {
  int32_t count;
  if (!r.ReadCount(count, 12)) return false;
  std::vector<HotKeyEntry> keys(static_cast<size_t>(count));
  for (HotKeyEntry& k : keys) {
    if (!r.ReadInt32(k.enabled) || !r.ReadUInt32(k.modifiers) || !r.ReadUInt32(k.virtualKey)) {
      return false;
    }
  }
  if (!r.AtEnd()) return false;
  e.extraHotKeys = std::move(keys);
  return true;
}

bool ReadQueue(ByteReader& r, SettingsExtension& e) {
  int32_t count;
  if (!r.ReadCount(count, 4)) return false;
  std::vector<int32_t> ids(static_cast<size_t>(count));
  for (int32_t& id : ids) {
    if (!r.ReadInt32(id)) return false;
  }
  if (!r.AtEnd()) return false;
  e.queue = std::move(ids);
  return true;
}

bool ReadJumpWindow(ByteReader& r, SettingsExtension& e) {
  int32_t width, height;
  if (!r.ReadInt32(width) || !r.ReadInt32(height) || width < 0 || height < 0 || !r.AtEnd()) {
    return false;
  }
  e.jumpWindowWidth = width;
  e.jumpWindowHeight = height;
  return true;
}

struct KnownRecord {
  std::string_view name;
  bool (*read)(ByteReader&, SettingsExtension&);
};

constexpr KnownRecord kKnownRecords[] = {
    {"gapless", ReadGapless},     {"replaygain", ReadReplayGain}, {"loudness", ReadLoudness},
    {"hotkeys+", ReadExtraHotKeys}, {"queue", ReadQueue},         {"jumpwindow", ReadJumpWindow},
};

}  // namespace

void WriteSettingsExtension(ByteWriter& w, const SettingsExtension& e) {
  w.WriteBytes(kSettingsExtensionMark.data(), kSettingsExtensionMark.size());
  WriteRecord(w, "gapless", [&](ByteWriter& v) { v.WriteInt32(e.gapless ? 1 : 0); });
  WriteRecord(w, "replaygain", [&](ByteWriter& v) {
    v.WriteInt32(static_cast<int32_t>(e.replayGain.mode));
    v.WriteInt32(e.replayGain.preampCentiDb);
    v.WriteInt32(e.replayGain.untaggedGainCentiDb);
    v.WriteInt32(e.replayGain.preventClipping ? 1 : 0);
  });
  WriteRecord(w, "loudness", [&](ByteWriter& v) {
    v.WriteInt32(static_cast<int32_t>(e.loudness.size()));
    for (const LoudnessRecord& l : e.loudness) {
      v.WriteInt32(l.entryId);
      v.WriteFloat32(l.trackLufs);
      v.WriteFloat32(l.trackPeak);
      v.WriteInt32(l.hasAlbum ? 1 : 0);
      v.WriteFloat32(l.albumLufs);
      v.WriteFloat32(l.albumPeak);
    }
  });
  WriteRecord(w, "hotkeys+", [&](ByteWriter& v) {
    v.WriteInt32(static_cast<int32_t>(e.extraHotKeys.size()));
    for (const HotKeyEntry& k : e.extraHotKeys) {
      v.WriteInt32(k.enabled);
      v.WriteUInt32(k.modifiers);
      v.WriteUInt32(k.virtualKey);
    }
  });
  WriteRecord(w, "queue", [&](ByteWriter& v) {
    v.WriteInt32(static_cast<int32_t>(e.queue.size()));
    for (int32_t id : e.queue) v.WriteInt32(id);
  });
  WriteRecord(w, "jumpwindow", [&](ByteWriter& v) {
    v.WriteInt32(e.jumpWindowWidth);
    v.WriteInt32(e.jumpWindowHeight);
  });
  for (const SettingsRecord& record : e.unknown) {
    w.WriteString(record.name);
    w.WriteUInt32(static_cast<uint32_t>(record.value.size()));
    w.WriteBytes(record.value.data(), record.value.size());
  }
}

bool ReadSettingsExtension(ByteReader& r, SettingsExtension& e) {
  char mark[kSettingsExtensionMark.size()];
  if (!r.ReadBytes(mark, sizeof mark) || std::string_view(mark, sizeof mark) != kSettingsExtensionMark) {
    return false;
  }
  while (r.Remaining() > 0) {
    SettingsRecord record;
    uint32_t length;
    if (!r.ReadString(record.name) || !r.ReadUInt32(length) || length > r.Remaining()) break;
    record.value.resize(length);
    r.ReadBytes(record.value.data(), length);
    const KnownRecord* known = nullptr;
    for (const KnownRecord& k : kKnownRecords) {
      if (k.name == record.name) known = &k;
    }
    if (known == nullptr) {
      e.unknown.push_back(std::move(record));
      continue;
    }
    // A record that does not parse leaves its setting at its default.
    ByteReader value(record.value);
    known->read(value, e);
  }
  r.Skip(r.Remaining());
  return true;
}
