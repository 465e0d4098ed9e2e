// The keyboard's media keys: four global hot keys without modifiers beside
// the thirteen of the table. They have registration ids of their own, no
// settings field and no editor; they are registered whenever the table is,
// and a key another program holds is left to it.
#pragma once
#include <bitset>
#include <cstdint>

enum class MediaKeyAction { kPlayPause, kNext, kPrevious, kStop };

struct MediaKey {
  int registrationId;   // outside the table's ids 0..12
  uint32_t virtualKey;  // VK_MEDIA_...
  MediaKeyAction action;
  const char* commandName;  // as the hot key list shows them
  const char* keyName;
};

constexpr int kMediaKeyCount = 4;
using MediaKeyRefusals = std::bitset<kMediaKeyCount>;

// The four keys, in the order the hot key list shows them.
const MediaKey& MediaKeyAt(int index);
// The index of the media key registered under `registrationId`, or -1.
int MediaKeyOfId(int registrationId);
