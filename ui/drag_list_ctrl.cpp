// The drag list: owner-drawn rows, reordering by drag and drop, drop
// notices to the parent.
#include "ui/drag_list_ctrl.h"

#include <windowsx.h>

#include <cstring>
#include <string>

#include "framework/window_hook.h"
#include "ui/row_move.h"

namespace {
// The row a point of a list's client area lies on, going by the rows'
// height alone; -1 below the last row.
int RowAt(HWND list, POINT client) {
  const int count = static_cast<int>(::SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
  if (count <= 0) return -1;
  const int top = static_cast<int>(::SendMessageA(list, LVM_GETTOPINDEX, 0, 0));
  RECT bounds{};
  bounds.left = LVIR_BOUNDS;
  if (!::SendMessageA(list, LVM_GETITEMRECT, static_cast<WPARAM>(top), reinterpret_cast<LPARAM>(&bounds))) {
    return -1;
  }
  const int height = bounds.bottom - bounds.top;
  if (height <= 0) return -1;
  if (client.y < bounds.top) return top;
  const int row = top + (client.y - bounds.top) / height;
  return row < count ? row : -1;
}

bool IsListView(HWND window) {
  char name[32] = {};
  ::GetClassNameA(window, name, sizeof name);
  return std::strcmp(name, WC_LISTVIEWA) == 0;
}

}  // namespace

std::string CDragListCtrl::ItemText(HWND list, int row, int column) {
  // The list view does not tell a text's length: grow until it fits (a path
  // of 259 characters may take four bytes a character).
  for (int size = 1040;; size *= 2) {
    std::string text(static_cast<size_t>(size), '\0');
    LVITEMA item{};
    item.iSubItem = column;
    item.pszText = &text[0];
    item.cchTextMax = size;
    const LRESULT copied =
        ::SendMessageA(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    if (copied < size - 1 || size >= (1 << 16)) {
      text.resize(static_cast<size_t>(copied > 0 ? copied : 0));
      return text;
    }
  }
}

CDragListCtrl::~CDragListCtrl() { Detach(); }

bool CDragListCtrl::Attach(HWND list) {
  Detach();
  HWND parent = list != nullptr ? ::GetParent(list) : nullptr;
  if (parent == nullptr) return false;
  const UINT_PTR id = reinterpret_cast<UINT_PTR>(this);
  if (!AddWindowHook(list, &CDragListCtrl::ListProc, id, reinterpret_cast<DWORD_PTR>(this))) return false;
  if (!AddWindowHook(parent, &CDragListCtrl::ParentProc, id, reinterpret_cast<DWORD_PTR>(this))) {
    RemoveWindowHook(list, &CDragListCtrl::ListProc, id);
    return false;
  }
  list_ = list;
  parent_ = parent;
  virtual_ = (::GetWindowLongPtrA(list, GWL_STYLE) & LVS_OWNERDATA) != 0;
  currentRow_ = -1;
  // The list asks for the current mark like for a text, so that anyone
  // reading the row's state sees it.
  if (virtual_) ::SendMessageA(list, LVM_SETCALLBACKMASK, DLIS_CURRENT, 0);
  return true;
}

void CDragListCtrl::Detach() {
  const UINT_PTR id = reinterpret_cast<UINT_PTR>(this);
  if (dragging_) CancelDrag();
  if (list_ != nullptr && ::IsWindow(list_)) RemoveWindowHook(list_, &CDragListCtrl::ListProc, id);
  if (parent_ != nullptr && ::IsWindow(parent_)) RemoveWindowHook(parent_, &CDragListCtrl::ParentProc, id);
  list_ = nullptr;
  parent_ = nullptr;
}

// --- state -------------------------------------------------------------------

void CDragListCtrl::InvalidateRow(int row) const {
  if (row < 0) return;
  RECT bounds{};
  bounds.left = LVIR_BOUNDS;
  if (::SendMessageA(list_, LVM_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&bounds))) {
    ::InvalidateRect(list_, &bounds, TRUE);
  }
}

bool CDragListCtrl::SetItemState(int row, UINT state, UINT mask) {
  if (list_ == nullptr) return false;
  if (virtual_ && (mask & DLIS_CURRENT) != 0) {
    const int old = currentRow_;
    if (state & DLIS_CURRENT) {
      currentRow_ = row;
    } else if (row == -1 || row == currentRow_) {
      currentRow_ = -1;
    }
    if (old != currentRow_) {
      InvalidateRow(old);
      InvalidateRow(currentRow_);
    }
    mask &= ~static_cast<UINT>(DLIS_CURRENT);
    if (mask == 0) return true;
  }
  if ((state & mask & DLIS_CURRENT) != 0) {
    // At most one current row: take the mark off whichever row has it.
    for (int other = FindCurrent(); other != -1; other = FindCurrent()) {
      LVITEMA clear{};
      clear.stateMask = DLIS_CURRENT;
      if (!::SendMessageA(list_, LVM_SETITEMSTATE, static_cast<WPARAM>(other), reinterpret_cast<LPARAM>(&clear))) {
        break;
      }
    }
  }
  LVITEMA item{};
  item.state = state;
  item.stateMask = mask;
  return ::SendMessageA(list_, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item)) != 0;
}

