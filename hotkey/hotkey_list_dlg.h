// The hot key list ("HotKeyList"): one row per command with its combination
// and a check box; a double click (or F2) edits a row's combination in the
// hot key editor. The dialog works on a copy of the table; only OK re-registers the
// keys and makes the copy the application's table, Cancel changes nothing.
// Rows whose combination does not work are marked (HotKeyListModel), and an
// OK that leaves keys the system refused names them in one message.
// UI thread only, modal, on the stack of its command.
#pragma once
#include <windows.h>

#include "framework/dialog.h"
#include "hotkey/hotkey_list_model.h"
#include "hotkey/hotkey_target.h"

class CHotKeyListDlg : public CDialog {
 public:
  explicit CHotKeyListDlg(HotKeyTarget& target);
  ~CHotKeyListDlg() override;
  // The open list's window, or null: its command brings that one forward
  // instead of stacking a second list on it.
  static HWND OpenWindow();

 protected:
  bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
  BOOL OnInitDialog() override;
  void OnDpiChanged(int dpi) override;
  void OnOK() override;

 private:
  LRESULT OnDoubleClick(WPARAM, LPARAM, bool& handled);
  LRESULT OnKeyDown(WPARAM, LPARAM, bool& handled);
  LRESULT OnItemChanged(WPARAM, LPARAM, bool& handled);
  LRESULT OnCustomDraw(WPARAM, LPARAM, bool& handled);

  HWND List() const;
  // Runs the editor for the selected row and shows what it returned.
  void EditSelectedRow();
  // Every row's text and check mark from the working copy.
  void Refresh();
  // Only the combination texts: marks follow the check boxes as they change.
  void RefreshKeyTexts();
  void SetRowCheck(int row, bool checked);
  bool RowChecked(int row) const;
  // The check boxes as the user left them, into the working copy.
  void ReadCheckBoxes();

  static const MessageMapEntry<CHotKeyListDlg> kMessageMap[];
  static CHotKeyListDlg* open_;  // UI thread only

  HotKeyTarget& target_;
  HotKeyListModel model_;
  bool refreshing_ = false;  // our own changes to the rows: not the user's
};
