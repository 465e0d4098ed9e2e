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

std::vector<uint8_t> DirectHandOverBytes(uint64_t launched, const std::string& text) {
  std::vector<uint8_t> bytes;
  for (int i = 0; i < 8; ++i) bytes.push_back(static_cast<uint8_t>(launched >> (8 * i)));
  bytes.insert(bytes.end(), text.begin(), text.end());
  bytes.push_back(0);
  return bytes;
}

std::optional<DirectHandOver> ParseDirectHandOver(uint32_t tag, const uint8_t* data, size_t size) {
  if ((tag != kDirectPlayTag && tag != kDirectAddTag) || data == nullptr || size < 8) return std::nullopt;
  DirectHandOver handOver;
  handOver.kind = tag == kDirectAddTag ? HandOverKind::kAdd : HandOverKind::kPlay;
  for (int i = 0; i < 8; ++i) handOver.launched |= static_cast<uint64_t>(data[i]) << (8 * i);
  handOver.text = PokeText(data + 8, size - 8);
  return handOver;
}
