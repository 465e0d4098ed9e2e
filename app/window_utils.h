// Window utilities: the program's own top-level windows, keeping a window on
// the screen, shell folders, and the notices broadcast to the dialogs.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

// Top-level windows owned by the process, in enumeration order.
std::vector<HWND> FindProcessWindows(DWORD processId);
// Moves a window by the least shift that brings it inside the screen.
void KeepOnScreen(HWND window);
// A shell folder's path (CSIDL_*), or an empty text when it cannot be had.
std::string GetSpecialFolderPath(int folderId);

// True when a window caption names one of the dialogs that receive notices:
// not empty and a substring of the list kNotifiedCaptions (common/window_messages.h).
bool IsNotifiedCaption(const std::string& caption);
// The process's windows that receive notices: notified captions plus the
// Controller (which may be null).
std::vector<HWND> NotifiedWindows(DWORD processId, HWND controller);
