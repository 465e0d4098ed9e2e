// The play list editor's loudness analysis: "Analyze Loudness" on the
// right-click menus of the file pane (the selected files) and the list pane
// (a whole list), its progress and result under the panes, Stop, and the
// "Loudness" column.
#include "ui/play_list_edit_dlg.h"

#include <commctrl.h>

#include <cstdio>

#include "common/resource.h"
#include "common/window_messages.h"

UINT CPlayListEditDlg::TrackMenu(bool forFiles) {
  const HMENU menu = ::CreatePopupMenu();
  if (menu == nullptr) return 0;
  if (forFiles) {
    ::AppendMenuA(menu, MF_STRING, ID_FILE_VOLUME, "Volume and Equalizer...");
    ::SetMenuDefaultItem(menu, ID_FILE_VOLUME, FALSE);
  }
  // One analysis at a time.
  const bool running = analysis_ && analysis_->Running();
  ::AppendMenuA(menu, MF_STRING | (running ? MF_GRAYED : 0), ID_ANALYZE_LOUDNESS, "Analyze Loudness");
  if (forFiles) ::AppendMenuA(menu, MF_STRING, ID_QUEUE_FILES, "&Queue\tQ");
  POINT cursor{};
  ::GetCursorPos(&cursor);
  const UINT command = static_cast<UINT>(::TrackPopupMenu(
      menu, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY, cursor.x, cursor.y, 0, Handle(), nullptr));
  ::DestroyMenu(menu);
  return command;
}

LRESULT CPlayListEditDlg::OnListRightClick(WPARAM, LPARAM lParam, bool&) {
  const auto* click = reinterpret_cast<const NMITEMACTIVATE*>(lParam);
  const int row = click->iItem >= 0 ? click->iItem : SelectedList();
  if (row < 0 || TrackMenu(false) != ID_ANALYZE_LOUDNESS) return 0;
  std::optional<PlayList> list = model_.List(row);
  if (list) AnalyzeEntries(list->files);
  return 0;
}

void CPlayListEditDlg::AnalyzeEntries(const std::vector<SoundFile>& entries) {
  if (entries.empty() || (analysis_ && analysis_->Running())) return;
  analysis_ = host_.NewLoudnessAnalysis();
  if (!analysis_ || !analysis_->Start(MakeLoudnessJobs(entries), Handle(), UM_LOUDNESS_PROGRESS)) return;
  tally_ = LoudnessTally(entries.size());
  ::SetDlgItemTextA(Handle(), IDC_LOUDNESS_STATUS, tally_.Text().c_str());
  ::ShowWindow(Item(IDC_LOUDNESS_STOP), SW_SHOW);
}

LRESULT CPlayListEditDlg::OnLoudnessProgress(WPARAM, LPARAM, bool&) {
  if (!analysis_) return 0;
  const LoudnessProgress progress = analysis_->Take();
  host_.StoreLoudness(progress);
  for (const LoudnessTrackResult& track : progress.tracks) tally_.Add(track);
  if (progress.finished) {
    tally_.Finish();
    ::ShowWindow(Item(IDC_LOUDNESS_STOP), SW_HIDE);
  }
  ::SetDlgItemTextA(Handle(), IDC_LOUDNESS_STATUS, tally_.Text().c_str());
  ::InvalidateRect(files_.Handle(), nullptr, FALSE);
  return 0;
}

LRESULT CPlayListEditDlg::OnStopAnalysis(WPARAM, LPARAM, bool&) {
  if (analysis_) analysis_->Cancel();
  return 0;
}

std::string CPlayListEditDlg::LoudnessText(int32_t id) {
  const std::optional<LoudnessRecord> record = host_.LoudnessOf(id);
  if (!record) return std::string();
  char text[32];
  std::snprintf(text, sizeof text, "%.1f LUFS", record->trackLufs);
  return text;
}