bool CDragListCtrl::SetStateAll(UINT state, UINT mask) {
  if (list_ == nullptr) return false;
  LVITEMA item{};
  item.state = state;
  item.stateMask = mask;
  return ::SendMessageA(list_, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&item)) != 0;
}

UINT CDragListCtrl::GetItemState(int row, UINT mask) const {
  if (list_ == nullptr) return 0;
  if (virtual_) {
    UINT state = static_cast<UINT>(::SendMessageA(list_, LVM_GETITEMSTATE, static_cast<WPARAM>(row),
                                                  mask & (LVIS_SELECTED | LVIS_FOCUSED)));
    if ((mask & DLIS_CURRENT) && row == currentRow_) state |= DLIS_CURRENT;
    if ((mask & LVIS_DROPHILITED) && dragging_ && row == ownDropRow_) state |= LVIS_DROPHILITED;
    return state;
  }
  return static_cast<UINT>(::SendMessageA(list_, LVM_GETITEMSTATE, static_cast<WPARAM>(row), mask));
}

int CDragListCtrl::GetItemCount() const {
  return list_ != nullptr ? static_cast<int>(::SendMessageA(list_, LVM_GETITEMCOUNT, 0, 0)) : 0;
}

int CDragListCtrl::GetColumnCount() const {
  if (list_ == nullptr) return 0;
  HWND header = reinterpret_cast<HWND>(::SendMessageA(list_, LVM_GETHEADER, 0, 0));
  return header != nullptr ? static_cast<int>(::SendMessageA(header, HDM_GETITEMCOUNT, 0, 0)) : 0;
}

