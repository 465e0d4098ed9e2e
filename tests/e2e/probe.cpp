// melodek-probe: drives a running Melodek the way a user or the shell would,
// for the end-to-end tests. Each call does one thing and exits:
//   probe main-window               prints the main dialog's handle (0 if none)
//   probe command <id>              posts WM_COMMAND id to the main dialog
//   probe message <msg> <w> <l>     posts a message to the main dialog
//   probe send <msg> <w> <l>        sends it and prints the result
//   probe repeat <id> <count>       posts WM_COMMAND id count times at once
//   probe counts                    prints "threads handles" of melodek.exe
//   probe send-keys <mods> <vk>     presses a key with modifiers through SendInput
//   probe wait-exit <ms>            waits for melodek.exe to end; exit code 0 if it did
// A renamed program file is named in the environment variable MELODEK_EXE.
//   probe count-windows             prints the number of top-level windows of melodek.exe
//   probe tray-window               prints the handle of the shell's notification window
//   probe click <x> <y> [right]     clicks the mouse at a screen position
//   probe visible <caption>         exit code 0 when melodek.exe has a visible window with that caption
// Soak test:
//   probe actions <ms> <item>...    one item every <ms> milliseconds: a number posts WM_COMMAND
//                                   with that id, "save" sends WM_QUERYENDSESSION (settings save);
//                                   exit code 1 when the main dialog is gone, 3 when a save got
//                                   no answer within 5 s
#include <windows.h>
#include <tlhelp32.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "framework/unique_handle.h"
#include "tests/support/process_counts.h"

namespace {
// The program file's name: melodek.exe, or MELODEK_EXE for a renamed copy.
std::string ProgramFileName() {
  char name[MAX_PATH] = {};
  if (::GetEnvironmentVariableA("MELODEK_EXE", name, MAX_PATH) > 0) return name;
  return "melodek.exe";
}

std::vector<DWORD> MelodekProcesses() {
  const std::string program = ProgramFileName();
  std::vector<DWORD> ids;
  UniqueFileHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot) return ids;
  PROCESSENTRY32 entry{};
  entry.dwSize = sizeof entry;
  for (BOOL ok = ::Process32First(snapshot.get(), &entry); ok; ok = ::Process32Next(snapshot.get(), &entry)) {
    if (_stricmp(entry.szExeFile, program.c_str()) == 0) ids.push_back(entry.th32ProcessID);
  }
  return ids;
}

struct Search {
  std::vector<DWORD> processes;
  std::vector<HWND> windows;
};

BOOL CALLBACK Collect(HWND window, LPARAM state) {
  auto* search = reinterpret_cast<Search*>(state);
  DWORD process = 0;
  ::GetWindowThreadProcessId(window, &process);
  for (DWORD id : search->processes) {
    if (id == process) search->windows.push_back(window);
  }
  return TRUE;
}

std::vector<HWND> MelodekWindows() {
  Search search{MelodekProcesses(), {}};
  if (!search.processes.empty()) ::EnumWindows(&Collect, reinterpret_cast<LPARAM>(&search));
  return search.windows;
}

// The main dialog: a dialog-class window without caption that holds an OK button.
HWND MainWindow() {
  for (HWND window : MelodekWindows()) {
    char className[64] = {};
    char caption[64] = {};
    ::GetClassNameA(window, className, sizeof className);
    ::GetWindowTextA(window, caption, sizeof caption);
    if (std::strcmp(className, "#32770") == 0 && caption[0] == '\0' && ::GetDlgItem(window, IDOK) != nullptr) {
      return window;
    }
  }
  return nullptr;
}

