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
// Windows and list views of a dialog ("<caption>" names a visible window of
// melodek.exe; "-" the visible dialog that holds a control with the id):
//   probe window-rect <caption>                 prints "left top right bottom" (screen)
//   probe control-rect <caption> <id>           the control's window rectangle (screen)
//   probe row-rect <caption> <id> <row>         a list-view row's bounds (screen)
//   probe row-count <caption> <id>              rows of a list view
//   probe row-text <caption> <id> <row> [col]   a cell's text
//   probe row-state <caption> <id> <row>        the row's state bits (0xFFFF)
//   probe top-row <caption> <id>                the first visible row
//   probe drag <x1> <y1> <x2> <y2> [steps]      a left-button drag with real input
//   probe type <text>                           types text through SendInput
//   probe drop-files <x> <y> <path>...          the shell's drop of files at a screen point
//   probe dialog-rect <id>                      the visible dialog holding a control with the id
//   probe combo-sel <caption> <id>              a combo box's selected index
//   probe click-with <vk> <x> <y>               a left click while a key (Ctrl: 17) is held
//   probe double-click <x> <y>
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>
#include <tlhelp32.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
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
// --- windows and list views of a dialog ------------------------------------------

HWND DialogOf(const char* caption, int id) {
  for (HWND window : MelodekWindows()) {
    if (!::IsWindowVisible(window)) continue;
    char text[256] = {};
    ::GetWindowTextA(window, text, sizeof text);
    if (std::strcmp(caption, "-") == 0 ? ::GetDlgItem(window, id) != nullptr : std::strcmp(text, caption) == 0) {
      return window;
    }
  }
  return nullptr;
}

HWND ControlOf(const char* caption, const char* id) {
  const int number = static_cast<int>(Number(id));
  HWND dialog = DialogOf(caption, number);
  return dialog != nullptr ? ::GetDlgItem(dialog, number) : nullptr;
}

void PrintRect(const RECT& r) { std::printf("%ld %ld %ld %ld\n", r.left, r.top, r.right, r.bottom); }

// Memory in Melodek's process for a list-view message that takes a pointer.
class RemoteBuffer {
 public:
  RemoteBuffer(HWND window, size_t size) : size_(size) {
    DWORD process = 0;
    ::GetWindowThreadProcessId(window, &process);
    process_.reset(::OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, process));
    if (process_) {
      address_ = ::VirtualAllocEx(process_.get(), nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    }
  }
  ~RemoteBuffer() {
    if (address_ != nullptr) ::VirtualFreeEx(process_.get(), address_, 0, MEM_RELEASE);
  }
  bool ok() const { return address_ != nullptr; }
  char* at(size_t offset) const { return static_cast<char*>(address_) + offset; }
  bool Write(const void* data, size_t size, size_t offset = 0) {
    return ::WriteProcessMemory(process_.get(), at(offset), data, size, nullptr) != 0;
  }
  bool Read(void* data, size_t size, size_t offset = 0) {
    return ::ReadProcessMemory(process_.get(), at(offset), data, size, nullptr) != 0;
  }
  // Leaves the memory to the other process (a drop is freed by DragFinish).
  void* Release() { return std::exchange(address_, nullptr); }

 private:
  UniqueHandle process_;
  void* address_ = nullptr;
  size_t size_;
};

bool RowRect(HWND list, int row, RECT& rect) {
  RemoteBuffer buffer(list, sizeof(RECT));
  RECT request{};
  request.left = LVIR_BOUNDS;
  if (!buffer.ok() || !buffer.Write(&request, sizeof request)) return false;
  if (!::SendMessageA(list, LVM_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(buffer.at(0)))) {
    return false;
  }
  buffer.Read(&rect, sizeof rect);
  ::MapWindowPoints(list, nullptr, reinterpret_cast<POINT*>(&rect), 2);
  return true;
}

