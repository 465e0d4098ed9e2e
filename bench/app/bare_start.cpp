// The yardstick for start-up times: a Windows program that does nothing
// ("bare_start") or creates one window and ends ("bare_start window"),
// started the same way as melodek.exe.
#include <windows.h>

#include <cstring>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
  if (commandLine == nullptr || std::strstr(commandLine, "window") == nullptr) return 0;
  HWND window = ::CreateWindowExA(0, "STATIC", "bare", WS_POPUP, 0, 0, 16, 16, nullptr, nullptr, instance, nullptr);
  if (window == nullptr) return 1;
  ::DestroyWindow(window);
  return 0;
}
