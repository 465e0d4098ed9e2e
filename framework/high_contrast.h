// Windows' high-contrast mode, for the windows Melodek draws itself: while it
// is on they take the system's colours (GetSysColor) instead of their own.
// Every dialog reads the mode again when the system announces a change
// (WM_SETTINGCHANGE, WM_SYSCOLORCHANGE) and redraws; drawing code asks
// HighContrastOn at each paint.
//
// UI thread only.
#pragma once

// Whether the mode is on, as last read (read at the first call).
bool HighContrastOn();
// Asks the system again; true when the answer changed.
bool ReadHighContrast();
