// What the Controller's slider tips say, without any window: the value a
// track bar has at a point of its channel, and a playing time as text.
#pragma once
#include <cstdint>
#include <string>

// The value at `x` (client pixels) on a horizontal track bar whose channel
// runs from channelLeft to channelRight and whose thumb is thumbWidth wide,
// ranging low..high: the thumb's centre travels from half a thumb inside the
// channel's left end to half a thumb inside its right end, as the control
// places it. Rounded to the nearest value, clamped to the range.
int SliderValueAt(int x, int channelLeft, int channelRight, int thumbWidth, int low, int high);

// "0:05", "3:07", "59:59", "1:02:03": minutes and seconds, hours when there
// are any. Negative times show as 0:00.
std::string FormatPlayTime(int64_t ms);
