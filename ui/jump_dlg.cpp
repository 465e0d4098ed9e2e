// The Jump to File window.
#include "ui/jump_dlg.h"

#include <commctrl.h>

#include <algorithm>
#include <optional>

#include "common/resource.h"
#include "common/text_encoding.h"
#include "common/window_messages.h"
#include "framework/application.h"
#include "framework/dpi.h"
#include "framework/system_text_codec.h"
#include "framework/window_hook.h"
#include "ui/list_keys.h"

namespace {
// Posted to itself after the first paint: the index is built then.
constexpr UINT kMsgBuildIndex = WM_APP + 0x210;
constexpr UINT_PTR kSearchBoxHook = 1;
// The index is read from the lists this many files at a time, each part
// under the lists' lock, so the player thread never waits long for it.
constexpr size_t kFilesPerPart = 4096;
// Parts read while the lists kept changing: after that many fresh starts the
// index is taken as it is (rows find their files by id anyway).
constexpr int kMaxRestarts = 3;
// A search shows this many matches at most, in list order.
constexpr size_t kMaxMatchRows = 1000;
// Shares of the list's width: title, play list, path.
constexpr int kTitleShare = 45;
constexpr int kListShare = 20;

std::wstring Wide(std::string_view text) { return WideFromProgramText(text); }

void AddColumn(HWND list, int index, const wchar_t* title) {
  LVCOLUMNW column{};
  column.mask = LVCF_TEXT | LVCF_WIDTH;
  column.cx = 100;
  column.pszText = const_cast<wchar_t*>(title);
  ::SendMessageW(list, LVM_INSERTCOLUMNW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&column));
}

// The name a row shows: the title, or (no plug-in was asked yet) the file
// name without its extension, as the plug-ins make a title of it.
std::string_view ShownTitle(const SoundFile& file) {
  if (!file.title.empty() && file.title != file.path) return file.title;
  std::string_view name = file.path;
  const size_t cut = name.find_last_of("\\/");
  if (cut != std::string_view::npos) name.remove_prefix(cut + 1);
  const size_t dot = name.rfind('.');
  return dot == std::string_view::npos || dot == 0 ? name : name.substr(0, dot);
}

std::optional<ListKey> NavigationKey(WPARAM key) {
  switch (key) {
    case VK_UP: return ListKey::kUp;
    case VK_DOWN: return ListKey::kDown;
    case VK_PRIOR: return ListKey::kPageUp;
    case VK_NEXT: return ListKey::kPageDown;
    case VK_HOME: return ListKey::kHome;
    case VK_END: return ListKey::kEnd;
    default: return std::nullopt;
  }
}
}  // namespace

const MessageMapEntry<CJumpDlg> CJumpDlg::kMessageMap[] = {
    MessageMapEntry<CJumpDlg>(WM_COMMAND, WM_COMMAND, EN_CHANGE, IDC_JUMP_SEARCH, IDC_JUMP_SEARCH,
                              &CJumpDlg::OnSearchChanged),
    OnNotify<CJumpDlg>(LVN_GETDISPINFOW, IDC_JUMP_RESULTS, &CJumpDlg::OnRowText),
    OnNotify<CJumpDlg>(NM_DBLCLK, IDC_JUMP_RESULTS, &CJumpDlg::OnRowDoubleClick),
    OnNotify<CJumpDlg>(LVN_ITEMCHANGED, IDC_JUMP_RESULTS, &CJumpDlg::OnRowChanged),
    {WM_SIZE, &CJumpDlg::OnSize},
    {WM_GETMINMAXINFO, &CJumpDlg::OnMinMaxInfo},
    {kMsgBuildIndex, &CJumpDlg::OnBuildIndex},
    {UM_SELECTION_CHANGED, &CJumpDlg::OnSelectionChanged},
    {kMsgEndDialog, &CJumpDlg::OnEnd},
};

