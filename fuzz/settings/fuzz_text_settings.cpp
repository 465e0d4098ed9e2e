// libFuzzer target: FuzzTextSettings.
#include "fuzz/settings/fuzz_entries.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzTextSettings(data, size);
  return 0;
}
