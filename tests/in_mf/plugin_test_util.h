// Helpers shared by the in_mf.dll tests under Wine.
#pragma once
#include <gtest/gtest.h>
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

// Plays a generated file to its end as a host does (Init, Play, Stop, Quit)
// into a fresh output record; with length_ms, also asks the length once the
// end has come. Call it inside ASSERT_NO_FATAL_FAILURE.
inline void PlayToEnd(In_Module* m, const std::string& name, int* length_ms = nullptr) {
  fake_host::ResetOutput();
  fake_host::DrainMessages();
  m->Init();
  ASSERT_EQ(m->Play(fake_host::MediaPath(name).c_str()), 0);
  EXPECT_TRUE(fake_host::WaitForEndOfFile());
  if (length_ms != nullptr) *length_ms = m->GetLength();
  m->Stop();
  m->Quit();
}

inline int64_t MsToFrames(int ms, int rate) { return static_cast<int64_t>(ms) * rate / 1000; }
