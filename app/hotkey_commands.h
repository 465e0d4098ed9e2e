// Which command each hot key runs: the same handlers as the menu, so keys,
// menu, Controller and hand-over share one command table.
#pragma once

// The command id of hot key `hotKeyId` (0..kHotKeyCount-1); 0 for any other id.
unsigned CommandOfHotKey(int hotKeyId);
