// The ".m3u" line reader's fuzz entry, shared by the libFuzzer target and the
// native test that replays its corpus.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Returns the paths read from the data fed whole; a broken invariant aborts.
// The first byte chooses the piece size the data is also fed in, and the
// limit of paths for a third, bounded read.
std::vector<std::string> FuzzM3uLines(const uint8_t* data, size_t size);
