// libFuzzer target: in_mf.dll's id3v2 reader on arbitrary bytes.
#include "fuzz/in_mf/fuzz_entries.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzId3v2(data, size);
  return 0;
}
