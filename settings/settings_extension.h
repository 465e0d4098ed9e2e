// The optional block after the archive's last classic field: the settings
// that newer versions added, as tagged records that older readers never see
// (they stop after the editor layout) and that this reader keeps when it does
// not know them, so a file written by a newer version survives a round trip.
//
// Layout, appended after the editor layout:
//   the mark "MLDK.EXT" (8 bytes: the classic fields end at a fixed place,
//   and these bytes tell the block from anything else appended there)
//   records until the end of the file, each:
//     name   counted string (ASCII, the archive's string form)
//     length uint32 little-endian, bytes of the value
//     value  `length` bytes, laid out as the record's table below says
// A record's layout never changes once released: a new field is a new record.
// A known record whose value does not parse keeps the setting's default; a
// record that runs past the end of the file ends the block (what was read
// before it stands).
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "hotkey/hotkey_entry.h"

class ByteReader;
class ByteWriter;

inline constexpr std::string_view kSettingsExtensionMark = "MLDK.EXT";

// How ReplayGain values pick the gain of a file.
enum class ReplayGainMode : int32_t {
  kOff = 0,
  kTrack = 1,
  kAlbum = 2,
  kByPlayOrder = 3,  // album while a list plays in order, track in shuffle
};

struct ReplayGainSettings {
  ReplayGainMode mode = ReplayGainMode::kTrack;
  int32_t preampCentiDb = 0;        // for tagged files, -1500..1500
  int32_t untaggedGainCentiDb = 0;  // for files without values, -1500..1500
  bool preventClipping = true;      // lower the gain so that peak * gain <= 1
};

// A play list entry's measured loudness (its own values and, where the
// entries of its list that share its folder were measured together, the
// album's).
struct LoudnessRecord {
  int32_t entryId = 0;
  float trackLufs = 0;   // integrated loudness, EBU R128
  float trackPeak = 0;   // sample peak, 1.0 = full scale
  bool hasAlbum = false;
  float albumLufs = 0;
  float albumPeak = 0;
};

// A record this version does not know, kept as it was read.
struct SettingsRecord {
  std::string name;
  std::string value;
};

struct SettingsExtension {
  // "gapless": int32 0/1.
  bool gapless = true;
  // "replaygain": int32 mode, int32 preamp, int32 untagged gain, int32
  // prevent clipping (0/1).
  ReplayGainSettings replayGain;
  // "loudness": int32 count, then per entry int32 id, float track LUFS,
  // float track peak, int32 has album (0/1), float album LUFS, float album
  // peak.
  std::vector<LoudnessRecord> loudness;
  // "hotkeys+": int32 count, then per entry int32 enabled, uint32
  // modifiers, uint32 virtual key: the hot key commands after the classic
  // table's thirteen, in command order. Empty: their defaults.
  std::vector<HotKeyEntry> extraHotKeys;
  // "queue": int32 count, then int32 entry ids, head first.
  std::vector<int32_t> queue;
  // "jumpwindow": int32 width, int32 height of the Jump to File window
  // (0: its default size).
  int32_t jumpWindowWidth = 0;
  int32_t jumpWindowHeight = 0;

  std::vector<SettingsRecord> unknown;  // written back after the known ones
};

// Appends the mark and every record (the known ones always, so a file
// states its settings explicitly, then the unknown ones in read order).
void WriteSettingsExtension(ByteWriter& writer, const SettingsExtension& extension);

// Reads the block that starts at the reader's position. False when the bytes
// there do not begin with the mark (they are then not this program's block:
// the caller treats the archive as damaged). True otherwise, with the
// records that parsed; the reader is then at the end of its bytes.
bool ReadSettingsExtension(ByteReader& reader, SettingsExtension& extension);
