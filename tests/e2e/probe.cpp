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
//   probe hold-name <name> <ms>     holds a mutex of that name (a running copy that does not answer),
//                                   prints "held" and keeps it for <ms> milliseconds
//   probe start-each <program> <switch> <file>...
//                                   starts "<program>" <switch> "<file>" once per file, one right after the
//                                   other (as the shell runs a verb for each selected file), then waits for
//                                   all; exit code 0 when every one ended with 0
//   probe processes                 every Windows process ("pid parent threads name"), each followed by its
//                                   top-level windows ("  hwnd class visible|hidden caption")
// Soak test:
//   probe actions <ms> <item>...    one item every <ms> milliseconds: a number posts WM_COMMAND
//                                   with that id, "save" sends WM_QUERYENDSESSION (settings save);
//                                   exit code 1 when the main dialog is gone, 3 when a save got
//                                   no answer within 5 s. Seeks through the Controller's slider,
//                                   shown first with its hot key: "drag:<per mille>" drags the thumb
//                                   there, "key:<vk>" presses a key on the slider; "controller" presses
//                                   the Controller's hot key. Prints "drags n landed n keys n hot-keys n".
// Windows and list views of a dialog ("<caption>" names a visible window of
// melodek.exe; "-" the visible dialog that holds a control with the id):
//   probe dialog-window-rect <caption>         prints "left top right bottom" (screen)
//   probe item-rect <caption> <id>              the control's window rectangle (screen)
//   probe list-row-rect <caption> <id> <row>    a list-view row's bounds (screen)
//   probe row-count <caption> <id>              rows of a list view
//   probe row-text <caption> <id> <row> [col]   a cell's text
//   probe row-state <caption> <id> <row>        the row's state bits (0xFFFF)
//   probe top-row <caption> <id>                the first visible row
//   probe mouse-drag <x1> <y1> <x2> <y2> [steps]  a left-button drag with real input
//   probe type <text>                           types text (UTF-8, any script) through SendInput as
//                                               Unicode key events, one per UTF-16 unit, as an
//                                               input method delivers it
//   probe drop-files <x> <y> <path>...          the shell's drop of files at a screen point
//   probe dialog-rect <id>                      the visible dialog holding a control with the id
//   probe combo-sel <caption> <id>              a combo box's selected index
//   probe click-with <vk> <x> <y>               a left click while a key (Ctrl: 17) is held
// The Controller and the title display:
//   probe controller                prints the Controller's handle (it exists once first shown)
//   probe title-window              prints the title display's handle (once it showed a text)
//   probe window-info <hwnd>        prints "visible left top right bottom layered alpha topmost", then the caption
//   probe control-rect <hwnd> <id>  prints the screen rectangle of a dialog control
//   probe trackbar <hwnd> <id>      prints "min max pos" and the explicit ticks of a track bar
//   probe mouse <down|up|move|rdown|rup> <x> <y>   one mouse event through SendInput
//   probe find <caption>            prints the handle of melodek.exe's visible window with that caption
//   probe thumb <hwnd> <id>         prints the screen position of a track bar's thumb centre
//   probe watch-fade <ms>           from the title display's next (or first) text, prints "ms visible alpha
//                                   foreground text" at every change until it hides
//   probe menu-window               prints the screen rectangle of the open popup menu
//   probe watch-caption <hwnd> <ms> waits for the next title display text, then for the Controller's
//                                   caption to become it; prints the delay in ms and the text
// Dialogs, lists and hot keys (the hot key list and editor tests):
//   probe list-rows <caption> <id>  prints each row of a list view: "<ticked>|<column 0>|<column 1>"
//   probe list-point <caption> <id> <row> text|check
//                                   prints the screen point of a row's first label or its check box
//   probe control-point <caption> <id>  prints the screen point at the centre of a dialog control
//   probe window-rect <caption>     prints "left top right bottom" of a visible window
//   probe child-texts <caption>     prints the texts of a visible window's child windows, one a line
//   probe send-item <caption> <id> <msg> <w> <l>  sends a message to a dialog control, prints the result
//   probe type-keys <mods> <vk>     like send-keys, with each key's scan code as a keyboard sends it
//                                   (the hot key control reads the scan code)
// Screen scaling:
//   probe dpi <hwnd>                prints the window's DPI
//   probe dpi-changed <hwnd> <dpi> <left> <top> <right> <bottom>
//                                   sends the window the system's notice of a new DPI with that
//                                   suggested rectangle (as moving to another monitor does)
//   probe menu-shown                exit code 0 while a popup menu is on screen
//   probe foreground                prints the caption of the foreground window
//   probe double-click <x> <y>      double-clicks the left mouse button at a screen position
//   probe hold-keys <ms> <mods> <vk>...  registers those hot keys for itself, prints "held" and keeps
//                                   them for <ms> milliseconds (exit code 1 when one was refused)
//   probe free-keys <mods> <vk>...  prints 1 for each combination no program holds, else 0
// The Jump to File window:
//   probe open-time <mods> <vk> <caption>  presses a hot key and prints the milliseconds until a
//                                   window of melodek.exe with that caption is visible
//   probe window-made <caption>     exit code 0 when melodek.exe has a window with that caption,
//                                   shown or not
// Dialog controls, by the caption of their dialog and their id (0: the dialog):
//   probe rect <caption> <id>       prints the control's screen rectangle "left top right bottom"
//   probe text <caption> <id>       prints the control's text
//   probe row-rect <caption> <id> <row>  prints a list-view row's screen rectangle
//   probe drag <x0> <y0> <x1> <y1> <steps> [<capture> <hx> <hy>]
//                                   drags with the left button in steps; with a capture file
//                                   (Windows path) prints its bytes (with its .0001... siblings)
//                                   when the drag starts and when the curve editor's handle
//                                   shows at (hx, hy) after the last step, before the button goes up;
//                                   fails when it never shows there
//   probe drag-corner <x0> <y0> <x1> <y1> <steps>
//                                   drags a window's frame, releasing once its lower right corner
//                                   has followed; fails when it does not within 3 s
//   probe press <x> <y> [right]     moves the mouse there, then clicks (left or right)
//   probe black-rows <x> <y0> <y1>  prints the screen rows y0..y1 whose pixel at x is black
// Tool tips, accessible names, the keyboard's focus and high contrast: see probe_access.cpp.
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "common/window_messages.h"
#include "framework/unique_handle.h"
#include "tests/e2e/probe_access.h"
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