void PressKeys(unsigned modifiers, unsigned key) {
  std::vector<WORD> keys;
  if (modifiers & MOD_SHIFT) keys.push_back(VK_SHIFT);
  if (modifiers & MOD_CONTROL) keys.push_back(VK_CONTROL);
  if (modifiers & MOD_ALT) keys.push_back(VK_MENU);
  if (modifiers & MOD_WIN) keys.push_back(VK_LWIN);
  keys.push_back(static_cast<WORD>(key));
  std::vector<INPUT> inputs;
  for (WORD vk : keys) {
    INPUT in{};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = vk;
    inputs.push_back(in);
  }
  for (auto it = keys.rbegin(); it != keys.rend(); ++it) {
    INPUT in{};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = *it;
    in.ki.dwFlags = KEYEVENTF_KEYUP;
    inputs.push_back(in);
  }
  ::SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

unsigned long Number(const char* text) { return std::strtoul(text, nullptr, 0); }

void Click(int x, int y, bool right) {
  ::SetCursorPos(x, y);
  INPUT inputs[2] = {};
  inputs[0].type = inputs[1].type = INPUT_MOUSE;
  inputs[0].mi.dwFlags = right ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_LEFTDOWN;
  inputs[1].mi.dwFlags = right ? MOUSEEVENTF_RIGHTUP : MOUSEEVENTF_LEFTUP;
  ::SendInput(2, inputs, sizeof(INPUT));
}

HWND FindVisible(const char* caption) {
  for (HWND window : MelodekWindows()) {
    char text[256] = {};
    ::GetWindowTextA(window, text, sizeof text);
    if (std::strcmp(text, caption) == 0 && ::IsWindowVisible(window)) return window;
  }
  return nullptr;
}
}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  const std::string verb = argv[1];
  if (verb == "main-window") {
    std::printf("%lu\n", static_cast<unsigned long>(reinterpret_cast<uintptr_t>(MainWindow())));
    return MainWindow() != nullptr ? 0 : 1;
  }
  if (verb == "command" && argc >= 3) {
    HWND main = MainWindow();
    return main != nullptr && ::PostMessageA(main, WM_COMMAND, Number(argv[2]), 0) ? 0 : 1;
  }
  if (verb == "message" && argc >= 5) {
    HWND main = MainWindow();
    return main != nullptr && ::PostMessageA(main, Number(argv[2]), Number(argv[3]), Number(argv[4])) ? 0 : 1;
  }
  if (verb == "repeat" && argc >= 4) {
    HWND main = MainWindow();
    if (main == nullptr) return 1;
    for (unsigned long i = 0; i < Number(argv[3]); ++i) ::PostMessageA(main, WM_COMMAND, Number(argv[2]), 0);
    return 0;
  }
  if (verb == "counts") {
    const std::vector<DWORD> processes = MelodekProcesses();
    if (processes.empty()) return 1;
    std::printf("%d %ld\n", testprocess::ThreadCount(processes[0]), testprocess::HandleCount(processes[0]));
    return 0;
  }
  if (verb == "send" && argc >= 5) {
    HWND main = MainWindow();
    if (main == nullptr) return 1;
    DWORD_PTR result = 0;
    if (!::SendMessageTimeoutA(main, Number(argv[2]), Number(argv[3]), Number(argv[4]), SMTO_ABORTIFHUNG, 5000,
                               &result)) {
      return 1;
    }
    std::printf("%lu\n", static_cast<unsigned long>(result));
    return 0;
  }
  if (verb == "send-keys" && argc >= 4) {
    PressKeys(Number(argv[2]), Number(argv[3]));
    return 0;
  }
  if (verb == "count-windows") {
    std::printf("%u\n", static_cast<unsigned>(MelodekWindows().size()));
    return 0;
  }
  if (verb == "tray-window") {
    HWND tray = ::FindWindowA("Shell_TrayWnd", nullptr);
    std::printf("%lu\n", static_cast<unsigned long>(reinterpret_cast<uintptr_t>(tray)));
    return tray != nullptr ? 0 : 1;
  }
  if (verb == "click" && argc >= 4) {
    Click(static_cast<int>(Number(argv[2])), static_cast<int>(Number(argv[3])), argc >= 5);
    return 0;
  }
  if (verb == "visible" && argc >= 3) return FindVisible(argv[2]) != nullptr ? 0 : 1;
  // --- soak test ---
  if (verb == "actions" && argc >= 3) {
    const DWORD pause = Number(argv[2]);
    for (int i = 3; i < argc; ++i) {
      HWND main = MainWindow();
      if (main == nullptr) return 1;
      if (std::strcmp(argv[i], "save") == 0) {
        DWORD_PTR result = 0;
        if (!::SendMessageTimeoutA(main, WM_QUERYENDSESSION, 0, 0, SMTO_ABORTIFHUNG, 5000, &result)) return 3;
      } else if (!::PostMessageA(main, WM_COMMAND, Number(argv[i]), 0)) {
        return 1;
      }
      ::Sleep(pause);
    }
    return 0;
  }
  if (verb == "wait-exit" && argc >= 3) {
    const DWORD limit = Number(argv[2]);
    const DWORD start = ::GetTickCount();
    while (!MelodekProcesses().empty()) {
      if (::GetTickCount() - start > limit) return 1;
      ::Sleep(20);
    }
    return 0;
  }
  return 2;
}
