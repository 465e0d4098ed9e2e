// The play list editor: lists, files, reordering, moving, the volume popup,
// the layout.
#include "ui/play_list_edit_dlg.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <unordered_map>
#include <vector>

#include "common/resource.h"
#include "common/text_encoding.h"
#include "common/window_messages.h"
#include "framework/dpi.h"

namespace {
constexpr const char* kPlayModes[] = {"All List", "List", "Random All", "Random List", "One Repeat"};
// Pixels at 96 DPI.
constexpr int kListColumnWidth = 100;
constexpr int kTitleColumnWidth = 300;
constexpr int kVolumeColumnWidth = 40;
constexpr int kPresetColumnWidth = 100;
constexpr int kLoudnessColumnWidth = 70;

// `width` in pixels at 96 DPI.
void InsertColumn(HWND list, int column, const char* title, int width) {
  LVCOLUMNA info{};
  info.mask = LVCF_FMT | LVCF_TEXT | LVCF_WIDTH;
  info.fmt = LVCFMT_LEFT;
  info.cx = DpiScale(list, width);
  info.pszText = const_cast<char*>(title);
  ::SendMessageA(list, LVM_INSERTCOLUMNA, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&info));
}

void SetFirstColumnToClientWidth(HWND list) {
  RECT client{};
  ::GetClientRect(list, &client);
  ::SendMessageA(list, LVM_SETCOLUMNWIDTH, 0, MAKELPARAM(client.right, 0));
}

}  // namespace

bool CPlayListEditDlg::open_ = false;

const MessageMapEntry<CPlayListEditDlg> CPlayListEditDlg::kMessageMap[] = {
    OnCommandId<CPlayListEditDlg>(IDC_ADD_PLAYLIST, &CPlayListEditDlg::OnAddList),
    OnNotify<CPlayListEditDlg>(LVN_ITEMCHANGED, IDC_PLAYLISTS, &CPlayListEditDlg::OnListSelectionChanged),
    OnNotify<CPlayListEditDlg>(LVN_KEYDOWN, IDC_PLAYLISTS, &CPlayListEditDlg::OnListKeyDown),
    OnNotify<CPlayListEditDlg>(LVN_ENDLABELEDITA, IDC_PLAYLISTS, &CPlayListEditDlg::OnEndRename),
    OnNotify<CPlayListEditDlg>(static_cast<UINT>(DLN_MOVEEND), IDC_PLAYLISTS, &CPlayListEditDlg::OnListsMoved),
    OnNotify<CPlayListEditDlg>(NM_DBLCLK, IDC_SOUNDFILES, &CPlayListEditDlg::OnFileDoubleClick),
    OnNotify<CPlayListEditDlg>(NM_RCLICK, IDC_SOUNDFILES, &CPlayListEditDlg::OnFileRightClick),
    OnNotify<CPlayListEditDlg>(static_cast<UINT>(DLN_MOVEEND), IDC_SOUNDFILES, &CPlayListEditDlg::OnFilesMoved),
    OnNotify<CPlayListEditDlg>(static_cast<UINT>(DLN_DROPOUTSIDE), IDC_SOUNDFILES,
                               &CPlayListEditDlg::OnFilesDroppedOutside),
    OnNotify<CPlayListEditDlg>(LVN_GETDISPINFOA, IDC_SOUNDFILES, &CPlayListEditDlg::OnFileText),
    {WM_SIZE, &CPlayListEditDlg::OnSize},
    {WM_GETMINMAXINFO, &CPlayListEditDlg::OnMinMaxInfo},
    {WM_MOUSEMOVE, &CPlayListEditDlg::OnMouseMove},
    {WM_LBUTTONDOWN, &CPlayListEditDlg::OnLButtonDown},
    {WM_LBUTTONUP, &CPlayListEditDlg::OnLButtonUp},
    {WM_SETCURSOR, &CPlayListEditDlg::OnSetCursor},
    {WM_CAPTURECHANGED, &CPlayListEditDlg::OnCaptureChanged},
    {UM_SELECTION_CHANGED, &CPlayListEditDlg::OnSelectionChanged},
    {UM_QUEUE_CHANGED, &CPlayListEditDlg::OnQueueChanged},
    OnNotify<CPlayListEditDlg>(NM_RCLICK, IDC_PLAYLISTS, &CPlayListEditDlg::OnListRightClick),
    {UM_LOUDNESS_PROGRESS, &CPlayListEditDlg::OnLoudnessProgress},
    OnCommandId<CPlayListEditDlg>(IDC_LOUDNESS_STOP, &CPlayListEditDlg::OnStopAnalysis),
};