int CDragListCtrl::FindFocused() const {
  if (list_ == nullptr) return -1;
  return static_cast<int>(::SendMessageA(list_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
}

int CDragListCtrl::GetFirstSelected() const {
  if (list_ == nullptr) return -1;
  return static_cast<int>(::SendMessageA(list_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

int CDragListCtrl::FindCurrent() const {
  if (virtual_) return currentRow_ < GetItemCount() ? currentRow_ : -1;
  const int count = GetItemCount();
  for (int row = 0; row < count; ++row) {
    if (GetItemState(row, DLIS_CURRENT) & DLIS_CURRENT) return row;
  }
  return -1;
}

LPARAM CDragListCtrl::GetItemData(int row) const {
  if (list_ == nullptr) return 0;
  LVITEMA item{};
  item.mask = LVIF_PARAM;
  item.iItem = row;
  if (!::SendMessageA(list_, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item))) return 0;
  return item.lParam;
}

std::vector<int> CDragListCtrl::SelectedRows() const {
  std::vector<int> rows;
  if (list_ == nullptr) return rows;
  const int count = GetItemCount();
  const int selected = static_cast<int>(::SendMessageA(list_, LVM_GETSELECTEDCOUNT, 0, 0));
  if (virtual_ && selected > count / 4) {
    // Many selected rows of a virtual list: asking each row is cheaper than
    // searching from row to row, which starts over in such a list.
    for (int row = 0; row < count && static_cast<int>(rows.size()) < selected; ++row) {
      if (::SendMessageA(list_, LVM_GETITEMSTATE, static_cast<WPARAM>(row), LVIS_SELECTED) & LVIS_SELECTED) {
        rows.push_back(row);
      }
    }
    return rows;
  }
  for (int row = static_cast<int>(::SendMessageA(list_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
       row != -1;
       row = static_cast<int>(::SendMessageA(list_, LVM_GETNEXTITEM, static_cast<WPARAM>(row), LVNI_SELECTED))) {
    if (!rows.empty() && row <= rows.back()) break;  // a list that wraps around must not loop
    rows.push_back(row);
  }
  return rows;
}

int CDragListCtrl::RowAtPoint(POINT client) const { return list_ != nullptr ? RowAt(list_, client) : -1; }

void CDragListCtrl::BeginDrag() {
  if (!dragEnabled_ || dragging_) return;
  dragging_ = true;
  ownDropRow_ = -1;
  otherDropRow_ = -1;
  otherList_ = nullptr;
  if (!BuildDragImage(RowAtPoint(pressPoint_))) {
    // Without a picture the drag still works; there is just nothing to see.
    floater_.Hide();
  }
  POINT origin{0, 0};
  ::ClientToScreen(list_, &origin);
  floater_.SetListOrigin(origin);
  if (floater_.IsCreated() && !floater_.Picture().IsEmpty()) floater_.MoveTo(pressPoint_);
  ::SetCapture(list_);
}

void CDragListCtrl::SetDropHighlight(HWND list, int& row, int newRow) {
  if (row == newRow) return;
  if (list == list_ && virtual_) {  // a virtual list keeps no such state: drawn from ownDropRow_
    InvalidateRow(row);
    row = newRow;
    InvalidateRow(row);
    return;
  }
  LVITEMA item{};
  item.stateMask = LVIS_DROPHILITED;
  if (row != -1) {
    item.state = 0;
    ::SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
  }
  row = newRow;
  if (row != -1) {
    item.state = LVIS_DROPHILITED;
    ::SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
  }
}

void CDragListCtrl::DragMove(POINT mouse) {
  POINT origin{0, 0};
  ::ClientToScreen(list_, &origin);
  floater_.SetListOrigin(origin);
  if (!floater_.Picture().IsEmpty()) floater_.MoveTo(mouse);

  POINT cursor = mouse;
  ::ClientToScreen(list_, &cursor);
  POINT inParent = cursor;
  ::ScreenToClient(parent_, &inParent);
  HWND child = ::ChildWindowFromPointEx(parent_, inParent, CWP_SKIPINVISIBLE | CWP_SKIPTRANSPARENT);
  if (child == parent_) child = nullptr;
  if (child != otherList_ && otherList_ != nullptr) {
    SetDropHighlight(otherList_, otherDropRow_, -1);
    otherList_ = nullptr;
    otherDropRow_ = -1;
  }
  if (child == nullptr || child == list_) {
    RECT client{};
    ::GetClientRect(list_, &client);
    const int row = ::PtInRect(&client, mouse) ? RowAtPoint(mouse) : -1;
    if (row != ownDropRow_) {
      if (row != -1) ::SendMessageA(list_, LVM_ENSUREVISIBLE, static_cast<WPARAM>(row), FALSE);
      SetDropHighlight(list_, ownDropRow_, row);
      ::UpdateWindow(list_);
    }
    return;
  }
  if (dropOnOthers_ && IsListView(child)) {
    otherList_ = child;
    POINT inOther = cursor;
    ::ScreenToClient(child, &inOther);
    SetDropHighlight(child, otherDropRow_, RowAt(child, inOther));
    ::UpdateWindow(child);
  }
  SetDropHighlight(list_, ownDropRow_, -1);
}

void CDragListCtrl::StopDragging() {
  dragging_ = false;
  if (otherList_ != nullptr && ::IsWindow(otherList_)) SetDropHighlight(otherList_, otherDropRow_, -1);
  SetDropHighlight(list_, ownDropRow_, -1);
  otherList_ = nullptr;
  otherDropRow_ = -1;
  floater_.Hide();
  if (::GetCapture() == list_) ::ReleaseCapture();
}

void CDragListCtrl::CancelDrag() {
  if (!dragging_) return;
  StopDragging();
}

void CDragListCtrl::EndDrag(POINT release) {
  StopDragging();
  RECT client{};
  ::GetClientRect(list_, &client);
  if (!::PtInRect(&client, release)) {
    POINT inParent = release;
    ::MapWindowPoints(list_, parent_, &inParent, 1);
    DragListDropOutside drop{};
    drop.x = inParent.x;
    drop.y = inParent.y;
    Notify(DLN_DROPOUTSIDE, &drop.header);
    return;
  }
  const int row = RowAtPoint(release);
  MoveSelectedRows(row == -1 ? GetItemCount() : row);
}

LRESULT CDragListCtrl::Notify(int code, NMHDR* header) {
  const int id = ::GetDlgCtrlID(list_);
  header->hwndFrom = list_;
  header->idFrom = static_cast<UINT_PTR>(id);
  header->code = static_cast<UINT>(code);
  const WPARAM wParam = MAKEWPARAM(static_cast<WORD>(id), static_cast<WORD>(code));
  return ::SendMessageA(parent_, WM_NOTIFY, wParam, reinterpret_cast<LPARAM>(header));
}

void CDragListCtrl::MoveSelectedRows(int target) {
  // The system codes come with a whole NMLISTVIEW (for all rows), so a
  // parent that reads one as such reads nothing undefined.
  NMLISTVIEW changing{};
  changing.iItem = -1;
  Notify(LVN_ITEMCHANGING, &changing.hdr);
  NMHDR start{};
  Notify(DLN_MOVESTART, &start);

  const int count = GetItemCount();
  std::vector<bool> selected(static_cast<size_t>(count), false);
  const std::vector<int> selectedRows = SelectedRows();
  for (int row : selectedRows) {
    if (row < count) selected[row] = true;
  }
  const std::vector<int> order = MovedRowOrder(selected, target);
  lastMoveOrder_ = order;
  const RowSpan changed = ChangedSpan(order);
  if (virtual_) {
    MoveVirtualRows(order, selectedRows);
  } else if (changed.last > changed.first) {
    // Read the rows that change, then write them in their new places: each
    // row is touched once, however many rows move.
    struct Row {
      LPARAM data;
      UINT state;
      std::vector<std::string> texts;
    };
    const int columns = textsFromParent_ ? 0 : GetColumnCount();
    std::vector<Row> rows;
    rows.reserve(static_cast<size_t>(changed.last - changed.first));
    for (int i = changed.first; i < changed.last; ++i) {
      Row row{GetItemData(i), GetItemState(i, 0xFFFF) & ~static_cast<UINT>(DLIS_MOVED), {}};
      for (int column = 0; column < columns; ++column) row.texts.push_back(ItemText(list_, i, column));
      rows.push_back(std::move(row));
    }
    moving_ = true;
    ::SendMessageA(list_, WM_SETREDRAW, FALSE, 0);
    for (int i = changed.first; i < changed.last; ++i) {
      const Row& row = rows[static_cast<size_t>(order[i] - changed.first)];
      LVITEMA item{};
      item.mask = LVIF_PARAM | LVIF_STATE;
      item.iItem = i;
      item.lParam = row.data;
      item.state = row.state;
      item.stateMask = 0xFFFF;
      ::SendMessageA(list_, LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item));
      for (int column = 0; column < columns; ++column) {
        LVITEMA text{};
        text.iSubItem = column;
        text.pszText = const_cast<char*>(row.texts[static_cast<size_t>(column)].c_str());
        ::SendMessageA(list_, LVM_SETITEMTEXTA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&text));
      }
    }
    ::SendMessageA(list_, WM_SETREDRAW, TRUE, 0);
    moving_ = false;
    ::InvalidateRect(list_, nullptr, TRUE);
  }

  NMHDR end{};
  Notify(DLN_MOVEEND, &end);
  NMLISTVIEW changed2{};
  changed2.iItem = -1;
  Notify(LVN_ITEMCHANGED, &changed2.hdr);
}

void CDragListCtrl::MoveVirtualRows(const std::vector<int>& order, const std::vector<int>& selectedBefore) {
  // The parent reorders its rows from LastMoveOrder; here the selection,
  // the focus and the current mark follow the rows to their new places.
  const int focused = FindFocused();
  std::vector<int> newIndex(order.size());
  for (size_t i = 0; i < order.size(); ++i) newIndex[static_cast<size_t>(order[i])] = static_cast<int>(i);
  moving_ = true;
  ::SendMessageA(list_, WM_SETREDRAW, FALSE, 0);
  // The old selection goes at once by passing through an empty list
  // (clearing "all rows" would visit every row); the view stays where it was.
  const int count = GetItemCount();
  const int top = static_cast<int>(::SendMessageA(list_, LVM_GETTOPINDEX, 0, 0));
  ::SendMessageA(list_, LVM_SETITEMCOUNT, 0, 0);
  ::SendMessageA(list_, LVM_SETITEMCOUNT, static_cast<WPARAM>(count), LVSICF_NOSCROLL);
  RECT rowRect{};
  rowRect.left = LVIR_BOUNDS;
  if (top > 0 && ::SendMessageA(list_, LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&rowRect))) {
    const int now = static_cast<int>(::SendMessageA(list_, LVM_GETTOPINDEX, 0, 0));
    ::SendMessageA(list_, LVM_SCROLL, 0, (top - now) * (rowRect.bottom - rowRect.top));
  }
  std::vector<int> selectedNow;
  for (int row : selectedBefore) selectedNow.push_back(newIndex[static_cast<size_t>(row)]);
  LVITEMA on{};
  on.state = on.stateMask = LVIS_SELECTED;
  for (int row : selectedNow) ::SendMessageA(list_, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&on));
  if (focused >= 0 && static_cast<size_t>(focused) < newIndex.size()) {
    LVITEMA focus{};
    focus.state = focus.stateMask = LVIS_FOCUSED;
    ::SendMessageA(list_, LVM_SETITEMSTATE, static_cast<WPARAM>(newIndex[static_cast<size_t>(focused)]),
                   reinterpret_cast<LPARAM>(&focus));
  }
  if (currentRow_ >= 0 && static_cast<size_t>(currentRow_) < newIndex.size()) {
    currentRow_ = newIndex[static_cast<size_t>(currentRow_)];
  }
  ::SendMessageA(list_, WM_SETREDRAW, TRUE, 0);
  moving_ = false;
  ::InvalidateRect(list_, nullptr, TRUE);
}

// --- messages ----------------------------------------------------------------

LRESULT CDragListCtrl::OnListMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) {
  handled = false;
  const POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  switch (message) {
    case WM_LBUTTONDOWN:
      pressPoint_ = point;
      break;
    case WM_MOUSEMOVE:
      if (dragging_) {
        DragMove(point);
        handled = true;
      }
      break;
    case WM_LBUTTONUP:
      // The list sees the release too, so that it knows its own drag
      // detection is over.
      if (dragging_) EndDrag(point);
      break;
    case WM_RBUTTONDOWN:
      if (dragging_) {
        CancelDrag();
        handled = true;
      }
      break;
    case WM_KEYDOWN:
      if (dragging_ && wParam == VK_ESCAPE) {
        CancelDrag();
        handled = true;
      }
      break;
    case WM_GETDLGCODE:
      if (dragging_) {
        handled = true;
        return DLGC_WANTALLKEYS;  // Escape ends the drag, not the dialog
      }
      break;
    case WM_CAPTURECHANGED:
      if (dragging_ && reinterpret_cast<HWND>(lParam) != list_) CancelDrag();
      break;
    default:
      break;
  }
  return 0;
}

LRESULT CALLBACK CDragListCtrl::ListProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                         DWORD_PTR data) {
  auto* self = reinterpret_cast<CDragListCtrl*>(data);
  if (message == WM_NCDESTROY) {
    if (self->dragging_) self->StopDragging();
    RemoveWindowHook(window, &CDragListCtrl::ListProc, id);
    self->list_ = nullptr;
    return CallNextWindowHook(window, message, wParam, lParam);
  }
  bool handled = false;
  const LRESULT result = self->OnListMessage(message, wParam, lParam, handled);
  if (handled) return result;
  return CallNextWindowHook(window, message, wParam, lParam);
}

