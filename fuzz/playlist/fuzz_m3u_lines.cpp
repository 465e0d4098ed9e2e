// libFuzzer target: the ".m3u" line reader on arbitrary bytes.
#include "fuzz/playlist/fuzz_entries.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzM3uLines(data, size);
  return 0;
}
