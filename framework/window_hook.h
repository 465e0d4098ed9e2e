// Procedures chained in front of a window's own, as the system's
// SetWindowSubclass does, without its per-message property look-up: that
// look-up is a round trip to the window server under Wine (twice per
// message), which made every message to a subclassed control cost tens of
// microseconds, and a list asked 10,000 times a large part of a second.
//
// A window's hooks run newest first; each passes a message on with
// CallNextWindowHook (or answers it itself). The window keeps its character
// set: hooks see the messages as the window's own procedure does.
//
// UI thread only: a window's hooks are added, removed and run on the thread
// that owns the window (the hook tables are per thread).
#pragma once
#include <windows.h>

// The same shape as the system's SUBCLASSPROC.
using WindowHookProc = LRESULT(CALLBACK*)(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                          DWORD_PTR data);

// Adds (proc, id) in front of the window's procedure; when that pair is
// there already, only its data changes. False for a window of another thread.
bool AddWindowHook(HWND window, WindowHookProc proc, UINT_PTR id, DWORD_PTR data);
// Takes (proc, id) off; the window gets its own procedure back once no hook
// is left and nobody has chained in after them. Safe from inside a hook.
bool RemoveWindowHook(HWND window, WindowHookProc proc, UINT_PTR id);
// From inside a hook: the message to the next older hook, at last to the
// window's own procedure.
LRESULT CallNextWindowHook(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
