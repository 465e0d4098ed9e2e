// The title display's fade: how opaque it is a given time after a text was
// shown. No Windows types: tested natively.
#pragma once
#include <cstdint>

// Milliseconds a text stays on screen: opaque for the first half, fading in the second.
constexpr uint32_t kTitleShownMs = 4000;

// Alpha (0..255) `elapsedMs` after ShowText: 255 up to 2000 ms, then linear
// down to 0 at 4000 ms (254 at 2008, 128 at 3000); -1 once it is to be hidden.
int TitleAlphaAt(uint32_t elapsedMs);
