// Runs this test program again as a child process, pumping the calling
// thread's messages while it waits: the child may talk DDE to a server on
// this thread, and DDEML's broadcasts need every top-level window to answer.
#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "framework/module_path.h"
#include "framework/unique_handle.h"

namespace shell_test {

// Dispatches this thread's messages until `waitable` is signalled or the time
// is up. True when it was signalled.
inline bool PumpUntilSignalled(HANDLE waitable, DWORD timeoutMs = 30000) {
  const DWORD start = ::GetTickCount();
  while (true) {
    const DWORD elapsed = ::GetTickCount() - start;
    if (elapsed >= timeoutMs) return false;
    const DWORD wait = ::MsgWaitForMultipleObjects(1, &waitable, FALSE, timeoutMs - elapsed, QS_ALLINPUT);
    if (wait == WAIT_OBJECT_0) return true;
    if (wait != WAIT_OBJECT_0 + 1) return false;
    MSG message;
    while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      ::TranslateMessage(&message);
      ::DispatchMessageA(&message);
    }
  }
}

// Runs `work` on a new thread while this one pumps messages. False on a
// time-out (the thread is then left to finish on its own).
inline bool RunOnOtherThread(std::function<void()> work) {
  struct Start {
    static DWORD WINAPI Main(void* argument) {
      (*static_cast<std::function<void()>*>(argument))();
      return 0;
    }
  };
  auto* owned = new std::function<void()>(std::move(work));
  UniqueHandle thread(::CreateThread(nullptr, 0, &Start::Main, owned, 0, nullptr));
  if (!thread) {
    delete owned;
    return false;
  }
  if (!PumpUntilSignalled(thread.get())) return false;  // leaks `owned` rather than free it under the thread
  delete owned;
  return true;
}

// Runs a program with `arguments` (each quoted); its exit code, or -1 when it
// did not start or did not end in time. When `output` is given it receives
// what the program wrote to its standard output.
inline int RunProgram(const std::string& program, const std::vector<std::string>& arguments,
                      std::string* output = nullptr) {
  std::string commandLine = "\"" + program + "\"";
  for (const std::string& argument : arguments) commandLine += " \"" + argument + "\"";
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  UniqueFileHandle outputFile;
  std::string outputPath;
  if (output != nullptr) {
    char folder[MAX_PATH] = {};
    char path[MAX_PATH] = {};
    ::GetTempPathA(MAX_PATH, folder);
    ::GetTempFileNameA(folder, "out", 0, path);
    outputPath = path;
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    outputFile.reset(::CreateFileA(path, GENERIC_WRITE | GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                                   CREATE_ALWAYS, FILE_ATTRIBUTE_TEMPORARY, nullptr));
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = outputFile.get();
    startup.hStdError = ::GetStdHandle(STD_ERROR_HANDLE);
    startup.hStdInput = ::GetStdHandle(STD_INPUT_HANDLE);
  }
  PROCESS_INFORMATION process{};
  if (!::CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, output != nullptr, 0, nullptr, nullptr,
                        &startup, &process)) {
    return -1;
  }
  UniqueHandle processHandle(process.hProcess);
  UniqueHandle threadHandle(process.hThread);
  if (!PumpUntilSignalled(processHandle.get(), 60000)) return -1;
  DWORD exitCode = 0;
  ::GetExitCodeProcess(processHandle.get(), &exitCode);
  if (output != nullptr) {
    output->clear();
    char buffer[512];
    DWORD got = 0;
    ::SetFilePointer(outputFile.get(), 0, nullptr, FILE_BEGIN);
    while (::ReadFile(outputFile.get(), buffer, sizeof buffer, &got, nullptr) && got > 0) output->append(buffer, got);
    outputFile.reset();
    ::DeleteFileA(outputPath.c_str());
  }
  return static_cast<int>(exitCode);
}

inline int RunSelf(const std::vector<std::string>& arguments) { return RunProgram(ModuleFilePath(), arguments); }

}  // namespace shell_test