CPlayListEditDlg::CPlayListEditDlg(PlayListEditHost& host)
    : CDialog(IDD_PLAYLIST_EDIT), host_(host), model_(host.PlayLists()) {}

CPlayListEditDlg::~CPlayListEditDlg() {
  if (!turnedAway_) open_ = false;
}

bool CPlayListEditDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  return DispatchMessageMap(this, kMessageMap, message, wParam, lParam, result);
}

BOOL CPlayListEditDlg::OnInitDialog() {
  // 1. One editor at a time: a second one ends at once, unseen. (The modal
  // loop starts only after this returns, so the end is posted.)
  if (open_) {
    turnedAway_ = true;
    SetShowWhenModal(false);
    ::PostMessageA(Handle(), kMsgEndDialog, 0, 0);
    return TRUE;
  }
  open_ = true;
  lists_.Attach(Item(IDC_PLAYLISTS));
  files_.Attach(Item(IDC_SOUNDFILES));
  presets_ = host_.PresetChoices();
  queue_ = model_.QueueIds();
  // 2. Columns.
  InsertColumn(lists_.Handle(), 0, "PlayList", kListColumnWidth);
  InsertColumn(files_.Handle(), 0, "SoundFile", kTitleColumnWidth);
  InsertColumn(files_.Handle(), 1, "Volume", kVolumeColumnWidth);
  InsertColumn(files_.Handle(), 2, "Equalizer", kPresetColumnWidth);
  InsertColumn(files_.Handle(), 3, "Loudness", kLoudnessColumnWidth);
  files_.SetTextsFromParent(true);
  // 3. Layout.
  layout_.Init(Handle());
  layout_.SetAnchor(IDC_PLAYLISTS, kAnchorLeft | kAnchorTop | kAnchorBottom);
  layout_.SetAnchor(IDC_PLAYLIST_SPLITTER, kAnchorLeft | kAnchorTop | kAnchorBottom);
  layout_.SetAnchor(IDC_SOUNDFILES, kAnchorLeft | kAnchorRight | kAnchorTop | kAnchorBottom);
  layout_.SetAnchor(IDOK, kAnchorRight | kAnchorBottom);
  layout_.SetAnchor(IDCANCEL, kAnchorRight | kAnchorBottom);
  layout_.SetAnchor(IDC_LOUDNESS_STATUS, kAnchorLeft | kAnchorRight | kAnchorBottom);
  layout_.SetAnchor(IDC_LOUDNESS_STOP, kAnchorRight | kAnchorBottom);
  layout_.AddSplitter(IDC_PLAYLIST_SPLITTER, kSplitterVertical, {IDC_PLAYLISTS, IDC_SOUNDFILES});
  // 4. Tool tips naming each visible file's path.
  toolTip_.reset(::CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                                   CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, Handle(), nullptr,
                                   ::GetModuleHandleA(nullptr), nullptr));
  if (toolTip_) {
    ::SendMessageA(toolTip_.get(), TTM_SETMAXTIPWIDTH, 0, ::GetSystemMetrics(SM_CXSCREEN));
    ::SendMessageA(toolTip_.get(), TTM_ACTIVATE, TRUE, 0);
  }
  // 5.
  ::SendMessageA(lists_.Handle(), LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
  SetFirstColumnToClientWidth(lists_.Handle());
  SetFirstColumnToClientWidth(files_.Handle());
  // 6. One row per list.
  const std::vector<PlayList> lists = model_.Lists();
  for (size_t i = 0; i < lists.size(); ++i) InsertListRow(static_cast<int>(i), lists[i].name);
  // 7. The current list, which fills the file pane.
  const int current = model_.CurrentListIndex();
  SelectListRow(current != -1 ? current : 0);
  // 8.
  HWND modes = Item(IDC_PLAY_MODE);
  for (const char* mode : kPlayModes) ::SendMessageA(modes, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(mode));
  ::SendMessageA(modes, CB_SETCURSEL, static_cast<WPARAM>(model_.PlayMode()), 0);
  ::CheckDlgButton(Handle(), IDC_REPEAT, model_.Repeat() != 0 ? BST_CHECKED : BST_UNCHECKED);
  // 9.-11.
  RestoreLayout();
  lists_.EnableDrag(true);
  files_.EnableDrag(true);
  files_.EnableDropOnOtherLists(true);
  KeepOnScreen();
  // The files first: they are what the keys act on (Delete, Enter, moves).
  ::SetFocus(files_.Handle());
  return FALSE;
}

