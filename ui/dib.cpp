// An off-screen 24-bit picture (a DIB section).
#include "ui/dib.h"

#include <cstdint>
#include <cstring>
#include <vector>

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

HICON SolidColourIcon(HICON icon, COLORREF colour) {
  ICONINFO info{};
  if (icon == nullptr || !::GetIconInfo(icon, &info)) return nullptr;
  UniqueGdiObject mask(info.hbmMask);  // GetIconInfo's bitmaps are the caller's
  UniqueGdiObject image(info.hbmColor);
  BITMAP shape{};
  if (!::GetObjectW(info.hbmMask, sizeof shape, &shape)) return nullptr;
  const int width = shape.bmWidth;
  const int height = info.hbmColor != nullptr ? shape.bmHeight : shape.bmHeight / 2;
  if (width <= 0 || height <= 0) return nullptr;

  BITMAPINFOHEADER header{};
  header.biSize = sizeof header;
  header.biWidth = width;
  header.biHeight = -height;  // top-down
  header.biPlanes = 1;
  header.biBitCount = 32;
  header.biCompression = BI_RGB;
  const size_t count = static_cast<size_t>(width) * static_cast<size_t>(height);
  std::vector<uint32_t> pixels(count, 0), maskPixels(count, 0);
  HDC screen = ::GetDC(nullptr);
  auto* format = reinterpret_cast<BITMAPINFO*>(&header);
  if (info.hbmColor != nullptr) ::GetDIBits(screen, info.hbmColor, 0, height, pixels.data(), format, DIB_RGB_COLORS);
  header.biHeight = -height;
  ::GetDIBits(screen, info.hbmMask, 0, height, maskPixels.data(), format, DIB_RGB_COLORS);
  ::ReleaseDC(nullptr, screen);

  bool hasAlpha = false;
  for (uint32_t pixel : pixels) hasAlpha = hasAlpha || (pixel >> 24) != 0;
  // Icons take straight (not premultiplied) alpha; the DIB holds blue, green, red.
  const uint32_t rgb = (uint32_t{GetRValue(colour)} << 16) | (uint32_t{GetGValue(colour)} << 8) | GetBValue(colour);
  header.biHeight = -height;
  void* bits = nullptr;
  UniqueGdiObject solid(::CreateDIBSection(nullptr, format, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!solid || bits == nullptr) return nullptr;
  auto* out = static_cast<uint32_t*>(bits);
  for (size_t i = 0; i < count; ++i) {
    const uint32_t alpha = hasAlpha ? pixels[i] >> 24 : ((maskPixels[i] & 0xFFFFFF) != 0 ? 0 : 255);
    out[i] = (alpha << 24) | rgb;
  }
  ICONINFO made{TRUE, 0, 0, info.hbmMask, static_cast<HBITMAP>(solid.get())};
  return ::CreateIconIndirect(&made);
}
