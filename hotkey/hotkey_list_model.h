// What the hot key list shows and edits, without the list control: a working
// copy of the table, one row per command, and the marks that tell the user a
// combination does not work. Portable; the dialog only mirrors it.
//
// Marks: a ticked row whose combination another ticked row also has is a
// duplicate (only one of them could be registered); a ticked row that still
// holds the combination the system refused when it was last registered is
// "in use". Duplicates are found in the working copy, so they show before OK.
#pragma once
#include <cstdint>
#include <string>

#include "hotkey/hotkey_entry.h"
#include "hotkey/media_keys.h"

enum class HotKeyMark { kNone, kInUse, kDuplicate };

class HotKeyListModel {
 public:
  HotKeyListModel() = default;
  // `applied` is the application's table as registered, `refused` its
  // entries the system refused, `mediaRefused` the media keys other programs
  // hold; the working copy starts as `applied`.
  HotKeyListModel(const HotKeyTable& applied, const HotKeyRefusals& refused,
                  const MediaKeyRefusals& mediaRefused = {});

  // Rows 0..12 are the table's entries in command order; the four media
  // keys follow, read-only: ticked while registered, marked "in use" when
  // another program holds them.
  int RowCount() const { return kHotKeyCount + kMediaKeyCount; }
  // The working copy's entry a row edits, or -1 for a row that edits none.
  int EntryOfRow(int row) const;
  // The media key a row shows, or -1.
  int MediaKeyOfRow(int row) const;

  std::string CommandText(int row) const;
  // The combination, with its mark: "Ctrl + Win + X (in use)",
  // "Shift + Alt + P (same as Stop)".
  std::string KeyText(int row) const;
  HotKeyMark Mark(int row) const;
  bool Checked(int row) const;

  void SetChecked(int row, bool checked);
  // A new combination from the editor; the row's check box stays as it is.
  void SetCombination(int row, uint32_t modifiers, uint32_t virtualKey);

  const HotKeyTable& workingCopy() const { return working_; }

 private:
  // The lowest other ticked entry with the same combination, or -1.
  int DuplicateOf(int entry) const;

  HotKeyTable applied_{};
  HotKeyRefusals refused_;
  MediaKeyRefusals mediaRefused_;
  HotKeyTable working_{};
};

// The one message shown when confirmed keys were refused: each refused
// entry's command and combination on a line of its own; empty when none.
std::string HotKeyRefusalMessage(const HotKeyTable& table, const HotKeyRefusals& refused);
