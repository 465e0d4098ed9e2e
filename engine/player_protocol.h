// The command protocol between the user-interface thread and the player
// thread: thread message values and the numbered player commands.
#pragma once
#include <cstdint>

#include "common/window_messages.h"

enum PlayerCommand : uint32_t {
  PC_PLAY = 0,
  PC_PAUSE = 1,
  PC_STOP = 2,
  PC_PREV = 3,
  PC_NEXT = 4,
  // 5 and 6 are unused.
  PC_RELOAD_PLUGINS = 7,
  PC_SET_VOLUME = 8,         // argument: multiplier, 16384 = unity
  PC_SET_FILE_GAIN = 9,      // argument: the file's volume * 163.84
  PC_PLAYLIST_EDITED = 10,
  PC_SET_EQUALIZER = 11,     // argument: preset id
  PC_HOLD_EQUALIZER = 12,    // argument: 1 hold, 0 release (low byte)
  PC_SEEK = 13,              // argument: ms in the file heard (while a next file is queued)
  PC_SET_GAPLESS = 14,       // argument: 1 on, 0 off
  PC_PLUGIN_EOF = 15,        // a plug-in posted its end-of-file message
  PC_LOUDNESS_CHANGED = 16,  // the ReplayGain settings or measurements changed
};

// The gain offset of a file's volume percentage: volume * 163.84, truncated
// toward zero (100 % gives 16384).
inline int32_t FileGainOfVolume(int32_t volumePercent) {
  return static_cast<int32_t>(static_cast<double>(volumePercent) * 163.84);
}
