// Anchors and splitter bars of a resizable dialog.
#include "ui/dialog_layout.h"

#include <commctrl.h>

#include <algorithm>
#include <cstring>

#include "framework/dpi.h"

namespace {
bool IsListView(HWND window) {
  char name[32] = {};
  ::GetClassNameA(window, name, sizeof name);
  return std::strcmp(name, WC_LISTVIEWA) == 0;
}

// A list-view's first column follows the control's width.
void WidenFirstColumn(HWND control, int change) {
  if (change == 0 || !IsListView(control)) return;
  const int width = static_cast<int>(::SendMessageA(control, LVM_GETCOLUMNWIDTH, 0, 0));
  ::SendMessageA(control, LVM_SETCOLUMNWIDTH, 0, MAKELPARAM(std::max(0, width + change), 0));
}

struct ChildSearch {
  HWND dialog;
  std::vector<HWND> children;
};

BOOL CALLBACK CollectChild(HWND window, LPARAM state) {
  auto* search = reinterpret_cast<ChildSearch*>(state);
  if (::GetParent(window) == search->dialog) search->children.push_back(window);
  return TRUE;
}
}  // namespace

LayoutRect CDialogLayout::ReadRect(HWND control) const {
  RECT rect{};
  ::GetWindowRect(control, &rect);
  ::MapWindowPoints(nullptr, dialog_, reinterpret_cast<POINT*>(&rect), 2);
  return {rect.left, rect.top, rect.right, rect.bottom};
}

void CDialogLayout::Init(HWND dialog) {
  dialog_ = dialog;
  entries_.clear();
  splitters_.clear();
  hot_ = nullptr;
  dragging_ = false;
  ChildSearch search{dialog, {}};
  ::EnumChildWindows(dialog, &CollectChild, reinterpret_cast<LPARAM>(&search));
  for (HWND child : search.children) {
    int id = ::GetDlgCtrlID(child);
    if (id == 0xFFFF) id = -1;  // unnamed statics
    entries_.push_back({id, child, ReadRect(child), kAnchorDefault});
  }
  std::stable_sort(entries_.begin(), entries_.end(), [](const Entry& a, const Entry& b) { return a.id < b.id; });
  RECT client{};
  ::GetClientRect(dialog, &client);
  client_ = {client.right, client.bottom};
  RECT window{};
  ::GetWindowRect(dialog, &window);
  initialWindow_ = {window.right - window.left, window.bottom - window.top};
  initialised_ = true;
}

CDialogLayout::Entry* CDialogLayout::Find(int id) {
  auto it = std::lower_bound(entries_.begin(), entries_.end(), id,
                             [](const Entry& entry, int value) { return entry.id < value; });
  return it != entries_.end() && it->id == id ? &*it : nullptr;
}

const CDialogLayout::Entry* CDialogLayout::Find(int id) const {
  return const_cast<CDialogLayout*>(this)->Find(id);
}

bool CDialogLayout::SetAnchor(int id, int anchor) {
  Entry* entry = Find(id);
  if (entry == nullptr) return false;
  entry->anchor = anchor;
  entry->rect = ReadRect(entry->window);
  return true;
}

void CDialogLayout::AddSplitter(int splitterId, int orientation, std::initializer_list<int> ids) {
  Splitter splitter{splitterId, orientation, {}};
  for (int id : ids) {
    if (Find(id) == nullptr) break;
    splitter.controls.push_back(id);
  }
  auto at = std::lower_bound(splitters_.begin(), splitters_.end(), splitterId,
                             [](const Splitter& s, int value) { return s.id < value; });
  hot_ = nullptr;  // the vector may move
  splitters_.insert(at, std::move(splitter));
}

void CDialogLayout::Place(Entry& entry, const LayoutRect& rect) {
  const int widthChange = rect.Width() - entry.rect.Width();
  entry.rect = rect;
  ::MoveWindow(entry.window, rect.left, rect.top, rect.Width(), rect.Height(), FALSE);
  WidenFirstColumn(entry.window, widthChange);
}

