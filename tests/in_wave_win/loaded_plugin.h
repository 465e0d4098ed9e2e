// Loads a built plug-in DLL for a test, the way the host does, and attaches
// the fake host to it.
#pragma once
#include <windows.h>

#include <string>

#include "common/plugin_api.h"
#include "framework/unique_handle.h"
#include "tests/in_wave_win/fake_host.h"

class LoadedPlugin {
 public:
  // relativePath: from the test program's folder, e.g. "../../testplugins/in_mtest.dll".
  explicit LoadedPlugin(const char* relativePath) : module_(::LoadLibraryA(BuiltFile(relativePath).c_str())) {
    if (!module_) return;
    // Through void*: FARPROC's type has nothing to do with the getter's.
    auto get = reinterpret_cast<GetInModuleFn>(
        reinterpret_cast<void*>(::GetProcAddress(module_.get(), MELODEK_GET_IN_MODULE_NAME)));
    if (get) in_ = get();
    if (in_) {
      FakeHost::Instance().Reset();
      FakeHost::Instance().Attach(in_, module_.get());
    }
  }
  HMODULE module() const { return module_.get(); }
  In_Module* operator->() const { return in_; }
  In_Module* get() const { return in_; }

 private:
  UniqueModule module_;
  In_Module* in_ = nullptr;
};