// The main dialog: a hidden dialog-class window with the program's main window
// text (none before it sets it) that holds an OK button; message boxes of the
// program share the text, but are shown.
HWND MainWindow() {
  for (HWND window : MelodekWindows()) {
    char className[64] = {};
    char caption[64] = {};
    ::GetClassNameA(window, className, sizeof className);
    ::GetWindowTextA(window, caption, sizeof caption);
    const bool mainTitle = caption[0] == '\0' || std::strcmp(caption, kMainWindowTitle) == 0;
    if (std::strcmp(className, "#32770") == 0 && mainTitle && !::IsWindowVisible(window) &&
        ::GetDlgItem(window, IDOK) != nullptr) {
      return window;
    }
  }
  return nullptr;
}

// Presses a key with modifiers through SendInput, all down then all up. With
// `scanCodes` each key carries the scan code a keyboard sends (the hot key
// control reads it).
void PressKeys(unsigned modifiers, unsigned key, bool scanCodes = false) {
  std::vector<WORD> keys;
  if (modifiers & MOD_SHIFT) keys.push_back(VK_SHIFT);
  if (modifiers & MOD_CONTROL) keys.push_back(VK_CONTROL);
  if (modifiers & MOD_ALT) keys.push_back(VK_MENU);
  if (modifiers & MOD_WIN) keys.push_back(VK_LWIN);
  keys.push_back(static_cast<WORD>(key));
  std::vector<INPUT> inputs;
  auto add = [&inputs, scanCodes](WORD vk, DWORD flags) {
    INPUT in{};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = vk;
    if (scanCodes) in.ki.wScan = static_cast<WORD>(::MapVirtualKeyA(vk, MAPVK_VK_TO_VSC));
    in.ki.dwFlags = flags;
    inputs.push_back(in);
  };
  for (WORD vk : keys) add(vk, 0);
  for (auto it = keys.rbegin(); it != keys.rend(); ++it) add(*it, KEYEVENTF_KEYUP);
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
struct ProcessWindows {
  DWORD process;
  std::vector<HWND> windows;
};

BOOL CALLBACK CollectOfProcess(HWND window, LPARAM state) {
  auto* search = reinterpret_cast<ProcessWindows*>(state);
  DWORD process = 0;
  ::GetWindowThreadProcessId(window, &process);
  if (process == search->process) search->windows.push_back(window);
  return TRUE;
}

}  // namespace

std::vector<HWND> TopLevelWindowsOf(DWORD processId) {
  ProcessWindows search{processId, {}};
  ::EnumWindows(&CollectOfProcess, reinterpret_cast<LPARAM>(&search));
  return search.windows;
}

namespace {

// What a person looks at when a start went wrong: every process of the
// prefix and its top-level windows. Captions are read without sending the
// window a message (a hung program must not hang the probe).
int PrintProcesses() {
  UniqueFileHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot) return 1;
  PROCESSENTRY32 entry{};
  entry.dwSize = sizeof entry;
  for (BOOL ok = ::Process32First(snapshot.get(), &entry); ok; ok = ::Process32Next(snapshot.get(), &entry)) {
    std::printf("%lu %lu %lu %s\n", static_cast<unsigned long>(entry.th32ProcessID),
                static_cast<unsigned long>(entry.th32ParentProcessID), static_cast<unsigned long>(entry.cntThreads),
                entry.szExeFile);
    for (HWND window : TopLevelWindowsOf(entry.th32ProcessID)) {
      char className[64] = {};
      WCHAR caption[128] = {};
      char text[384] = {};
      ::GetClassNameA(window, className, sizeof className);
      ::InternalGetWindowText(window, caption, 128);
      ::WideCharToMultiByte(CP_UTF8, 0, caption, -1, text, sizeof text, nullptr, nullptr);
      std::printf("  %lu %s %s \"%s\"\n", static_cast<unsigned long>(reinterpret_cast<uintptr_t>(window)), className,
                  ::IsWindowVisible(window) ? "visible" : "hidden", text);
    }
  }
  std::fflush(stdout);
  return 0;
}

