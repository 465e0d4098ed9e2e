// libFuzzer target: in_mf.dll's mp3 gapless reader on arbitrary bytes.
#include "fuzz/in_mf/fuzz_entries.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzMp3Gapless(data, size);
  return 0;
}
