// The output multiplier along the stream.
#include "engine/gain_plan.h"

void GainPlan::SwitchAt(uint32_t at, int32_t multiplier) {
  if (count_ < kMaxSwitches) switches_[count_++] = Switch{at, multiplier};
}

void GainPlan::Mute() {
  initial_ = 0;
  for (int i = 0; i < count_; ++i) switches_[i].multiplier = 0;
}

int32_t GainPlan::At(uint32_t position) const {
  int32_t multiplier = initial_;
  for (int i = 0; i < count_; ++i) {
    if (static_cast<int32_t>(position - switches_[i].at) < 0) break;
    multiplier = switches_[i].multiplier;
  }
  return multiplier;
}
