// The notification-area icon of the main dialog.
#include "app/tray_icon.h"

#include <cstring>

namespace {
// With version 4 the shell shows the standard tip only when asked to
// (NIF_SHOWTIP, defined by the headers only for newer targets).
constexpr UINT kShowTip = 0x00000080;
constexpr size_t kTipUnits = sizeof(NOTIFYICONDATAW::szTip) / sizeof(wchar_t) - 1;
}  // namespace

CTrayIcon::CTrayIcon() {
  std::memset(&data_, 0, sizeof data_);
  data_.cbSize = sizeof data_;
}

void CTrayIcon::CopyTip(const wchar_t* tip) {
  std::memset(data_.szTip, 0, sizeof data_.szTip);
  size_t n = 0;
  for (; tip != nullptr && n < kTipUnits && tip[n] != L'\0'; ++n) data_.szTip[n] = tip[n];
  // Never half a surrogate pair at the end (callers cut whole characters; this is the last guard).
  if (n == kTipUnits && data_.szTip[n - 1] >= 0xD800 && data_.szTip[n - 1] <= 0xDBFF) data_.szTip[n - 1] = L'\0';
}

void CTrayIcon::Set(HWND window, UINT id, UINT callbackMessage, HICON icon, const wchar_t* tip) {
  if (added_) Delete();
  data_.hWnd = window;
  data_.uID = id;
  data_.uCallbackMessage = callbackMessage;
  data_.hIcon = icon;
  data_.uFlags = (callbackMessage != 0 ? NIF_MESSAGE : 0) | (icon != nullptr ? NIF_ICON : 0) |
                 (tip != nullptr ? NIF_TIP | kShowTip : 0);
  CopyTip(tip);
}

bool CTrayIcon::SetTip(const wchar_t* tip) {
  data_.uFlags |= NIF_TIP | kShowTip;
  CopyTip(tip);
  return !added_ || ::Shell_NotifyIconW(NIM_MODIFY, &data_) != FALSE;
}

bool CTrayIcon::Add() {
  if (added_) return ::Shell_NotifyIconW(NIM_MODIFY, &data_) != FALSE;
  if (!::Shell_NotifyIconW(NIM_ADD, &data_)) return false;
  added_ = true;
  // The version belongs to the icon: asked for after every add. A shell
  // that does not know it keeps the old callbacks, which read the same.
  data_.uVersion = NOTIFYICON_VERSION_4;
  ::Shell_NotifyIconW(NIM_SETVERSION, &data_);
  data_.uVersion = 0;
  return true;
}

bool CTrayIcon::ReturnFocus() { return added_ && ::Shell_NotifyIconW(NIM_SETFOCUS, &data_) != FALSE; }

bool CTrayIcon::Delete() {
  added_ = false;
  return ::Shell_NotifyIconW(NIM_DELETE, &data_) != FALSE;
}
