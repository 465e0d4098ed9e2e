// The Jump to File window: a search box over every file of every play list.
// Each keystroke filters (playlist/jump_index.h); an empty box lists the
// current list, its current file selected. Up, Down, Page Up/Down, Home and
// End move through the matches while the focus stays in the box; Enter
// plays the chosen file, Ctrl+Enter queues it, Escape closes.
//
// A modeless dialog, made once and hidden when closed, in front of every
// window; it opens centred on the monitor with the mouse at the size it was
// left. Its windows are Unicode ones, so that text typed in any script
// reaches the search intact; program text is converted at its edge. The
// index is built after the window's first paint (which shows the rows of
// the last search, or the current list) and again when the lists changed;
// closing lets it go. A search shows its first kMaxMatchRows matches and a
// last row saying how many more there are: the list control's work grows
// with its row count (under Wine by far the largest part of a keystroke).
// UI thread only.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "framework/dialog.h"
#include "playlist/jump_index.h"
#include "ui/dialog_layout.h"
#include "ui/jump_host.h"

class CJumpDlg : public CDialog {
 public:
  explicit CJumpDlg(JumpHost& host);
  ~CJumpDlg() override;

  // Makes the window, hidden, unless it is made already.
  void Prepare();
  // Shows the window (made first if need be) in front with the search text
  // selected, and paints it before anything slower runs.
  void Open();
  bool IsShown() const { return Handle() != nullptr && ::IsWindowVisible(Handle()); }

 protected:
  bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
  BOOL OnInitDialog() override;
  void OnOK() override;
  void OnCancel() override;
  void OnDpiChanged(int dpi) override;

 private:
  LRESULT OnSearchChanged(WPARAM, LPARAM, bool& handled);
  LRESULT OnRowText(WPARAM, LPARAM, bool& handled);
  LRESULT OnRowDoubleClick(WPARAM, LPARAM, bool& handled);
  LRESULT OnRowChanged(WPARAM, LPARAM, bool& handled);
  LRESULT OnSize(WPARAM, LPARAM, bool& handled);
  LRESULT OnMinMaxInfo(WPARAM, LPARAM, bool& handled);
  LRESULT OnBuildIndex(WPARAM, LPARAM, bool& handled);
  LRESULT OnSelectionChanged(WPARAM, LPARAM, bool& handled);
  // Ended from outside (Exit): closed as Escape closes it.
  LRESULT OnEnd(WPARAM, LPARAM, bool& handled);
  // The search box's keys: the list's navigation keys move the selection.
  static LRESULT CALLBACK SearchBoxProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                        DWORD_PTR data);

  HWND Results() const;
  std::string SearchText() const;
  // The rows for the box's text: the matches, or the current list.
  void ShowRows();
  void ShowCurrentList();
  // rows_ into the list control, `select` selected.
  void SetRows(int select);
  bool IndexIsCurrent() const;
  void BuildIndex();
  int RowCount() const;
  // Where row `row` was when the rows were made (its id tells it apart
  // from whatever is there now); id 0 for the row that counts the rest.
  JumpEntry RowEntry(int row) const;
  std::string RowText(int row, int column) const;
  int SelectedRow() const { return selected_; }
  void SelectRow(int row);
  void SizeColumns();
  void PlaceOnMouseMonitor();
  void Close();

  static const MessageMapEntry<CJumpDlg> kMessageMap[];

  JumpHost& host_;
  JumpIndex index_;
  bool indexReady_ = false;
  uint64_t indexGeneration_ = 0;
  // The rows: the current list's files for an empty box, else the first
  // matches; a search's rows stay for the next opening.
  std::vector<JumpEntry> rows_;
  size_t moreMatches_ = 0;  // matches after the rows
  bool searching_ = false;
  int selected_ = -1;    // kept here: asking a long list for it takes long under Wine
  int listedRows_ = 0;   // the list control's row count
  CDialogLayout layout_;
};
