// A thin owner of a track bar control.
#include "ui/track_bar.h"

#include <commctrl.h>

#include <algorithm>

#include "framework/window_hook.h"
#include "ui/tip_text.h"

namespace {
constexpr UINT_PTR kSubclassId = 1;
}

CTrackBar::~CTrackBar() {
  if (window_ != nullptr && onInput_) RemoveWindowHook(window_, &CTrackBar::SubclassProc, kSubclassId);
}

void CTrackBar::Attach(HWND dialog, int id, InputHandler onInput) {
  window_ = ::GetDlgItem(dialog, id);
  onInput_ = std::move(onInput);
  if (window_ != nullptr && onInput_) {
    AddWindowHook(window_, &CTrackBar::SubclassProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this));
  }
}

LRESULT CALLBACK CTrackBar::SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                         DWORD_PTR self) {
  if (message == WM_LBUTTONDOWN || message == WM_KEYDOWN || message == WM_MOUSEWHEEL) {
    reinterpret_cast<CTrackBar*>(self)->onInput_(message, wParam);
  }
  if (message == WM_NCDESTROY) RemoveWindowHook(window, &CTrackBar::SubclassProc, kSubclassId);
  return CallNextWindowHook(window, message, wParam, lParam);
}

void CTrackBar::SetRange(int low, int high, bool redraw) {
  ::SendMessageA(window_, TBM_SETRANGEMIN, FALSE, low);
  ::SendMessageA(window_, TBM_SETRANGEMAX, redraw ? TRUE : FALSE, high);
}

void CTrackBar::SetPosition(int position, bool redraw) {
  ::SendMessageA(window_, TBM_SETPOS, redraw ? TRUE : FALSE, position);
}

int CTrackBar::Position() const { return static_cast<int>(::SendMessageA(window_, TBM_GETPOS, 0, 0)); }

void CTrackBar::SetSteps(int line, int page) {
  ::SendMessageA(window_, TBM_SETLINESIZE, 0, line);
  ::SendMessageA(window_, TBM_SETPAGESIZE, 0, page);
}

int CTrackBar::ChannelPixels() const {
  RECT channel{0, 0, 0, 0};
  ::SendMessageA(window_, TBM_GETCHANNELRECT, 0, reinterpret_cast<LPARAM>(&channel));
  return std::max<int>(1, channel.right - channel.left);
}

int CTrackBar::ValueAt(int x) const {
  RECT channel{0, 0, 0, 0};
  RECT thumb{0, 0, 0, 0};
  ::SendMessageA(window_, TBM_GETCHANNELRECT, 0, reinterpret_cast<LPARAM>(&channel));
  ::SendMessageA(window_, TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&thumb));
  const int low = static_cast<int>(::SendMessageA(window_, TBM_GETRANGEMIN, 0, 0));
  const int high = static_cast<int>(::SendMessageA(window_, TBM_GETRANGEMAX, 0, 0));
  return SliderValueAt(x, channel.left, channel.right, thumb.right - thumb.left, low, high);
}

void CTrackBar::ClearTicks(bool redraw) { ::SendMessageA(window_, TBM_CLEARTICS, redraw ? TRUE : FALSE, 0); }

void CTrackBar::SetTick(int position) { ::SendMessageA(window_, TBM_SETTIC, 0, position); }