CJumpDlg::CJumpDlg(JumpHost& host)
    : CDialog(IDD_JUMP), host_(host), index_(host.SearchFolder(), ProgramTextCodec()) {
  SetUnicode(true);
}

CJumpDlg::~CJumpDlg() {
  if (Handle() == nullptr) return;
  RemoveWindowHook(Item(IDC_JUMP_SEARCH), &CJumpDlg::SearchBoxProc, kSearchBoxHook);
  if (CApplication* app = CApplication::Instance()) app->RemoveModelessDialog(Handle());
}

bool CJumpDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  return DispatchMessageMap(this, kMessageMap, message, wParam, lParam, result);
}

HWND CJumpDlg::Results() const { return Item(IDC_JUMP_RESULTS); }

BOOL CJumpDlg::OnInitDialog() {
  if (CApplication* app = CApplication::Instance()) app->AddModelessDialog(Handle());
  const HWND list = Results();
  ::SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
  AddColumn(list, 0, L"Title");
  AddColumn(list, 1, L"Play list");
  AddColumn(list, 2, L"Path");
  AddWindowHook(Item(IDC_JUMP_SEARCH), &CJumpDlg::SearchBoxProc, kSearchBoxHook, reinterpret_cast<DWORD_PTR>(this));
  layout_.Init(Handle());
  layout_.SetAnchor(IDC_JUMP_SEARCH, kAnchorLeft | kAnchorRight | kAnchorTop);
  layout_.SetAnchor(IDC_JUMP_RESULTS, kAnchorLeft | kAnchorRight | kAnchorTop | kAnchorBottom);
  SizeColumns();
  return TRUE;
}

void CJumpDlg::Prepare() {
  if (Handle() == nullptr) Create(nullptr);
}