std::string RowText(HWND list, int row, int column) {
  RemoteBuffer buffer(list, sizeof(LVITEMA) + 1024);
  LVITEMA item{};
  item.iSubItem = column;
  item.cchTextMax = 1024;
  item.pszText = buffer.at(sizeof(LVITEMA));
  if (!buffer.ok() || !buffer.Write(&item, sizeof item)) return std::string();
  ::SendMessageA(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(buffer.at(0)));
  char text[1025] = {};
  buffer.Read(text, 1024, sizeof(LVITEMA));
  return text;
}

void MoveMouse(int x, int y) {
  INPUT input{};
  input.type = INPUT_MOUSE;
  input.mi.dx = ::MulDiv(x, 65535, ::GetSystemMetrics(SM_CXSCREEN) - 1);
  input.mi.dy = ::MulDiv(y, 65535, ::GetSystemMetrics(SM_CYSCREEN) - 1);
  input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  ::SendInput(1, &input, sizeof input);
  ::Sleep(40);
}

void Button(DWORD flags) {
  INPUT input{};
  input.type = INPUT_MOUSE;
  input.mi.dwFlags = flags;
  ::SendInput(1, &input, sizeof input);
  ::Sleep(60);
}

void Drag(int x1, int y1, int x2, int y2, int steps) {
  MoveMouse(x1, y1);
  Button(MOUSEEVENTF_LEFTDOWN);
  for (int i = 1; i <= steps; ++i) MoveMouse(x1 + (x2 - x1) * i / steps, y1 + (y2 - y1) * i / steps);
  Button(MOUSEEVENTF_LEFTUP);
}

void TypeText(const char* text) {
  for (const char* c = text; *c != '\0'; ++c) {
    INPUT inputs[2] = {};
    inputs[0].type = inputs[1].type = INPUT_KEYBOARD;
    inputs[0].ki.wScan = inputs[1].ki.wScan = static_cast<WORD>(static_cast<unsigned char>(*c));
    inputs[0].ki.dwFlags = KEYEVENTF_UNICODE;
    inputs[1].ki.dwFlags = KEYEVENTF_UNICODE | KEYEVENTF_KEYUP;
    ::SendInput(2, inputs, sizeof(INPUT));
    ::Sleep(10);
  }
}

// What the shell does when files are dropped on a window that accepts them:
// a DROPFILES block in the receiver's memory, posted as WM_DROPFILES to the
// window under the point.
bool DropFiles(int x, int y, int count, char** paths) {
  ::SetCursorPos(x, y);
  MoveMouse(x, y);
  HWND target = ::WindowFromPoint(POINT{x, y});
  if (target == nullptr) return false;
  std::string names;
  for (int i = 0; i < count; ++i) names.append(paths[i]).push_back('\0');
  names.push_back('\0');
  DROPFILES header{};
  header.pFiles = sizeof header;
  header.pt = {x, y};
  header.fNC = FALSE;
  header.fWide = FALSE;
  RemoteBuffer buffer(target, sizeof header + names.size());
  if (!buffer.ok() || !buffer.Write(&header, sizeof header) || !buffer.Write(names.data(), names.size(), sizeof header)) {
    return false;
  }
  return ::PostMessageA(target, WM_DROPFILES, reinterpret_cast<WPARAM>(buffer.Release()), 0) != 0;
}

