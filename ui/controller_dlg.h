// The floating Controller window (resource 133): created hidden at start-up,
// shown and hidden by the "Controller..." command, alive until exit. Its
// transport buttons and sliders come with the Controller's own work; for now
// it is the window those commands and notices address.
#pragma once
#include "framework/dialog.h"

class CControllerDlg : public CDialog {
 public:
  CControllerDlg();

 protected:
  // Closing or cancelling hides it; it is destroyed only at exit.
  void OnCancel() override { ::ShowWindow(Handle(), SW_HIDE); }
  void OnOK() override {}
};
