// The drag list's drawing: its rows, with the current row blue on yellow
// (in high contrast: the system's window colours swapped), and the picture
// of the dragged rows.
#include "ui/drag_list_ctrl.h"

#include <algorithm>
#include <cstdlib>

#include "framework/dpi.h"
#include "framework/high_contrast.h"
#include "framework/unique_handle.h"
#include "ui/row_move.h"

namespace {
constexpr COLORREF kYellow = RGB(255, 255, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr int kTextPadding = 4;  // pixels left and right of a cell's text, at 96 DPI

// How far apart two colours look, roughly.
int ColourDistance(COLORREF a, COLORREF b) {
  return std::abs(GetRValue(a) - GetRValue(b)) + std::abs(GetGValue(a) - GetGValue(b)) +
         std::abs(GetBValue(a) - GetBValue(b));
}

// The background of selected rows while the list has no focus: the
// inactive-border colour, unless a colour scheme makes it look like the
// window's own background, which would hide the selection.
COLORREF UnfocusedSelection() {
  const COLORREF window = ::GetSysColor(COLOR_WINDOW);
  for (int colour : {COLOR_INACTIVEBORDER, COLOR_BTNFACE, COLOR_BTNSHADOW}) {
    if (ColourDistance(::GetSysColor(colour), window) >= 48) return ::GetSysColor(colour);
  }
  return ::GetSysColor(COLOR_BTNSHADOW);
}

}  // namespace

// --- drawing -----------------------------------------------------------------

void CDragListCtrl::DrawCells(HDC dc, int row, RECT rowRect) const {
  const int padding = DpiScale(list_, kTextPadding);
  const int columns = GetColumnCount();
  int left = rowRect.left;
  for (int column = 0; column < columns; ++column) {
    LVCOLUMNA info{};
    info.mask = LVCF_FMT | LVCF_WIDTH;
    if (!::SendMessageA(list_, LVM_GETCOLUMNA, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&info))) break;
    RECT cell{left + padding, rowRect.top, left + info.cx - padding, rowRect.bottom};
    left += info.cx;
    if (cell.right <= cell.left) continue;
    UINT align = DT_LEFT;
    if ((info.fmt & LVCFMT_JUSTIFYMASK) == LVCFMT_RIGHT) align = DT_RIGHT;
    if ((info.fmt & LVCFMT_JUSTIFYMASK) == LVCFMT_CENTER) align = DT_CENTER;
    const std::string text = ItemText(list_, row, column);
    ::DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &cell,
                align | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
  }
}

void CDragListCtrl::DrawRow(const DRAWITEMSTRUCT& item) {
  if (item.itemAction == ODA_FOCUS) return;  // focus changes alone draw nothing
  const int row = static_cast<int>(item.itemID);
  const UINT state = GetItemState(row, LVIS_SELECTED | LVIS_FOCUSED | LVIS_DROPHILITED | DLIS_CURRENT);
  const bool current = (state & DLIS_CURRENT) != 0;
  const bool contrast = HighContrastOn();
  COLORREF text;
  COLORREF background;
  if (state & LVIS_SELECTED) {
    const bool focused = ::GetFocus() == list_;
    text = current && !contrast ? kYellow : ::GetSysColor(focused ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT);
    background = focused ? ::GetSysColor(COLOR_HIGHLIGHT) : UnfocusedSelection();
  } else if (current) {
    text = contrast ? ::GetSysColor(COLOR_WINDOW) : kBlue;
    background = contrast ? ::GetSysColor(COLOR_WINDOWTEXT) : kYellow;
  } else {
    text = ::GetSysColor(COLOR_WINDOWTEXT);
    background = ::GetSysColor(COLOR_WINDOW);
  }
  HDC dc = item.hDC;
  UniqueGdiObject brush(::CreateSolidBrush(background));
  ::FillRect(dc, &item.rcItem, static_cast<HBRUSH>(brush.get()));
  const int oldMode = ::SetBkMode(dc, TRANSPARENT);
  const COLORREF oldText = ::SetTextColor(dc, text);
  {
    HFONT font = reinterpret_cast<HFONT>(::SendMessageA(list_, WM_GETFONT, 0, 0));
    ScopedSelect selectFont(dc, font != nullptr ? static_cast<HGDIOBJ>(font) : ::GetStockObject(DEFAULT_GUI_FONT));
    DrawCells(dc, row, item.rcItem);
  }
  ::SetTextColor(dc, oldText);
  ::SetBkMode(dc, oldMode);
  if ((item.itemState & ODS_FOCUS) || ((state & LVIS_FOCUSED) && ::GetFocus() == list_)) {
    ::DrawFocusRect(dc, &item.rcItem);
  }
  if (state & LVIS_DROPHILITED) ::InvertRect(dc, &item.rcItem);
}

// --- dragging ----------------------------------------------------------------

bool CDragListCtrl::BuildDragImage(int pressedRow) {
  if (!floater_.IsCreated() && !floater_.Create(list_)) return false;
  RECT label{};
  label.left = LVIR_LABEL;
  if (!::SendMessageA(list_, LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&label))) return false;
  const int height = label.bottom - label.top;
  RECT client{};
  ::GetClientRect(list_, &client);
  const int width = client.right - client.left;
  const std::vector<int> selected = SelectedRows();
  if (height <= 0 || width <= 0 || selected.empty()) return false;

  // However many rows move, the picture holds only what fits on the screen:
  // the rows around the one the drag started on.
  const int before = static_cast<int>(std::lower_bound(selected.begin(), selected.end(), pressedRow) - selected.begin());
  const int capacity = std::max(1, ::GetSystemMetrics(SM_CYSCREEN) / height);
  const RowSpan shown = DragImageRows(static_cast<int>(selected.size()), before, capacity);

  RECT pressedBounds{};
  pressedBounds.left = LVIR_BOUNDS;
  ::SendMessageA(list_, LVM_GETITEMRECT, static_cast<WPARAM>(std::max(pressedRow, 0)),
                 reinterpret_cast<LPARAM>(&pressedBounds));
  POINT hotSpot{pressPoint_.x - pressedBounds.left, pressPoint_.y - (label.top + height * pressedRow)};
  hotSpot.y += height * (before - shown.first);

  CDib picture;
  if (!picture.Create(width, height * (shown.last - shown.first))) return false;
  HDC dc = picture.OpenDC();
  if (dc == nullptr) return false;
  {
    RECT all{0, 0, picture.Width(), picture.Height()};
    UniqueGdiObject green(::CreateSolidBrush(CFloaterWnd::kKeyColour));
    ::FillRect(dc, &all, static_cast<HBRUSH>(green.get()));
    ::SetTextColor(dc, kBlack);
    ::SetBkColor(dc, CFloaterWnd::kKeyColour);
    ::SetBkMode(dc, TRANSPARENT);
    HFONT font = reinterpret_cast<HFONT>(::SendMessageA(list_, WM_GETFONT, 0, 0));
    ScopedSelect selectFont(dc, font != nullptr ? static_cast<HGDIOBJ>(font) : ::GetStockObject(DEFAULT_GUI_FONT));
    for (int i = shown.first; i < shown.last; ++i) {
      const int top = height * (i - shown.first);
      DrawCells(dc, selected[i], RECT{0, top, width, top + height});
    }
  }
  picture.CloseDC();
  floater_.SetHotSpot(hotSpot);
  return floater_.SetPicture(picture);
}