int ListVerb(const std::string& verb, int argc, char** argv) {
  if (verb == "window-rect" && argc >= 3) {
    HWND window = FindVisible(argv[2]);
    RECT r{};
    if (window == nullptr || !::GetWindowRect(window, &r)) return 1;
    PrintRect(r);
    return 0;
  }
  if (argc < 4) return 2;
  HWND control = ControlOf(argv[2], argv[3]);
  if (control == nullptr) return 1;
  if (verb == "control-rect") {
    RECT r{};
    ::GetWindowRect(control, &r);
    PrintRect(r);
    return 0;
  }
  if (verb == "row-count") {
    std::printf("%ld\n", static_cast<long>(::SendMessageA(control, LVM_GETITEMCOUNT, 0, 0)));
    return 0;
  }
  if (verb == "top-row") {
    std::printf("%ld\n", static_cast<long>(::SendMessageA(control, LVM_GETTOPINDEX, 0, 0)));
    return 0;
  }
  if (argc < 5) return 2;
  const int row = static_cast<int>(Number(argv[4]));
  if (verb == "row-rect") {
    RECT r{};
    if (!RowRect(control, row, r)) return 1;
    PrintRect(r);
    return 0;
  }
  if (verb == "row-text") {
    std::printf("%s\n", RowText(control, row, argc >= 6 ? static_cast<int>(Number(argv[5])) : 0).c_str());
    return 0;
  }
  if (verb == "row-state") {
    std::printf("%lu\n", static_cast<unsigned long>(::SendMessageA(control, LVM_GETITEMSTATE, static_cast<WPARAM>(row), 0xFFFF)));
    return 0;
  }
  return 2;
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
  if (verb == "drag" && argc >= 6) {
    Drag(static_cast<int>(std::strtol(argv[2], nullptr, 0)), static_cast<int>(std::strtol(argv[3], nullptr, 0)),
         static_cast<int>(std::strtol(argv[4], nullptr, 0)), static_cast<int>(std::strtol(argv[5], nullptr, 0)),
         argc >= 7 ? static_cast<int>(Number(argv[6])) : 8);
    return 0;
  }
  if (verb == "type" && argc >= 3) {
    TypeText(argv[2]);
    return 0;
  }
  if (verb == "drop-files" && argc >= 5) {
    return DropFiles(static_cast<int>(std::strtol(argv[2], nullptr, 0)), static_cast<int>(std::strtol(argv[3], nullptr, 0)),
                     argc - 4, argv + 4) ? 0 : 1;
  }
  if (verb == "dialog-rect" && argc >= 3) {
    HWND dialog = DialogOf("-", static_cast<int>(Number(argv[2])));
    RECT r{};
    if (dialog == nullptr || !::GetWindowRect(dialog, &r)) return 1;
    PrintRect(r);
    return 0;
  }
  if (verb == "combo-sel" && argc >= 4) {
    HWND combo = ControlOf(argv[2], argv[3]);
    if (combo == nullptr) return 1;
    std::printf("%ld\n", static_cast<long>(::SendMessageA(combo, CB_GETCURSEL, 0, 0)));
    return 0;
  }
  if (verb == "click-with" && argc >= 5) {
    INPUT key{};
    key.type = INPUT_KEYBOARD;
    key.ki.wVk = static_cast<WORD>(Number(argv[2]));
    ::SendInput(1, &key, sizeof key);
    ::Sleep(30);
    MoveMouse(static_cast<int>(Number(argv[3])), static_cast<int>(Number(argv[4])));
    Button(MOUSEEVENTF_LEFTDOWN);
    Button(MOUSEEVENTF_LEFTUP);
    key.ki.dwFlags = KEYEVENTF_KEYUP;
    ::SendInput(1, &key, sizeof key);
    ::Sleep(30);
    return 0;
  }
  if (verb == "double-click" && argc >= 4) {
    MoveMouse(static_cast<int>(Number(argv[2])), static_cast<int>(Number(argv[3])));
    for (int i = 0; i < 2; ++i) {
      INPUT clicks[2] = {};
      clicks[0].type = clicks[1].type = INPUT_MOUSE;
      clicks[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
      clicks[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
      ::SendInput(2, clicks, sizeof(INPUT));
      ::Sleep(20);
    }
    return 0;
  }
  if (verb == "window-rect" || verb == "control-rect" || verb == "row-rect" || verb == "row-count" ||
      verb == "row-text" || verb == "row-state" || verb == "top-row") {
    return ListVerb(verb, argc, argv);
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
