// The hot key editor ("HotKeyEdit"): captures one key combination in the
// system's hot key control, with a check box for the Win key, which that
// control does not know. OK without a key, or with a key and no modifier,
// is ignored; Cancel is the way out. UI thread only, modal.
#pragma once
#include <windows.h>

#include <cstdint>

#include "framework/dialog.h"
#include "hotkey/hotkey_control_flags.h"

class CHotKeyEditDlg : public CDialog {
 public:
  // The combination being edited (MOD_* flags and virtual key); read back
  // after OK.
  CHotKeyEditDlg(uint32_t modifiers, uint32_t virtualKey);
  ~CHotKeyEditDlg() override;

  uint32_t modifiers() const { return modifiers_; }
  uint32_t virtualKey() const { return virtualKey_; }

  // A combination the program has registered never reaches the focused
  // control: the system turns it into WM_HOTKEY. While an editor is the
  // foreground window that message is the user typing the combination, so
  // it goes into the editor instead of running its command. True when taken.
  static bool TakeHotKey(const MSG& message);

 protected:
  bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
  BOOL OnInitDialog() override;
  void OnOK() override;

 private:
  LRESULT OnTimer(WPARAM, LPARAM, bool& handled);
  void ShowCombination(uint32_t modifiers, uint32_t virtualKey);

  static const MessageMapEntry<CHotKeyEditDlg> kMessageMap[];

  static CHotKeyEditDlg* open_;  // UI thread only

  uint32_t modifiers_;
  uint32_t virtualKey_;
  // A combination taken from WM_HOTKEY, shown once the keys typed before it
  // have reached the control: posted messages overtake input, so the Win
  // key's own key-down would otherwise overwrite it.
  HotKeyCombination taken_;
};
