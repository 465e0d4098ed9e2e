// The probe's accessibility verbs:
//   probe tips                      prints the text of every tool tip on screen (any program),
//                                   one a line, in UTF-8
//   probe focus <hwnd>              prints the id of the control of the window's thread that has
//                                   the keyboard focus (0 when none; -1 when it is not a child of
//                                   the window)
//   probe tab-walk <hwnd> <n> [back]  makes the window the foreground one and presses Tab (with
//                                   Shift: back) n times through SendInput; prints the focused
//                                   control's id first and after each press, on one line
//   probe acc-names <hwnd>          prints "<id> <name>" for each child control, the name as the
//                                   system's accessibility interface (oleacc) reads it
//   probe high-contrast <hwnd> on|off  makes the program of the window see Windows' high-contrast
//                                   mode on or off (Wine always reports it off: a hook library
//                                   loaded into the program answers instead) and announces the
//                                   change to its windows as the system does
//   probe sys-colors <index>...     prints "r g b" of each system colour
//   probe set-sys-colors <index> <0xRRGGBB> ...  sets system colours (the system tells every window)
#include "tests/e2e/probe_access.h"

#include <windows.h>
#include <oleacc.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "framework/unique_handle.h"

namespace {
constexpr wchar_t kHookEvent[] = L"melodek-test-high-contrast";
constexpr wchar_t kHookLibrary[] = L"high_contrast_hook.dll";

unsigned long Number(const char* text) { return std::strtoul(text, nullptr, 0); }
HWND WindowArgument(const char* text) { return reinterpret_cast<HWND>(static_cast<uintptr_t>(Number(text))); }

std::string Utf8(const std::wstring& text) {
  if (text.empty()) return std::string();
  const int size = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                         nullptr, nullptr);
  std::string out(static_cast<size_t>(size), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size, nullptr, nullptr);
  return out;
}

std::wstring TextOf(HWND window) {
  // WM_GETTEXT is carried across processes by the system (GetWindowText is not).
  wchar_t text[1024] = {};
  DWORD_PTR length = 0;
  ::SendMessageTimeoutW(window, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 2000, &length);
  return std::wstring(text, std::min<size_t>(length, 1023));
}

BOOL CALLBACK CollectTip(HWND window, LPARAM found) {
  wchar_t name[64] = {};
  ::GetClassNameW(window, name, 64);
  if (_wcsicmp(name, L"tooltips_class32") == 0 && ::IsWindowVisible(window)) {
    reinterpret_cast<std::vector<HWND>*>(found)->push_back(window);
  }
  return TRUE;
}

int PrintTips() {
  std::vector<HWND> tips;
  ::EnumWindows(&CollectTip, reinterpret_cast<LPARAM>(&tips));
  for (HWND tip : tips) std::printf("%s\n", Utf8(TextOf(tip)).c_str());
  return 0;
}

long FocusedId(HWND window) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  if (!::GetGUIThreadInfo(::GetWindowThreadProcessId(window, nullptr), &info) || info.hwndFocus == nullptr) return 0;
  if (info.hwndFocus != window && !::IsChild(window, info.hwndFocus)) return -1;
  // A control made of windows (a combo box's edit) counts as the control.
  HWND control = info.hwndFocus;
  while (control != nullptr && ::GetParent(control) != window && control != window) control = ::GetParent(control);
  return control != nullptr ? ::GetDlgCtrlID(control) : 0;
}