bool CDialogLayout::OnSize(UINT type, int cx, int cy) {
  if (!initialised_) return false;
  if (type != SIZE_RESTORED && type != SIZE_MAXIMIZED) return true;
  if (type == SIZE_MAXIMIZED) {
    RECT client{};
    ::GetClientRect(dialog_, &client);
    cx = client.right;
    cy = client.bottom;
  }
  const int dx = cx - client_.cx;
  const int dy = cy - client_.cy;
  for (Entry& entry : entries_) {
    if (entry.id == -1) continue;
    if (!::IsWindow(entry.window)) return false;
    if (dx == 0 && dy == 0) continue;
    Place(entry, AnchoredRect(entry.rect, entry.anchor, dx, dy));
  }
  client_ = {cx, cy};
  ::RedrawWindow(dialog_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  return true;
}

int CDialogLayout::MinPaneSize() const { return DpiScale(dialog_, kMinPaneSize); }

std::vector<LayoutRect> CDialogLayout::GroupRects(const Splitter& splitter) const {
  std::vector<LayoutRect> rects;
  for (int id : splitter.controls) {
    if (const Entry* entry = Find(id)) rects.push_back(entry->rect);
  }
  return rects;
}

void CDialogLayout::GetMinMaxInfo(MINMAXINFO* info) const {
  if (!initialised_ || info == nullptr) return;
  info->ptMinTrackSize.x = initialWindow_.cx;
  info->ptMinTrackSize.y = initialWindow_.cy;
  RECT window{};
  ::GetWindowRect(dialog_, &window);
  for (int orientation : {kSplitterVertical, kSplitterHorizontal}) {
    // The outermost bar of this orientation: furthest right, or lowest.
    const Splitter* outer = nullptr;
    const Entry* outerBar = nullptr;
    for (const Splitter& splitter : splitters_) {
      const Entry* bar = Find(splitter.id);
      if (splitter.orientation != orientation || bar == nullptr) continue;
      const int edge = orientation == kSplitterVertical ? bar->rect.right : bar->rect.bottom;
      const int best = outerBar == nullptr ? 0
                       : orientation == kSplitterVertical ? outerBar->rect.right : outerBar->rect.bottom;
      if (outerBar == nullptr || edge > best) {
        outer = &splitter;
        outerBar = bar;
      }
    }
    if (outer == nullptr) continue;
    if (orientation == kSplitterVertical) {
      info->ptMinTrackSize.x = MinimumExtent(initialWindow_.cx, window.right - window.left, outerBar->rect,
                                             orientation, GroupRects(*outer), MinPaneSize());
    } else {
      info->ptMinTrackSize.y = MinimumExtent(initialWindow_.cy, window.bottom - window.top, outerBar->rect,
                                             orientation, GroupRects(*outer), MinPaneSize());
    }
  }
}

bool CDialogLayout::OnSetCursor() {
  if (hot_ == nullptr && !dragging_) return false;
  const Splitter* splitter = hot_;
  if (splitter == nullptr) return false;
  ::SetCursor(::LoadCursorA(nullptr, splitter->orientation == kSplitterVertical ? IDC_SIZEWE : IDC_SIZENS));
  return true;
}

bool CDialogLayout::OnMouseMove(int x, int y) {
  if (!initialised_) return false;
  if (dragging_ && hot_ != nullptr) {
    const int delta = hot_->orientation == kSplitterVertical ? x - last_.x : y - last_.y;
    last_ = {x, y};
    DragBy(delta);
    return true;
  }
  hot_ = nullptr;
  for (const Splitter& splitter : splitters_) {
    const Entry* bar = Find(splitter.id);
    if (bar == nullptr) continue;
    if (x >= bar->rect.left && x < bar->rect.right && y >= bar->rect.top && y < bar->rect.bottom) {
      hot_ = &splitter;
      break;
    }
  }
  if (hot_ == nullptr) return false;
  OnSetCursor();
  return true;
}

bool CDialogLayout::OnLButtonDown(int x, int y) {
  if (!initialised_ || hot_ == nullptr) return false;
  LayoutRect area;
  if (!SplitterDragArea(GroupRects(*hot_), hot_->orientation, MinPaneSize(), area)) return false;
  dragging_ = true;
  last_ = {x, y};
  OnSetCursor();
  ::SetCapture(dialog_);
  POINT corners[2] = {{area.left, area.top}, {area.right, area.bottom}};
  // Only the dragged axis is limited; the other stays the screen's.
  if (hot_->orientation == kSplitterVertical) {
    ::ClientToScreen(dialog_, &corners[0]);
    ::ClientToScreen(dialog_, &corners[1]);
    corners[0].y = -32767;
    corners[1].y = 32767;
  } else {
    ::ClientToScreen(dialog_, &corners[0]);
    ::ClientToScreen(dialog_, &corners[1]);
    corners[0].x = -32767;
    corners[1].x = 32767;
  }
  RECT clip{corners[0].x, corners[0].y, corners[1].x, corners[1].y};
  ::ClipCursor(&clip);
  return true;
}

bool CDialogLayout::OnLButtonUp(int, int) {
  if (!dragging_) return false;
  CancelDrag();
  return true;
}

void CDialogLayout::CancelDrag() {
  if (!dragging_) return;
  dragging_ = false;
  ::ClipCursor(nullptr);
  if (::GetCapture() == dialog_) ::ReleaseCapture();
}

void CDialogLayout::DragBy(int delta) {
  if (delta == 0 || hot_ == nullptr) return;
  Entry* bar = Find(hot_->id);
  if (bar == nullptr) return;
  std::vector<LayoutRect> rects = GroupRects(*hot_);
  delta = SplitterStep(bar->rect, hot_->orientation, delta, MinPaneSize(), rects);
  if (delta == 0) return;
  size_t i = 0;
  for (int id : hot_->controls) {
    if (Entry* entry = Find(id)) Place(*entry, rects[i++]);
  }
  LayoutRect moved = bar->rect;
  if (hot_->orientation == kSplitterVertical) {
    moved.left += delta;
    moved.right += delta;
  } else {
    moved.top += delta;
    moved.bottom += delta;
  }
  Place(*bar, moved);
  for (int id : hot_->controls) {
    if (const Entry* entry = Find(id)) ::RedrawWindow(entry->window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_UPDATENOW | RDW_ALLCHILDREN);
  }
  ::RedrawWindow(dialog_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

void CDialogLayout::RefreshRects() {
  for (Entry& entry : entries_) {
    if (::IsWindow(entry.window)) entry.rect = ReadRect(entry.window);
  }
  RECT client{};
  ::GetClientRect(dialog_, &client);
  client_ = {client.right, client.bottom};
}
