// Message maps: a static table from message, notification code and control id
// to a member handler, instead of a switch per window.
//
//   const MessageMapEntry<CTrayDlg> CTrayDlg::kMessageMap[] = {
//     {WM_INITDIALOG, &CTrayDlg::OnInitDialog},
//     OnCommandId(32771, &CTrayDlg::OnPlaylistEdit),
//     OnMessageRange(0xC000, 0xFFFF, &CTrayDlg::OnRegisteredMessage),
//   };
//
// Handlers take (wParam, lParam) and return the message result. Setting
// `handled` false from a handler lets default processing run afterwards.
#pragma once
#include <windows.h>

#include <cstddef>

constexpr UINT kAnyCode = 0xFFFFFFFFu;

template <class Owner>
struct MessageMapEntry {
  using Handler = LRESULT (Owner::*)(WPARAM wParam, LPARAM lParam, bool& handled);
  UINT messageFirst;
  UINT messageLast;
  UINT code;     // WM_COMMAND notification code, WM_NOTIFY code, or kAnyCode
  UINT idFirst;  // control or command id range for WM_COMMAND / WM_NOTIFY
  UINT idLast;
  Handler handler;

  constexpr MessageMapEntry(UINT message, Handler h)
      : messageFirst(message), messageLast(message), code(kAnyCode), idFirst(0), idLast(0xFFFF),
        handler(h) {}
  constexpr MessageMapEntry(UINT first, UINT last, UINT c, UINT idLo, UINT idHi, Handler h)
      : messageFirst(first), messageLast(last), code(c), idFirst(idLo), idLast(idHi), handler(h) {}
};

template <class Owner>
constexpr MessageMapEntry<Owner> OnCommandId(UINT id, typename MessageMapEntry<Owner>::Handler h) {
  return MessageMapEntry<Owner>(WM_COMMAND, WM_COMMAND, kAnyCode, id, id, h);
}
template <class Owner>
constexpr MessageMapEntry<Owner> OnNotify(UINT code, UINT id, typename MessageMapEntry<Owner>::Handler h) {
  return MessageMapEntry<Owner>(WM_NOTIFY, WM_NOTIFY, code, id, id, h);
}
template <class Owner>
constexpr MessageMapEntry<Owner> OnMessageRange(UINT first, UINT last,
                                                typename MessageMapEntry<Owner>::Handler h) {
  return MessageMapEntry<Owner>(first, last, kAnyCode, 0, 0xFFFF, h);
}

// Runs the first matching entry. Returns true when a handler took the message.
template <class Owner, size_t N>
bool DispatchMessageMap(Owner* owner, const MessageMapEntry<Owner> (&map)[N], UINT message,
                        WPARAM wParam, LPARAM lParam, LRESULT* result) {
  UINT code = kAnyCode;
  UINT id = 0;
  if (message == WM_COMMAND) {
    code = HIWORD(wParam);
    id = LOWORD(wParam);
  } else if (message == WM_NOTIFY && lParam != 0) {
    const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
    code = header->code;
    id = static_cast<UINT>(header->idFrom);
  }
  for (const auto& entry : map) {
    if (message < entry.messageFirst || message > entry.messageLast) continue;
    if (message == WM_COMMAND || message == WM_NOTIFY) {
      if (entry.code != kAnyCode && entry.code != code) continue;
      if (id < entry.idFirst || id > entry.idLast) continue;
    }
    bool handled = true;
    *result = (owner->*entry.handler)(wParam, lParam, handled);
    return handled;
  }
  return false;
}