// --- the list pane -------------------------------------------------------------

void CPlayListEditDlg::InsertListRow(int row, const std::string& name) {
  LVITEMA item{};
  item.mask = LVIF_TEXT | LVIF_PARAM;
  item.iItem = row;
  item.pszText = const_cast<char*>(name.c_str());
  item.lParam = row;
  ::SendMessageA(lists_.Handle(), LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
}

void CPlayListEditDlg::TieListRows() {
  // Each row's data is the position of its list in the model.
  const int count = lists_.GetItemCount();
  for (int row = 0; row < count; ++row) {
    LVITEMA item{};
    item.mask = LVIF_PARAM;
    item.iItem = row;
    item.lParam = row;
    ::SendMessageA(lists_.Handle(), LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item));
  }
}

void CPlayListEditDlg::SelectListRow(int row) {
  lists_.SetItemState(row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  ::SendMessageA(lists_.Handle(), LVM_ENSUREVISIBLE, static_cast<WPARAM>(row), FALSE);
  if (SelectedList() != shownList_) FillFiles();
}

LRESULT CPlayListEditDlg::OnAddList(WPARAM, LPARAM, bool&) {
  const int index = model_.AppendList("new");
  if (index >= 0) InsertListRow(index, "new");
  return 0;
}

LRESULT CPlayListEditDlg::OnListSelectionChanged(WPARAM, LPARAM, bool&) {
  const int selected = SelectedList();
  if (selected != -1 && selected != shownList_) FillFiles();
  return 0;
}

LRESULT CPlayListEditDlg::OnListKeyDown(WPARAM, LPARAM lParam, bool&) {
  // F2 renames, as everywhere in the system.
  const auto* key = reinterpret_cast<const NMLVKEYDOWN*>(lParam);
  if (key->wVKey == VK_F2 && SelectedList() != -1) {
    // The W form: the list view then edits in a Unicode box, which keeps a
    // name typed in any script (framework/application.h).
    ::SendMessageW(lists_.Handle(), LVM_EDITLABELW, static_cast<WPARAM>(SelectedList()), 0);
  }
  return 0;
}

LRESULT CPlayListEditDlg::OnEndRename(WPARAM, LPARAM lParam, bool&) {
  const auto* info = reinterpret_cast<const NMLVDISPINFOA*>(lParam);
  // No text: the edit was cancelled (Escape). An empty name is refused.
  if (info->item.pszText == nullptr || info->item.pszText[0] == '\0') return FALSE;
  if (!model_.RenameList(info->item.iItem, info->item.pszText)) return FALSE;
  return TRUE;  // the row takes the text
}

void CPlayListEditDlg::DeleteSelectedList() {
  const int count = lists_.GetItemCount();
  if (count <= 1) return;  // the last list stays
  const int row = SelectedList();
  if (row == -1 || !model_.DeleteList(row)) return;
  ::SendMessageA(lists_.Handle(), LVM_DELETEITEM, static_cast<WPARAM>(row), 0);
  TieListRows();
  shownList_ = -1;
  SelectListRow(row < count - 1 ? row : row - 1);
}

LRESULT CPlayListEditDlg::OnListsMoved(WPARAM, LPARAM, bool&) {
  // Row data still holds each list's former position.
  const int count = lists_.GetItemCount();
  std::vector<int32_t> keys(static_cast<size_t>(model_.ListCount()), 0);
  for (int row = 0; row < count; ++row) {
    const LPARAM former = lists_.GetItemData(row);
    if (former >= 0 && static_cast<size_t>(former) < keys.size()) keys[static_cast<size_t>(former)] = row;
  }
  model_.ReorderLists(keys);
  TieListRows();
  shownList_ = -1;
  FillFiles();
  return 0;
}

// --- the file pane -------------------------------------------------------------

void CPlayListEditDlg::FillFiles() {
  const int selected = SelectedList();
  if (selected == -1) return;
  shownList_ = selected;
  std::optional<PlayList> list = model_.List(selected);
  shown_ = list ? std::move(list->files) : std::vector<SoundFile>();
  InsertFileRows();
  const int current = files_.FindCurrent();
  if (current != -1) ::SendMessageA(files_.Handle(), LVM_ENSUREVISIBLE, static_cast<WPARAM>(current), FALSE);
}

void CPlayListEditDlg::InsertFileRows() {
  // A virtual pane: only the row count goes to the list. Going through an
  // empty pane drops the old selection at once (clearing it row by row
  // would visit every row).
  ::SendMessageA(files_.Handle(), LVM_SETITEMCOUNT, 0, 0);
  ::SendMessageA(files_.Handle(), LVM_SETITEMCOUNT, static_cast<WPARAM>(shown_.size()), 0);
  MarkCurrent(model_.SelFileId());
  ::InvalidateRect(files_.Handle(), nullptr, TRUE);
  MakeToolTips();
}

SoundFile* CPlayListEditDlg::ShownFile(int row) {
  return row >= 0 && static_cast<size_t>(row) < shown_.size() ? &shown_[static_cast<size_t>(row)] : nullptr;
}

const std::string& CPlayListEditDlg::DisplayTitle(SoundFile& file) {
  if (file.title.empty()) {
    // Asked only now that the row is seen: a plug-in may open the file for it.
    std::string title;
    if (!host_.TitleOf(file.path, title) || title.empty()) title = file.path;
    file.title = title;
    model_.SetFileTitle(file.id, title);
  }
  return file.title;
}

std::string CPlayListEditDlg::PresetName(int32_t presetId) const {
  for (const PresetChoice& preset : presets_) {
    if (preset.id == presetId) return preset.name;
  }
  return std::string();
}

LRESULT CPlayListEditDlg::OnFileText(WPARAM, LPARAM lParam, bool&) {
  auto* info = reinterpret_cast<NMLVDISPINFOA*>(lParam);
  SoundFile* file = ShownFile(info->item.iItem);
  if (file != nullptr && (info->item.mask & LVIF_PARAM)) info->item.lParam = file->id;
  if (!(info->item.mask & LVIF_TEXT) || info->item.pszText == nullptr || info->item.cchTextMax <= 0) return 0;
  info->item.pszText[0] = '\0';
  if (file == nullptr) return 0;
  std::string text;
  if (info->item.iSubItem == 0) {
    const auto queued = std::find(queue_.begin(), queue_.end(), file->id);
    if (queued != queue_.end()) text = "[" + std::to_string(queued - queue_.begin() + 1) + "] ";
    text += DisplayTitle(*file);
  } else if (info->item.iSubItem == 1) {
    text = std::to_string(file->volume);
  } else if (info->item.iSubItem == 2) {
    text = PresetName(file->presetId);
  } else if (info->item.iSubItem == 3) {
    text = LoudnessText(file->id);
  }
  CopyWholeCharacters(text, info->item.pszText, static_cast<size_t>(info->item.cchTextMax));
  return 0;
}

void CPlayListEditDlg::KeepTopRow(int top) {
  if (top <= 0 || shown_.empty()) return;
  RECT row{};
  row.left = LVIR_BOUNDS;
  if (!::SendMessageA(files_.Handle(), LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&row))) return;
  const int now = static_cast<int>(::SendMessageA(files_.Handle(), LVM_GETTOPINDEX, 0, 0));
  ::SendMessageA(files_.Handle(), LVM_SCROLL, 0, (std::min<int>(top, static_cast<int>(shown_.size()) - 1) - now) *
                                                     (row.bottom - row.top));
}

