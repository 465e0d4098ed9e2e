// Picture-decoding plug-ins (".spi" libraries in the program's folder).
#include "ui/image_plugins.h"

#include "framework/folder_entries.h"
#include "framework/module_path.h"

namespace {
// Lives until the process exits; its destructor releases the libraries in
// the order they were found.
class ImagePluginList {
 public:
  ImagePluginList() = default;
  ImagePluginList(const ImagePluginList&) = delete;
  ImagePluginList& operator=(const ImagePluginList&) = delete;
  ~ImagePluginList() {
    for (ImagePluginEntry& entry : entries_) entry.module.reset();
  }

  size_t LoadOnce() {
    if (!loaded_) {
      loaded_ = true;
      LoadImagePluginsFrom(ModuleFolder(), entries_);
    }
    return entries_.size();
  }
  const std::vector<ImagePluginEntry>& entries() const { return entries_; }

 private:
  bool loaded_ = false;
  std::vector<ImagePluginEntry> entries_;
};

ImagePluginList& List() {
  static ImagePluginList list;  // constructed on first use, so before the hook below runs
  return list;
}

// Runs the scan during static start-up of every program that links this file.
struct StartUpScan {
  StartUpScan() { LoadImagePlugins(); }
} startUpScan;
}  // namespace

void LoadImagePluginsFrom(const std::string& folder, std::vector<ImagePluginEntry>& entries) {
  std::string prefix = folder;
  if (prefix.empty() || prefix.back() != '\\') prefix += '\\';
  ForEachFolderEntry(prefix + "*.spi", [&](const FolderEntry& found) {
    if ((found.attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return true;
    ImagePluginEntry entry;
    entry.path = prefix + found.name;
    entry.module.reset(::LoadLibraryA(entry.path.c_str()));
    if (!entry.module) return true;
    entry.IsSupported = ::GetProcAddress(entry.module.get(), "IsSupported");
    entry.GetPicture = ::GetProcAddress(entry.module.get(), "GetPicture");
    entry.GetPictureInfo = ::GetProcAddress(entry.module.get(), "GetPictureInfo");
    // Without both required functions the library goes again at once.
    if (entry.IsSupported != nullptr && entry.GetPicture != nullptr) entries.push_back(std::move(entry));
    return true;
  });
}

size_t LoadImagePlugins() { return List().LoadOnce(); }

size_t ImagePluginCount() { return List().entries().size(); }

const std::vector<ImagePluginEntry>& ImagePlugins() { return List().entries(); }
