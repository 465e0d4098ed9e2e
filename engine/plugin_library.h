// The loaded input plug-ins, in load order.
//
// Threading: Load and Unload run on the player thread; the UI thread looks up
// titles through the same list. Every access holds lock(); a record stays
// valid while the lock is held.
#pragma once
#include <mutex>
#include <string>
#include <vector>

#include "common/plugin_api.h"
#include "framework/unique_handle.h"

struct InputPluginRecord {
  std::string extensionList;  // "mp3;mp2;" lower case
  UniqueModule module;
  In_Module* plugin = nullptr;  // owned by the library
};

class PluginLibrary {
 public:
  PluginLibrary() = default;
  PluginLibrary(const PluginLibrary&) = delete;
  PluginLibrary& operator=(const PluginLibrary&) = delete;
  ~PluginLibrary() { UnloadPlugins(); }

  // Loads every in_*.dll of the folder (empty text: "."); true when the
  // search found at least one file.
  bool LoadPlugins(const std::string& folder);
  void UnloadPlugins();
  // The first record, in load order, whose extension list claims the path.
  // Caller holds lock().
  const InputPluginRecord* FindPluginLocked(const std::string& path) const;

  std::mutex& lock() const { return lock_; }
  size_t CountLocked() const { return records_.size(); }

 private:
  mutable std::mutex lock_;
  std::vector<InputPluginRecord> records_;  // guarded by lock_
};
