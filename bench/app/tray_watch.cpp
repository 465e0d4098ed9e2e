// Watches a start of melodek.exe from inside Wine and writes when each step
// was reached, as Unix time in seconds (the system clock, which the Linux
// side reads too), one "<step> <time>" line each:
//   ready          the watcher runs (start melodek.exe after this)
//   window         the main dialog exists (a dialog of melodek.exe captioned
//                  "Melodek" or nothing, holding an OK button, as the e2e
//                  probe finds it)
//   icon           the shell knows the tray icon: Shell_NotifyIcon(NIM_MODIFY)
//                  for the dialog's icon 0, changing nothing, succeeds; the
//                  shell answers it only for an icon that was added
//   exit_posted    (with "exit") Exit was posted to the main dialog
//   window_gone    the main dialog was destroyed
//   process_ended  the Windows process ended
// Usage: tray_watch <result file> <timeout ms> [exit]
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "common/window_messages.h"
#include "framework/unique_handle.h"

namespace {

constexpr UINT kExitCommand = 57665;  // the menu's "Exit"
constexpr DWORD kPollMs = 2;
constexpr DWORD kNotifyIconDataSize = 88;  // the form the program itself uses

double UnixSeconds() {
  FILETIME now;
  ::GetSystemTimePreciseAsFileTime(&now);
  const ULONGLONG ticks = (static_cast<ULONGLONG>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
  return static_cast<double>(ticks - 116444736000000000ULL) / 1e7;
}

bool IsMelodekProcess(DWORD processId) {
  UniqueHandle process(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
  if (!process) return false;
  char path[MAX_PATH] = {};
  DWORD size = MAX_PATH;
  if (!::QueryFullProcessImageNameA(process.get(), 0, path, &size)) return false;
  const char* name = std::strrchr(path, '\\');
  return _stricmp(name != nullptr ? name + 1 : path, "melodek.exe") == 0;
}

BOOL CALLBACK FindMainDialog(HWND window, LPARAM result) {
  char className[16] = {};
  char caption[16] = {};
  ::GetClassNameA(window, className, sizeof className);
  ::GetWindowTextA(window, caption, sizeof caption);
  const bool mainTitle = caption[0] == '\0' || std::strcmp(caption, kMainWindowTitle) == 0;
  if (std::strcmp(className, "#32770") != 0 || !mainTitle || ::GetDlgItem(window, IDOK) == nullptr) {
    return TRUE;
  }
  DWORD processId = 0;
  ::GetWindowThreadProcessId(window, &processId);
  if (!IsMelodekProcess(processId)) return TRUE;
  *reinterpret_cast<HWND*>(result) = window;
  return FALSE;
}

HWND MainDialog() {
  HWND found = nullptr;
  ::EnumWindows(&FindMainDialog, reinterpret_cast<LPARAM>(&found));
  return found;
}

bool IconKnown(HWND window) {
  NOTIFYICONDATAA data;
  std::memset(&data, 0, sizeof data);
  data.cbSize = kNotifyIconDataSize;
  data.hWnd = window;
  data.uID = 0;
  data.uFlags = 0;
  return ::Shell_NotifyIconA(NIM_MODIFY, &data) != FALSE;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: tray_watch <result file> <timeout ms> [exit]\n");
    return 2;
  }
  FILE* out = std::fopen(argv[1], "w");
  if (out == nullptr) return 2;
  const DWORD timeout = static_cast<DWORD>(std::strtoul(argv[2], nullptr, 10));
  const bool exit = argc > 3 && std::strcmp(argv[3], "exit") == 0;
  auto note = [out](const char* step) {
    std::fprintf(out, "%s %.6f\n", step, UnixSeconds());
    std::fflush(out);
  };
  ::timeBeginPeriod(1);
  note("ready");
  const DWORD start = ::GetTickCount();
  auto late = [&] { return ::GetTickCount() - start > timeout; };

  HWND window = nullptr;
  while ((window = MainDialog()) == nullptr) {
    if (late()) return 1;
    ::Sleep(kPollMs);
  }
  note("window");
  while (!IconKnown(window)) {
    if (late()) return 1;
    ::Sleep(kPollMs);
  }
  note("icon");
  if (!exit) return 0;

  DWORD processId = 0;
  ::GetWindowThreadProcessId(window, &processId);
  UniqueHandle process(::OpenProcess(SYNCHRONIZE, FALSE, processId));
  ::PostMessageA(window, WM_COMMAND, kExitCommand, 0);
  note("exit_posted");
  while (::IsWindow(window)) {
    if (late()) return 1;
    ::Sleep(1);
  }
  note("window_gone");
  if (!process || ::WaitForSingleObject(process.get(), timeout) != WAIT_OBJECT_0) return 1;
  note("process_ended");
  std::fclose(out);
  return 0;
}
