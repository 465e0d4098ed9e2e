// The play list editor's tool tips (one per visible row position, naming
// the file shown there) and its saved layout.
#include "ui/play_list_edit_dlg.h"

#include <commctrl.h>

#include <algorithm>
#include <iterator>

#include "common/resource.h"
#include "framework/dpi.h"

namespace {
// What the saved pane widths lose to borders and the other columns (pixels
// at 96 DPI).
constexpr int kListColumnMargin = 17;
constexpr int kFileColumnMargin = 58;

const int kLayoutIds[] = {IDC_PLAYLISTS, IDC_SOUNDFILES, IDOK, IDCANCEL, IDC_PLAYLIST_SPLITTER};

int Width(const SettingsRect& r) { return r[kRectRight] - r[kRectLeft]; }

bool SaneRect(const SettingsRect& r) {
  const int width = Width(r);
  const int height = r[kRectBottom] - r[kRectTop];
  return width > 0 && height > 0 && width < 32768 && height < 32768;
}
}  // namespace

// --- tool tips -------------------------------------------------------------------

void CPlayListEditDlg::MakeToolTips() {
  if (!toolTip_) return;
  HWND pane = files_.Handle();
  TOOLINFOA tool{};
  tool.cbSize = TTTOOLINFOA_V2_SIZE;
  tool.hwnd = pane;
  for (int i = 1; i <= toolCount_; ++i) {
    tool.uId = static_cast<UINT_PTR>(i);
    ::SendMessageA(toolTip_.get(), TTM_DELTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
  }
  toolCount_ = 0;
  lastScroll_ = -1;
  RECT row{};
  row.left = LVIR_BOUNDS;
  if (shown_.empty() || !::SendMessageA(pane, LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&row))) return;
  const int height = row.bottom - row.top;
  const int top = static_cast<int>(::SendMessageA(pane, LVM_GETTOPINDEX, 0, 0));
  const int firstTop = row.top + height * top;  // row 0 may lie scrolled above
  RECT client{};
  ::GetClientRect(pane, &client);
  // One tool per row position that can be seen; their texts follow the scrolling.
  const int positions = height > 0 ? (client.bottom - firstTop) / height + 1 : 0;
  for (int i = 1; i <= positions; ++i) {
    tool.uId = static_cast<UINT_PTR>(i);
    tool.rect = {client.left, firstTop + height * (i - 1), client.right, firstTop + height * i};
    tool.lpszText = const_cast<char*>("");
    ::SendMessageA(toolTip_.get(), TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
  }
  toolCount_ = positions;
  CheckToolTipScroll(true);
}

void CPlayListEditDlg::CheckToolTipScroll(bool force) {
  if (!toolTip_ || toolCount_ == 0) return;
  const int top = static_cast<int>(::SendMessageA(files_.Handle(), LVM_GETTOPINDEX, 0, 0));
  if (!force && top == lastScroll_) return;
  lastScroll_ = top;
  TOOLINFOA tool{};
  tool.cbSize = TTTOOLINFOA_V2_SIZE;
  tool.hwnd = files_.Handle();
  for (int i = 1; i <= toolCount_; ++i) {
    const size_t row = static_cast<size_t>(top + i - 1);
    tool.uId = static_cast<UINT_PTR>(i);
    tool.lpszText = const_cast<char*>(row < shown_.size() ? shown_[row].path.c_str() : "");
    ::SendMessageA(toolTip_.get(), TTM_UPDATETIPTEXTA, 0, reinterpret_cast<LPARAM>(&tool));
  }
}

void CPlayListEditDlg::RestoreLayout() {
  auto& rects = host_.PlayListRects();
  SettingsRect& frame = rects[0];
  if (frame[kRectLeft] == frame[kRectRight]) return;
  for (const SettingsRect& rect : rects) {
    if (!SaneRect(rect)) return;  // a damaged settings file: keep the template's layout
  }
  // Onto the desktop, in the settings too.
  RECT desktop{};
  ::GetWindowRect(::GetDesktopWindow(), &desktop);
  auto shift = [&](int lowSide, int highSide, LONG low, LONG high) {
    if (frame[highSide] > high) {
      frame[lowSide] -= frame[highSide] - high;
      frame[highSide] = high;
    }
    if (frame[lowSide] < low) {
      frame[highSide] += low - frame[lowSide];
      frame[lowSide] = low;
    }
  };
  shift(kRectLeft, kRectRight, desktop.left, desktop.right);
  shift(kRectTop, kRectBottom, desktop.top, desktop.bottom);
  ::MoveWindow(Handle(), frame[kRectLeft], frame[kRectTop], frame[kRectRight] - frame[kRectLeft],
               frame[kRectBottom] - frame[kRectTop], TRUE);
  for (size_t i = 0; i < std::size(kLayoutIds); ++i) {
    const SettingsRect& r = rects[i + 1];
    ::MoveWindow(Item(kLayoutIds[i]), r[kRectLeft], r[kRectTop], r[kRectRight] - r[kRectLeft],
                 r[kRectBottom] - r[kRectTop], TRUE);
  }
  ::SendMessageA(lists_.Handle(), LVM_SETCOLUMNWIDTH, 0,
                 MAKELPARAM(std::max(0, Width(rects[1]) - DpiScale(Handle(), kListColumnMargin)), 0));
  ::SendMessageA(files_.Handle(), LVM_SETCOLUMNWIDTH, 0,
                 MAKELPARAM(std::max(0, Width(rects[2]) - DpiScale(Handle(), kFileColumnMargin)), 0));
  layout_.RefreshRects();
  MakeToolTips();
}

void CPlayListEditDlg::SaveLayout() {
  auto& rects = host_.PlayListRects();
  RECT window{};
  ::GetWindowRect(Handle(), &window);
  rects[0] = {window.left, window.top, window.right, window.bottom};
  for (size_t i = 0; i < std::size(kLayoutIds); ++i) {
    RECT r{};
    ::GetWindowRect(Item(kLayoutIds[i]), &r);
    ::MapWindowPoints(nullptr, Handle(), reinterpret_cast<POINT*>(&r), 2);
    rects[i + 1] = {r.left, r.top, r.right, r.bottom};
  }
}

void CPlayListEditDlg::KeepOnScreen() {
  RECT r{};
  ::GetWindowRect(Handle(), &r);
  int dx = 0;
  int dy = 0;
  if (r.left < 0) {
    dx = -r.left;
  } else if (r.right > ::GetSystemMetrics(SM_CXSCREEN)) {
    dx = ::GetSystemMetrics(SM_CXSCREEN) - r.right;
  }
  if (r.top < 0) {
    dy = -r.top;
  } else if (r.bottom > ::GetSystemMetrics(SM_CYSCREEN)) {
    dy = ::GetSystemMetrics(SM_CYSCREEN) - r.bottom;
  }
  if (dx != 0 || dy != 0) {
    ::SetWindowPos(Handle(), nullptr, r.left + dx, r.top + dy, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
}
