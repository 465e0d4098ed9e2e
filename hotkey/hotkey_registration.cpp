// Registering the hot key table with the system for the main window.
#include "hotkey/hotkey_registration.h"

HotKeyRefusals RegisterAllHotKeys(HWND window, const HotKeyTable& table) {
  HotKeyRefusals refused;
  for (int id = 0; id < kHotKeyCount; ++id) {
    const HotKeyEntry& entry = table[id];
    if (entry.enabled != 0 && !::RegisterHotKey(window, id, entry.modifiers, entry.virtualKey)) {
      refused.set(static_cast<size_t>(id));
    }
  }
  return refused;
}

HotKeyRefusals ApplyHotKeys(HWND window, const HotKeyEntry* entries, int count, HotKeyTable& table) {
  HotKeyRefusals refused;
  if (count > kHotKeyCount) count = kHotKeyCount;
  for (int id = 0; id < count; ++id) {
    ::UnregisterHotKey(window, id);
    if (entries[id].enabled != 0 &&
        !::RegisterHotKey(window, id, entries[id].modifiers, entries[id].virtualKey)) {
      refused.set(static_cast<size_t>(id));
    }
    table[id] = entries[id];
  }
  return refused;
}

MediaKeyRefusals RegisterMediaKeys(HWND window) {
  MediaKeyRefusals refused;
  for (int i = 0; i < kMediaKeyCount; ++i) {
    const MediaKey& key = MediaKeyAt(i);
    ::UnregisterHotKey(window, key.registrationId);
    if (!::RegisterHotKey(window, key.registrationId, 0, key.virtualKey)) refused.set(static_cast<size_t>(i));
  }
  return refused;
}
