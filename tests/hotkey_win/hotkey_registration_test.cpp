// Registering the hot key table under Wine: which entries the system
// refuses at start-up and at OK, and what unticking and re-registering do.
#include <gtest/gtest.h>

#include <windows.h>

#include "framework/unique_handle.h"
#include "hotkey/hotkey_registration.h"
#include "hotkey/hotkey_table.h"

namespace {
UniqueWindow MakeWindow() {
  return UniqueWindow(::CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                        ::GetModuleHandleA(nullptr), nullptr));
}

// True when nobody holds the combination: a third window can take it.
bool Free(uint32_t modifiers, uint32_t key) {
  UniqueWindow probe = MakeWindow();
  if (!::RegisterHotKey(probe.get(), 1, modifiers, key)) return false;
  ::UnregisterHotKey(probe.get(), 1);
  return true;
}

constexpr uint32_t kCtrlWin = kHotKeyModControl | kHotKeyModWin;

TEST(HotKeyRegistration, RefusedEntriesAreNamedAtStartAndAtApply) {
  UniqueWindow other = MakeWindow();
  UniqueWindow main = MakeWindow();
  ASSERT_TRUE(other && main);
  // Another holder of Play's default; Pause is off; Next shares Prev's key.
  ASSERT_TRUE(::RegisterHotKey(other.get(), 7, kCtrlWin, 88));
  HotKeyTable table = DefaultHotKeys();
  table[kHotKeyPause].enabled = 0;
  table[kHotKeyNext].virtualKey = table[kHotKeyPrev].virtualKey;
  HotKeyRefusals refused = RegisterAllHotKeys(main.get(), table);
  EXPECT_EQ(refused, HotKeyRefusals().set(kHotKeyPlay).set(kHotKeyNext));  // the lower entry wins
  EXPECT_FALSE(Free(kCtrlWin, 86));  // Stop registered
  EXPECT_TRUE(Free(kCtrlWin, 67));   // Pause, unticked, not registered

  // The other holder lets go; Next gets a key of its own; Stop is unticked.
  ::UnregisterHotKey(other.get(), 7);
  HotKeyTable edited = table;
  edited[kHotKeyNext].virtualKey = 66;
  edited[kHotKeyStop].enabled = 0;
  HotKeyTable applied = table;
  refused = ApplyHotKeys(main.get(), edited.data(), kHotKeyCount, applied);
  EXPECT_TRUE(refused.none());
  EXPECT_EQ(applied[kHotKeyNext].virtualKey, 66u);
  EXPECT_EQ(applied[kHotKeyStop].enabled, 0);
  EXPECT_EQ(applied[kHotKeyStop].virtualKey, 86u);  // the combination is kept
  EXPECT_TRUE(Free(kCtrlWin, 86));
  EXPECT_FALSE(Free(kCtrlWin, 88));  // Play took its key at last
  EXPECT_FALSE(Free(kCtrlWin, 66));

  // Re-applying an unchanged table keeps every key: each is unregistered
  // before it is registered again.
  refused = ApplyHotKeys(main.get(), applied.data(), kHotKeyCount, applied);
  EXPECT_TRUE(refused.none());
  // Two entries given one combination at OK: the later one is refused.
  edited = applied;
  edited[kHotKeyListNext] = edited[kHotKeyListPrev];
  refused = ApplyHotKeys(main.get(), edited.data(), kHotKeyCount, applied);
  EXPECT_EQ(refused, HotKeyRefusals().set(kHotKeyListNext));
  EXPECT_TRUE(Free(kCtrlWin, 77));  // List Next's old key went with it
}
}  // namespace
