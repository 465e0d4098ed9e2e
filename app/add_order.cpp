// Where the files of an "/add" start go.
#include "app/add_order.h"

#include <algorithm>

void AddOrder::Forget(uint64_t nowMs) {
  adds_.erase(std::remove_if(adds_.begin(), adds_.end(),
                             [nowMs](const Add& add) { return nowMs - add.arrivedMs > kWindowMs; }),
              adds_.end());
}

std::vector<int32_t> AddOrder::LaterAdds(int32_t list, uint64_t launched, uint64_t nowMs) {
  Forget(nowMs);
  std::vector<Add> later;
  for (const Add& add : adds_) {
    if (add.list == list && add.launched > launched) later.push_back(add);
  }
  std::stable_sort(later.begin(), later.end(), [](const Add& a, const Add& b) { return a.launched < b.launched; });
  std::vector<int32_t> ids;
  for (const Add& add : later) ids.push_back(add.firstId);
  return ids;
}

void AddOrder::Remember(int32_t list, uint64_t launched, int32_t firstId, uint64_t nowMs) {
  Forget(nowMs);
  adds_.push_back({list, launched, firstId, nowMs});
}
