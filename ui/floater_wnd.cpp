// The drag image window of the drag list.
#include "ui/floater_wnd.h"

#include "ui/layered_window.h"

namespace {
constexpr char kClassName[] = "MelodekFloater";

bool RegisterFloaterClass(WNDPROC procedure) {
  static bool registered = false;
  if (registered) return true;
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = procedure;
  windowClass.hInstance = ::GetModuleHandleA(nullptr);
  windowClass.hCursor = ::LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));  // IDC_ARROW
  windowClass.lpszClassName = kClassName;
  registered = ::RegisterClassA(&windowClass) != 0 || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
  return registered;
}
}  // namespace

bool CFloaterWnd::Create(HWND owner) {
  if (window_) return true;
  if (!RegisterFloaterClass(&CFloaterWnd::WindowProc)) return false;
  HWND window = ::CreateWindowExA(WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_NOACTIVATE, kClassName, "FloaterWnd",
                                  WS_POPUP, 0, 0, 1, 1, owner, nullptr, ::GetModuleHandleA(nullptr), this);
  if (window == nullptr) return false;
  window_.reset(window);
  SetLayered(window, true);
  SetLayeredAttributes(window, kKeyColour, kAlpha, LWA_COLORKEY | LWA_ALPHA);
  return true;
}

bool CFloaterWnd::SetPicture(const CDib& picture) {
  if (!picture_.CopyFrom(picture)) return false;
  if (window_) {
    ::SetWindowPos(window_.get(), nullptr, 0, 0, picture_.Width(), picture_.Height(),
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    ::InvalidateRect(window_.get(), nullptr, FALSE);
    ::UpdateWindow(window_.get());
  }
  return true;
}

void CFloaterWnd::MoveTo(POINT mouse) {
  if (!window_) return;
  const int x = listOrigin_.x + mouse.x - hotSpot_.x;
  const int y = listOrigin_.y + mouse.y - hotSpot_.y;
  ::SetWindowPos(window_.get(), HWND_TOPMOST, x, y, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
}

void CFloaterWnd::Hide() {
  if (window_) ::ShowWindow(window_.get(), SW_HIDE);
}

void CFloaterWnd::Paint() {
  ScopedPaint paint(window_.get());
  if (picture_.IsEmpty()) return;
  HDC source = picture_.OpenDC();
  if (source == nullptr) return;
  ::BitBlt(paint.dc(), 0, 0, picture_.Width(), picture_.Height(), source, 0, 0, SRCCOPY);
  picture_.CloseDC();
}

LRESULT CALLBACK CFloaterWnd::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
    ::SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* self = reinterpret_cast<CFloaterWnd*>(::GetWindowLongPtrA(window, GWLP_USERDATA));
  switch (message) {
    case WM_PAINT:
      if (self != nullptr && self->window_.get() == window) {
        self->Paint();
        return 0;
      }
      break;
    case WM_ERASEBKGND:
      return 1;  // the picture covers the whole window
    case WM_MOUSEACTIVATE:
      return MA_NOACTIVATE;
    case WM_NCHITTEST:
      return HTTRANSPARENT;  // the mouse sees through it to what lies below
    default:
      break;
  }
  return ::DefWindowProcA(window, message, wParam, lParam);
}
