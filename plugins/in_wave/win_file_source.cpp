// Positioned reads through ReadFile with an OVERLAPPED offset.
#include "plugins/in_wave/win_file_source.h"

bool WinFileSource::Open(const char* path) {
  file_.reset(::CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!file_) return false;
  LARGE_INTEGER size;
  if (!::GetFileSizeEx(file_.get(), &size) || size.QuadPart < 0) {
    file_.reset();
    return false;
  }
  size_ = static_cast<uint64_t>(size.QuadPart);
  return true;
}

size_t WinFileSource::ReadAt(uint64_t offset, void* buffer, size_t len) {
  if (!file_) return 0;
  size_t done = 0;
  while (done < len) {
    // On a synchronous handle the OVERLAPPED offset positions the read
    // without a separate SetFilePointer call.
    OVERLAPPED at = {};
    const uint64_t position = offset + done;
    at.Offset = static_cast<DWORD>(position);
    at.OffsetHigh = static_cast<DWORD>(position >> 32);
    DWORD got = 0;
    const DWORD want = static_cast<DWORD>(len - done > 0x40000000u ? 0x40000000u : len - done);
    if (!::ReadFile(file_.get(), static_cast<char*>(buffer) + done, want, &got, &at) || got == 0) break;
    done += got;
  }
  return done;
}
