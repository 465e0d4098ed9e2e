// One entry per parser of the settings formats, shared by the libFuzzer
// targets and the native test that replays the seed corpus.
#pragma once
#include <cstddef>
#include <cstdint>

// Each returns normally for any input; a broken invariant aborts.
void FuzzSettingsArchive(const uint8_t* data, size_t size);
void FuzzTextSettings(const uint8_t* data, size_t size);
// The first line is the pattern, the rest the text.
void FuzzScanLine(const uint8_t* data, size_t size);
