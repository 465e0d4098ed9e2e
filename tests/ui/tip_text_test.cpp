// The Controller's slider tips: the value under a point of a track bar's
// channel, and playing times as text.
#include "ui/tip_text.h"

#include <gtest/gtest.h>

namespace {
TEST(SliderValueAt, FollowsTheThumbCentreAlongTheChannel) {
  // Channel 8..208, thumb 11 wide: the centre runs 13..202 (189 pixels of travel).
  struct Case {
    int x, low, high, value;
  } cases[] = {
      {13, 0, 189, 0},       {202, 0, 189, 189},   {100, 0, 189, 87},      // one value a pixel
      {0, 0, 189, 0},        {500, 0, 189, 189},   {-40, 0, 189, 0},       // beyond the ends: clamped
      {13, 0, 150000, 0},    {202, 0, 150000, 150000},
      {107, 0, 150000, 74603},                                              // 94 / 189 of 150 s, rounded
      {13, -60, 6, -60},     {202, -60, 6, 6},     {184, -60, 6, 0},       // the decibel range
      {100, 5, 5, 5},        {100, 10, 0, 10},                              // an empty or reversed range
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SliderValueAt(c.x, 8, 208, 11, c.low, c.high), c.value) << c.x << " in " << c.low << ".." << c.high;
  }
  // A channel no longer than the thumb has no travel: the low end.
  EXPECT_EQ(SliderValueAt(20, 10, 20, 11, 0, 100), 0);
}

TEST(FormatPlayTime, MinutesSecondsAndHours) {
  struct Case {
    int64_t ms;
    const char* text;
  } cases[] = {
      {0, "0:00"},         {999, "0:00"},           {5000, "0:05"},        {187000, "3:07"},
      {3599999, "59:59"},  {3600000, "1:00:00"},    {3723000, "1:02:03"},  {-5000, "0:00"},
      {int64_t{100} * 3600000, "100:00:00"},
  };
  for (const Case& c : cases) EXPECT_EQ(FormatPlayTime(c.ms), c.text) << c.ms;
}
}  // namespace
