// The ".spi" loader under Wine. The build puts three test libraries and a
// text file named ".spi" beside this program:
//   spi_required.spi  IsSupported + GetPicture      kept, no GetPictureInfo
//   spi_picture.spi   GetPicture only               released at once
//   spi_all.spi       all three                     kept
//   not_a_library.spi                               skipped
// The scan ran during this program's static start-up, before main.
#include "ui/image_plugins.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/module_path.h"

namespace {
std::string Folder() { return ModuleFolder() + "\\"; }

// The kept plug-ins in the order the file system lists the ".spi" files.
std::vector<std::string> ExpectedKeptPaths() {
  std::vector<std::string> paths;
  WIN32_FIND_DATAA entry{};
  UniqueFindHandle find(::FindFirstFileA((Folder() + "*.spi").c_str(), &entry));
  if (!find) return paths;
  do {
    const std::string name = entry.cFileName;
    if (name == "spi_required.spi" || name == "spi_all.spi") paths.push_back(Folder() + name);
  } while (::FindNextFileA(find.get(), &entry));
  return paths;
}

std::vector<std::string> PathsOf(const std::vector<ImagePluginEntry>& entries) {
  std::vector<std::string> paths;
  for (const ImagePluginEntry& entry : entries) paths.push_back(entry.path);
  return paths;
}

TEST(ImagePlugins, StartUpKeepsLibrariesWithBothRequiredFunctions) {
  const std::vector<std::string> expected = ExpectedKeptPaths();
  ASSERT_EQ(expected.size(), 2u) << "the test libraries are missing beside the program";
  ASSERT_EQ(ImagePluginCount(), 2u);
  EXPECT_EQ(PathsOf(ImagePlugins()), expected);

  for (const ImagePluginEntry& entry : ImagePlugins()) {
    const bool all = entry.path == Folder() + "spi_all.spi";
    // Still loaded, under the handle the entry holds.
    EXPECT_EQ(::GetModuleHandleA(entry.path.c_str()), entry.module.get()) << entry.path;
    EXPECT_EQ(entry.IsSupported, ::GetProcAddress(entry.module.get(), "IsSupported"));
    EXPECT_EQ(entry.GetPicture, ::GetProcAddress(entry.module.get(), "GetPicture"));
    EXPECT_NE(entry.IsSupported, nullptr);
    EXPECT_NE(entry.GetPicture, nullptr);
    EXPECT_EQ(entry.GetPictureInfo != nullptr, all) << entry.path;
  }
  // The library without IsSupported went again at once.
  EXPECT_EQ(::GetModuleHandleA((Folder() + "spi_picture.spi").c_str()), nullptr);

  // The scan runs once.
  EXPECT_EQ(LoadImagePlugins(), 2u);
  EXPECT_EQ(ImagePluginCount(), 2u);
}

TEST(ImagePlugins, ScanOfAnyFolderForm) {
  // Without the trailing back slash the same libraries are found; loading
  // them again only adds references.
  std::vector<ImagePluginEntry> entries;
  LoadImagePluginsFrom(ModuleFolder(), entries);
  EXPECT_EQ(PathsOf(entries), ExpectedKeptPaths());
  entries.clear();  // drops those references; the start-up list keeps its own
  for (const ImagePluginEntry& entry : ImagePlugins()) {
    EXPECT_EQ(::GetModuleHandleA(entry.path.c_str()), entry.module.get());
  }

  LoadImagePluginsFrom(Folder() + "no such folder", entries);
  LoadImagePluginsFrom(ModuleFolder() + "\\CMakeFiles", entries);  // a folder without plug-ins
  EXPECT_TRUE(entries.empty());
}
}  // namespace
