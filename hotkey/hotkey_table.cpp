// The hot key commands: names, defaults and combination texts.
#include "hotkey/hotkey_table.h"

#include <algorithm>

const char kHotKeyCommandNames[] =
    "Play\0Stop\0Pause\0Prev\0Next\0List Prev\0List Next\0Volume Down\0Volume Up\0"
    "PlayList Dialog\0HotKey Dialog\0Config Dialog\0Controller\0Jump to File\0";

namespace {

constexpr uint32_t kDefaultKeys[kHotKeyCount] = {88, 86, 67, 90, 66, 78, 77,
                                                 188, 190, 112, 113, 114, 115, 74};

template <size_t N>
void ResetEntries(std::array<HotKeyEntry, N>& table) {
  static_assert(N <= kHotKeyCount, "more entries than commands");
  for (size_t i = 0; i < N; ++i) {
    table[i].enabled = 1;
    table[i].modifiers = kHotKeyModControl | kHotKeyModWin;
    table[i].virtualKey = kDefaultKeys[i];
  }
}

std::string OneChar(char c) { return std::string(1, c); }

}  // namespace

const char* HotKeyCommandName(int command) {
  if (command < 0 || command >= kHotKeyCount) return "";
  const char* name = kHotKeyCommandNames;
  for (int i = 0; i < command; ++i) {
    while (*name) ++name;
    ++name;
  }
  return name;
}

void ResetHotKeys(HotKeyTable& table) { ResetEntries(table); }
void ResetHotKeys(ClassicHotKeyTable& table) { ResetEntries(table); }

HotKeyTable DefaultHotKeys() {
  HotKeyTable table;
  ResetHotKeys(table);
  return table;
}

ClassicHotKeyTable DefaultClassicHotKeys() {
  ClassicHotKeyTable table;
  ResetHotKeys(table);
  return table;
}

HotKeyTable JoinHotKeys(const ClassicHotKeyTable& classic, const std::vector<HotKeyEntry>& later) {
  HotKeyTable table = DefaultHotKeys();
  std::copy(classic.begin(), classic.end(), table.begin());
  const size_t count = std::min(later.size(), static_cast<size_t>(kHotKeyCount - kClassicHotKeyCount));
  std::copy(later.begin(), later.begin() + static_cast<std::ptrdiff_t>(count), table.begin() + kClassicHotKeyCount);
  return table;
}

ClassicHotKeyTable ClassicPart(const HotKeyTable& table) {
  ClassicHotKeyTable classic;
  std::copy(table.begin(), table.begin() + kClassicHotKeyCount, classic.begin());
  return classic;
}

std::vector<HotKeyEntry> LaterPart(const HotKeyTable& table) {
  return std::vector<HotKeyEntry>(table.begin() + kClassicHotKeyCount, table.end());
}

std::string FormatKeyName(uint32_t vk) {
  switch (vk) {
    case 33: return "Page Up";
    case 34: return "Page Down";
    case 35: return "End";
    case 36: return "Home";
    case 37: return "Left";
    case 38: return "Up";
    case 39: return "Right";
    case 40: return "Down";
    case 45: return "Insert";
    case 110: return "Num Del";
    case 144: return "Num Lock";
    case 145: return "Scroll Lock";
    case 226: return "Back Slash";
    default: break;
  }
  if ((vk >= 48 && vk <= 57) || (vk >= 65 && vk <= 90)) return OneChar(static_cast<char>(vk));
  if (vk >= 96 && vk <= 105) return "Num " + OneChar(static_cast<char>(vk - 48));
  if (vk >= 106 && vk <= 111) return "Num " + OneChar(static_cast<char>(vk - 64));
  if (vk >= 112 && vk <= 123) return "F" + std::to_string(vk - 111);
  if (vk >= 176 && vk <= 191) return OneChar(static_cast<char>(vk - 144));
  if (vk >= 192 && vk <= 223) return OneChar(static_cast<char>(vk - 128));
  // Space, select, print, execute, print screen, delete, help and every
  // code without a name in the table.
  return std::string();
}

std::string FormatHotKeyText(const HotKeyEntry& entry) {
  std::string text;
  if (entry.modifiers & kHotKeyModShift) text += "Shift + ";
  if (entry.modifiers & kHotKeyModControl) text += "Ctrl + ";
  if (entry.modifiers & kHotKeyModAlt) text += "Alt + ";
  if (entry.modifiers & kHotKeyModWin) text += "Win + ";
  text += FormatKeyName(entry.virtualKey);
  return text;
}
