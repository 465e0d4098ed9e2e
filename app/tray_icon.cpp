// The notification-area icon of the main dialog.
#include "app/tray_icon.h"

#include <cstring>

namespace {
constexpr DWORD kNotifyIconDataSize = 88;  // NOTIFYICONDATAA up to the 64-character tip
}

CTrayIcon::CTrayIcon() {
  std::memset(&data_, 0, sizeof data_);
  data_.cbSize = kNotifyIconDataSize;
}

void CTrayIcon::Set(HWND window, UINT id, UINT callbackMessage, HICON icon, const char* tip) {
  if (added_) Delete();
  data_.hWnd = window;
  data_.uID = id;
  data_.uCallbackMessage = callbackMessage;
  data_.hIcon = icon;
  data_.uFlags = (callbackMessage != 0 ? NIF_MESSAGE : 0) | (icon != nullptr ? NIF_ICON : 0) |
                 (tip != nullptr ? NIF_TIP : 0);
  std::memset(data_.szTip, 0, sizeof data_.szTip);
  if (tip != nullptr) std::strncpy(data_.szTip, tip, 63);
}

bool CTrayIcon::Add() {
  if (added_) return ::Shell_NotifyIconA(NIM_MODIFY, &data_) != FALSE;
  if (!::Shell_NotifyIconA(NIM_ADD, &data_)) return false;
  added_ = true;
  return true;
}

bool CTrayIcon::Delete() {
  added_ = false;
  return ::Shell_NotifyIconA(NIM_DELETE, &data_) != FALSE;
}
