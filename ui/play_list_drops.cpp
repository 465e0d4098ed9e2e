// Files, folders and ".m3u" lists dropped from the shell on the editor's
// panes: on the list pane each folder or list becomes a new play list, on
// the file pane every dropped item becomes entries of the selected list.
#include "ui/play_list_edit_dlg.h"

#include <commctrl.h>

#include "framework/dropped_files.h"
#include "playlist/gather.h"

namespace {
bool IsFolder(const std::string& path) {
  const DWORD attributes = ::GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// A new list is named after what was dropped: the text after the last "\".
std::string ListNameOf(const std::string& path) {
  const size_t slash = path.rfind('\\');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}
}  // namespace

int CPlayListEditDlg::DropRow(const CDragListCtrl& pane) const {
  POINT cursor{};
  ::GetCursorPos(&cursor);
  ::ScreenToClient(pane.Handle(), &cursor);
  RECT client{};
  ::GetClientRect(pane.Handle(), &client);
  return ::PtInRect(&client, cursor) ? pane.RowAtPoint(cursor) : -1;
}

void CPlayListEditDlg::DropOnLists(HDROP drop) {
  const int row = DropRow(lists_);
  const std::vector<std::string> dropped = TakeDroppedPaths(drop);
  // The same place for every dropped item: lists dropped over a row end up
  // there in reverse order, below the last row in drop order.
  for (const std::string& path : dropped) {
    std::vector<std::string> gathered;
    if (IsFolder(path)) {
      GatherFolder(path, gathered);
    } else if (HasM3uExtension(path)) {
      ReadM3u(path, gathered);
    }
    if (gathered.empty()) continue;
    const std::string name = ListNameOf(path);
    std::vector<NewSoundFile> entries(gathered.begin(), gathered.end());
    const int index = model_.Edit([&](PlayListModel& model) {
      const int made = model.InsertList(row != -1 ? row : model.ListCount(), name);
      if (made >= 0) model.InsertFiles(made, 0, std::move(entries));
      return made;
    });
    if (index >= 0) InsertListRow(index, name);
  }
  TieListRows();
  shownList_ = -1;
  FillFiles();
}

void CPlayListEditDlg::DropOnFiles(HDROP drop) {
  const std::vector<std::string> dropped = TakeDroppedPaths(drop);
  const int list = SelectedList();
  if (list == -1 || list != shownList_) return;
  const int row = DropRow(files_);
  std::vector<std::string> gathered;
  for (const std::string& path : dropped) {
    if (IsFolder(path)) {
      GatherFolder(path, gathered);
    } else if (HasM3uExtension(path)) {
      ReadM3u(path, gathered);
    } else if (gathered.size() < kMaxGatheredPaths) {
      gathered.push_back(path);
    }
  }
  if (gathered.empty()) return;
  // Titles are not asked for here: the pane asks when it shows a row.
  const int top = static_cast<int>(::SendMessageA(files_.Handle(), LVM_GETTOPINDEX, 0, 0));
  const int at = row != -1 ? row : static_cast<int>(shown_.size());
  model_.InsertFiles(list, at, std::vector<NewSoundFile>(gathered.begin(), gathered.end()));
  FillFiles();
  KeepTopRow(top);
}
