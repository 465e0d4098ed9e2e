// One move-only owner for every Win32 handle kind: the close function and the
// invalid value are template arguments, so each handle type is one line.
#pragma once
#include <windows.h>
#include <mmsystem.h>
#include <ddeml.h>

#include <utility>

// `Invalid` may be an integer for pointer handles (INVALID_HANDLE_VALUE is a
// cast, which a template argument cannot be): it is converted on use.
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

  static T InvalidValue() { return (T)(Invalid); }
  T get() const { return value_; }
  explicit operator bool() const { return value_ != InvalidValue(); }
  T release() { return std::exchange(value_, InvalidValue()); }
  void reset(T value = InvalidValue()) {
    T old = std::exchange(value_, value);
    if (old != InvalidValue()) Close(old);
  }

 private:
  T value_ = InvalidValue();
};

namespace handle_detail {
inline void CloseKernel(HANDLE h) { ::CloseHandle(h); }
inline void CloseFind(HANDLE h) { ::FindClose(h); }
inline void FreeLibraryHandle(HMODULE h) { ::FreeLibrary(h); }  // FreeModule is a winbase.h macro
inline void DeleteGdi(HGDIOBJ h) { ::DeleteObject(h); }
inline void DestroyIconHandle(HICON h) { ::DestroyIcon(h); }
inline void DestroyMenuHandle(HMENU h) { ::DestroyMenu(h); }
inline void DestroyWindowHandle(HWND h) { ::DestroyWindow(h); }
inline void CloseWaveOut(HWAVEOUT h) { ::waveOutClose(h); }
inline void UninitializeDde(DWORD instance) { ::DdeUninitialize(instance); }
inline void DisconnectDde(HCONV conversation) { ::DdeDisconnect(conversation); }
inline void CloseRegKey(HKEY key) { ::RegCloseKey(key); }
}  // namespace handle_detail

using UniqueHandle = UniqueAny<HANDLE, handle_detail::CloseKernel>;  // NULL invalid
using UniqueFileHandle = UniqueAny<HANDLE, handle_detail::CloseKernel, INT_PTR{-1}>;
using UniqueFindHandle = UniqueAny<HANDLE, handle_detail::CloseFind, INT_PTR{-1}>;
using UniqueModule = UniqueAny<HMODULE, handle_detail::FreeLibraryHandle>;
using UniqueGdiObject = UniqueAny<HGDIOBJ, handle_detail::DeleteGdi>;
using UniqueIcon = UniqueAny<HICON, handle_detail::DestroyIconHandle>;
using UniqueMenu = UniqueAny<HMENU, handle_detail::DestroyMenuHandle>;
using UniqueWindow = UniqueAny<HWND, handle_detail::DestroyWindowHandle>;
using UniqueWaveOut = UniqueAny<HWAVEOUT, handle_detail::CloseWaveOut>;
using UniqueDdeInstance = UniqueAny<DWORD, handle_detail::UninitializeDde>;  // 0 invalid
using UniqueDdeConversation = UniqueAny<HCONV, handle_detail::DisconnectDde>;
using UniqueRegKey = UniqueAny<HKEY, handle_detail::CloseRegKey>;

// A DDE string handle, freed through the DDEML instance that made it (so it
// must go before that instance is uninitialised). Every DDE name of the
// program is in CP_WINANSI.
class UniqueDdeString {
 public:
  UniqueDdeString() = default;
  UniqueDdeString(DWORD instance, const char* text)
      : instance_(instance), value_(::DdeCreateStringHandleA(instance, text, CP_WINANSI)) {}
  UniqueDdeString(const UniqueDdeString&) = delete;
  UniqueDdeString& operator=(const UniqueDdeString&) = delete;
  UniqueDdeString(UniqueDdeString&& other) noexcept
      : instance_(other.instance_), value_(std::exchange(other.value_, nullptr)) {}
  UniqueDdeString& operator=(UniqueDdeString&& other) noexcept {
    if (this != &other) {
      reset();
      instance_ = other.instance_;
      value_ = std::exchange(other.value_, nullptr);
    }
    return *this;
  }
  ~UniqueDdeString() { reset(); }

  HSZ get() const { return value_; }
  explicit operator bool() const { return value_ != nullptr; }
  void reset() {
    if (value_ != nullptr) ::DdeFreeStringHandle(instance_, std::exchange(value_, nullptr));
  }

 private:
  DWORD instance_ = 0;
  HSZ value_ = nullptr;
};

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
