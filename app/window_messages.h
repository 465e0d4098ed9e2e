// Window messages the program's own windows exchange (values are fixed: the
// Controller and the dialogs handle them).
#pragma once
#include <cstdint>

#include "engine/player_protocol.h"

constexpr uint32_t UM_SELECTION_CHANGED = kWmUser + 91;  // wParam: SelFileID
constexpr uint32_t UM_PLAY_STARTED = kWmUser + 92;       // wParam: SelFileID
constexpr uint32_t UM_VOLUME_CHANGED = kWmUser + 93;     // lParam: window that changed it, or 0
constexpr uint32_t UM_TRAY_NOTIFY = kWmUser + 100;       // lParam: mouse message

// Captions of the dialogs that receive the program's notices (substring test).
constexpr const char kNotifiedCaptions[] = "Config;HotKeyEdit;HotKeyList;PlayListEdit;Equalizer";
