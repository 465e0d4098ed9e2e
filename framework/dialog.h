// Dialogs from resource templates, modal or modeless, with message maps.
//
// DoModal does not use the system's DialogBox loop: it creates the dialog
// modeless, disables the owner and runs its own loop through
// CApplication::PumpMessage, so the application's pre-translation (hot keys)
// keeps working while any modal dialog is open.
#pragma once
#include <windows.h>

#include "framework/message_map.h"

// Sent to any of the program's dialogs to end it with wParam as result;
// windows that are not CDialogs ignore it.
constexpr UINT kMsgEndDialog = WM_APP + 0x3F0;

class CDialog {
 public:
  explicit CDialog(UINT templateId);
  virtual ~CDialog();
  CDialog(const CDialog&) = delete;
  CDialog& operator=(const CDialog&) = delete;

  // Runs the dialog modally; returns the result given to EndDialog, or -1
  // when the template could not be created.
  INT_PTR DoModal(HWND owner);
  // Creates the dialog modeless (hidden unless the template says visible).
  bool Create(HWND owner);
  // Modal: ends the loop with `result`. Modeless: hides the window.
  void EndDialog(INT_PTR result);
  bool IsModal() const { return modal_; }

  HWND Handle() const { return window_; }
  HWND Item(int id) const { return ::GetDlgItem(window_, id); }

 protected:
  // The derived class dispatches its message map here.
  virtual bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
  virtual BOOL OnInitDialog() { return TRUE; }
  // Modal loop only: sees each message posted to this dialog or to one of its
  // child windows before the application's pre-translation, dialog key
  // navigation and dispatch. Return true to swallow it (the dialog has then
  // handled it). Sent messages never pass here.
  virtual bool PreTranslateMessage(MSG&) { return false; }
  // The dialog has moved to the suggested rectangle of a new DPI; the
  // system scales the template's controls and font. Dialogs that draw or
  // load anything of their own for a DPI (fonts, icons) make it again here.
  virtual void OnDpiChanged(int /*dpi*/) {}
  // The system's colours or its high-contrast mode changed (the mode is read
  // again first). Dialogs that made anything in their own colours (icons)
  // make it again here; the dialog and its controls are redrawn after.
  virtual void OnColoursChanged() {}
  virtual void OnOK() { EndDialog(IDOK); }
  virtual void OnCancel() { EndDialog(IDCANCEL); }
  // Modal dialogs are shown once their loop starts, as users expect; a
  // dialog that must stay hidden (the tray window) turns this off.
  void SetShowWhenModal(bool show) { showWhenModal_ = show; }
  // Before Create: the dialog and its controls become Unicode windows (the
  // system's dialogs of an ANSI process are ANSI ones, whose text boxes keep
  // only what the code page holds), and their notices come in their Unicode
  // forms (LVN_GETDISPINFOW, ...). The dialog converts at its edge.
  void SetUnicode(bool unicode) { unicode_ = unicode; }

 private:
  static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  void FollowSystemColours(UINT message);

  UINT templateId_;
  HWND window_ = nullptr;
  bool modal_ = false;
  bool ended_ = false;
  bool showWhenModal_ = true;
  bool unicode_ = false;
  bool highContrast_ = false;  // the mode as this dialog last followed it
  INT_PTR result_ = 0;
};

// Ends any of the program's dialogs from outside (see kMsgEndDialog).
void EndDialogWindow(HWND window, INT_PTR result);
