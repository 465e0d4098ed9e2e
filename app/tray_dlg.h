// The hidden main dialog: owner of the tray icon, its popup menu and the hot
// key registrations, and the plug-ins' main window. It runs modally for the
// whole life of the program.
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
  LRESULT OnRightButtonDown(WPARAM, LPARAM, bool& handled);
  LRESULT OnRegisteredMessage(WPARAM, LPARAM, bool& handled);
  LRESULT OnQueryDragIcon(WPARAM, LPARAM, bool& handled);
  LRESULT OnDialogCommand(WPARAM, LPARAM, bool& handled);
  LRESULT OnRelayBroadcast(WPARAM, LPARAM, bool& handled);
  LRESULT OnPluginMessage(WPARAM, LPARAM, bool& handled);
  LRESULT OnPluginEnd(WPARAM wParam, LPARAM lParam, bool& handled);
  void HideFromTaskbar();
  void ShowPopupMenu();

  static const MessageMapEntry<CTrayDlg> kMessageMap[];

  const HotKeyTable& hotKeys_;
  UniqueIcon largeIcon_;
  UniqueIcon smallIcon_;
  CTrayIcon trayIcon_;
};
