// Window DPI: GetDpiForWindow where the system has it (Windows 10 1607 and
// later), else the screen's logical pixels.
#include "framework/dpi.h"

namespace {

using GetDpiForWindowFn = UINT(WINAPI*)(HWND);

GetDpiForWindowFn LookUpGetDpiForWindow() {
  HMODULE user32 = ::GetModuleHandleA("user32.dll");
  if (user32 == nullptr) return nullptr;
  return reinterpret_cast<GetDpiForWindowFn>(
      reinterpret_cast<void*>(::GetProcAddress(user32, "GetDpiForWindow")));
}

}  // namespace

int WindowDpi(HWND window) {
  static const GetDpiForWindowFn getDpiForWindow = LookUpGetDpiForWindow();
  if (window != nullptr && getDpiForWindow != nullptr) {
    const UINT dpi = getDpiForWindow(window);
    if (dpi != 0) return static_cast<int>(dpi);
  }
  HDC screen = ::GetDC(nullptr);
  int dpi = screen != nullptr ? ::GetDeviceCaps(screen, LOGPIXELSY) : 0;
  if (screen != nullptr) ::ReleaseDC(nullptr, screen);
  return dpi > 0 ? dpi : 96;
}
