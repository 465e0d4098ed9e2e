// Loading the input plug-ins of the plug-in folders.
#include "engine/plugin_library.h"

#include "engine/extension_match.h"

bool PluginLibrary::LoadPlugins(const std::string& folderText) {
  const std::string folder = folderText.empty() ? std::string(".") : folderText;
  WIN32_FIND_DATAA found;
  UniqueFindHandle search(::FindFirstFileA((folder + "\\in_*.dll").c_str(), &found));
  if (!search) return false;
  do {
    UniqueModule module(::LoadLibraryA((folder + "\\" + found.cFileName).c_str()));
    if (!module) continue;
    auto getModule = reinterpret_cast<GetInModuleFn>(
        reinterpret_cast<void*>(::GetProcAddress(module.get(), MELODEK_GET_IN_MODULE_NAME)));
    if (getModule == nullptr) continue;  // released by the owner
    In_Module* plugin = getModule();
    if (plugin == nullptr) continue;
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
  } while (::FindNextFileA(search.get(), &found));
  return true;
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
