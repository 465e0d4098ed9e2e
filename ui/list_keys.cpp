// Where a list's navigation keys move its selection.
#include "ui/list_keys.h"

#include <algorithm>

int RowAfterKey(int current, int count, int page, ListKey key) {
  if (count <= 0) return -1;
  const int step = std::max(1, page - 1);  // a page keeps one row of the last in view
  int row = current;
  switch (key) {
    case ListKey::kUp: row = current < 0 ? 0 : current - 1; break;
    case ListKey::kDown: row = current + 1; break;
    case ListKey::kPageUp: row = current < 0 ? 0 : current - step; break;
    case ListKey::kPageDown: row = current < 0 ? step : current + step; break;
    case ListKey::kHome: row = 0; break;
    case ListKey::kEnd: row = count - 1; break;
  }
  return std::clamp(row, 0, count - 1);
}
