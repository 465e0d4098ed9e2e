// The optional start-up timeline (app/startup_timeline.h).
#include "app/startup_timeline.h"

#include <windows.h>
#include <winternl.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <memory>
#include <mutex>

#include "app/hand_over.h"
#include "framework/unique_handle.h"

namespace startup_timeline {
namespace {

// The loader's notice of a library loaded (ntdll's LdrRegisterDllNotification).
struct LoadedLibraryNotice {
  ULONG flags;
  const UNICODE_STRING* fullName;
  const UNICODE_STRING* baseName;
  void* base;
  ULONG size;
};
using DllNotification = VOID(CALLBACK*)(ULONG reason, const LoadedLibraryNotice* notice, void* context);
using RegisterDllNotification = LONG(NTAPI*)(ULONG flags, DllNotification callback, void* context, void** cookie);
constexpr ULONG kLibraryLoaded = 1;

class Timeline {
 public:
  Timeline(UniqueFileHandle file, uint64_t created) : file_(std::move(file)), created_(created) {
    auto precise = reinterpret_cast<void(WINAPI*)(FILETIME*)>(reinterpret_cast<void*>(
        ::GetProcAddress(::GetModuleHandleA("kernel32.dll"), "GetSystemTimePreciseAsFileTime")));
    now_ = precise != nullptr ? precise : &::GetSystemTimeAsFileTime;
  }

  // Serialised by lock_: several threads mark, and the lines must not mix.
  void Write(const char* step, double ms) {
    char line[400];
    const int length = std::snprintf(line, sizeof line, "%s, %.1f\r\n", step, ms);
    if (length <= 0) return;
    std::lock_guard<std::mutex> guard(lock_);
    DWORD written = 0;
    ::WriteFile(file_.get(), line, static_cast<DWORD>(std::min<size_t>(length, sizeof line - 1)), &written, nullptr);
  }

  double MsSinceCreation() const {
    FILETIME now;
    now_(&now);
    const uint64_t ticks = (static_cast<uint64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
    return static_cast<double>(static_cast<int64_t>(ticks - created_)) / 10000.0;
  }

  uint64_t created() const { return created_; }

 private:
  UniqueFileHandle file_;  // immutable after construction; writes under lock_
  std::mutex lock_;
  const uint64_t created_;  // FILETIME ticks
  void(WINAPI* now_)(FILETIME*);
};

// Set once by Open (UI thread, before any other thread starts), read by every
// mark; cleared before the timeline goes at the end of the process (every
// thread that marks has been joined by then).
std::atomic<Timeline*> gTimeline{nullptr};

struct TimelineOwner {
  std::unique_ptr<Timeline> timeline;
  ~TimelineOwner() { gTimeline.store(nullptr); }
};
TimelineOwner gOwner;  // UI thread

VOID CALLBACK OnLibraryLoaded(ULONG reason, const LoadedLibraryNotice* notice, void*) {
  if (reason != kLibraryLoaded || notice == nullptr || notice->baseName == nullptr) return;
  char step[300];
  const int length = ::WideCharToMultiByte(CP_UTF8, 0, notice->baseName->Buffer,
                                           notice->baseName->Length / sizeof(wchar_t), step + 16,
                                           static_cast<int>(sizeof step) - 17, nullptr, nullptr);
  std::memcpy(step, "library loaded: ", 16);
  step[16 + (length > 0 ? length : 0)] = '\0';
  Mark(step);
}

}  // namespace

void Open() {
  char path[MAX_PATH];
  const DWORD length = ::GetEnvironmentVariableA("MELODEK_STARTUP_TIMES", path, sizeof path);
  if (length == 0 || length >= sizeof path || gTimeline.load() != nullptr) return;
  UniqueFileHandle file(::CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return;
  gOwner.timeline = std::make_unique<Timeline>(std::move(file), ProcessLaunchTime());
  Timeline* timeline = gOwner.timeline.get();
  char first[100];
  // Unix time of the creation, so that a watcher outside can relate its own clock.
  const double unixSeconds = static_cast<double>(timeline->created()) / 1e7 - 11644473600.0;
  std::snprintf(first, sizeof first, "process created (Unix time %.4f)", unixSeconds);
  timeline->Write(first, 0.0);
  gTimeline.store(timeline);
  Mark("WinMain entered");
  auto registerNotice = reinterpret_cast<RegisterDllNotification>(reinterpret_cast<void*>(
      ::GetProcAddress(::GetModuleHandleA("ntdll.dll"), "LdrRegisterDllNotification")));
  void* cookie = nullptr;  // kept registered for the whole run
  if (registerNotice != nullptr) registerNotice(0, &OnLibraryLoaded, nullptr, &cookie);
}

void Mark(const char* step) {
  if (Timeline* timeline = gTimeline.load(std::memory_order_acquire)) timeline->Write(step, timeline->MsSinceCreation());
}

}  // namespace startup_timeline
