// The hot key table as the hot key list dialog sees it. The application
// object provides it; tests give the dialog a stand-in. UI thread only.
#pragma once
#include "hotkey/hotkey_entry.h"
#include "hotkey/media_keys.h"

class HotKeyTarget {
 public:
  virtual const HotKeyTable& hotKeys() const = 0;
  // The enabled entries the system refused when they were last registered.
  virtual HotKeyRefusals refusedHotKeys() const = 0;
  // The media keys other programs held when they were last registered.
  virtual MediaKeyRefusals refusedMediaKeys() const = 0;
  // Re-registers every entry of `table` (and the media keys) for the main
  // window and makes it the application's table; returns the enabled entries
  // the system refused.
  virtual HotKeyRefusals ApplyHotKeyTable(const HotKeyTable& table) = 0;

 protected:
  ~HotKeyTarget() = default;
};
