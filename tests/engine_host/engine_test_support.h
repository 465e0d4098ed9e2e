// Shared pieces of the engine's Wine tests: folders of test plug-ins, script
// files for in_mtest.dll, the sound capture, and polling helpers.
#pragma once
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "framework/module_path.h"
#include "tests/support/test_audio.h"

namespace enginetest {

// Folder of the test executable.
inline std::string TestFolder() { return ModuleFolder(); }

// A fresh folder under the test's folder.
inline std::string MakeFolder(const std::string& name) {
  const std::string path = TestFolder() + "\\" + name;
  ::CreateDirectoryA(path.c_str(), nullptr);
  return path;
}

inline std::string TestPluginsFolder() { return TestFolder() + "\\..\\..\\testplugins"; }

// Copies test plug-in `dll` from the test plug-ins folder into `folder` as `as`.
inline bool InstallPlugin(const std::string& dll, const std::string& folder, const std::string& as) {
  return ::CopyFileA((TestPluginsFolder() + "\\" + dll).c_str(), (folder + "\\" + as).c_str(), FALSE) != 0;
}

inline std::string WriteFile(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
  return path;
}

inline std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// Polls every millisecond until `done` or `ms` passed; returns done().
inline bool WaitUntil(const std::function<bool()>& done, DWORD ms = 10000) {
  const DWORD start = ::GetTickCount();
  while (!done()) {
    if (::GetTickCount() - start > ms) return false;
    ::Sleep(1);
  }
  return true;
}

// The sound captured so far, as interleaved 16-bit samples. The capture
// file's path comes from the environment (MELODEK_CAPTURE, a Unix path).
// ALSA's file device ("truncate false") starts a new file for every opening
// of the device: <capture>, then <capture>.0001, .0002, ... in order. A
// file is complete once the wave device that wrote it was closed.
inline std::vector<int16_t> CapturedSamples() {
  char unixPath[1024] = {};
  if (::GetEnvironmentVariableA("MELODEK_CAPTURE", unixPath, sizeof unixPath) == 0) return {};
  const std::string base = std::string("Z:") + unixPath;
  std::string bytes = ReadFile(base);
  for (int n = 1; n < 10000; ++n) {
    char suffix[8];
    std::snprintf(suffix, sizeof suffix, ".%04d", n);
    if (::GetFileAttributesA((base + suffix).c_str()) == INVALID_FILE_ATTRIBUTES) break;
    bytes += ReadFile(base + suffix);
  }
  std::vector<int16_t> samples(bytes.size() / 2);
  for (size_t i = 0; i < samples.size(); ++i) {
    samples[i] = static_cast<int16_t>(static_cast<uint8_t>(bytes[2 * i]) |
                                      (static_cast<uint8_t>(bytes[2 * i + 1]) << 8));
  }
  return samples;
}

using testaudio::SoundingFrames;

}  // namespace enginetest
