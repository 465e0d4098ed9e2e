// Threads and handles of a process, for the tests that check nothing is left
// behind. Wine's GetProcessHandleCount answers 0, so handles are counted in
// the system handle list, which Wine does fill.
#pragma once
#include <windows.h>
#include <tlhelp32.h>

#include <vector>

namespace testprocess {

// -1 when the snapshot cannot be taken.
inline int ThreadCount(DWORD processId) {
  HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return -1;
  THREADENTRY32 entry{};
  entry.dwSize = sizeof entry;
  int count = 0;
  for (BOOL ok = ::Thread32First(snapshot, &entry); ok; ok = ::Thread32Next(snapshot, &entry)) {
    if (entry.th32OwnerProcessID == processId) ++count;
  }
  ::CloseHandle(snapshot);
  return count;
}

// -1 when the system handle list cannot be read.
inline long HandleCount(DWORD processId) {
  struct Entry {
    ULONG processId;
    UCHAR objectType, flags;
    USHORT handle;
    void* object;
    ACCESS_MASK access;
  };
  using QueryFn = LONG(WINAPI*)(ULONG, void*, ULONG, ULONG*);
  auto query = reinterpret_cast<QueryFn>(
      reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleA("ntdll.dll"), "NtQuerySystemInformation")));
  if (query == nullptr) return -1;
  constexpr ULONG kSystemHandleInformation = 16;
  std::vector<char> buffer(1 << 20);
  for (;;) {
    ULONG needed = 0;
    const LONG status = query(kSystemHandleInformation, buffer.data(), static_cast<ULONG>(buffer.size()), &needed);
    if (status == static_cast<LONG>(0xC0000004)) {  // buffer too small
      buffer.resize(buffer.size() * 2);
      continue;
    }
    if (status != 0) return -1;
    break;
  }
  const ULONG entries = *reinterpret_cast<ULONG*>(buffer.data());
  const Entry* entry = reinterpret_cast<const Entry*>(buffer.data() + sizeof(void*));
  long count = 0;
  for (ULONG i = 0; i < entries; ++i) count += entry[i].processId == processId ? 1 : 0;
  return count;
}

}  // namespace testprocess
