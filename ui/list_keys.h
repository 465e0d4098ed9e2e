// Where the keys that move through a list take its selection, for a list
// the keyboard reaches from another control (the Jump window's search box).
// Portable.
#pragma once

enum class ListKey { kUp, kDown, kPageUp, kPageDown, kHome, kEnd };

// The row a key selects in a list of `count` rows showing `page` rows at a
// time, from `current` (-1: none selected). -1 for an empty list.
int RowAfterKey(int current, int count, int page, ListKey key);
