// One global hot key; the table position is the command and registration id.
#pragma once
#include <array>
#include <bitset>
#include <cstdint>

struct HotKeyEntry {
  int32_t enabled = 0;      // 1: registered with the system
  uint32_t modifiers = 0;   // MOD_ALT 1, MOD_CONTROL 2, MOD_SHIFT 4, MOD_WIN 8
  uint32_t virtualKey = 0;  // virtual-key code
};

// The commands that have a hot key. The settings file's own field holds
// the first thirteen (the classic table); the entries of later commands live
// in its extension block.
constexpr int kHotKeyCount = 14;
constexpr int kClassicHotKeyCount = 13;
using HotKeyTable = std::array<HotKeyEntry, kHotKeyCount>;
using ClassicHotKeyTable = std::array<HotKeyEntry, kClassicHotKeyCount>;

// Entries the system refused to register (another program holds the
// combination, or a lower entry of the same table took it), by position.
using HotKeyRefusals = std::bitset<kHotKeyCount>;