void PressTab(bool back) {
  std::vector<INPUT> inputs;
  auto add = [&inputs](WORD vk, DWORD flags) {
    INPUT in{};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = vk;
    in.ki.wScan = static_cast<WORD>(::MapVirtualKeyW(vk, MAPVK_VK_TO_VSC));
    in.ki.dwFlags = flags;
    inputs.push_back(in);
  };
  if (back) add(VK_SHIFT, 0);
  add(VK_TAB, 0);
  add(VK_TAB, KEYEVENTF_KEYUP);
  if (back) add(VK_SHIFT, KEYEVENTF_KEYUP);
  ::SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

// Waits (bounded) until the focus is no longer `before`: the other program
// handles the key in its own time.
long FocusAfter(HWND window, long before) {
  long now = FocusedId(window);
  for (int i = 0; i < 100 && now == before; ++i) {
    ::Sleep(20);
    now = FocusedId(window);
  }
  return now;
}

int TabWalk(HWND window, int count, bool back) {
  ::SetForegroundWindow(window);
  for (int i = 0; i < 100 && ::GetForegroundWindow() != window; ++i) ::Sleep(20);
  long id = FocusedId(window);
  std::printf("%ld", id);
  for (int i = 0; i < count; ++i) {
    PressTab(back);
    id = FocusAfter(window, id);
    std::printf(" %ld", id);
  }
  std::printf("\n");
  return 0;
}

int PrintAccessibleNames(HWND window) {
  ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  for (HWND child = ::GetWindow(window, GW_CHILD); child != nullptr; child = ::GetWindow(child, GW_HWNDNEXT)) {
    IAccessible* object = nullptr;
    std::wstring name;
    // __uuidof: the x86-64 import library's IID_IAccessible symbol is not the GUID.
    if (SUCCEEDED(::AccessibleObjectFromWindow(child, static_cast<DWORD>(OBJID_CLIENT), __uuidof(IAccessible),
                                               reinterpret_cast<void**>(&object))) &&
        object != nullptr) {
      VARIANT self;
      ::VariantInit(&self);
      self.vt = VT_I4;
      self.lVal = CHILDID_SELF;
      BSTR text = nullptr;
      if (SUCCEEDED(object->get_accName(self, &text)) && text != nullptr) {
        name.assign(text, ::SysStringLen(text));
        ::SysFreeString(text);
      }
      object->Release();
    }
    std::printf("%d %s\n", ::GetDlgCtrlID(child), Utf8(name).c_str());
  }
  ::CoUninitialize();
  return 0;
}

// Loads the hook library into the window's program (once: the library's
// event then exists).
bool LoadHook(HWND window) {
  UniqueHandle event(::OpenEventW(EVENT_MODIFY_STATE, FALSE, kHookEvent));
  if (event) return true;
  wchar_t path[MAX_PATH] = {};
  const DWORD length = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring library(path, length);
  library = library.substr(0, library.find_last_of(L"\\/") + 1) + kHookLibrary;
  DWORD processId = 0;
  ::GetWindowThreadProcessId(window, &processId);
  UniqueHandle process(::OpenProcess(PROCESS_ALL_ACCESS, FALSE, processId));
  if (!process) return false;
  const size_t bytes = (library.size() + 1) * sizeof(wchar_t);
  void* remote = ::VirtualAllocEx(process.get(), nullptr, bytes, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
  if (remote == nullptr || !::WriteProcessMemory(process.get(), remote, library.c_str(), bytes, nullptr)) return false;
  // kernel32 sits at the same address in every process of one kind.
  auto* load = reinterpret_cast<LPTHREAD_START_ROUTINE>(
      reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "LoadLibraryW")));
  UniqueHandle thread(::CreateRemoteThread(process.get(), nullptr, 0, load, remote, 0, nullptr));
  if (!thread) return false;
  ::WaitForSingleObject(thread.get(), 10000);
  DWORD loaded = 0;
  ::GetExitCodeThread(thread.get(), &loaded);
  ::VirtualFreeEx(process.get(), remote, 0, MEM_RELEASE);
  return loaded != 0;
}

int SetHighContrast(HWND window, bool on) {
  if (!LoadHook(window)) return 1;
  UniqueHandle event(::OpenEventW(EVENT_MODIFY_STATE, FALSE, kHookEvent));
  if (!event) return 1;
  if (on) {
    ::SetEvent(event.get());
  } else {
    ::ResetEvent(event.get());
  }
  // What the system sends every top-level window when the mode changes.
  DWORD processId = 0;
  ::GetWindowThreadProcessId(window, &processId);
  for (HWND target : TopLevelWindowsOf(processId)) {
    DWORD_PTR result = 0;
    ::SendMessageTimeoutW(target, WM_SETTINGCHANGE, SPI_SETHIGHCONTRAST, reinterpret_cast<LPARAM>(L""),
                          SMTO_ABORTIFHUNG, 5000, &result);
  }
  return 0;
}

int PrintSysColors(int argc, char** argv) {
  for (int i = 2; i < argc; ++i) {
    const COLORREF colour = ::GetSysColor(static_cast<int>(Number(argv[i])));
    std::printf("%d %d %d\n", GetRValue(colour), GetGValue(colour), GetBValue(colour));
  }
  return 0;
}

int SetSysColors(int argc, char** argv) {
  std::vector<INT> indices;
  std::vector<COLORREF> colours;
  for (int i = 2; i + 1 < argc; i += 2) {
    const unsigned long rgb = Number(argv[i + 1]);
    indices.push_back(static_cast<INT>(Number(argv[i])));
    colours.push_back(RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF));
  }
  return ::SetSysColors(static_cast<int>(indices.size()), indices.data(), colours.data()) ? 0 : 1;
}
}  // namespace

int RunAccessVerb(const std::string& verb, int argc, char** argv) {
  if (verb == "tips") return PrintTips();
  if (verb == "focus" && argc >= 3) {
    std::printf("%ld\n", FocusedId(WindowArgument(argv[2])));
    return 0;
  }
  if (verb == "tab-walk" && argc >= 4) {
    return TabWalk(WindowArgument(argv[2]), static_cast<int>(Number(argv[3])), argc >= 5 && std::strcmp(argv[4], "back") == 0);
  }
  if (verb == "acc-names" && argc >= 3) return PrintAccessibleNames(WindowArgument(argv[2]));
  if (verb == "high-contrast" && argc >= 4) return SetHighContrast(WindowArgument(argv[2]), std::strcmp(argv[3], "on") == 0);
  if (verb == "sys-colors") return PrintSysColors(argc, argv);
  if (verb == "set-sys-colors") return SetSysColors(argc, argv);
  return -1;
}