void CJumpDlg::Open() {
  Prepare();
  if (Handle() == nullptr) return;
  if (!IsShown()) {
    PlaceOnMouseMonitor();
    // The last search's rows at once; the search runs again once the index is built.
    if (searching_ && !index_.Words(SearchText()).empty()) {
      SetRows(rows_.empty() ? -1 : 0);
    } else {
      ShowCurrentList();
    }
  }
  ::ShowWindow(Handle(), SW_SHOW);
  ::SetForegroundWindow(Handle());
  const HWND box = Item(IDC_JUMP_SEARCH);
  ::SetFocus(box);
  ::SendMessageW(box, EM_SETSEL, 0, -1);
  // Painted now; a box without text builds the index after that.
  ::RedrawWindow(Handle(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
  if (!indexReady_) ::PostMessageW(Handle(), kMsgBuildIndex, 0, 0);
}

void CJumpDlg::Close() {
  RECT rect{};
  if (::GetWindowRect(Handle(), &rect)) {
    const int dpi = WindowDpi(Handle());
    host_.SetJumpWindowSize(::MulDiv(rect.right - rect.left, 96, dpi), ::MulDiv(rect.bottom - rect.top, 96, dpi));
  }
  ::ShowWindow(Handle(), SW_HIDE);
  // The index goes with the window; the box keeps its text and a search
  // its rows for next time.
  index_.Clear();
  indexReady_ = false;
  if (!searching_) std::vector<JumpEntry>().swap(rows_);
  SelectRow(-1);
  listedRows_ = 0;
  ::SendMessageW(Results(), LVM_SETITEMCOUNT, 0, 0);
}

void CJumpDlg::OnCancel() { Close(); }

void CJumpDlg::OnOK() {
  const int row = SelectedRow();
  const int32_t id = RowEntry(row).id;
  if (id == 0) return;  // none, or the row that counts the rest
  if (::GetKeyState(VK_CONTROL) < 0) {
    // Queued, and the window stays for the next one.
    host_.QueueFiles({id});
    SelectRow(std::min(row + 1, RowCount() - 1));
    return;
  }
  Close();
  host_.PlayFileById(id);
}

LRESULT CJumpDlg::OnEnd(WPARAM, LPARAM, bool&) {
  if (IsShown()) Close();
  return 0;
}

LRESULT CJumpDlg::OnRowDoubleClick(WPARAM, LPARAM, bool&) {
  OnOK();
  return 0;
}

// --- the rows ------------------------------------------------------------------------

std::string CJumpDlg::SearchText() const {
  const HWND box = Item(IDC_JUMP_SEARCH);
  const int length = ::GetWindowTextLengthW(box);
  std::wstring text(static_cast<size_t>(std::max(length, 0)) + 1, L'\0');
  text.resize(static_cast<size_t>(::GetWindowTextW(box, &text[0], length + 1)));
  return ProgramTextFromWide(text.c_str());
}

bool CJumpDlg::IndexIsCurrent() const {
  return indexReady_ && host_.PlayLists().ListsGeneration() == indexGeneration_;
}

void CJumpDlg::BuildIndex() {
  PlayListSet& lists = host_.PlayLists();
  index_.Clear();
  size_t list = 0;
  size_t file = 0;
  int restarts = 0;
  bool started = false;
  for (bool done = false; !done;) {
    done = lists.Read([&](const PlayListModel& model) {
      if (!started || (model.ListsGeneration() != indexGeneration_ && restarts < kMaxRestarts)) {
        // The lists changed between two parts: from the start.
        restarts += started ? 1 : 0;
        started = true;
        index_.Clear();
        list = file = 0;
        indexGeneration_ = model.ListsGeneration();
      }
      size_t budget = kFilesPerPart;
      const std::vector<PlayList>& all = model.Lists();
      for (; list < all.size(); ++list, file = 0) {
        for (; file < all[list].files.size(); ++file) {
          if (budget-- == 0) return false;
          index_.Add(static_cast<int32_t>(list), static_cast<int32_t>(file), all[list].files[file]);
        }
      }
      return true;
    });
  }
  index_.Finish();
  indexReady_ = true;
}

LRESULT CJumpDlg::OnBuildIndex(WPARAM, LPARAM, bool&) {
  if (!IsShown() || IndexIsCurrent()) return 0;
  BuildIndex();
  if (!searching_) return 0;
  // The rows shown since the opening were the last search's: the search
  // again, the chosen file kept chosen.
  const int32_t chosen = RowEntry(SelectedRow()).id;
  ShowRows();
  for (size_t row = 0; row < rows_.size(); ++row) {
    if (chosen != 0 && rows_[row].id == chosen) SelectRow(static_cast<int>(row));
  }
  return 0;
}

void CJumpDlg::ShowRows() {
  const std::string text = SearchText();
  if (index_.Words(text).empty()) {
    ShowCurrentList();
    return;
  }
  if (!IndexIsCurrent()) BuildIndex();
  searching_ = true;
  const std::vector<uint32_t>& found = index_.Filter(text);
  const size_t shown = std::min(found.size(), kMaxMatchRows);
  rows_.resize(shown);
  for (size_t i = 0; i < shown; ++i) rows_[i] = index_.EntryAt(found[i]);
  moreMatches_ = found.size() - shown;
  SetRows(shown > 0 ? 0 : -1);
}

void CJumpDlg::SetRows(int select) {
  // A new count only when it is one: under Wine each costs the list
  // control more than the search itself.
  if (RowCount() != listedRows_) {
    SelectRow(-1);  // first: a row past the new count is no row
    listedRows_ = RowCount();
    ::SendMessageW(Results(), LVM_SETITEMCOUNT, static_cast<WPARAM>(listedRows_), LVSICF_NOSCROLL);
  }
  SelectRow(select);
  ::InvalidateRect(Results(), nullptr, FALSE);
}

void CJumpDlg::ShowCurrentList() {
  searching_ = false;
  moreMatches_ = 0;
  int current = -1;
  host_.PlayLists().Read([&](const PlayListModel& model) {
    rows_.clear();
    int32_t list = model.CurrentListIndex();
    if (list < 0) list = 0;
    const PlayList* shown = model.List(list);
    if (shown == nullptr) return;
    rows_.reserve(shown->files.size());
    for (size_t i = 0; i < shown->files.size(); ++i) {
      rows_.push_back(JumpEntry{list, static_cast<int32_t>(i), shown->files[i].id});
      if (shown->files[i].id == model.SelFileId()) current = static_cast<int>(i);
    }
  });
  SetRows(current >= 0 ? current : (rows_.empty() ? -1 : 0));
  // From the current file on: it stands at the top.
  if (current > 0) {
    const int top = static_cast<int>(::SendMessageW(Results(), LVM_GETTOPINDEX, 0, 0));
    RECT row{};
    row.left = LVIR_BOUNDS;
    if (::SendMessageW(Results(), LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&row))) {
      ::SendMessageW(Results(), LVM_SCROLL, 0, (current - top) * (row.bottom - row.top));
    }
  }
  ::InvalidateRect(Results(), nullptr, FALSE);
}

int CJumpDlg::RowCount() const { return static_cast<int>(rows_.size() + (moreMatches_ > 0 ? 1 : 0)); }

JumpEntry CJumpDlg::RowEntry(int row) const {
  if (row < 0 || static_cast<size_t>(row) >= rows_.size()) return JumpEntry{-1, -1, 0};
  return rows_[static_cast<size_t>(row)];
}

void CJumpDlg::SelectRow(int row) {
  // One row at a time: clearing every row's state (index -1) visits each
  // row of a long list.
  if (row == selected_) {
    if (row >= 0) ::SendMessageW(Results(), LVM_ENSUREVISIBLE, static_cast<WPARAM>(row), FALSE);
    return;
  }
  if (selected_ >= 0) {
    LVITEMW off{};
    off.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    ::SendMessageW(Results(), LVM_SETITEMSTATE, static_cast<WPARAM>(selected_), reinterpret_cast<LPARAM>(&off));
  }
  selected_ = row;
  if (row < 0) return;
  LVITEMW on{};
  on.state = on.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  ::SendMessageW(Results(), LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&on));
  ::SendMessageW(Results(), LVM_ENSUREVISIBLE, static_cast<WPARAM>(row), FALSE);
}

