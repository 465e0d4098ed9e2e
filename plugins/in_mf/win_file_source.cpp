#include "plugins/in_mf/win_file_source.h"

WinFileSource::WinFileSource(const std::wstring& path)
    : file_(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)) {
  LARGE_INTEGER size;
  if (file_ && GetFileSizeEx(file_.get(), &size)) size_ = static_cast<uint64_t>(size.QuadPart);
}

size_t WinFileSource::ReadAt(uint64_t offset, void* buffer, size_t n) {
  if (!file_ || offset >= size_) return 0;
  size_t done = 0;
  while (done < n) {
    OVERLAPPED at{};
    uint64_t position = offset + done;
    at.Offset = static_cast<DWORD>(position);
    at.OffsetHigh = static_cast<DWORD>(position >> 32);
    DWORD chunk = static_cast<DWORD>(n - done > 0x10000000 ? 0x10000000 : n - done);
    DWORD got = 0;
    if (!ReadFile(file_.get(), static_cast<char*>(buffer) + done, chunk, &got, &at) || got == 0) break;
    done += got;
  }
  return done;
}
