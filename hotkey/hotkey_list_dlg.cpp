// The hot key list.
#include "hotkey/hotkey_list_dlg.h"

#include <commctrl.h>

#include <string>

#include "common/resource.h"
#include "framework/dpi.h"
#include "hotkey/hotkey_edit_dlg.h"

namespace {
constexpr int kCommandColumnWidth = 150;  // pixels at 96 DPI
constexpr int kKeyColumnWidth = 200;
constexpr COLORREF kMarkedText = RGB(192, 0, 0);
constexpr char kRefusalCaption[] = "Melodek";

void SetText(HWND list, int row, int column, const std::string& text) {
  std::string buffer = text;  // the list view wants a writable pointer
  LVITEMA item{};
  item.iSubItem = column;
  item.pszText = &buffer[0];
  ::SendMessageA(list, LVM_SETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

void AddColumn(HWND list, int index, const char* title, int width) {
  std::string text = title;
  LVCOLUMNA column{};
  column.mask = LVCF_FMT | LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
  column.fmt = LVCFMT_LEFT;
  column.cx = width;
  column.pszText = &text[0];
  column.iSubItem = index;
  ::SendMessageA(list, LVM_INSERTCOLUMNA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&column));
}
}  // namespace

const MessageMapEntry<CHotKeyListDlg> CHotKeyListDlg::kMessageMap[] = {
    OnNotify<CHotKeyListDlg>(NM_DBLCLK, IDC_HOTKEY_LIST, &CHotKeyListDlg::OnDoubleClick),
    OnNotify<CHotKeyListDlg>(LVN_KEYDOWN, IDC_HOTKEY_LIST, &CHotKeyListDlg::OnKeyDown),
    OnNotify<CHotKeyListDlg>(LVN_ITEMCHANGED, IDC_HOTKEY_LIST, &CHotKeyListDlg::OnItemChanged),
    OnNotify<CHotKeyListDlg>(NM_CUSTOMDRAW, IDC_HOTKEY_LIST, &CHotKeyListDlg::OnCustomDraw),
};

CHotKeyListDlg* CHotKeyListDlg::open_ = nullptr;

CHotKeyListDlg::CHotKeyListDlg(HotKeyTarget& target) : CDialog(IDD_HOTKEY_LIST), target_(target) {}

CHotKeyListDlg::~CHotKeyListDlg() {
  if (open_ == this) open_ = nullptr;
}

HWND CHotKeyListDlg::OpenWindow() { return open_ != nullptr ? open_->Handle() : nullptr; }

bool CHotKeyListDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  return DispatchMessageMap(this, kMessageMap, message, wParam, lParam, result);
}

HWND CHotKeyListDlg::List() const { return Item(IDC_HOTKEY_LIST); }

void CHotKeyListDlg::OnDpiChanged(int dpi) {
  ::SendMessageA(List(), LVM_SETCOLUMNWIDTH, 0, MAKELPARAM(DpiScale(dpi, kCommandColumnWidth), 0));
  ::SendMessageA(List(), LVM_SETCOLUMNWIDTH, 1, MAKELPARAM(DpiScale(dpi, kKeyColumnWidth), 0));
}

BOOL CHotKeyListDlg::OnInitDialog() {
  open_ = this;
  const HWND list = List();
  refreshing_ = true;
  const DWORD styles = LVS_EX_GRIDLINES | LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT;
  ::SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, styles, styles);  // the mask keeps the others
  AddColumn(list, 0, "command", DpiScale(Handle(), kCommandColumnWidth));
  AddColumn(list, 1, "HotKey", DpiScale(Handle(), kKeyColumnWidth));
  model_ = HotKeyListModel(target_.hotKeys(), target_.refusedHotKeys(), target_.refusedMediaKeys());
  for (int row = 0; row < model_.RowCount(); ++row) {
    std::string name = model_.CommandText(row);
    LVITEMA item{};
    item.mask = LVIF_TEXT;
    item.iItem = row;
    item.pszText = &name[0];
    ::SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
  }
  refreshing_ = false;
  Refresh();
  return TRUE;
}

void CHotKeyListDlg::Refresh() {
  refreshing_ = true;
  for (int row = 0; row < model_.RowCount(); ++row) SetRowCheck(row, model_.Checked(row));
  refreshing_ = false;
  RefreshKeyTexts();
}

void CHotKeyListDlg::RefreshKeyTexts() {
  refreshing_ = true;
  for (int row = 0; row < model_.RowCount(); ++row) SetText(List(), row, 1, model_.KeyText(row));
  refreshing_ = false;
}

