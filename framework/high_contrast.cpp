// Windows' high-contrast mode.
#include "framework/high_contrast.h"

#include <windows.h>

namespace {
bool known = false;  // UI thread only, like everything here
bool on = false;

bool SystemHighContrast() {
  HIGHCONTRASTW contrast{};
  contrast.cbSize = sizeof contrast;
  return ::SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof contrast, &contrast, 0) &&
         (contrast.dwFlags & HCF_HIGHCONTRASTON) != 0;
}
}  // namespace

bool HighContrastOn() {
  if (!known) ReadHighContrast();
  return on;
}

bool ReadHighContrast() {
  const bool now = SystemHighContrast();
  const bool changed = !known || now != on;
  known = true;
  on = now;
  return changed;
}
