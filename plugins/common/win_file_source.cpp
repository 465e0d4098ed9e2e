// Positioned reads through ReadFile with an OVERLAPPED offset.
#include "plugins/common/win_file_source.h"

namespace {
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
}  // namespace

bool WinFileSource::Open(const char* path) {
  return Adopt(::CreateFileA(path, GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
}

bool WinFileSource::Open(const std::wstring& path) {
  return Adopt(
      ::CreateFileW(path.c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
}

bool WinFileSource::Adopt(HANDLE file) {
  file_.reset(file);
  size_ = 0;
  LARGE_INTEGER size;
  if (!file_ || !::GetFileSizeEx(file_.get(), &size) || size.QuadPart < 0) {
    file_.reset();
    return false;
  }
  size_ = static_cast<uint64_t>(size.QuadPart);
  return true;
}

size_t WinFileSource::ReadAt(uint64_t offset, void* buffer, size_t n) {
  if (!file_ || offset >= size_) return 0;
  size_t done = 0;
  while (done < n) {
    // On a synchronous handle the OVERLAPPED offset positions the read
    // without a separate SetFilePointer call.
    OVERLAPPED at{};
    const uint64_t position = offset + done;
    at.Offset = static_cast<DWORD>(position);
    at.OffsetHigh = static_cast<DWORD>(position >> 32);
    const DWORD chunk = static_cast<DWORD>(n - done > 0x10000000 ? 0x10000000 : n - done);
    DWORD got = 0;
    if (!::ReadFile(file_.get(), static_cast<char*>(buffer) + done, chunk, &got, &at) || got == 0) break;
    done += got;
  }
  return done;
}
