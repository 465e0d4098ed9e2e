// libFuzzer target: in_mf.dll's flac comments reader on arbitrary bytes.
#include "fuzz/in_mf/fuzz_entries.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzFlacComments(data, size);
  return 0;
}