void CPlayListEditDlg::DeleteSelectedFiles() {
  if (SelectedList() == -1 || SelectedList() != shownList_) return;
  const std::vector<int> rows = files_.SelectedRows();
  if (rows.empty()) return;
  // By id, so a list changed meanwhile (a hand-over from a second start)
  // loses exactly the files the user sees selected.
  std::vector<bool> doomed(shown_.size(), false);
  std::unordered_map<int32_t, bool> ids;
  for (int row : rows) {
    if (static_cast<size_t>(row) < shown_.size()) {
      doomed[static_cast<size_t>(row)] = true;
      ids[shown_[static_cast<size_t>(row)].id] = true;
    }
  }
  const int list = shownList_;
  model_.Edit([&](PlayListModel& model) {
    const PlayList* entries = model.List(list);
    if (entries == nullptr) return false;
    std::vector<int32_t> positions;
    for (size_t i = 0; i < entries->files.size(); ++i) {
      if (ids.count(entries->files[i].id) != 0) positions.push_back(static_cast<int32_t>(i));
    }
    return model.DeleteFiles(list, positions);
  });
  size_t kept = 0;
  for (size_t i = 0; i < shown_.size(); ++i) {
    if (!doomed[i]) shown_[kept++] = std::move(shown_[i]);
  }
  shown_.resize(kept);
  const int top = static_cast<int>(::SendMessageA(files_.Handle(), LVM_GETTOPINDEX, 0, 0));
  InsertFileRows();
  KeepTopRow(top);
}

