// The text a DDE poke on the instance channel carries.
#include "app/poke_text.h"

#include <cstring>

std::string PokeText(const uint8_t* data, size_t size) {
  if (size > kMaxPokeBytes) size = kMaxPokeBytes;
  const void* nul = size > 0 ? std::memchr(data, '\0', size) : nullptr;
  size_t length = nul ? static_cast<size_t>(static_cast<const uint8_t*>(nul) - data) : size;
  if (length > kMaxPokeBytes - 1) length = kMaxPokeBytes - 1;
  return std::string(reinterpret_cast<const char*>(data), length);
}
