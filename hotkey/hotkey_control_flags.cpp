// Conversion between the hot key control's flags and the table's modifiers.
#include "hotkey/hotkey_control_flags.h"

#include "hotkey/hotkey_table.h"

uint32_t ControlFlagsFromModifiers(uint32_t modifiers) {
  uint32_t flags = 0;
  if (modifiers & kHotKeyModAlt) flags |= kHotKeyfAlt;
  if (modifiers & kHotKeyModControl) flags |= kHotKeyfControl;
  if (modifiers & kHotKeyModShift) flags |= kHotKeyfShift;
  return flags;
}

uint32_t ModifiersFromControlFlags(uint32_t flags, bool winKey) {
  uint32_t modifiers = 0;
  if (flags & kHotKeyfAlt) modifiers |= kHotKeyModAlt;
  if (flags & kHotKeyfControl) modifiers |= kHotKeyModControl;
  if (flags & kHotKeyfShift) modifiers |= kHotKeyModShift;
  if (winKey) modifiers |= kHotKeyModWin;
  return modifiers;
}

uint32_t HotKeyControlValue(uint32_t modifiers, uint32_t virtualKey) {
  return (ControlFlagsFromModifiers(modifiers) << 8) | (virtualKey & 0xFFu);
}

std::optional<HotKeyCombination> AcceptedCombination(uint32_t controlValue, bool winKey) {
  const uint32_t key = controlValue & 0xFFu;
  const uint32_t modifiers = ModifiersFromControlFlags((controlValue >> 8) & 0xFFu, winKey);
  if (key == 0 || modifiers == 0) return std::nullopt;  // a key alone is never a hot key
  return HotKeyCombination{modifiers, key};
}
