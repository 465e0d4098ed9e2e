// Which command each hot key runs.
#include "app/hotkey_commands.h"

#include "common/resource.h"
#include "hotkey/hotkey_entry.h"

unsigned CommandOfHotKey(int hotKeyId) {
  static const unsigned kCommandOfHotKey[kHotKeyCount] = {
      ID_PLAY,         ID_STOP,        ID_PAUSE,        ID_PREV,         ID_NEXT,
      ID_LIST_PREV,    ID_LIST_NEXT,   ID_VOLUME_DOWN,  ID_VOLUME_UP,    ID_PLAYLIST_EDIT,
      ID_HOTKEY_EDIT,  ID_CONFIG,      ID_CONTROLLER,   ID_JUMP_TO_FILE,
  };
  if (hotKeyId < 0 || hotKeyId >= kHotKeyCount) return 0;
  return kCommandOfHotKey[hotKeyId];
}
