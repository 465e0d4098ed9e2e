// Where the files of an "/add" start go, so that starts launched close
// together (the shell starts one per selected file) end up in the list in
// the order they were launched, whatever order their hand-overs arrive in.
// Portable: no window, no clock; the caller gives the times.
#pragma once
#include <cstdint>
#include <vector>

class AddOrder {
 public:
  // How long an add is remembered: a start launched earlier that arrives
  // later than this is appended at the end.
  static constexpr uint64_t kWindowMs = 60000;

  // The first entry of each remembered add to `list` launched after
  // `launched`, earliest launch first: the new files go before the first of
  // these entries the caller still finds in the list, else at its end.
  std::vector<int32_t> LaterAdds(int32_t list, uint64_t launched, uint64_t nowMs);
  // The files of a start launched at `launched` now begin at entry `firstId`.
  void Remember(int32_t list, uint64_t launched, int32_t firstId, uint64_t nowMs);

 private:
  struct Add {
    int32_t list;
    uint64_t launched;
    int32_t firstId;
    uint64_t arrivedMs;
  };
  void Forget(uint64_t nowMs);
  std::vector<Add> adds_;  // in arrival order
};
