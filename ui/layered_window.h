// See-through windows through the system's layered-window function, looked
// up at start-up so the program still runs where it is missing.
#pragma once
#include <windows.h>

// Finds SetLayeredWindowAttributes in user32 (or a fallback that fails).
void LoadLayeredFunctions();
// Sets or clears WS_EX_LAYERED.
void SetLayered(HWND window, bool on);
// The system's SetLayeredWindowAttributes, or the fallback; returns its result.
BOOL SetLayeredAttributes(HWND window, COLORREF key, BYTE alpha, DWORD flags);
// The Controller's transparency: alpha below 1 counts as 1; 255 or more
// makes the window an ordinary opaque one.
void SetWindowAlpha(HWND window, int alpha);
