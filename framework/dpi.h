// Pixel sizes that follow the screen: every pixel constant of the program's
// own drawing goes through DpiScale, so at 96 DPI it is exactly the number
// written in the code.
#pragma once
#include <windows.h>

// The DPI of the window's monitor (per-monitor aware) or of the screen; 96
// when nothing better is known.
int WindowDpi(HWND window);

// `pixels` at 96 DPI, scaled to `dpi` (rounded to nearest).
inline int DpiScale(int dpi, int pixels) { return ::MulDiv(pixels, dpi, 96); }
inline int DpiScale(HWND window, int pixels) { return DpiScale(WindowDpi(window), pixels); }
