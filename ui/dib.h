// An off-screen 24-bit picture (a DIB section) to draw into with GDI and
// to copy to the screen: the drag list's drag image. And icons redrawn in
// one colour (the Controller's in high contrast).
#pragma once
#include <windows.h>

#include "framework/unique_handle.h"

// A copy of `icon` in one colour: every pixel keeps how much the icon covers
// it (its alpha, or its mask for an icon without alpha) and takes `colour`.
// Null when the system refuses; the caller owns the icon.
HICON SolidColourIcon(HICON icon, COLORREF colour);

class CDib {
 public:
  CDib() = default;
  CDib(const CDib&) = delete;
  CDib& operator=(const CDib&) = delete;
  ~CDib();

  // A bottom-up 24-bit section of width x height; any previous one is
  // deleted first. False (and empty) when the system refuses it.
  bool Create(int width, int height);
  // A memory drawing context with the picture selected; valid until
  // CloseDC or the next Create/Delete.
  HDC OpenDC();
  void CloseDC();
  // A copy of another picture's pixels in a section of its own.
  bool CopyFrom(const CDib& other);
  void Delete();

  bool IsEmpty() const { return !bitmap_; }
  int Width() const { return header_.biWidth; }
  int Height() const { return header_.biHeight; }
  int Stride() const { return stride_; }
  BYTE* Pixels() const { return pixels_; }
  HBITMAP Bitmap() const { return static_cast<HBITMAP>(bitmap_.get()); }
  // Stride of a 24-bit row: rows are padded to a multiple of 4 bytes.
  static int StrideOf(int width) { return (width * 3 + 3) & ~3; }

 private:
  UniqueGdiObject bitmap_;
  BITMAPINFOHEADER header_{};
  RGBQUAD colours_[256]{};  // room for a colour table after the header
  int stride_ = 0;
  BYTE* pixels_ = nullptr;  // owned by bitmap_
  HDC dc_ = nullptr;        // open drawing context, or null
  HGDIOBJ oldBitmap_ = nullptr;
};