// The play list editor tests' verbs live in a namespace of their own.
namespace lists {
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
  const int units = ::MultiByteToWideChar(CP_UTF8, 0, text, -1, nullptr, 0);
  std::vector<wchar_t> wide(static_cast<size_t>(units > 0 ? units : 1), L'\0');
  ::MultiByteToWideChar(CP_UTF8, 0, text, -1, wide.data(), units);
  for (const wchar_t* c = wide.data(); *c != L'\0'; ++c) {
    INPUT inputs[2] = {};
    inputs[0].type = inputs[1].type = INPUT_KEYBOARD;
    inputs[0].ki.wScan = inputs[1].ki.wScan = static_cast<WORD>(*c);
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
  if (verb == "dialog-window-rect" && argc >= 3) {
    HWND window = FindVisible(argv[2]);
    RECT r{};
    if (window == nullptr || !::GetWindowRect(window, &r)) return 1;
    PrintRect(r);
    return 0;
  }
  if (argc < 4) return 2;
  HWND control = ControlOf(argv[2], argv[3]);
  if (control == nullptr) return 1;
  if (verb == "item-rect") {
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
  if (verb == "list-row-rect") {
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

// Returns -1 when `verb` is not one of this block's.
int RunVerb(const std::string& verb, int argc, char** argv) {
  if (verb == "mouse-drag" && argc >= 6) {
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
  if (verb == "dialog-window-rect" || verb == "item-rect" || verb == "list-row-rect" || verb == "row-count" ||
      verb == "row-text" || verb == "row-state" || verb == "top-row") {
    return ListVerb(verb, argc, argv);
  }
  return -1;
}
}  // namespace lists
// --- the Controller and the title display ------------------------------------------

HWND ControllerWindow() {
  for (HWND window : MelodekWindows()) {
    if (::GetDlgItem(window, 1021) != nullptr && ::GetDlgItem(window, 1032) != nullptr) return window;
  }
  return nullptr;
}

// A frameless, disabled popup dialog without controls (not the input
// method's window, which the system gives every process with windows).
HWND TitleWindow() {
  for (HWND window : MelodekWindows()) {
    char className[16] = "";
    ::GetClassNameA(window, className, sizeof(className));
    const LONG_PTR style = ::GetWindowLongPtrA(window, GWL_STYLE);
    if (std::strcmp(className, "#32770") == 0 && (style & WS_POPUP) && (style & WS_DISABLED) &&
        !(style & WS_CAPTION) && ::GetWindow(window, GW_CHILD) == nullptr) {
      return window;
    }
  }
  return nullptr;
}

HWND HandleArgument(const char* text) { return reinterpret_cast<HWND>(static_cast<uintptr_t>(Number(text))); }

int PrintWindowInfo(HWND window) {
  RECT rect{};
  if (!::GetWindowRect(window, &rect)) return 1;
  const bool layered = (::GetWindowLongPtrA(window, GWL_EXSTYLE) & WS_EX_LAYERED) != 0;
  BYTE alpha = 255;
  COLORREF key = 0;
  DWORD flags = 0;
  if (layered && ::GetLayeredWindowAttributes(window, &key, &alpha, &flags) && !(flags & LWA_ALPHA)) alpha = 255;
  char caption[600] = {};
  ::GetWindowTextA(window, caption, sizeof caption);
  const bool topmost = (::GetWindowLongPtrA(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
  std::printf("%d %ld %ld %ld %ld %d %d %d\n%s\n", ::IsWindowVisible(window) ? 1 : 0, rect.left, rect.top,
              rect.right, rect.bottom, layered ? 1 : 0, alpha, topmost ? 1 : 0, caption);
  return 0;
}

int PrintTrackBar(HWND dialog, int id) {
  HWND bar = ::GetDlgItem(dialog, id);
  if (bar == nullptr) return 1;
  std::printf("%ld %ld %ld", static_cast<long>(::SendMessageA(bar, TBM_GETRANGEMIN, 0, 0)),
              static_cast<long>(::SendMessageA(bar, TBM_GETRANGEMAX, 0, 0)),
              static_cast<long>(::SendMessageA(bar, TBM_GETPOS, 0, 0)));
  // The count includes the two ends; the explicit ticks come by index.
  const LRESULT count = ::SendMessageA(bar, TBM_GETNUMTICS, 0, 0);
  for (LRESULT i = 0; i + 2 < count; ++i) {
    std::printf(" %ld", static_cast<long>(::SendMessageA(bar, TBM_GETTIC, static_cast<WPARAM>(i), 0)));
  }
  std::printf("\n");
  return 0;
}

void MouseEvent(const std::string& kind, int x, int y) {
  INPUT in{};
  in.type = INPUT_MOUSE;
  in.mi.dx = ::MulDiv(x, 65536, ::GetSystemMetrics(SM_CXSCREEN)) + 1;
  in.mi.dy = ::MulDiv(y, 65536, ::GetSystemMetrics(SM_CYSCREEN)) + 1;
  in.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  if (kind == "down") in.mi.dwFlags |= MOUSEEVENTF_LEFTDOWN;
  if (kind == "up") in.mi.dwFlags |= MOUSEEVENTF_LEFTUP;
  if (kind == "rdown") in.mi.dwFlags |= MOUSEEVENTF_RIGHTDOWN;
  if (kind == "rup") in.mi.dwFlags |= MOUSEEVENTF_RIGHTUP;
  ::SendInput(1, &in, sizeof(INPUT));
}

BOOL CALLBACK CollectMenuWindow(HWND window, LPARAM found) {
  char className[16] = {};
  ::GetClassNameA(window, className, sizeof className);
  if (std::strcmp(className, "#32768") == 0 && ::IsWindowVisible(window)) {
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
  }
  return TRUE;
}

// TBM_GETTHUMBRECT writes into the control's own process: the rectangle is
// placed there and read back.
bool ThumbRect(HWND bar, RECT& thumb) {
  DWORD processId = 0;
  ::GetWindowThreadProcessId(bar, &processId);
  UniqueHandle process(::OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, processId));
  if (!process) return false;
  void* remote = ::VirtualAllocEx(process.get(), nullptr, sizeof(RECT), MEM_COMMIT, PAGE_READWRITE);
  if (remote == nullptr) return false;
  ::SendMessageA(bar, TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(remote));
  SIZE_T read = 0;
  const bool ok = ::ReadProcessMemory(process.get(), remote, &thumb, sizeof thumb, &read) && read == sizeof thumb;
  ::VirtualFreeEx(process.get(), remote, 0, MEM_RELEASE);
  return ok;
}

// Wine keeps a menu's items in the owning process: only the popup's window is seen from here.
int PrintOpenMenuWindow() {
  HWND menuWindow = nullptr;
  ::EnumWindows(&CollectMenuWindow, reinterpret_cast<LPARAM>(&menuWindow));
  RECT rect{};
  if (menuWindow == nullptr || !::GetWindowRect(menuWindow, &rect)) return 1;
  std::printf("%ld %ld %ld %ld\n", rect.left, rect.top, rect.right, rect.bottom);
  return 0;
}

std::string WindowText(HWND window) {
  char text[600] = {};
  ::GetWindowTextA(window, text, sizeof text);
  return text;
}

// Waits until the title display shows a text other than the one it showed
// when the watch began: the window itself is made with the program's first
// text, so until it exists any text is new. Returns it (and the text), or
// null after `limitMs`.
HWND WaitForNewTitle(DWORD limitMs, std::string& shown) {
  const DWORD start = ::GetTickCount();
  HWND title = TitleWindow();
  const std::string before = title != nullptr ? WindowText(title) : std::string();
  for (;;) {
    if (title == nullptr) title = TitleWindow();
    if (title != nullptr && ::IsWindowVisible(title) && (shown = WindowText(title)) != before) return title;
    if (::GetTickCount() - start > limitMs) return nullptr;
    ::Sleep(1);
  }
}

// Waits until the title display shows a new text, then until the
// Controller's caption is that text; prints the delay in ms.
int WatchCaption(HWND controller, DWORD limitMs) {
  std::string shown;
  if (WaitForNewTitle(limitMs, shown) == nullptr) return 2;
  const DWORD titleAt = ::GetTickCount();
  while (WindowText(controller) != shown) {
    if (::GetTickCount() - titleAt > limitMs) return 3;
    ::Sleep(1);
  }
  std::printf("%lu %s\n", static_cast<unsigned long>(::GetTickCount() - titleAt), shown.c_str());
  return 0;
}
// From the next new text of the title display, prints "ms visible alpha
// foreground text" whenever one of them changes, until it hides or `limitMs`.
int WatchFade(DWORD limitMs) {
  std::string shown;
  HWND title = WaitForNewTitle(limitMs, shown);
  if (title == nullptr) return 2;
  const DWORD shownAt = ::GetTickCount();
  std::string last;
  for (;;) {
    const DWORD now = ::GetTickCount() - shownAt;
    BYTE alpha = 255;
    COLORREF key = 0;
    DWORD flags = 0;
    ::GetLayeredWindowAttributes(title, &key, &alpha, &flags);
    const bool visible = ::IsWindowVisible(title) != FALSE;
    char line[800];
    std::snprintf(line, sizeof line, "%d %d %d %s", visible ? 1 : 0, alpha,
                  ::GetForegroundWindow() == title ? 1 : 0, WindowText(title).c_str());
    if (last != line) {
      std::printf("%lu %s\n", static_cast<unsigned long>(now), line);
      std::fflush(stdout);
      last = line;
    }
    if (!visible || now > limitMs) return 0;
    ::Sleep(5);
  }
}
// --- dialog controls and mouse drags (Equalizer tests) ---------------------

HWND ControlOf(const char* caption, int id) {
  HWND dialog = FindVisible(caption);
  if (dialog == nullptr || id == 0) return dialog;
  return ::GetDlgItem(dialog, id);
}

void PrintRect(const RECT& r) { std::printf("%ld %ld %ld %ld\n", r.left, r.top, r.right, r.bottom); }

// A list-view row's rectangle, read through memory in the list's process
// (list-view messages with pointers are not carried across processes).
bool RowRect(HWND list, int row, RECT* out) {
  DWORD processId = 0;
  ::GetWindowThreadProcessId(list, &processId);
  UniqueHandle process(::OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, processId));
  if (!process) return false;
  void* remote = ::VirtualAllocEx(process.get(), nullptr, sizeof(RECT), MEM_COMMIT, PAGE_READWRITE);
  if (remote == nullptr) return false;
  RECT request{0 /* LVIR_BOUNDS */, 0, 0, 0};
  bool ok = ::WriteProcessMemory(process.get(), remote, &request, sizeof request, nullptr) &&
            ::SendMessageA(list, 0x1000 + 14 /* LVM_GETITEMRECT */, static_cast<WPARAM>(row),
                           reinterpret_cast<LPARAM>(remote)) != 0 &&
            ::ReadProcessMemory(process.get(), remote, out, sizeof *out, nullptr);
  ::VirtualFreeEx(process.get(), remote, 0, MEM_RELEASE);
  if (ok) ::MapWindowPoints(list, nullptr, reinterpret_cast<POINT*>(out), 2);
  return ok;
}

void MouseTo(int x, int y) {
  INPUT in{};
  in.type = INPUT_MOUSE;
  in.mi.dx = static_cast<LONG>((x * 65535LL) / (::GetSystemMetrics(SM_CXSCREEN) - 1));
  in.mi.dy = static_cast<LONG>((y * 65535LL) / (::GetSystemMetrics(SM_CYSCREEN) - 1));
  in.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  ::SendInput(1, &in, sizeof in);
}

void MouseButton(DWORD flags) {
  INPUT in{};
  in.type = INPUT_MOUSE;
  in.mi.dwFlags = flags;
  ::SendInput(1, &in, sizeof in);
}

unsigned long long CaptureBytes(const std::string& path) {
  unsigned long long total = 0;
  for (int n = 0;; ++n) {
    char name[MAX_PATH + 16];
    if (n == 0) {
      std::snprintf(name, sizeof name, "%s", path.c_str());
    } else {
      std::snprintf(name, sizeof name, "%s.%04d", path.c_str(), n);
    }
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!::GetFileAttributesExA(name, GetFileExInfoStandard, &data)) return total;
    total += (static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  }
}

COLORREF ScreenPixel(int x, int y) {
  HDC screen = ::GetDC(nullptr);
  const COLORREF colour = ::GetPixel(screen, x, y);
  ::ReleaseDC(nullptr, screen);
  return colour;
}

// Presses at (x0, y0), moves to (x1, y1) in `steps` and releases once
// `arrived()` holds (3 s at most): a loaded machine may still be working
// through the moves, and a release that overtakes the last of them drops it.
// `pressed()` runs once the button is down. True when it arrived.
template <typename Pressed, typename Arrived>
bool DragUntil(int x0, int y0, int x1, int y1, int steps, Pressed pressed, Arrived arrived) {
  MouseTo(x0, y0);
  ::Sleep(50);
  MouseButton(MOUSEEVENTF_LEFTDOWN);
  ::Sleep(50);
  pressed();
  if (steps < 1) steps = 1;
  for (int i = 1; i <= steps; ++i) {
    MouseTo(x0 + (x1 - x0) * i / steps, y0 + (y1 - y0) * i / steps);
    ::Sleep(15);
  }
  const DWORD start = ::GetTickCount();
  bool done;
  while (!(done = arrived()) && ::GetTickCount() - start < 3000) ::Sleep(1);
  MouseButton(MOUSEEVENTF_LEFTUP);
  ::Sleep(50);
  return done;
}

// A drag in the curve editor; with a capture file, prints its size at the
// press and when the dragged point's handle (blue) shows at (hx, hy).
int Drag(int x0, int y0, int x1, int y1, int steps, const char* capture, int hx, int hy) {
  if (capture == nullptr) return DragUntil(x0, y0, x1, y1, steps, [] {}, [] { return true; }) ? 0 : 1;
  unsigned long long pressed = 0;
  const bool shown = DragUntil(
      x0, y0, x1, y1, steps, [&] { pressed = CaptureBytes(capture); },
      [&] { return ScreenPixel(hx, hy) == RGB(0, 128, 255); });
  std::printf("%llu %llu\n", pressed, CaptureBytes(capture));
  return shown ? 0 : 1;
}

// Drags a window's frame from (x0, y0), holding the button until the
// window's lower right corner has moved by the drag's distance.
int DragCorner(int x0, int y0, int x1, int y1, int steps) {
  HWND window = ::GetAncestor(::WindowFromPoint(POINT{x0, y0}), GA_ROOT);
  RECT before{};
  if (window == nullptr || !::GetWindowRect(window, &before)) return 1;
  return DragUntil(x0, y0, x1, y1, steps, [] {}, [&] {
    RECT now{};
    return ::GetWindowRect(window, &now) && now.right - before.right == x1 - x0 &&
           now.bottom - before.bottom == y1 - y0;
  }) ? 0 : 1;
}
}  // namespace

// --- soak test: seeks through the Controller's slider ----------------------
namespace soak {

constexpr int kSeekSlider = 1021;

struct SeekTally {
  int drags = 0;     // thumb dragged
  int landed = 0;    // and the thumb was where it was released, the mouse freed
  int keys = 0;      // seek keys pressed on the focused slider
  int hot_keys = 0;  // the "Controller" hot key pressed (shows or hides it)
};

void PressControllerHotKey(SeekTally& tally) {
  PressKeys(MOD_CONTROL | MOD_WIN, VK_F4);
  ++tally.hot_keys;
}

// The Controller, shown first with its hot key when hidden (or not made
// yet: its window comes with its first showing); null when it does not come
// up within a second.
HWND ShownController(SeekTally& tally) {
  HWND window = ControllerWindow();
  if (window == nullptr || !::IsWindowVisible(window)) {
    PressControllerHotKey(tally);
    for (int i = 0; i < 100; ++i) {
      if (window == nullptr) window = ControllerWindow();
      if (window != nullptr && ::IsWindowVisible(window)) break;
      ::Sleep(10);
    }
  }
  return window != nullptr && ::IsWindowVisible(window) ? window : nullptr;
}

// The seek slider when something with a length is playing and the point
// on its thumb is the slider's own (not covered by another window).
HWND SeekableSlider(HWND controller, POINT& thumb_centre) {
  HWND bar = ::GetDlgItem(controller, kSeekSlider);
  RECT thumb{};
  if (bar == nullptr || ::SendMessageA(bar, TBM_GETRANGEMAX, 0, 0) <= 0 || !ThumbRect(bar, thumb)) return nullptr;
  thumb_centre = {(thumb.left + thumb.right) / 2, (thumb.top + thumb.bottom) / 2};
  ::ClientToScreen(bar, &thumb_centre);
  return ::WindowFromPoint(thumb_centre) == bar ? bar : nullptr;
}

bool MouseFreed(HWND window) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  return ::GetGUIThreadInfo(::GetWindowThreadProcessId(window, nullptr), &info) && info.hwndCapture == nullptr;
}

// Presses the thumb, drags it to a share (per mille) of the slider's width
// in a few steps and lets go there; 100 to 900 stay inside the channel.
void DragSeek(SeekTally& tally, int permille) {
  HWND controller = ShownController(tally);
  POINT from{};
  HWND bar = controller != nullptr ? SeekableSlider(controller, from) : nullptr;
  if (bar == nullptr) return;
  RECT slider{};
  ::GetWindowRect(bar, &slider);
  const int to_x = slider.left + static_cast<int>((slider.right - slider.left) * static_cast<long>(permille) / 1000);
  MouseTo(from.x, from.y);
  ::Sleep(20);
  MouseButton(MOUSEEVENTF_LEFTDOWN);
  ::Sleep(20);
  for (int step = 1; step <= 3; ++step) {
    MouseTo(from.x + (to_x - from.x) * step / 3, from.y);
    ::Sleep(15);
  }
  RECT held{};
  const bool thumb_there = ThumbRect(bar, held);
  MouseButton(MOUSEEVENTF_LEFTUP);
  ++tally.drags;
  POINT release{to_x, from.y};
  ::ScreenToClient(bar, &release);
  // (The caller keeps the release inside the channel, where the thumb can follow.)
  const bool under_release = thumb_there && release.x >= held.left - 2 && release.x <= held.right + 2;
  for (int i = 0; i < 50 && !MouseFreed(bar); ++i) ::Sleep(10);
  if (under_release && MouseFreed(bar)) ++tally.landed;
}

// One seek key on the slider; a user first clicks the thumb when the slider
// does not have the keyboard (that click seeks to where the thumb is).
void KeySeek(SeekTally& tally, unsigned key) {
  HWND controller = ShownController(tally);
  POINT thumb{};
  HWND bar = controller != nullptr ? SeekableSlider(controller, thumb) : nullptr;
  if (bar == nullptr) return;
  auto focused = [&] {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    return ::GetForegroundWindow() == controller &&
           ::GetGUIThreadInfo(::GetWindowThreadProcessId(bar, nullptr), &info) && info.hwndFocus == bar;
  };
  if (!focused()) {
    Click(thumb.x, thumb.y, false);
    for (int i = 0; i < 50 && !focused(); ++i) ::Sleep(10);
    if (!focused()) return;
  }
  PressKeys(0, key);
  ++tally.keys;
}

// The soak's own items of "probe actions"; false when the item is none of them.
bool RunItem(const char* item, SeekTally& tally) {
  if (std::strncmp(item, "drag:", 5) == 0) {
    DragSeek(tally, std::atoi(item + 5));
  } else if (std::strncmp(item, "key:", 4) == 0) {
    KeySeek(tally, static_cast<unsigned>(Number(item + 4)));
  } else if (std::strcmp(item, "controller") == 0) {
    PressControllerHotKey(tally);
  } else {
    return false;
  }
  return true;
}

}  // namespace soak

// --- dialogs, lists and hot keys ------------------------------------------
namespace {
HWND DialogItem(const char* caption, const char* id) {
  HWND window = FindVisible(caption);
  return window != nullptr ? ::GetDlgItem(window, static_cast<int>(Number(id))) : nullptr;
}

int ListRows(HWND list) {
  const int count = static_cast<int>(::SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
  for (int row = 0; row < count; ++row) {
    const UINT state = static_cast<UINT>(
        ::SendMessageA(list, LVM_GETITEMSTATE, static_cast<WPARAM>(row), LVIS_STATEIMAGEMASK));
    const bool ticked = ((state & LVIS_STATEIMAGEMASK) >> 12) == 2;
    std::printf("%d|%s|%s\n", ticked ? 1 : 0, lists::RowText(list, row, 0).c_str(),
                lists::RowText(list, row, 1).c_str());
  }
  return 0;
}

int ListPoint(HWND list, int row, const std::string& part) {
  RECT rect{};  // on the screen
  if (!lists::RowRect(list, row, rect)) return 1;
  POINT point{rect.left + 40, (rect.top + rect.bottom) / 2};
  if (part == "check") {
    // The check box is the state image at the row's left end.
    const int boxWidth = ::GetSystemMetrics(SM_CXSMICON);
    point.x = rect.left + boxWidth / 2 + 2;
  }
  std::printf("%ld %ld\n", point.x, point.y);
  return 0;
}

BOOL CALLBACK PrintChildText(HWND child, LPARAM) {
  char text[1024] = {};
  ::GetWindowTextA(child, text, sizeof text);
  if (text[0] != '\0') std::printf("%s\n", text);
  return TRUE;
}

void DoubleClick(int x, int y) {
  ::SetCursorPos(x, y);
  INPUT inputs[4] = {};
  for (int i = 0; i < 4; ++i) {
    inputs[i].type = INPUT_MOUSE;
    inputs[i].mi.dwFlags = i % 2 == 0 ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP;
  }
  ::SendInput(4, inputs, sizeof(INPUT));
}

// Holds the hot keys with a window of its own, as another program would.
int HoldKeys(int argc, char** argv) {
  const DWORD duration = Number(argv[2]);
  HWND window = ::CreateWindowExA(0, "STATIC", "probe hot keys", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                  ::GetModuleHandleA(nullptr), nullptr);
  for (int i = 3; i + 1 < argc; i += 2) {
    if (!::RegisterHotKey(window, i, Number(argv[i]), Number(argv[i + 1]))) return 1;
  }
  std::printf("held\n");
  std::fflush(stdout);
  const DWORD start = ::GetTickCount();
  while (::GetTickCount() - start < duration) {
    MSG message;
    while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageA(&message);
    ::Sleep(20);
  }
  ::DestroyWindow(window);
  return 0;
}

int FreeKeys(int argc, char** argv) {
  for (int i = 2; i + 1 < argc; i += 2) {
    const bool free = ::RegisterHotKey(nullptr, 0x7000 + i, Number(argv[i]), Number(argv[i + 1])) != FALSE;
    if (free) ::UnregisterHotKey(nullptr, 0x7000 + i);
    std::printf("%d", free ? 1 : 0);
  }
  std::printf("\n");
  return 0;
}

int OpenTime(unsigned modifiers, unsigned key, const char* caption) {
  const std::vector<DWORD> processes = MelodekProcesses();
  // One look-up by caption per poll: enumerating every window each time
  // would itself take longer than the window takes to show.
  auto shownNow = [&] {
    HWND window = ::FindWindowA(nullptr, caption);
    DWORD process = 0;
    if (window == nullptr || !::IsWindowVisible(window)) return false;
    ::GetWindowThreadProcessId(window, &process);
    return std::find(processes.begin(), processes.end(), process) != processes.end();
  };
  LARGE_INTEGER frequency, start, now;
  ::QueryPerformanceFrequency(&frequency);
  ::QueryPerformanceCounter(&start);
  PressKeys(modifiers, key);
  for (;;) {
    const bool shown = shownNow();
    // Read after the search, which may take a while: the window showed by then.
    ::QueryPerformanceCounter(&now);
    const double ms = 1000.0 * static_cast<double>(now.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
    if (shown) {
      std::printf("%.1f\n", ms);
      return 0;
    }
    if (ms > 10000) return 1;
    ::Sleep(1);
  }
}

// Returns -1 when `verb` is not one of this block's.
int RunDialogVerb(const std::string& verb, int argc, char** argv) {
  if (verb == "list-rows" && argc >= 4) {
    HWND list = DialogItem(argv[2], argv[3]);
    return list != nullptr ? ListRows(list) : 1;
  }
  if (verb == "list-point" && argc >= 6) {
    HWND list = DialogItem(argv[2], argv[3]);
    return list != nullptr ? ListPoint(list, static_cast<int>(Number(argv[4])), argv[5]) : 1;
  }
  if (verb == "control-point" && argc >= 4) {
    HWND control = DialogItem(argv[2], argv[3]);
    RECT rect;
    if (control == nullptr || !::GetWindowRect(control, &rect)) return 1;
    std::printf("%ld %ld\n", (rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
    return 0;
  }
  if (verb == "window-rect" && argc >= 3) {
    HWND window = FindVisible(argv[2]);
    RECT rect;
    if (window == nullptr || !::GetWindowRect(window, &rect)) return 1;
    std::printf("%ld %ld %ld %ld\n", rect.left, rect.top, rect.right, rect.bottom);
    return 0;
  }
  if (verb == "child-texts" && argc >= 3) {
    HWND window = FindVisible(argv[2]);
    if (window == nullptr) return 1;
    ::EnumChildWindows(window, &PrintChildText, 0);
    return 0;
  }
  if (verb == "send-item" && argc >= 7) {
    HWND control = DialogItem(argv[2], argv[3]);
    DWORD_PTR result = 0;
    if (control == nullptr || !::SendMessageTimeoutA(control, Number(argv[4]), Number(argv[5]), Number(argv[6]),
                                                     SMTO_ABORTIFHUNG, 5000, &result)) {
      return 1;
    }
    std::printf("%lu\n", static_cast<unsigned long>(result));
    return 0;
  }
  if (verb == "menu-shown") {
    HWND menu = ::FindWindowA("#32768", nullptr);  // the system's popup menu class
    return menu != nullptr && ::IsWindowVisible(menu) ? 0 : 1;
  }
  if (verb == "foreground") {
    char text[256] = {};
    ::GetWindowTextA(::GetForegroundWindow(), text, sizeof text);
    std::printf("%s\n", text);
    return 0;
  }
  if (verb == "type-keys" && argc >= 4) {
    PressKeys(Number(argv[2]), Number(argv[3]), true);
    return 0;
  }
  if (verb == "double-click" && argc >= 4) {
    DoubleClick(static_cast<int>(Number(argv[2])), static_cast<int>(Number(argv[3])));
    return 0;
  }
  if (verb == "hold-keys" && argc >= 5) return HoldKeys(argc, argv);
  if (verb == "open-time" && argc >= 5) return OpenTime(Number(argv[2]), Number(argv[3]), argv[4]);
  if (verb == "window-made" && argc >= 3) {
    for (HWND window : MelodekWindows()) {
      char text[256] = {};
      ::GetWindowTextA(window, text, sizeof text);
      if (std::strcmp(text, argv[2]) == 0) return 0;
    }
    return 1;
  }
  if (verb == "free-keys" && argc >= 4) return FreeKeys(argc, argv);
  return -1;
}
}  // namespace

// --- screen scaling ------------------------------------------------------------
int RunScalingVerb(const std::string& verb, int argc, char** argv) {
  if (verb == "dpi" && argc >= 3) {
    using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
    const auto getDpi = reinterpret_cast<GetDpiForWindowFn>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleA("user32.dll"), "GetDpiForWindow")));
    if (getDpi == nullptr) return 1;
    std::printf("%u\n", getDpi(HandleArgument(argv[2])));
    return 0;
  }
  if (verb == "dpi-changed" && argc >= 8) {
    HWND window = HandleArgument(argv[2]);
    const WPARAM dpi = Number(argv[3]);
    const RECT suggested{std::atoi(argv[4]), std::atoi(argv[5]), std::atoi(argv[6]), std::atoi(argv[7])};
    lists::RemoteBuffer buffer(window, sizeof suggested);
    if (!buffer.ok() || !buffer.Write(&suggested, sizeof suggested)) return 1;
    ::SendMessageA(window, 0x02E0 /* WM_DPICHANGED */, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(buffer.at(0)));
    return 0;
  }
  return -1;
}

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  const std::string verb = argv[1];
  if (const int code = RunAccessVerb(verb, argc, argv); code >= 0) return code;
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
    soak::SeekTally tally;
    auto report = [&tally] {
      std::printf("drags %d landed %d keys %d hot-keys %d\n", tally.drags, tally.landed, tally.keys, tally.hot_keys);
    };
    for (int i = 3; i < argc; ++i) {
      HWND main = MainWindow();
      if (main == nullptr) return report(), 1;
      if (soak::RunItem(argv[i], tally)) {
        // done: a seek through the Controller or its hot key
      } else if (std::strcmp(argv[i], "save") == 0) {
        DWORD_PTR result = 0;
        if (!::SendMessageTimeoutA(main, WM_QUERYENDSESSION, 0, 0, SMTO_ABORTIFHUNG, 5000, &result)) {
          return report(), 3;
        }
      } else if (!::PostMessageA(main, WM_COMMAND, Number(argv[i]), 0)) {
        return report(), 1;
      }
      ::Sleep(pause);
    }
    report();
    return 0;
  }
  {
    const int listResult = lists::RunVerb(verb, argc, argv);
    if (listResult != -1) return listResult;
  }
  if (verb == "controller" || verb == "title-window") {
    HWND window = verb == "controller" ? ControllerWindow() : TitleWindow();
    std::printf("%lu\n", static_cast<unsigned long>(reinterpret_cast<uintptr_t>(window)));
    return window != nullptr ? 0 : 1;
  }
  if (verb == "window-info" && argc >= 3) return PrintWindowInfo(HandleArgument(argv[2]));
  if (verb == "control-rect" && argc >= 4) {
    RECT rect{};
    if (!::GetWindowRect(::GetDlgItem(HandleArgument(argv[2]), static_cast<int>(Number(argv[3]))), &rect)) return 1;
    std::printf("%ld %ld %ld %ld\n", rect.left, rect.top, rect.right, rect.bottom);
    return 0;
  }
  if (verb == "trackbar" && argc >= 4) return PrintTrackBar(HandleArgument(argv[2]), static_cast<int>(Number(argv[3])));
  if (verb == "mouse" && argc >= 5) {
    MouseEvent(argv[2], static_cast<int>(std::strtol(argv[3], nullptr, 0)), static_cast<int>(std::strtol(argv[4], nullptr, 0)));
    return 0;
  }
  if (verb == "menu-window") return PrintOpenMenuWindow();
  if (verb == "watch-fade" && argc >= 3) return WatchFade(Number(argv[2]));
  if (verb == "find" && argc >= 3) {
    HWND window = FindVisible(argv[2]);
    std::printf("%lu\n", static_cast<unsigned long>(reinterpret_cast<uintptr_t>(window)));
    return window != nullptr ? 0 : 1;
  }
  if (verb == "thumb" && argc >= 4) {
    HWND bar = ::GetDlgItem(HandleArgument(argv[2]), static_cast<int>(Number(argv[3])));
    RECT thumb{};
    if (bar == nullptr || !ThumbRect(bar, thumb)) return 1;
    POINT centre{(thumb.left + thumb.right) / 2, (thumb.top + thumb.bottom) / 2};
    ::ClientToScreen(bar, &centre);
    std::printf("%ld %ld\n", centre.x, centre.y);
    return 0;
  }
  if (verb == "watch-caption" && argc >= 4) return WatchCaption(HandleArgument(argv[2]), Number(argv[3]));
  if (verb == "rect" && argc >= 4) {
    HWND control = ControlOf(argv[2], static_cast<int>(Number(argv[3])));
    RECT rect;
    if (control == nullptr || !::GetWindowRect(control, &rect)) return 1;
    PrintRect(rect);
    return 0;
  }
  if (verb == "text" && argc >= 4) {
    HWND control = ControlOf(argv[2], static_cast<int>(Number(argv[3])));
    if (control == nullptr) return 1;
    // WM_GETTEXT itself: GetWindowText does not ask another process's window.
    char text[512] = {};
    ::SendMessageA(control, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
    std::printf("%s\n", text);
    return 0;
  }
  if (verb == "row-rect" && argc >= 5) {
    HWND list = ControlOf(argv[2], static_cast<int>(Number(argv[3])));
    RECT rect;
    if (list == nullptr || !RowRect(list, static_cast<int>(Number(argv[4])), &rect)) return 1;
    PrintRect(rect);
    return 0;
  }
  if (verb == "drag-corner" && argc >= 7) {
    return DragCorner(std::atoi(argv[2]), std::atoi(argv[3]), std::atoi(argv[4]), std::atoi(argv[5]),
                      std::atoi(argv[6]));
  }
  if (verb == "drag" && argc >= 7) {
    return Drag(std::atoi(argv[2]), std::atoi(argv[3]), std::atoi(argv[4]), std::atoi(argv[5]), std::atoi(argv[6]),
                argc >= 10 ? argv[7] : nullptr, argc >= 10 ? std::atoi(argv[8]) : 0, argc >= 10 ? std::atoi(argv[9]) : 0);
  }
  if (verb == "press" && argc >= 4) {
    MouseTo(std::atoi(argv[2]), std::atoi(argv[3]));
    ::Sleep(30);
    const bool right = argc >= 5;
    MouseButton(right ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_LEFTDOWN);
    MouseButton(right ? MOUSEEVENTF_RIGHTUP : MOUSEEVENTF_LEFTUP);
    ::Sleep(30);
    return 0;
  }
  if (verb == "black-rows" && argc >= 5) {
    const int x = std::atoi(argv[2]);
    HDC screen = ::GetDC(nullptr);
    for (int y = std::atoi(argv[3]); y <= std::atoi(argv[4]); ++y) {
      if (::GetPixel(screen, x, y) == RGB(0, 0, 0)) std::printf("%d ", y);
    }
    ::ReleaseDC(nullptr, screen);
    std::printf("\n");
    return 0;
  }
  if (verb == "processes") return PrintProcesses();
  if (verb == "start-each" && argc >= 5) {
    std::vector<UniqueHandle> started;
    for (int i = 4; i < argc; ++i) {
      std::string commandLine = std::string("\"") + argv[2] + "\" " + argv[3] + " \"" + argv[i] + "\"";
      STARTUPINFOA startup{};
      startup.cb = sizeof startup;
      PROCESS_INFORMATION process{};
      if (!::CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                            &process)) {
        return 1;
      }
      ::CloseHandle(process.hThread);
      started.emplace_back(process.hProcess);
    }
    int result = 0;
    for (const UniqueHandle& process : started) {
      DWORD code = 1;
      if (::WaitForSingleObject(process.get(), 60000) != WAIT_OBJECT_0 || !::GetExitCodeProcess(process.get(), &code) ||
          code != 0) {
        result = 1;
      }
    }
    return result;
  }
  if (verb == "hold-name" && argc >= 4) {
    UniqueHandle name(::CreateMutexA(nullptr, FALSE, argv[2]));
    if (!name || ::GetLastError() == ERROR_ALREADY_EXISTS) return 1;
    std::printf("held\n");
    std::fflush(stdout);
    ::Sleep(Number(argv[3]));
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
  const int dialogResult = RunDialogVerb(verb, argc, argv);
  if (dialogResult >= 0) return dialogResult;
  const int scalingResult = RunScalingVerb(verb, argc, argv);
  if (scalingResult >= 0) return scalingResult;
  return 2;
}