LRESULT CPlayListEditDlg::OnFilesMoved(WPARAM, LPARAM, bool&) {
  if (SelectedList() == -1 || SelectedList() != shownList_) return 0;
  // The pane is virtual: its rows are shown_, in the order the move left.
  const std::vector<int>& moved = files_.LastMoveOrder();
  const std::vector<int32_t> order(moved.begin(), moved.end());
  const int list = shownList_;
  const bool applied = order.size() == shown_.size() && model_.Edit([&](PlayListModel& model) {
    // Only when the model still holds what the pane shows.
    const PlayList* entries = model.List(list);
    if (entries == nullptr || entries->files.size() != shown_.size()) return false;
    for (size_t i = 0; i < shown_.size(); ++i) {
      if (entries->files[i].id != shown_[i].id) return false;
    }
    return model.ReorderFiles(list, order);
  });
  if (!applied) {
    FillFiles();  // the model changed under the pane: show it as it is
    return 0;
  }
  std::vector<SoundFile> reordered;
  reordered.reserve(shown_.size());
  for (int32_t from : order) reordered.push_back(std::move(shown_[static_cast<size_t>(from)]));
  shown_ = std::move(reordered);
  CheckToolTipScroll(true);
  return 0;
}

LRESULT CPlayListEditDlg::OnFilesDroppedOutside(WPARAM, LPARAM lParam, bool&) {
  const auto* drop = reinterpret_cast<const DragListDropOutside*>(lParam);
  if (SelectedList() == -1 || SelectedList() != shownList_) return 0;
  POINT point{drop->x, drop->y};
  ::MapWindowPoints(Handle(), lists_.Handle(), &point, 1);
  RECT client{};
  ::GetClientRect(lists_.Handle(), &client);
  if (!::PtInRect(&client, point)) return 0;
  const int target = lists_.RowAtPoint(point);
  if (target == -1) return 0;
  const std::vector<int> rows = files_.SelectedRows();
  if (rows.empty()) return 0;
  const int top = static_cast<int>(::SendMessageA(files_.Handle(), LVM_GETTOPINDEX, 0, 0));
  model_.MoveFiles(shownList_, std::vector<int32_t>(rows.begin(), rows.end()), target);
  // Onto the list being shown, the files go to its end and show there.
  FillFiles();
  KeepTopRow(top);
  return 0;
}

