// libFuzzer target: in_mf.dll's id3v1 reader on arbitrary bytes.
#include "fuzz/in_mf/fuzz_entries.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzId3v1(data, size);
  return 0;
}
