// libFuzzer target: the dde poke text as the program receives it.
#include "fuzz/app/fuzz_entries.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzPokeText(data, size);
  return 0;
}
