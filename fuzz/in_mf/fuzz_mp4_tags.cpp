// libFuzzer target: in_mf.dll's mp4 tags reader on arbitrary bytes.
#include "fuzz/in_mf/fuzz_entries.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzMp4Tags(data, size);
  return 0;
}
