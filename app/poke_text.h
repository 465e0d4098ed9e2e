// The text a DDE poke on the instance channel carries, as the receiving side
// takes it. Kept free of DDEML so that it can be tested and fuzzed on bytes.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

// A poke is read into a buffer of this many bytes, its terminator included.
constexpr size_t kMaxPokeBytes = 16384;

// The command-line text of poke data as the client sent it: the data need not
// end in a NUL and may be of any length. Only the first kMaxPokeBytes bytes
// are looked at; the text ends at the first NUL, and at most
// kMaxPokeBytes - 1 characters are kept (the last byte of the buffer is its
// terminator).
std::string PokeText(const uint8_t* data, size_t size);
