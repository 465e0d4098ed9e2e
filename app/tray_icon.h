// The notification-area icon of the main dialog: the wide record, with a tip
// of up to 127 characters, and the version 4 conventions (the keyboard's
// selection and context menu, the callback's event in lParam's low word).
#pragma once
#include <windows.h>
#include <shellapi.h>

class CTrayIcon {
 public:
  CTrayIcon();
  ~CTrayIcon() { RemoveIfAdded(); }
  CTrayIcon(const CTrayIcon&) = delete;
  CTrayIcon& operator=(const CTrayIcon&) = delete;

  // `tip` null: the record carries no tip. A longer tip is cut to 127 units.
  void Set(HWND window, UINT id, UINT callbackMessage, HICON icon, const wchar_t* tip);
  // Stores a new tip; an icon in the notification area shows it at once.
  bool SetTip(const wchar_t* tip);
  // Adds the icon (or modifies it when added) and asks for version 4.
  bool Add();
  bool Delete();
  // Gives the keyboard focus back to the notification area (after a menu
  // opened from the keyboard was cancelled).
  bool ReturnFocus();
  bool Recreate() {
    Delete();
    return Add();
  }
  void RemoveIfAdded() {
    if (added_) Delete();
  }
  bool added() const { return added_; }
  const NOTIFYICONDATAW& data() const { return data_; }

 private:
  void CopyTip(const wchar_t* tip);

  NOTIFYICONDATAW data_;
  bool added_ = false;
};
