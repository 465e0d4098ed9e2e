// The hot key commands: their display names, default keys and the text
// shown for a key combination. Portable; registration is Win32 code.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "hotkey/hotkey_entry.h"

// Command numbers: the position in HotKeyTable and the registration id.
enum HotKeyCommand : int32_t {
  kHotKeyPlay = 0,
  kHotKeyStop = 1,
  kHotKeyPause = 2,
  kHotKeyPrev = 3,
  kHotKeyNext = 4,
  kHotKeyListPrev = 5,
  kHotKeyListNext = 6,
  kHotKeyVolumeDown = 7,
  kHotKeyVolumeUp = 8,
  kHotKeyPlayListDialog = 9,
  kHotKeyHotKeyDialog = 10,
  kHotKeyConfigDialog = 11,
  kHotKeyController = 12,
  kHotKeyJumpToFile = 13,
};

// Modifier flags as the system defines them for RegisterHotKey.
constexpr uint32_t kHotKeyModAlt = 1;
constexpr uint32_t kHotKeyModControl = 2;
constexpr uint32_t kHotKeyModShift = 4;
constexpr uint32_t kHotKeyModWin = 8;

// The display names in command order as one null-separated list ending in an
// empty string ("Play\0Stop\0...\0Jump to File\0\0"), the form list
// controls are filled from.
extern const char kHotKeyCommandNames[];

// Display name of one command; "" outside 0..kHotKeyCount-1.
const char* HotKeyCommandName(int command);

// Fills the table with the defaults: all enabled, Ctrl + Win, keys
// X V C Z B N M , . F1 F2 F3 F4 J.
void ResetHotKeys(HotKeyTable& table);
void ResetHotKeys(ClassicHotKeyTable& table);
HotKeyTable DefaultHotKeys();
ClassicHotKeyTable DefaultClassicHotKeys();

// The whole table from the settings file's thirteen entries and the later
// commands' entries of its extension block (a command without an entry
// there has its default), and back.
HotKeyTable JoinHotKeys(const ClassicHotKeyTable& classic, const std::vector<HotKeyEntry>& later);
ClassicHotKeyTable ClassicPart(const HotKeyTable& table);
std::vector<HotKeyEntry> LaterPart(const HotKeyTable& table);

// Display name of a virtual-key code; empty for keys without a name.
std::string FormatKeyName(uint32_t virtualKey);

// "Shift + ", "Ctrl + ", "Alt + ", "Win + " (each when its flag is set, in
// that order) followed by the key name.
std::string FormatHotKeyText(const HotKeyEntry& entry);
