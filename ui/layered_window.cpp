// See-through windows through the system's layered-window function.
#include "ui/layered_window.h"

#include "framework/unique_handle.h"

namespace {
using SetLayeredFn = BOOL(WINAPI*)(HWND, COLORREF, BYTE, DWORD);

BOOL WINAPI SetLayeredFallback(HWND, COLORREF, BYTE, DWORD) { return FALSE; }

SetLayeredFn g_setLayered = &SetLayeredFallback;  // filled before any window exists

// Static start-up, before the application object and any thread.
const bool g_loaded = (LoadLayeredFunctions(), true);
}  // namespace

void LoadLayeredFunctions() {
  // Released at once: user32 stays loaded in every GUI process, so the
  // address stays valid.
  UniqueModule user32(::LoadLibraryA("user32"));
  if (!user32) return;
  auto found = reinterpret_cast<SetLayeredFn>(
      reinterpret_cast<void*>(::GetProcAddress(user32.get(), "SetLayeredWindowAttributes")));
  g_setLayered = found != nullptr ? found : &SetLayeredFallback;
}

void SetLayered(HWND window, bool on) {
  const LONG_PTR style = ::GetWindowLongPtrA(window, GWL_EXSTYLE);
  ::SetWindowLongPtrA(window, GWL_EXSTYLE, on ? (style | WS_EX_LAYERED) : (style & ~WS_EX_LAYERED));
}

BOOL SetLayeredAttributes(HWND window, COLORREF key, BYTE alpha, DWORD flags) {
  return g_setLayered(window, key, alpha, flags);
}

void SetWindowAlpha(HWND window, int alpha) {
  if (alpha < 1) alpha = 1;
  if (alpha >= 255) {
    SetLayered(window, false);
    return;
  }
  SetLayered(window, true);
  SetLayeredAttributes(window, 0xFFFFFFFF, static_cast<BYTE>(alpha), LWA_ALPHA);
}
