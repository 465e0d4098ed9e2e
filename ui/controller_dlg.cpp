// The floating Controller window.
#include "ui/controller_dlg.h"

#include "common/resource.h"

CControllerDlg::CControllerDlg() : CDialog(IDD_CONTROLLER) {}
