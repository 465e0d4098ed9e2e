// The hidden main dialog: owner of the tray icon, its tip and popup menu,
// the hot key registrations, and the plug-ins' main window. It runs modally
// for the whole life of the program. The mouse acts on the icon at the
// press (left: the Controller, right: the menu); the keyboard through the
// version 4 events (Enter: the Controller with the focus, the menu key or
// Shift+F10: the menu).
#pragma once
#include "app/tray_icon.h"
#include "framework/dialog.h"
#include "framework/unique_handle.h"
#include "hotkey/hotkey_entry.h"

class CTrayDlg : public CDialog {
 public:
  explicit CTrayDlg(const HotKeyTable& hotKeys);
  ~CTrayDlg() override;
  // Runs the dialog modally as the application's main window.
  void Run();
  CTrayIcon& trayIcon() { return trayIcon_; }

 protected:
  bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;

 private:
  LRESULT OnInitDialog(WPARAM, LPARAM, bool& handled);
  LRESULT OnActivate(WPARAM, LPARAM, bool& handled);
  LRESULT OnQueryEndSession(WPARAM, LPARAM, bool& handled);
  LRESULT OnClose(WPARAM, LPARAM, bool& handled);
  LRESULT OnTrayNotify(WPARAM, LPARAM, bool& handled);
  LRESULT OnPlayNotice(WPARAM, LPARAM, bool& handled);
  LRESULT OnRightButtonDown(WPARAM, LPARAM, bool& handled);
  LRESULT OnRegisteredMessage(WPARAM, LPARAM, bool& handled);
  LRESULT OnQueryDragIcon(WPARAM, LPARAM, bool& handled);
  LRESULT OnDialogCommand(WPARAM, LPARAM, bool& handled);
  LRESULT OnRelayBroadcast(WPARAM, LPARAM, bool& handled);
  LRESULT OnCreateTitleWindow(WPARAM, LPARAM, bool& handled);
  LRESULT OnPluginMessage(WPARAM, LPARAM, bool& handled);
  LRESULT OnPluginEnd(WPARAM wParam, LPARAM lParam, bool& handled);
  void HideFromTaskbar();
  // The tip says what plays: the title and whether it is paused.
  void UpdateTip();
  // The menu at `at` (screen); from the keyboard, a cancelled menu hands the
  // focus back to the notification area.
  void ShowPopupMenu(POINT at, bool fromKeyboard);

  static const MessageMapEntry<CTrayDlg> kMessageMap[];

  const HotKeyTable& hotKeys_;
  UniqueIcon largeIcon_;
  UniqueIcon smallIcon_;
  CTrayIcon trayIcon_;
  bool menuOpen_ = false;
  // A right click's release reached the shell: the context-menu event that
  // version 4 sends after it belongs to the click, whose press opened the menu.
  bool clickContextMenuDue_ = false;
};