LRESULT CALLBACK CDragListCtrl::ParentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                           DWORD_PTR data) {
  auto* self = reinterpret_cast<CDragListCtrl*>(data);
  switch (message) {
    case WM_DRAWITEM: {
      const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
      if (item != nullptr && item->CtlType == ODT_LISTVIEW && item->hwndItem == self->list_) {
        self->DrawRow(*item);
        return TRUE;
      }
      break;
    }
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lParam);
      if (header == nullptr || header->hwndFrom != self->list_ || self->list_ == nullptr) break;
      if (header->code == LVN_BEGINDRAG) {
        self->BeginDrag();
        return 0;
      }
      if (self->virtual_ && (header->code == LVN_GETDISPINFOA || header->code == LVN_GETDISPINFOW)) {
        // NMLVDISPINFOA and W agree up to the state fields.
        auto* info = reinterpret_cast<NMLVDISPINFOA*>(lParam);
        if ((info->item.mask & LVIF_STATE) && (info->item.stateMask & DLIS_CURRENT) &&
            info->item.iItem == self->currentRow_) {
          info->item.state |= DLIS_CURRENT;
        }
      }
      // The rows being rewritten by a move are one change for the parent.
      if (self->moving_ && (header->code == LVN_ITEMCHANGING || header->code == LVN_ITEMCHANGED)) return 0;
      break;
    }
    case WM_NCDESTROY:
      RemoveWindowHook(window, &CDragListCtrl::ParentProc, id);
      self->parent_ = nullptr;
      break;
    default:
      break;
  }
  return CallNextWindowHook(window, message, wParam, lParam);
}
