// An off-screen 24-bit picture (a DIB section).
#include "ui/dib.h"

#include <cstring>

CDib::~CDib() { Delete(); }

bool CDib::Create(int width, int height) {
  Delete();
  if (width <= 0 || height <= 0) return false;
  header_ = BITMAPINFOHEADER{};
  header_.biSize = sizeof(BITMAPINFOHEADER);
  header_.biWidth = width;
  header_.biHeight = height;  // positive: bottom-up
  header_.biPlanes = 1;
  header_.biBitCount = 24;
  header_.biCompression = BI_RGB;
  stride_ = StrideOf(width);
  header_.biSizeImage = static_cast<DWORD>(stride_) * static_cast<DWORD>(height);
  void* bits = nullptr;
  HBITMAP bitmap = ::CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&header_), DIB_RGB_COLORS,
                                      &bits, nullptr, 0);
  if (bitmap == nullptr || bits == nullptr) {
    if (bitmap != nullptr) ::DeleteObject(bitmap);
    header_ = BITMAPINFOHEADER{};
    stride_ = 0;
    return false;
  }
  bitmap_.reset(bitmap);
  pixels_ = static_cast<BYTE*>(bits);
  return true;
}

HDC CDib::OpenDC() {
  if (!bitmap_) return nullptr;
  if (dc_ != nullptr) return dc_;
  dc_ = ::CreateCompatibleDC(nullptr);
  if (dc_ != nullptr) oldBitmap_ = ::SelectObject(dc_, bitmap_.get());
  return dc_;
}

void CDib::CloseDC() {
  if (dc_ == nullptr) return;
  ::SelectObject(dc_, oldBitmap_);
  ::DeleteDC(dc_);
  dc_ = nullptr;
  oldBitmap_ = nullptr;
}

bool CDib::CopyFrom(const CDib& other) {
  if (&other == this) return true;
  if (other.IsEmpty()) {
    Delete();
    return true;
  }
  if (!Create(other.Width(), other.Height())) return false;
  ::GdiFlush();  // drawing into the other section may still be queued
  std::memcpy(pixels_, other.pixels_, header_.biSizeImage);
  return true;
}

void CDib::Delete() {
  CloseDC();
  bitmap_.reset();
  pixels_ = nullptr;
  stride_ = 0;
  header_ = BITMAPINFOHEADER{};
}
