// The program's own window and thread messages (values are fixed: the player
// thread, the Controller and the dialogs handle them). No <windows.h> here:
// the portable core uses these values too.
#pragma once
#include <cstdint>

constexpr uint32_t kWmUser = 0x0400;  // WM_USER

// Thread messages handled by the player thread.
constexpr uint32_t UM_TRACK_END = kWmUser + 11;       // audio thread: a file drained at its end
// Gapless playback (lParam: the file's token in the output stage).
constexpr uint32_t UM_DECODER_DONE = kWmUser + 12;  // decoder thread: the newest file is all in the ring
constexpr uint32_t UM_FILE_HEARD = kWmUser + 13;    // audio thread: a queued file's first sample plays
constexpr uint32_t UM_PLAYER_COMMAND = kWmUser + 81;  // wParam PlayerCommand, lParam argument
constexpr uint32_t UM_PLAYER_QUIT = kWmUser + 83;     // stop and end the thread

// Notices broadcast to the program's windows.

constexpr uint32_t UM_SELECTION_CHANGED = kWmUser + 91;  // wParam: SelFileID
constexpr uint32_t UM_PLAY_STARTED = kWmUser + 92;       // wParam: SelFileID
constexpr uint32_t UM_VOLUME_CHANGED = kWmUser + 93;     // lParam: window that changed it, or 0
constexpr uint32_t UM_PLAY_STATE_CHANGED = kWmUser + 94; // paused, resumed or stopped
constexpr uint32_t UM_QUEUE_CHANGED = kWmUser + 95;      // files were queued or the queue cleared
constexpr uint32_t UM_TRAY_NOTIFY = kWmUser + 100;       // lParam: mouse message

// Posted to the main dialog by other threads: broadcast `wParam` (a notice
// message) with `lParam` as its wParam, on the user-interface thread.
// Other threads never touch windows themselves: reading a caption sends
// WM_GETTEXT, which would wait for the user-interface thread.
constexpr uint32_t UM_RELAY_BROADCAST = kWmUser + 101;

// The hidden main dialog's window text (its class is the dialog class,
// "#32770"). Outside programs, the setup among them, find a running copy by it
// and ask it to exit with WM_CLOSE, which works like Exit on the menu.
constexpr const char kMainWindowTitle[] = "Melodek";

// Captions of the dialogs that receive the program's notices (substring test).
constexpr const char kNotifiedCaptions[] = "Config;HotKeyEdit;HotKeyList;PlayListEdit;Equalizer;Jump to File";

// Posted by the title display to itself: a new text waits under its lock.
constexpr uint32_t UM_TITLE_TEXT = kWmUser + 102;

// Posted by the loudness analysis's worker to the play list editor: results
// wait to be taken (after each file and at the end).
constexpr uint32_t UM_LOUDNESS_PROGRESS = kWmUser + 103;

// Posted to the main dialog by the player thread when the first title is
// shown: the title display's window is made on the user-interface thread.
constexpr uint32_t UM_CREATE_TITLE_WINDOW = kWmUser + 110;
