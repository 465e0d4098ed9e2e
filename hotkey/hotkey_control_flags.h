// The system's hot key control describes a combination with flags of its own
// (HOTKEYF_*) and knows no Win key; the table stores RegisterHotKey's MOD_*
// flags. The editor converts between the two here. Portable.
#pragma once
#include <cstdint>
#include <optional>

// The control's modifier flags (commctrl.h values).
constexpr uint32_t kHotKeyfShift = 0x01;
constexpr uint32_t kHotKeyfControl = 0x02;
constexpr uint32_t kHotKeyfAlt = 0x04;
constexpr uint32_t kHotKeyfExt = 0x08;  // extended key: no meaning for RegisterHotKey

struct HotKeyCombination {
  uint32_t modifiers = 0;   // MOD_* flags
  uint32_t virtualKey = 0;  // 1..255
};

// The control's flags for table modifiers; MOD_WIN has none (the editor's
// "+ Win Key" box stands for it).
uint32_t ControlFlagsFromModifiers(uint32_t modifiers);
// Table modifiers for the control's flags, HOTKEYF_EXT dropped, MOD_WIN
// added when `winKey`.
uint32_t ModifiersFromControlFlags(uint32_t flags, bool winKey);

// The control's word for a combination (HKM_SETHOTKEY): flags in the high
// byte, the key's low byte in the low byte.
uint32_t HotKeyControlValue(uint32_t modifiers, uint32_t virtualKey);

// What the editor's OK accepts from the control's word (HKM_GETHOTKEY) and
// the Win box: nothing without a key, nothing for a key without any modifier.
std::optional<HotKeyCombination> AcceptedCombination(uint32_t controlValue, bool winKey);
