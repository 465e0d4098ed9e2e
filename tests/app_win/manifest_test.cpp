// The program's manifest as the loader finds it: resource 1 of type 24 in
// melodek.exe, asking for themed controls, naming the Windows versions,
// per-monitor DPI awareness and the UTF-8 code page.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

namespace {

std::string ProgramManifest() {
  HMODULE program = ::LoadLibraryExA(MELODEK_EXE, nullptr, LOAD_LIBRARY_AS_DATAFILE);
  if (program == nullptr) return {};
  std::string text;
  if (HRSRC found = ::FindResourceA(program, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24))) {
    if (HGLOBAL loaded = ::LoadResource(program, found)) {
      text.assign(static_cast<const char*>(::LockResource(loaded)), ::SizeofResource(program, found));
    }
  }
  ::FreeLibrary(program);
  return text;
}

// The text between <tag ...> and </tag>, or "" when the tag is missing.
std::string Element(const std::string& xml, const std::string& tag) {
  const size_t open = xml.find("<" + tag);
  if (open == std::string::npos) return {};
  const size_t start = xml.find('>', open) + 1;
  const size_t end = xml.find("</" + tag + ">", start);
  return end == std::string::npos ? std::string() : xml.substr(start, end - start);
}

TEST(Manifest, AsksForStylesWindowsVersionsDpiAndUtf8) {
  const std::string manifest = ProgramManifest();
  ASSERT_FALSE(manifest.empty()) << "no manifest resource in " << MELODEK_EXE;
  // Common controls 6 (visual styles).
  const size_t controls = manifest.find("name=\"Microsoft.Windows.Common-Controls\"");
  ASSERT_NE(controls, std::string::npos);
  EXPECT_NE(manifest.find("version=\"6.0.0.0\"", controls), std::string::npos);
  // Windows 10/11, 8.1, 8 and 7.
  for (const char* id : {"{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}", "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",
                         "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}", "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}"}) {
    EXPECT_NE(manifest.find(std::string("<supportedOS Id=\"") + id + "\"/>"), std::string::npos) << id;
  }
  EXPECT_EQ(Element(manifest, "dpiAwareness"), "PerMonitorV2, PerMonitor");
  EXPECT_EQ(Element(manifest, "dpiAware"), "true/pm");  // systems before the list form
  EXPECT_EQ(Element(manifest, "activeCodePage"), "UTF-8");
}

}  // namespace