LRESULT CPlayListEditDlg::OnFileDoubleClick(WPARAM, LPARAM, bool&) {
  const int row = files_.GetFirstSelected();
  if (row == -1) return 0;
  if (const SoundFile* file = ShownFile(row)) host_.PlayFileById(file->id);
  return 0;
}

LRESULT CPlayListEditDlg::OnFileRightClick(WPARAM, LPARAM, bool&) {
  if (files_.FindFocused() == -1) return 0;
  const UINT command = TrackMenu(true);
  if (command == ID_FILE_VOLUME) {
    EditVolumeOfSelection();
  } else if (command == ID_ANALYZE_LOUDNESS) {
    std::vector<SoundFile> chosen;
    for (int row : files_.SelectedRows()) {
      if (const SoundFile* file = ShownFile(row)) chosen.push_back(*file);
    }
    AnalyzeEntries(chosen);
  } else if (command == ID_QUEUE_FILES) {
    QueueSelectedFiles();
  }
  return 0;
}

void CPlayListEditDlg::EditVolumeOfSelection() {
  const int focused = files_.FindFocused();
  if (focused == -1) return;
  const SoundFile* file = ShownFile(focused);
  if (file == nullptr || !model_.FindFile(file->id)) return;
  CVolumeDlg popup(presets_);
  popup.volumeAdjust = file->volume;
  popup.presetId = file->presetId;
  popup.DoModal(Handle());
  if (!popup.Changed()) return;
  const int32_t playing = model_.SelFileId();
  for (int row : files_.SelectedRows()) {
    if (static_cast<size_t>(row) >= shown_.size()) continue;
    SoundFile& entry = shown_[static_cast<size_t>(row)];
    if (!model_.SetFileVolume(entry.id, popup.volumeAdjust)) continue;
    model_.SetFilePresetId(entry.id, popup.presetId);
    entry.volume = popup.volumeAdjust;
    entry.presetId = popup.presetId;
    if (entry.id == playing) host_.SetPlayingFileVolume(entry.volume);
  }
  ::InvalidateRect(files_.Handle(), nullptr, TRUE);
}

void CPlayListEditDlg::MarkCurrent(int32_t selFileId) {
  for (size_t row = 0; row < shown_.size(); ++row) {
    if (shown_[row].id == selFileId) {
      files_.SetItemStateBits(static_cast<int>(row), DLIS_CURRENT);
      return;
    }
  }
  const int current = files_.FindCurrent();
  if (current != -1) files_.ClearItemStateBits(current, DLIS_CURRENT);
}

LRESULT CPlayListEditDlg::OnSelectionChanged(WPARAM wParam, LPARAM, bool&) {
  // A hand-over from a second start may have changed the shown list.
  const size_t modelSize = model_.Read([&](const PlayListModel& model) {
    const PlayList* list = model.List(shownList_);
    return list != nullptr ? list->files.size() : size_t{0};
  });
  if (modelSize != shown_.size()) {
    const int top = static_cast<int>(::SendMessageA(files_.Handle(), LVM_GETTOPINDEX, 0, 0));
    FillFiles();
    KeepTopRow(top);
  }
  MarkCurrent(static_cast<int32_t>(wParam));
  // The player takes queued files off the queue as they start.
  ReadQueue();
  return 0;
}

LRESULT CPlayListEditDlg::OnQueueChanged(WPARAM, LPARAM, bool&) {
  ReadQueue();
  return 0;
}

void CPlayListEditDlg::ReadQueue() {
  std::vector<int32_t> queue = model_.QueueIds();
  if (queue == queue_) return;
  queue_ = std::move(queue);
  ::InvalidateRect(files_.Handle(), nullptr, FALSE);
}

