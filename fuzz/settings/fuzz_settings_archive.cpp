// libFuzzer target: FuzzSettingsArchive.
#include "fuzz/settings/fuzz_entries.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzSettingsArchive(data, size);
  return 0;
}
