// The arithmetic of moving a list's selected rows by drag and drop.
#include "ui/row_move.h"

#include <algorithm>

std::vector<int> MovedRowOrder(const std::vector<bool>& selected, int target) {
  const int count = static_cast<int>(selected.size());
  target = std::clamp(target, 0, count);
  // The target row itself never moves: the others go in front of it.
  auto moves = [&](int row) { return selected[row] && row != target; };
  std::vector<int> order;
  order.reserve(selected.size());
  for (int row = 0; row < target; ++row) {
    if (!moves(row)) order.push_back(row);
  }
  for (int row = 0; row < count; ++row) {
    if (moves(row)) order.push_back(row);
  }
  for (int row = target; row < count; ++row) {
    if (!moves(row)) order.push_back(row);
  }
  return order;
}

RowSpan ChangedSpan(const std::vector<int>& order) {
  const int count = static_cast<int>(order.size());
  int first = 0;
  while (first < count && order[first] == first) ++first;
  if (first == count) return {0, 0};
  int last = count;
  while (last > first && order[last - 1] == last - 1) --last;
  return {first, last};
}

RowSpan DragImageRows(int count, int pressed, int capacity) {
  if (count <= 0) return {0, 0};
  capacity = std::max(capacity, 1);
  if (count <= capacity) return {0, count};
  pressed = std::clamp(pressed, 0, count - 1);
  const int first = std::clamp(pressed - capacity / 2, 0, count - capacity);
  return {first, first + capacity};
}
