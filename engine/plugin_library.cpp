// Loading the input plug-ins of the plug-in folders.
#include "engine/plugin_library.h"

#include "engine/extension_match.h"
#include "framework/folder_entries.h"

bool PluginLibrary::LoadPlugins(const std::string& folderText) {
  const std::string folder = folderText.empty() ? std::string(".") : folderText;
  return ForEachFolderEntry(folder + "\\in_*.dll", [&](const FolderEntry& found) {
    UniqueModule module(::LoadLibraryA((folder + "\\" + found.name).c_str()));
    if (!module) return true;
    auto getModule = reinterpret_cast<GetInModuleFn>(
        reinterpret_cast<void*>(::GetProcAddress(module.get(), MELODEK_GET_IN_MODULE_NAME)));
    if (getModule == nullptr) return true;  // released by the owner
    In_Module* plugin = getModule();
    if (plugin == nullptr) return true;
    if (plugin->Init != nullptr) plugin->Init();
    InputPluginRecord record;
    record.extensionList = BuildExtensionList(plugin->FileExtensions);
    record.module = std::move(module);
    record.plugin = plugin;
    {
      std::lock_guard<std::mutex> guard(lock_);
      records_.push_back(std::move(record));
    }
    if (plugin->Quit != nullptr) plugin->Quit();
    return true;
  });
}

void PluginLibrary::UnloadPlugins() {
  std::lock_guard<std::mutex> guard(lock_);
  // From the head: each record's library is freed as the record goes.
  while (!records_.empty()) records_.erase(records_.begin());
}

const InputPluginRecord* PluginLibrary::FindPluginLocked(const std::string& path) const {
  std::string extension;
  if (!PathExtension(path, extension)) return nullptr;
  for (const InputPluginRecord& record : records_) {
    if (ExtensionListClaims(record.extensionList, extension)) return &record;
  }
  return nullptr;
}