void CPlayListEditDlg::QueueSelectedFiles() {
  std::vector<int32_t> ids;
  for (int row : files_.SelectedRows()) {
    if (const SoundFile* file = ShownFile(row)) ids.push_back(file->id);
  }
  if (!ids.empty()) host_.QueueFiles(ids);
  ReadQueue();
}

// --- messages --------------------------------------------------------------------

bool CPlayListEditDlg::PreTranslateMessage(MSG& message) {
  const bool onLists = message.hwnd == lists_.Handle();
  const bool onFiles = message.hwnd == files_.Handle();
  if (message.message == WM_KEYDOWN && message.wParam == 'Q' && onFiles) {
    QueueSelectedFiles();
    return true;
  }
  if (message.message == WM_KEYDOWN && message.wParam == VK_DELETE && (onLists || onFiles)) {
    if (onLists) DeleteSelectedList();
    if (onFiles) DeleteSelectedFiles();
    return true;
  }
  if (message.message == WM_DROPFILES && (onLists || onFiles)) {
    if (onLists) DropOnLists(reinterpret_cast<HDROP>(message.wParam));
    if (onFiles) DropOnFiles(reinterpret_cast<HDROP>(message.wParam));
    return true;
  }
  if (toolTip_ && message.message >= WM_MOUSEFIRST && message.message <= WM_MOUSELAST) {
    ::SendMessageA(toolTip_.get(), TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&message));
  }
  if (onFiles) CheckToolTipScroll(false);
  return false;
}

LRESULT CPlayListEditDlg::OnSize(WPARAM wParam, LPARAM lParam, bool&) {
  layout_.OnSize(static_cast<UINT>(wParam), LOWORD(lParam), HIWORD(lParam));
  if (toolTip_ && !shown_.empty()) MakeToolTips();
  return 0;
}

LRESULT CPlayListEditDlg::OnMinMaxInfo(WPARAM, LPARAM lParam, bool&) {
  layout_.GetMinMaxInfo(reinterpret_cast<MINMAXINFO*>(lParam));
  return 0;
}

LRESULT CPlayListEditDlg::OnMouseMove(WPARAM, LPARAM lParam, bool& handled) {
  handled = layout_.OnMouseMove(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
  return 0;
}

LRESULT CPlayListEditDlg::OnLButtonDown(WPARAM, LPARAM lParam, bool& handled) {
  handled = layout_.OnLButtonDown(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
  return 0;
}

LRESULT CPlayListEditDlg::OnLButtonUp(WPARAM, LPARAM lParam, bool& handled) {
  handled = layout_.OnLButtonUp(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
  if (handled && toolTip_ && !shown_.empty()) MakeToolTips();
  return 0;
}

LRESULT CPlayListEditDlg::OnSetCursor(WPARAM wParam, LPARAM, bool& handled) {
  handled = reinterpret_cast<HWND>(wParam) == Handle() && layout_.OnSetCursor();
  return TRUE;
}

LRESULT CPlayListEditDlg::OnCaptureChanged(WPARAM, LPARAM lParam, bool& handled) {
  if (reinterpret_cast<HWND>(lParam) != Handle()) layout_.CancelDrag();
  handled = false;
  return 0;
}

// --- OK, Cancel, layout -----------------------------------------------------------

void CPlayListEditDlg::OnOK() {
  if (turnedAway_) return;
  const LRESULT mode = ::SendMessageA(Item(IDC_PLAY_MODE), CB_GETCURSEL, 0, 0);
  if (mode >= 0) model_.SetPlayMode(static_cast<int32_t>(mode));
  model_.SetRepeat(::IsDlgButtonChecked(Handle(), IDC_REPEAT) == BST_CHECKED ? 1 : 0);
  SaveLayout();
  EndDialog(IDOK);
}

void CPlayListEditDlg::OnCancel() {
  if (!turnedAway_) SaveLayout();
  EndDialog(IDCANCEL);
}