LRESULT CJumpDlg::OnRowChanged(WPARAM, LPARAM lParam, bool&) {
  // A row the user clicked.
  const auto* change = reinterpret_cast<const NMLISTVIEW*>(lParam);
  if (change->iItem >= 0 && (change->uChanged & LVIF_STATE) != 0 && (change->uNewState & LVIS_SELECTED) != 0) {
    selected_ = change->iItem;
  }
  return 0;
}

std::string CJumpDlg::RowText(int row, int column) const {
  const JumpEntry entry = RowEntry(row);
  if (entry.id == 0) {
    if (column != 0 || moreMatches_ == 0) return std::string();
    return "... " + std::to_string(moreMatches_) + " more: type more of the name";
  }
  std::string text;
  host_.PlayLists().Read([&](const PlayListModel& model) {
    int32_t list = entry.list;
    const SoundFile* file = model.File(entry.list, entry.file);
    if (file == nullptr || file->id != entry.id) {
      // The lists changed since the rows were made: the file by its id.
      const std::optional<FilePos> at = model.FindFile(entry.id);
      if (!at) return;
      list = at->list;
      file = model.File(at->list, at->file);
    }
    switch (column) {
      case 0: text = ShownTitle(*file); break;
      case 1: text = model.List(list)->name; break;
      default: text = file->path; break;
    }
  });
  return text;
}

