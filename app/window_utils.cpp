// Window utilities shared by the application object and the dialogs.
#include "app/window_utils.h"

#include <shlobj.h>

#include <cstring>

#include "common/window_messages.h"
#include "framework/system_text_codec.h"

namespace {
struct EnumState {
  DWORD processId;
  std::vector<HWND>* windows;
};

BOOL CALLBACK CollectWindow(HWND window, LPARAM state) {
  auto* s = reinterpret_cast<EnumState*>(state);
  DWORD owner = 0;
  ::GetWindowThreadProcessId(window, &owner);
  if (owner == s->processId) s->windows->push_back(window);
  return TRUE;
}
}  // namespace

std::vector<HWND> FindProcessWindows(DWORD processId) {
  std::vector<HWND> windows;
  EnumState state{processId, &windows};
  ::EnumWindows(&CollectWindow, reinterpret_cast<LPARAM>(&state));
  return windows;
}

void KeepOnScreen(HWND window) {
  RECT rect;
  if (!::GetWindowRect(window, &rect)) return;
  const int width = ::GetSystemMetrics(SM_CXSCREEN);
  const int height = ::GetSystemMetrics(SM_CYSCREEN);
  const int dx = rect.left < 0 ? -rect.left : (rect.right > width ? width - rect.right : 0);
  const int dy = rect.top < 0 ? -rect.top : (rect.bottom > height ? height - rect.bottom : 0);
  ::MoveWindow(window, rect.left + dx, rect.top + dy, rect.right - rect.left, rect.bottom - rect.top,
               TRUE);
}

std::string GetSpecialFolderPath(int folderId) {
  LPITEMIDLIST items = nullptr;
  if (FAILED(::SHGetSpecialFolderLocation(nullptr, folderId, &items)) || items == nullptr) return {};
  // The wide form: an ANSI buffer of MAX_PATH bytes may not hold the UTF-8
  // form of a MAX_PATH-character path.
  wchar_t path[MAX_PATH] = {};
  const BOOL ok = ::SHGetPathFromIDListW(items, path);
  IMalloc* allocator = nullptr;
  if (SUCCEEDED(::SHGetMalloc(&allocator)) && allocator != nullptr) {
    allocator->Free(items);
    allocator->Release();
  }
  return ok ? ProgramTextFromWide(path) : std::string();
}

bool IsNotifiedCaption(const std::string& caption) {
  return !caption.empty() && std::strstr(kNotifiedCaptions, caption.c_str()) != nullptr;
}

std::vector<HWND> NotifiedWindows(DWORD processId, HWND controller) {
  std::vector<HWND> windows = FindProcessWindows(processId);
  windows.push_back(controller);
  std::vector<HWND> notified;
  for (HWND window : windows) {
    if (window == nullptr) continue;
    char caption[MAX_PATH] = {};
    ::GetWindowTextA(window, caption, MAX_PATH);
    if (window != controller && !IsNotifiedCaption(caption)) continue;
    // The Controller is one of the process's windows as well: notify it once.
    bool seen = false;
    for (HWND earlier : notified) seen = seen || earlier == window;
    if (!seen) notified.push_back(window);
  }
  return notified;
}
