// The title display's fade.
#include "ui/title_fade.h"

#include <algorithm>

int TitleAlphaAt(uint32_t elapsedMs) {
  if (elapsedMs > kTitleShownMs) return -1;
  const int64_t alpha = (int64_t{1024000} - int64_t{256} * elapsedMs) / 2000;
  return static_cast<int>(std::min<int64_t>(alpha, 255));
}
