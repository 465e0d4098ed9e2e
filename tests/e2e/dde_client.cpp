// dde_client: talks to a running Melodek's DDE service for the end-to-end
// tests. Each call does one thing and exits:
//   dde_client poke <service> <topic> <text>         pokes text and its NUL on item DATA_ITEM;
//                                                    exit code 0 when acknowledged
//   dde_client poke-raw <service> <topic> <hexbytes> pokes the bytes as given, no NUL added
//   dde_client request <service> <topic> <item> [ms] prints the 4-byte reply as a number;
//                                                    exit code 0 when data came (within ms,
//                                                    default 10000)
#include <windows.h>

#include <cstdint>
#include <cstdlib>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>

#include "tests/e2e/dde_conversation.h"

namespace {
constexpr UINT kWindowFormat = 523;  // format of Melodek's HWND reply

int Hex(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::optional<std::string> FromHex(const char* text) {
  std::string bytes;
  const size_t length = std::strlen(text);
  if (length % 2 != 0) return std::nullopt;
  for (size_t i = 0; i < length; i += 2) {
    const int high = Hex(text[i]);
    const int low = Hex(text[i + 1]);
    if (high < 0 || low < 0) return std::nullopt;
    bytes.push_back(static_cast<char>(high * 16 + low));
  }
  return bytes;
}

int Usage() {
  std::fprintf(stderr,
               "usage: dde_client poke <service> <topic> <text>\n"
               "       dde_client poke-raw <service> <topic> <hexbytes>\n"
               "       dde_client request <service> <topic> <item>\n");
  return 2;
}
}  // namespace

int main(int argc, char** argv) {
  if (argc != 5 && !(argc == 6 && std::strcmp(argv[1], "request") == 0)) return Usage();
  const std::string verb = argv[1];
  if (verb == "poke") {
    const std::string text = argv[4];
    return dde_test::PokeBytes(argv[2], argv[3], "DATA_ITEM", std::string(text.c_str(), text.size() + 1)) ? 0 : 1;
  }
  if (verb == "poke-raw") {
    const std::optional<std::string> bytes = FromHex(argv[4]);
    if (!bytes) return Usage();
    return dde_test::PokeBytes(argv[2], argv[3], "DATA_ITEM", *bytes) ? 0 : 1;
  }
  if (verb == "request") {
    const DWORD timeoutMs = argc >= 6 ? std::strtoul(argv[5], nullptr, 10) : 10000;
    const std::optional<std::string> data =
        dde_test::RequestBytes(argv[2], argv[3], argv[4], kWindowFormat, timeoutMs);
    if (!data) return 1;
    uint32_t value = 0;
    std::memcpy(&value, data->data(), data->size() < sizeof value ? data->size() : sizeof value);
    std::printf("%lu\n", static_cast<unsigned long>(value));
    return 0;
  }
  return Usage();
}
