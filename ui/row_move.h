// The arithmetic of moving a list's selected rows by drag and drop, and of
// choosing the rows a drag image shows: no windows, tested natively.
#pragma once
#include <cstddef>
#include <vector>

// The order of the rows after the selected rows were dropped before row
// `target` (0 <= target <= rowCount; rowCount means "after the last row"):
// the selected rows keep their former order and land just before the target
// row; a selected target row stays where it is, ahead of them. Entry i of the
// result is the former index of the row that ends up at i. Linear time.
std::vector<int> MovedRowOrder(const std::vector<bool>& selected, int target);

// The first and one-past-last index that a move changes (equal when the
// order is unchanged), so only those rows need rewriting.
struct RowSpan {
  int first = 0;
  int last = 0;  // exclusive
};
RowSpan ChangedSpan(const std::vector<int>& order);

// Which of `count` selected rows a drag image draws when it can hold at most
// `capacity` rows (at least 1): a run around `pressed`, the position among
// the selected rows of the row the drag started on. The image is never more
// than the capacity, however many rows move.
RowSpan DragImageRows(int count, int pressed, int capacity);