void CHotKeyListDlg::SetRowCheck(int row, bool checked) {
  // ListView_SetCheckState: state image 2 is the tick, 1 the empty box.
  LVITEMA item{};
  item.stateMask = LVIS_STATEIMAGEMASK;
  item.state = INDEXTOSTATEIMAGEMASK(checked ? 2 : 1);
  ::SendMessageA(List(), LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

bool CHotKeyListDlg::RowChecked(int row) const {
  const LRESULT state = ::SendMessageA(List(), LVM_GETITEMSTATE, static_cast<WPARAM>(row), LVIS_STATEIMAGEMASK);
  return ((static_cast<UINT>(state) & LVIS_STATEIMAGEMASK) >> 12) == 2;
}

void CHotKeyListDlg::ReadCheckBoxes() {
  for (int row = 0; row < model_.RowCount(); ++row) model_.SetChecked(row, RowChecked(row));
}

LRESULT CHotKeyListDlg::OnItemChanged(WPARAM, LPARAM lParam, bool&) {
  const NMLISTVIEW* change = reinterpret_cast<const NMLISTVIEW*>(lParam);
  if (refreshing_ || change->iItem < 0 || (change->uChanged & LVIF_STATE) == 0) return 0;
  if (((change->uNewState ^ change->uOldState) & LVIS_STATEIMAGEMASK) == 0) return 0;
  if (model_.EntryOfRow(change->iItem) < 0) {
    // A read-only row (a media key): its tick shows whether it is registered.
    refreshing_ = true;
    SetRowCheck(change->iItem, model_.Checked(change->iItem));
    refreshing_ = false;
    return 0;
  }
  // A tick the user changed: duplicates among the ticked rows change with it.
  model_.SetChecked(change->iItem, RowChecked(change->iItem));
  RefreshKeyTexts();
  return 0;
}

LRESULT CHotKeyListDlg::OnDoubleClick(WPARAM, LPARAM, bool&) {
  EditSelectedRow();
  return 0;
}

LRESULT CHotKeyListDlg::OnKeyDown(WPARAM, LPARAM lParam, bool&) {
  // F2 edits, as it renames elsewhere: the keyboard's way to the editor.
  if (reinterpret_cast<const NMLVKEYDOWN*>(lParam)->wVKey == VK_F2) EditSelectedRow();
  return 0;
}

void CHotKeyListDlg::EditSelectedRow() {
  const int row = static_cast<int>(::SendMessageA(List(), LVM_GETNEXTITEM, static_cast<WPARAM>(-1),
                                                  MAKELPARAM(LVNI_SELECTED, 0)));
  if (row < 0) return;
  const int entry = model_.EntryOfRow(row);
  if (entry < 0) return;  // a row that only shows a key
  // Ticks changed before the edit are kept: the refresh below rewrites them
  // from the working copy.
  ReadCheckBoxes();
  const HotKeyEntry& current = model_.workingCopy()[static_cast<size_t>(entry)];
  CHotKeyEditDlg editor(current.modifiers, current.virtualKey);
  if (editor.DoModal(Handle()) == IDOK) model_.SetCombination(row, editor.modifiers(), editor.virtualKey());
  Refresh();
}

LRESULT CHotKeyListDlg::OnCustomDraw(WPARAM, LPARAM lParam, bool&) {
  NMLVCUSTOMDRAW* draw = reinterpret_cast<NMLVCUSTOMDRAW*>(lParam);
  switch (draw->nmcd.dwDrawStage) {
    case CDDS_PREPAINT:
      return CDRF_NOTIFYITEMDRAW;
    case CDDS_ITEMPREPAINT: {
      // Rows whose key does not work are drawn in red, besides their mark.
      const int row = static_cast<int>(draw->nmcd.dwItemSpec);
      if (model_.Mark(row) == HotKeyMark::kNone) return CDRF_DODEFAULT;
      draw->clrText = kMarkedText;
      return CDRF_NEWFONT;
    }
    default:
      return CDRF_DODEFAULT;
  }
}

void CHotKeyListDlg::OnOK() {
  ReadCheckBoxes();
  const HotKeyTable& table = model_.workingCopy();
  const HotKeyRefusals refused = target_.ApplyHotKeyTable(table);
  const std::string message = HotKeyRefusalMessage(table, refused);
  if (!message.empty()) ::MessageBoxA(Handle(), message.c_str(), kRefusalCaption, MB_OK | MB_ICONWARNING);
  EndDialog(IDOK);
}
