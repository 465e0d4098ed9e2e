// One move-only owner for every Win32 handle kind: the close function and the
// invalid value are template arguments, so each handle type is one line.
#pragma once
#include <windows.h>
#include <mmsystem.h>

#include <utility>

template <typename T, auto Close, auto Invalid = T{}>
class UniqueAny {
 public:
  UniqueAny() = default;
  explicit UniqueAny(T value) : value_(value) {}
  UniqueAny(const UniqueAny&) = delete;
  UniqueAny& operator=(const UniqueAny&) = delete;
  UniqueAny(UniqueAny&& other) noexcept : value_(other.release()) {}
  UniqueAny& operator=(UniqueAny&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  ~UniqueAny() { reset(); }

  T get() const { return value_; }
  explicit operator bool() const { return value_ != Invalid; }
  T release() { return std::exchange(value_, Invalid); }
  void reset(T value = Invalid) {
    T old = std::exchange(value_, value);
    if (old != Invalid) Close(old);
  }

 private:
  T value_ = Invalid;
};

namespace handle_detail {
inline void CloseKernel(HANDLE h) { ::CloseHandle(h); }
inline void CloseFind(HANDLE h) { ::FindClose(h); }
inline void FreeModule(HMODULE h) { ::FreeLibrary(h); }
inline void DeleteGdi(HGDIOBJ h) { ::DeleteObject(h); }
inline void DestroyIconHandle(HICON h) { ::DestroyIcon(h); }
inline void DestroyMenuHandle(HMENU h) { ::DestroyMenu(h); }
inline void DestroyWindowHandle(HWND h) { ::DestroyWindow(h); }
inline void CloseWaveOut(HWAVEOUT h) { ::waveOutClose(h); }
}  // namespace handle_detail

using UniqueHandle = UniqueAny<HANDLE, handle_detail::CloseKernel>;  // NULL invalid
using UniqueFileHandle = UniqueAny<HANDLE, handle_detail::CloseKernel, INVALID_HANDLE_VALUE>;
using UniqueFindHandle = UniqueAny<HANDLE, handle_detail::CloseFind, INVALID_HANDLE_VALUE>;
using UniqueModule = UniqueAny<HMODULE, handle_detail::FreeModule>;
using UniqueGdiObject = UniqueAny<HGDIOBJ, handle_detail::DeleteGdi>;
using UniqueIcon = UniqueAny<HICON, handle_detail::DestroyIconHandle>;
using UniqueMenu = UniqueAny<HMENU, handle_detail::DestroyMenuHandle>;
using UniqueWindow = UniqueAny<HWND, handle_detail::DestroyWindowHandle>;
using UniqueWaveOut = UniqueAny<HWAVEOUT, handle_detail::CloseWaveOut>;

// Restores the previously selected GDI object when it leaves scope.
class ScopedSelect {
 public:
  ScopedSelect(HDC dc, HGDIOBJ object) : dc_(dc), old_(::SelectObject(dc, object)) {}
  ScopedSelect(const ScopedSelect&) = delete;
  ScopedSelect& operator=(const ScopedSelect&) = delete;
  ~ScopedSelect() { ::SelectObject(dc_, old_); }

 private:
  HDC dc_;
  HGDIOBJ old_;
};

// Pairs BeginPaint with EndPaint.
class ScopedPaint {
 public:
  explicit ScopedPaint(HWND window) : window_(window) { dc_ = ::BeginPaint(window, &ps_); }
  ScopedPaint(const ScopedPaint&) = delete;
  ScopedPaint& operator=(const ScopedPaint&) = delete;
  ~ScopedPaint() { ::EndPaint(window_, &ps_); }
  HDC dc() const { return dc_; }
  const PAINTSTRUCT& info() const { return ps_; }

 private:
  HWND window_;
  HDC dc_;
  PAINTSTRUCT ps_{};
};
