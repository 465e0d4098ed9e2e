// The play list editor: every play list in the left pane, the selected
// list's files in the right one. Lists are added, renamed, deleted and
// reordered; files deleted, reordered, moved to another list and given a
// volume and preset; files, folders and ".m3u" lists dropped from the shell
// become lists or entries; the loudness of chosen files or of a whole list
// is measured (play_list_loudness.cpp). Changes go to the live model at
// once; only the play mode and Repeat wait for OK. Modal, one at a time, UI
// thread only.
//
// The file pane is a virtual list over a copy of the shown list's entries in
// row order (shown_): a list of any length shows at once, and its texts come
// from that copy when the pane draws a row, so a title is asked of the
// plug-ins only for rows that are seen. A queued file's title shows its
// place in the play queue ("[2] Title"); "Queue" on the right-click menu
// or the Q key queues the selected files.
#pragma once
#include <windows.h>
#include <shellapi.h>

#include <memory>
#include <string>
#include <vector>

#include "engine/loudness_analysis.h"
#include "framework/dialog.h"
#include "framework/unique_handle.h"
#include "playlist/sound_file.h"
#include "ui/dialog_layout.h"
#include "ui/drag_list_ctrl.h"
#include "ui/loudness_status.h"
#include "ui/play_list_edit_host.h"

class CPlayListEditDlg : public CDialog {
 public:
  explicit CPlayListEditDlg(PlayListEditHost& host);
  ~CPlayListEditDlg() override;
  // True while an editor is open.
  static bool IsOpen() { return open_; }

 protected:
  bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
  bool PreTranslateMessage(MSG& message) override;
  BOOL OnInitDialog() override;
  void OnOK() override;
  void OnCancel() override;

 private:
  // --- handlers ---
  LRESULT OnAddList(WPARAM, LPARAM, bool& handled);
  LRESULT OnListSelectionChanged(WPARAM, LPARAM, bool& handled);
  LRESULT OnListKeyDown(WPARAM, LPARAM, bool& handled);
  LRESULT OnEndRename(WPARAM, LPARAM, bool& handled);
  LRESULT OnListsMoved(WPARAM, LPARAM, bool& handled);
  LRESULT OnFileDoubleClick(WPARAM, LPARAM, bool& handled);
  LRESULT OnFileRightClick(WPARAM, LPARAM, bool& handled);
  LRESULT OnFilesMoved(WPARAM, LPARAM, bool& handled);
  LRESULT OnFilesDroppedOutside(WPARAM, LPARAM, bool& handled);
  LRESULT OnFileText(WPARAM, LPARAM, bool& handled);
  LRESULT OnSize(WPARAM, LPARAM, bool& handled);
  LRESULT OnMinMaxInfo(WPARAM, LPARAM, bool& handled);
  LRESULT OnMouseMove(WPARAM, LPARAM, bool& handled);
  LRESULT OnLButtonDown(WPARAM, LPARAM, bool& handled);
  LRESULT OnLButtonUp(WPARAM, LPARAM, bool& handled);
  LRESULT OnSetCursor(WPARAM, LPARAM, bool& handled);
  LRESULT OnCaptureChanged(WPARAM, LPARAM, bool& handled);
  LRESULT OnSelectionChanged(WPARAM, LPARAM, bool& handled);
  LRESULT OnQueueChanged(WPARAM, LPARAM, bool& handled);
  LRESULT OnListRightClick(WPARAM, LPARAM, bool& handled);
  LRESULT OnLoudnessProgress(WPARAM, LPARAM, bool& handled);
  LRESULT OnStopAnalysis(WPARAM, LPARAM, bool& handled);

  // --- the list pane ---
  void InsertListRow(int row, const std::string& name);
  void TieListRows();
  int SelectedList() const { return lists_.GetFirstSelected(); }
  void SelectListRow(int row);
  void DeleteSelectedList();

  // --- the file pane ---
  void FillFiles();
  void InsertFileRows();
  void DeleteSelectedFiles();
  void QueueSelectedFiles();
  // The queue's ids again, and the rows that show them drawn again.
  void ReadQueue();
  void MarkCurrent(int32_t selFileId);
  SoundFile* ShownFile(int row);
  const std::string& DisplayTitle(SoundFile& file);
  std::string PresetName(int32_t presetId) const;
  void KeepTopRow(int top);
  void EditVolumeOfSelection();

  // --- the loudness analysis (play_list_loudness.cpp) ---
  // A right-click menu at the cursor; the chosen command, 0 for none. The
  // file pane's (forFiles) also has "Volume and Equalizer..." and "Queue".
  UINT TrackMenu(bool forFiles);
  void AnalyzeEntries(const std::vector<SoundFile>& entries);
  std::string LoudnessText(int32_t id);

  // --- tool tips: one tool per visible row position ---
  void MakeToolTips();
  void CheckToolTipScroll(bool force);

  // --- drops from the shell (play_list_drops.cpp) ---
  void DropOnLists(HDROP drop);
  void DropOnFiles(HDROP drop);
  int DropRow(const CDragListCtrl& pane) const;

  // --- layout ---
  void RestoreLayout();
  void SaveLayout();
  void KeepOnScreen();

  static const MessageMapEntry<CPlayListEditDlg> kMessageMap[];
  static bool open_;  // UI thread only

  PlayListEditHost& host_;
  PlayListSet& model_;
  bool turnedAway_ = false;
  CDragListCtrl lists_;
  CDragListCtrl files_;
  CDialogLayout layout_;
  UniqueWindow toolTip_;
  int toolCount_ = 0;
  int lastScroll_ = -1;
  std::vector<PresetChoice> presets_;
  // The file pane's rows: the entries of list shownList_, in row order.
  int shownList_ = -1;
  std::vector<SoundFile> shown_;
  std::vector<int32_t> queue_;  // the play queue's ids, head first, as last read
  // The analysis running or last run, and its line under the panes.
  std::unique_ptr<LoudnessAnalysis> analysis_;
  LoudnessTally tally_;
};
