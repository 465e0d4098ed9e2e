// libFuzzer target: in_mf.dll's MP4 gapless reader and trim plan on arbitrary bytes.
#include "fuzz/in_mf/fuzz_entries.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzMp4Gapless(data, size);
  return 0;
}
