// Helpers shared by the in_mf.dll tests under Wine.
#pragma once
#include <windows.h>

#include <string>

#include "tests/in_mf/fake_host.h"
#include "tests/in_mf/media_compare.h"

inline bool MediaExists(const std::string& name) {
  return GetFileAttributesA(fake_host::MediaPath(name).c_str()) != INVALID_FILE_ATTRIBUTES;
}

#define REQUIRE_MEDIA(name)                                                                    \
  do {                                                                                         \
    if (!MediaExists(name)) GTEST_SKIP() << name << " was not made (encoder missing at build)"; \
  } while (0)

inline int64_t MsToFrames(int ms, int rate) { return static_cast<int64_t>(ms) * rate / 1000; }
