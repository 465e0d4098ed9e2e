// The hidden main dialog with the tray icon and its popup menu.
#include "app/tray_dlg.h"

#include "app/player_app.h"
#include "common/resource.h"
#include "common/window_messages.h"
#include "hotkey/hotkey_list_dlg.h"
#include "hotkey/hotkey_registration.h"
#include "eq/equalizer_dlg.h"
#include "ui/config_dlg.h"
#include "ui/play_list_edit_dlg.h"

const MessageMapEntry<CTrayDlg> CTrayDlg::kMessageMap[] = {
    {WM_INITDIALOG, &CTrayDlg::OnInitDialog},
    {WM_ACTIVATE, &CTrayDlg::OnActivate},
    {WM_ACTIVATEAPP, &CTrayDlg::OnActivate},
    {WM_QUERYENDSESSION, &CTrayDlg::OnQueryEndSession},
    {UM_TRAY_NOTIFY, &CTrayDlg::OnTrayNotify},
    {UM_RELAY_BROADCAST, &CTrayDlg::OnRelayBroadcast},
    // Plug-ins send WM_USER codes to their main window (and post their end
    // of file as WM_USER + 2). A dialog would answer WM_USER itself
    // (DM_GETDEFID) with a non-zero value a plug-in may take for a pointer:
    // every such code gets 0.
    OnMessageRange<CTrayDlg>(WM_USER, WM_USER + 2, &CTrayDlg::OnPluginMessage),
    {WM_RBUTTONDOWN, &CTrayDlg::OnRightButtonDown},
    {WM_QUERYDRAGICON, &CTrayDlg::OnQueryDragIcon},
    OnCommandId<CTrayDlg>(ID_PLAYLIST_EDIT, &CTrayDlg::OnDialogCommand),
    OnCommandId<CTrayDlg>(ID_EQUALIZER, &CTrayDlg::OnDialogCommand),
    OnCommandId<CTrayDlg>(ID_HOTKEY_EDIT, &CTrayDlg::OnDialogCommand),
    OnCommandId<CTrayDlg>(ID_CONFIG, &CTrayDlg::OnDialogCommand),
    // A restarted shell announces itself with a registered message.
    OnMessageRange<CTrayDlg>(0xC000, 0xFFFF, &CTrayDlg::OnRegisteredMessage),
};

CTrayDlg::CTrayDlg(const HotKeyTable& hotKeys) : CDialog(IDD_TRAY), hotKeys_(hotKeys) {
  HINSTANCE module = ::GetModuleHandleA(nullptr);
  largeIcon_.reset(static_cast<HICON>(::LoadImageA(module, MAKEINTRESOURCEA(IDR_MAINFRAME), IMAGE_ICON,
                                                   ::GetSystemMetrics(SM_CXICON),
                                                   ::GetSystemMetrics(SM_CYICON), LR_DEFAULTCOLOR)));
  smallIcon_.reset(static_cast<HICON>(::LoadImageA(module, MAKEINTRESOURCEA(IDR_MAINFRAME), IMAGE_ICON,
                                                   ::GetSystemMetrics(SM_CXSMICON),
                                                   ::GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR)));
  SetShowWhenModal(false);
}

CTrayDlg::~CTrayDlg() { trayIcon_.RemoveIfAdded(); }

void CTrayDlg::Run() {
  DoModal(nullptr);
  trayIcon_.RemoveIfAdded();
  if (CApplication::Instance() != nullptr) CApplication::Instance()->SetMainWindow(nullptr);
}

bool CTrayDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  return DispatchMessageMap(this, kMessageMap, message, wParam, lParam, result);
}

void CTrayDlg::HideFromTaskbar() {
  ::ShowWindow(Handle(), SW_HIDE);
  LONG_PTR exStyle = ::GetWindowLongPtrA(Handle(), GWL_EXSTYLE);
  ::SetWindowLongPtrA(Handle(), GWL_EXSTYLE, (exStyle & ~WS_EX_APPWINDOW) | WS_EX_TOOLWINDOW);
  ::SetWindowLongPtrA(Handle(), GWL_STYLE, ::GetWindowLongPtrA(Handle(), GWL_STYLE) | WS_MINIMIZE);
}

