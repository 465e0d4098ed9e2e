// The text a DDE poke on the instance channel carries, as the receiving side
// takes it. Kept free of DDEML so that it can be tested and fuzzed on bytes.
#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/command_line.h"

// A poke is read into a buffer of this many bytes, its terminator included.
constexpr size_t kMaxPokeBytes = 16384;

// The command-line text of poke data as the client sent it: the data need not
// end in a NUL and may be of any length. Only the first kMaxPokeBytes bytes
// are looked at; the text ends at the first NUL, and at most
// kMaxPokeBytes - 1 characters are kept (the last byte of the buffer is its
// terminator).
std::string PokeText(const uint8_t* data, size_t size);

// A start's hand-over sent straight to the first copy's hand-over window
// (WM_COPYDATA): the tag says play or add; the data is the start's launch
// time (8 bytes, little-endian; 0 when unknown), then the command-line text
// read like poke data (PokeText).
constexpr uint32_t kDirectPlayTag = 0x4D4C0001;
constexpr uint32_t kDirectAddTag = 0x4D4C0002;

struct DirectHandOver {
  HandOverKind kind = HandOverKind::kPlay;
  uint64_t launched = 0;
  std::string text;
};

std::vector<uint8_t> DirectHandOverBytes(uint64_t launched, const std::string& text);
// None for an unknown tag or data shorter than the launch time (anyone can
// send a window WM_COPYDATA).
std::optional<DirectHandOver> ParseDirectHandOver(uint32_t tag, const uint8_t* data, size_t size);
