// The rows the navigation keys select.
#include "ui/list_keys.h"

#include <gtest/gtest.h>

namespace {

TEST(ListKeys, KeysMoveWithinTheList) {
  struct Case {
    int current, count, page;
    ListKey key;
    int row;
  };
  const Case cases[] = {
      {5, 100, 10, ListKey::kDown, 6},     {5, 100, 10, ListKey::kUp, 4},
      {0, 100, 10, ListKey::kUp, 0},       {99, 100, 10, ListKey::kDown, 99},
      {-1, 100, 10, ListKey::kDown, 0},    {-1, 100, 10, ListKey::kUp, 0},
      {5, 100, 10, ListKey::kPageDown, 14}, {95, 100, 10, ListKey::kPageDown, 99},
      {20, 100, 10, ListKey::kPageUp, 11}, {3, 100, 10, ListKey::kPageUp, 0},
      {5, 100, 1, ListKey::kPageDown, 6},  {5, 100, 0, ListKey::kPageUp, 4},
      {50, 100, 10, ListKey::kHome, 0},    {50, 100, 10, ListKey::kEnd, 99},
      {-1, 0, 10, ListKey::kDown, -1},     {7, 3, 10, ListKey::kUp, 2},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(RowAfterKey(c.current, c.count, c.page, c.key), c.row)
        << "from " << c.current << " of " << c.count << ", key " << static_cast<int>(c.key);
  }
}

}  // namespace
