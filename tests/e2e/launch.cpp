// launch: starts programs the way Explorer runs a shell verb, and reads what
// an input plug-in declares, for the end-to-end tests of the setup:
//   launch run <command line>...     CreateProcess for each command line exactly as given, one right
//                                    after the other without waiting (Explorer's way with a selection),
//                                    then waits for all of them to end; exit code: the first non-zero
//                                    exit code among them, else 0; 99 when one could not start
//   launch extensions <plug-in dll>  prints each extension the input plug-in declares, one a line
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "common/plugin_api.h"
#include "framework/unique_handle.h"

namespace {
int Run(int count, char** commandLines) {
  std::vector<UniqueHandle> processes;
  for (int i = 0; i < count; ++i) {
    std::string commandLine = commandLines[i];  // CreateProcess may write into it
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!::CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                          &info)) {
      return 99;
    }
    ::CloseHandle(info.hThread);
    processes.emplace_back(info.hProcess);
  }
  int result = 0;
  for (const UniqueHandle& process : processes) {
    ::WaitForSingleObject(process.get(), INFINITE);
    DWORD code = 0;
    ::GetExitCodeProcess(process.get(), &code);
    if (result == 0) result = static_cast<int>(code);
  }
  return result;
}

int PrintExtensions(const char* path) {
  UniqueModule plugin(::LoadLibraryA(path));
  if (!plugin) return 1;
  const auto get = reinterpret_cast<GetInModuleFn>(
      reinterpret_cast<void*>(::GetProcAddress(plugin.get(), MELODEK_GET_IN_MODULE_NAME)));
  const In_Module* module = get != nullptr ? get() : nullptr;
  if (module == nullptr || module->FileExtensions == nullptr) return 1;
  // Pairs of "ext;ext" and a description, ended by an empty string.
  for (const char* at = module->FileExtensions; *at != '\0';) {
    std::string extensions = at;
    at += extensions.size() + 1;
    at += std::string(at).size() + 1;  // the description
    size_t start = 0;
    while (start <= extensions.size()) {
      const size_t end = extensions.find(';', start);
      const std::string one = extensions.substr(start, end == std::string::npos ? std::string::npos : end - start);
      if (!one.empty()) std::printf("%s\n", one.c_str());
      if (end == std::string::npos) break;
      start = end + 1;
    }
  }
  return 0;
}
}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) return 2;
  const std::string verb = argv[1];
  if (verb == "run") return Run(argc - 2, argv + 2);
  if (verb == "extensions") return PrintExtensions(argv[2]);
  return 2;
}
