// libFuzzer target: in_mf.dll's carry from one MP3 file of a gapless set
// into the next, on arbitrary pairs of files.
#include "fuzz/in_mf/fuzz_entries.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzMp3Carry(data, size);
  return 0;
}
