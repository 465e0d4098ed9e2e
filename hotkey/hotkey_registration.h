// Registering the hot key table with the system for the main window.
#pragma once
#include <windows.h>

#include "hotkey/hotkey_entry.h"
#include "hotkey/media_keys.h"

// RegisterHotKey for every enabled entry under its position as id. Keys the
// system refuses (taken by another program, or by a lower entry) stay
// unregistered; the result names them so that the hot key list can show them.
HotKeyRefusals RegisterAllHotKeys(HWND window, const HotKeyTable& table);
// Re-registers rows 0..count-1 from `entries` and copies them into `table`;
// returns the enabled rows the system refused.
HotKeyRefusals ApplyHotKeys(HWND window, const HotKeyEntry* entries, int count, HotKeyTable& table);
// (Re-)registers the four media keys without modifiers; returns those another
// program holds (they are left to it).
MediaKeyRefusals RegisterMediaKeys(HWND window);
