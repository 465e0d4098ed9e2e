// A report-view list (SysListView32) whose rows are drawn by the program,
// with a "current" row drawn blue on yellow (the system's colours swapped in
// high contrast), whose selected rows the user reorders by dragging them,
// and which tells its parent when rows were dropped outside it (onto
// another list, say).
//
// The control subclasses both the list and its parent: the parent's
// WM_DRAWITEM for the list and the list's LVN_BEGINDRAG are handled here and
// never reach the parent's own procedure. Everything else the parent sees as
// usual, plus the notifications below (WM_NOTIFY, sent):
//   LVN_ITEMCHANGING, DLN_MOVESTART, (rows move), DLN_MOVEEND, LVN_ITEMCHANGED
//     around a move inside the list; the two system codes carry an
//     NMLISTVIEW with iItem -1 (all rows): read the list for the selection.
//     The per-row change notices of the move itself are not passed on.
//   DLN_DROPOUTSIDE with a DragListDropOutside: the selected rows were
//     dropped elsewhere; the parent decides what lies there.
// A virtual list (LVS_OWNERDATA) works too: its parent keeps the rows, the
// control keeps the current row and, after a move, the new order
// (LastMoveOrder), which the parent applies on DLN_MOVEEND.
// User-interface thread only.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <string>
#include <vector>

#include "ui/floater_wnd.h"

// Row state bits of the program's own, beside the system's LVIS_ bits.
constexpr UINT DLIS_CURRENT = 0x80;  // the current row; at most one has it
constexpr UINT DLIS_MOVED = 0x8000;  // reserved for rows moving in a drag; never left set

// Notification codes (WM_NOTIFY to the parent).
constexpr int DLN_DROPOUTSIDE = -201;
constexpr int DLN_MOVESTART = -202;
constexpr int DLN_MOVEEND = -203;

// DLN_DROPOUTSIDE: the drop point in the parent's client coordinates.
struct DragListDropOutside {
  NMHDR header;
  int32_t reserved1;
  int32_t reserved2;
  int32_t x;
  int32_t y;
};

class CDragListCtrl {
 public:
  CDragListCtrl() = default;
  CDragListCtrl(const CDragListCtrl&) = delete;
  CDragListCtrl& operator=(const CDragListCtrl&) = delete;
  ~CDragListCtrl();

  // Takes over a dialog's list-view control (report view, owner-drawn fixed
  // rows). False when `list` is not a window with a parent.
  bool Attach(HWND list);
  void Detach();
  HWND Handle() const { return list_; }

  void EnableDrag(bool enable) { dragEnabled_ = enable; }
  void EnableDropOnOtherLists(bool enable) { dropOnOthers_ = enable; }
  // Rows whose texts the parent supplies (LPSTR_TEXTCALLBACK in every
  // column, answered from the row's item data): a move then rewrites only
  // the rows' data and state, not their texts.
  void SetTextsFromParent(bool fromParent) { textsFromParent_ = fromParent; }

  // As the system's LVM_SETITEMSTATE (row -1: every row), except that setting
  // DLIS_CURRENT on a row first clears it on the row that had it.
  bool SetItemState(int row, UINT state, UINT mask);
  bool SetItemStateBits(int row, UINT bits) { return SetItemState(row, bits, bits); }
  bool ClearItemStateBits(int row, UINT bits) { return SetItemState(row, 0, bits); }
  // The system's state change on every row.
  bool SetStateAll(UINT state, UINT mask);
  UINT GetItemState(int row, UINT mask) const;

  int GetItemCount() const;
  int GetColumnCount() const;
  int FindFocused() const;
  int GetFirstSelected() const;
  int FindCurrent() const;
  LPARAM GetItemData(int row) const;
  // The rows with LVIS_SELECTED, in ascending order.
  std::vector<int> SelectedRows() const;

  bool IsDragging() const { return dragging_; }
  bool IsVirtual() const { return virtual_; }
  // After a move: entry i is the former index of the row now at i.
  const std::vector<int>& LastMoveOrder() const { return lastMoveOrder_; }
  // Row under a point of the list's client area by its height alone (so
  // the blank space right of the columns counts too); -1 when below the
  // last row or when there are no rows. Above the first visible row gives
  // the first visible row.
  int RowAtPoint(POINT client) const;

  // The whole text of a cell of any list-view.
  static std::string ItemText(HWND list, int row, int column);

 private:
  static LRESULT CALLBACK ListProc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);
  static LRESULT CALLBACK ParentProc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);
  LRESULT OnListMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);

  void DrawRow(const DRAWITEMSTRUCT& item);
  void DrawCells(HDC dc, int row, RECT rowRect) const;
  void BeginDrag();
  bool BuildDragImage(int pressedRow);
  void DragMove(POINT mouse);
  void EndDrag(POINT release);
  void CancelDrag();
  void StopDragging();
  void MoveSelectedRows(int target);
  void SetDropHighlight(HWND list, int& row, int newRow);
  void MoveVirtualRows(const std::vector<int>& order, const std::vector<int>& selectedBefore);
  void InvalidateRow(int row) const;
  LRESULT Notify(int code, NMHDR* header);

  HWND list_ = nullptr;
  HWND parent_ = nullptr;
  // --- set by the parent ---
  bool dragEnabled_ = false;
  bool dropOnOthers_ = false;
  bool textsFromParent_ = false;
  bool virtual_ = false;   // LVS_OWNERDATA: the parent holds the rows
  int currentRow_ = -1;    // virtual lists: the row with DLIS_CURRENT
  std::vector<int> lastMoveOrder_;
  // --- drag state ---
  bool dragging_ = false;
  bool moving_ = false;  // rows are being rewritten: the list's own change notices are held back
  CFloaterWnd floater_;
  POINT pressPoint_{0, 0};
  int ownDropRow_ = -1;
  int otherDropRow_ = -1;
  HWND otherList_ = nullptr;
};
