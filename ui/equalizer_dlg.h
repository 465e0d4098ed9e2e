// The Equalizer dialog: the list of presets (add, delete, rename in place),
// the selected preset's type, and its curve on the curve editor over a
// logarithmic frequency axis. Every change is stored in the preset list at
// once, assigned to the current file and applied, so the user hears it while
// editing; while the dialog is open the player holds the equalizer, so a file
// that starts meanwhile does not replace the curve being edited.
//
// UI thread only; modal, on the stack of its command.
#pragma once
#include <windows.h>

#include <cstdint>

#include "ui/equalizer_target.h"
#include "ui/graph_ctrl.h"
#include "framework/dialog.h"
#include "ui/dialog_layout.h"
#include "ui/drag_list_ctrl.h"

class CEqualizerDlg : public CDialog {
 public:
  explicit CEqualizerDlg(EqualizerTarget& target);
  ~CEqualizerDlg() override;
  // The open Equalizer dialog's window, or null: a second command while one
  // is open brings that one forward.
  static HWND OpenWindow();

  // The curve editor, for tests.
  const CGraphCtrl& graph() const { return graph_; }

 protected:
  bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
  bool PreTranslateMessage(MSG& message) override;
  BOOL OnInitDialog() override;
  void OnDpiChanged(int dpi) override;

 private:
  LRESULT OnAddPreset(WPARAM, LPARAM, bool& handled);
  LRESULT OnDeletePreset(WPARAM, LPARAM, bool& handled);
  LRESULT OnTypeChanged(WPARAM, LPARAM, bool& handled);
  LRESULT OnPresetItemChanged(WPARAM, LPARAM, bool& handled);
  LRESULT OnPresetLabelEdited(WPARAM, LPARAM, bool& handled);
  LRESULT OnPresetKeyDown(WPARAM, LPARAM, bool& handled);
  LRESULT OnCurveChanged(WPARAM, LPARAM, bool& handled);
  LRESULT OnSize(WPARAM, LPARAM, bool& handled);
  LRESULT OnGetMinMaxInfo(WPARAM, LPARAM, bool& handled);

  void ConfigureGraph();
  void AddBandLabels();
  void FillPresetList();
  int AppendPresetItem(const std::string& name, int32_t id);
  void SelectItem(int row);
  // The selected row's preset id, or -1 with nothing selected.
  int32_t SelectedPresetId() const;
  void LoadSelectedPreset();
  void ApplySelected();

  static const MessageMapEntry<CEqualizerDlg> kMessageMap[];
  static CEqualizerDlg* open_;  // UI thread only

  EqualizerTarget& target_;
  CGraphCtrl graph_;
  CDragListCtrl presetList_;
  CDialogLayout layout_;
  int32_t editedPresetId_ = -1;  // the preset whose points the editor shows; -1 none
  bool held_ = false;            // PC_HOLD_EQUALIZER 1 was posted
};
