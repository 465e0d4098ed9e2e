// The title display's fade over time.
#include "ui/title_fade.h"

#include <gtest/gtest.h>

TEST(TitleAlphaAt, OpaqueThenLinearThenHidden) {
  struct Case {
    uint32_t elapsedMs;
    int alpha;
  } cases[] = {
      {0, 255},    {1999, 255}, {2000, 255}, {2008, 254}, {2500, 192}, {3000, 128},
      {3992, 1},   {3993, 0},   {4000, 0},   {4001, -1},  {60000, -1},
      // A difference that wrapped below zero is huge: hidden, never opaque again.
      {0xFFFFFFFFu, -1},
  };
  for (const Case& c : cases) EXPECT_EQ(TitleAlphaAt(c.elapsedMs), c.alpha) << c.elapsedMs << " ms";
}