LRESULT CJumpDlg::OnRowText(WPARAM, LPARAM lParam, bool&) {
  auto* info = reinterpret_cast<NMLVDISPINFOW*>(lParam);
  if (!(info->item.mask & LVIF_TEXT) || info->item.pszText == nullptr || info->item.cchTextMax <= 0) return 0;
  const std::wstring wide = Wide(RowText(info->item.iItem, info->item.iSubItem));
  const size_t length = std::min(wide.size(), static_cast<size_t>(info->item.cchTextMax - 1));
  std::copy(wide.begin(), wide.begin() + static_cast<std::ptrdiff_t>(length), info->item.pszText);
  info->item.pszText[length] = L'\0';
  return 0;
}

LRESULT CJumpDlg::OnSearchChanged(WPARAM, LPARAM, bool&) {
  if (IsShown()) ShowRows();
  return 0;
}

LRESULT CJumpDlg::OnSelectionChanged(WPARAM, LPARAM, bool&) {
  // Another file plays, or the lists changed: the rows show them as they are.
  if (IsShown()) ::InvalidateRect(Results(), nullptr, FALSE);
  return 0;
}

LRESULT CALLBACK CJumpDlg::SearchBoxProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                         DWORD_PTR data) {
  if (message == WM_KEYDOWN) {
    if (const std::optional<ListKey> key = NavigationKey(wParam)) {
      auto* self = reinterpret_cast<CJumpDlg*>(data);
      const int page = static_cast<int>(::SendMessageW(self->Results(), LVM_GETCOUNTPERPAGE, 0, 0));
      self->SelectRow(RowAfterKey(self->SelectedRow(), self->RowCount(), page, *key));
      return 0;
    }
  }
  return CallNextWindowHook(window, message, wParam, lParam);
}

// --- size and place ----------------------------------------------------------------------

void CJumpDlg::SizeColumns() {
  RECT client{};
  ::GetClientRect(Results(), &client);
  const int width = std::max<int>(client.right - ::GetSystemMetrics(SM_CXVSCROLL), 0);
  const int title = width * kTitleShare / 100;
  const int list = width * kListShare / 100;
  ::SendMessageW(Results(), LVM_SETCOLUMNWIDTH, 0, MAKELPARAM(title, 0));
  ::SendMessageW(Results(), LVM_SETCOLUMNWIDTH, 1, MAKELPARAM(list, 0));
  ::SendMessageW(Results(), LVM_SETCOLUMNWIDTH, 2, MAKELPARAM(width - title - list, 0));
}

void CJumpDlg::PlaceOnMouseMonitor() {
  POINT cursor{};
  ::GetCursorPos(&cursor);
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  if (!::GetMonitorInfoW(::MonitorFromPoint(cursor, MONITOR_DEFAULTTONEAREST), &monitor)) return;
  const RECT& work = monitor.rcWork;
  RECT rect{};
  ::GetWindowRect(Handle(), &rect);
  int32_t width = 0;
  int32_t height = 0;
  host_.JumpWindowSize(width, height);
  const int dpi = WindowDpi(Handle());
  width = width > 0 ? DpiScale(dpi, width) : rect.right - rect.left;
  height = height > 0 ? DpiScale(dpi, height) : rect.bottom - rect.top;
  width = std::min<int32_t>(width, work.right - work.left);
  height = std::min<int32_t>(height, work.bottom - work.top);
  ::SetWindowPos(Handle(), HWND_TOPMOST, (work.left + work.right - width) / 2, (work.top + work.bottom - height) / 2,
                 width, height, SWP_NOACTIVATE);
}

LRESULT CJumpDlg::OnSize(WPARAM wParam, LPARAM lParam, bool&) {
  layout_.OnSize(static_cast<UINT>(wParam), LOWORD(lParam), HIWORD(lParam));
  SizeColumns();
  return 0;
}

LRESULT CJumpDlg::OnMinMaxInfo(WPARAM, LPARAM lParam, bool&) {
  layout_.GetMinMaxInfo(reinterpret_cast<MINMAXINFO*>(lParam));
  return 0;
}

void CJumpDlg::OnDpiChanged(int) {
  layout_.RefreshRects();
  SizeColumns();
}
