// Pixel sizes that follow the screen: every pixel constant of the program's
// own drawing goes through DpiScale, so at 96 DPI it is exactly the number
// written in the code.
#pragma once
#include <windows.h>

// Sent to a top-level window when its DPI changes (moved to a monitor with
// other scaling, or the scaling changed): wParam's low word is the new DPI,
// lParam the suggested window rectangle. Named here because the system
// headers define it only for newer Windows targets.
constexpr UINT kWmDpiChanged = 0x02E0;
constexpr UINT kWmDpiChangedAfterParent = 0x02E3;

// The DPI of the window's monitor (per-monitor aware) or of the screen; 96
// when nothing better is known.
int WindowDpi(HWND window);

// `pixels` at 96 DPI, scaled to `dpi` (rounded to nearest).
inline int DpiScale(int dpi, int pixels) { return ::MulDiv(pixels, dpi, 96); }
inline int DpiScale(HWND window, int pixels) { return DpiScale(WindowDpi(window), pixels); }
