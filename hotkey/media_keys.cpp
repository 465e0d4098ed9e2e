// The media keys' ids, virtual keys and names.
#include "hotkey/media_keys.h"

namespace {
// VK_MEDIA_NEXT_TRACK 0xB0, VK_MEDIA_PREV_TRACK 0xB1, VK_MEDIA_STOP 0xB2,
// VK_MEDIA_PLAY_PAUSE 0xB3.
const MediaKey kMediaKeys[kMediaKeyCount] = {
    {0x100, 0xB3, MediaKeyAction::kPlayPause, "Play / Pause", "Media Play/Pause"},
    {0x101, 0xB0, MediaKeyAction::kNext, "Next", "Media Next"},
    {0x102, 0xB1, MediaKeyAction::kPrevious, "Prev", "Media Previous"},
    {0x103, 0xB2, MediaKeyAction::kStop, "Stop", "Media Stop"},
};
}  // namespace

const MediaKey& MediaKeyAt(int index) { return kMediaKeys[index]; }

int MediaKeyOfId(int registrationId) {
  for (int i = 0; i < kMediaKeyCount; ++i) {
    if (kMediaKeys[i].registrationId == registrationId) return i;
  }
  return -1;
}