LRESULT CTrayDlg::OnInitDialog(WPARAM, LPARAM, bool&) {
  CPlayerApp* app = CPlayerApp::Get();
  if (app != nullptr) app->SetMainWindow(Handle());
  ::SendMessageA(Handle(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(largeIcon_.get()));
  ::SendMessageA(Handle(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_.get()));
  HideFromTaskbar();
  trayIcon_.Set(Handle(), 0, UM_TRAY_NOTIFY, smallIcon_.get(), "Melodek");
  trayIcon_.Add();
  if (app != nullptr) {
    app->RegisterHotKeys(Handle());
  } else {
    RegisterAllHotKeys(Handle(), hotKeys_);
  }
  if (app != nullptr) app->OnMainDialogReady(Handle());
  return TRUE;
}

LRESULT CTrayDlg::OnActivate(WPARAM, LPARAM, bool& handled) {
  HideFromTaskbar();
  handled = false;  // default processing too
  return 0;
}

LRESULT CTrayDlg::OnQueryEndSession(WPARAM, LPARAM, bool& handled) {
  if (CPlayerApp* app = CPlayerApp::Get()) app->SaveSettings();
  handled = false;
  return TRUE;
}

LRESULT CTrayDlg::OnTrayNotify(WPARAM, LPARAM lParam, bool&) {
  if (lParam == WM_LBUTTONDOWN) {
    if (CPlayerApp* app = CPlayerApp::Get()) app->OnCommand(ID_CONTROLLER);
  } else if (lParam == WM_RBUTTONDOWN) {
    ShowPopupMenu();
  }
  return 0;
}

LRESULT CTrayDlg::OnRightButtonDown(WPARAM, LPARAM, bool&) {
  ShowPopupMenu();
  return 0;
}

LRESULT CTrayDlg::OnRegisteredMessage(WPARAM, LPARAM, bool& handled) {
  trayIcon_.Recreate();
  handled = false;
  return 0;
}

LRESULT CTrayDlg::OnQueryDragIcon(WPARAM, LPARAM, bool&) {
  return reinterpret_cast<LRESULT>(largeIcon_.get());
}

namespace {
// One of each dialog at a time: a second command brings the open one forward.
template <class Dialog>
void RunOnce(CPlayerApp& app, HWND owner) {
  if (HWND open = Dialog::OpenWindow()) {
    ::SetForegroundWindow(open);
    return;
  }
  Dialog dialog(app);
  dialog.DoModal(owner);
}
}  // namespace

LRESULT CTrayDlg::OnDialogCommand(WPARAM wParam, LPARAM, bool&) {
  // The editor, equalizer, hot key and config dialogs open here, modal with
  // this window as their owner.
  CPlayerApp* app = CPlayerApp::Get();
  if (app == nullptr) return 0;
  switch (LOWORD(wParam)) {
    case ID_CONFIG:
      RunOnce<CConfigDlg>(*app, Handle());
      break;
    case ID_HOTKEY_EDIT:
      RunOnce<CHotKeyListDlg>(*app, Handle());
      break;
    case ID_EQUALIZER:
      RunOnce<CEqualizerDlg>(*app, Handle());
      break;
    case ID_PLAYLIST_EDIT: {
      // A second editor turns itself away while one is open.
      CPlayListEditDlg editor(*app);
      if (editor.DoModal(Handle()) == IDOK) app->PostPlayerCommand(PC_PLAYLIST_EDITED, 0);
      break;
    }
    default:
      break;
  }
  return 0;
}

LRESULT CTrayDlg::OnRelayBroadcast(WPARAM message, LPARAM argument, bool&) {
  if (CPlayerApp* app = CPlayerApp::Get()) {
    app->BroadcastToWindows(static_cast<UINT>(message), static_cast<WPARAM>(argument), 0);
  }
  return 0;
}

LRESULT CTrayDlg::OnPluginMessage(WPARAM, LPARAM, bool&) { return 0; }

void CTrayDlg::ShowPopupMenu() {
  POINT cursor;
  ::GetCursorPos(&cursor);
  // Foreground first, so that the menu closes when the user clicks elsewhere.
  ::SetForegroundWindow(Handle());
  UniqueMenu menu(::LoadMenuA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_TRAY_MENU)));
  if (!menu) return;
  HMENU popup = ::GetSubMenu(menu.get(), 0);
  if (CPlayerApp* app = CPlayerApp::Get()) {
    HWND controller = app->controllerWindow();
    const bool visible = controller != nullptr && ::IsWindowVisible(controller);
    ::CheckMenuItem(popup, ID_CONTROLLER, MF_BYCOMMAND | (visible ? MF_CHECKED : MF_UNCHECKED));
    if (app->model().QueueIds().empty()) ::DeleteMenu(popup, ID_CLEAR_QUEUE, MF_BYCOMMAND);
  } else {
    ::DeleteMenu(popup, ID_CLEAR_QUEUE, MF_BYCOMMAND);
  }
  ::TrackPopupMenu(popup, TPM_RIGHTBUTTON, cursor.x, cursor.y, 0, Handle(), nullptr);
}
