// The notification-area icon of the main dialog.
#pragma once
#include <windows.h>
#include <shellapi.h>

class CTrayIcon {
 public:
  CTrayIcon();
  ~CTrayIcon() { RemoveIfAdded(); }
  CTrayIcon(const CTrayIcon&) = delete;
  CTrayIcon& operator=(const CTrayIcon&) = delete;

  void Set(HWND window, UINT id, UINT callbackMessage, HICON icon, const char* tip);
  bool Add();
  bool Delete();
  bool Recreate() {
    Delete();
    return Add();
  }
  void RemoveIfAdded() {
    if (added_) Delete();
  }
  bool added() const { return added_; }
  const NOTIFYICONDATAA& data() const { return data_; }

 private:
  NOTIFYICONDATAA data_;  // the 88-byte form every shell version accepts
  bool added_ = false;
};
