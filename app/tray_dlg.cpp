// The hidden main dialog with the tray icon and its popup menu.
#include "app/tray_dlg.h"

#include <windowsx.h>

#include <string>
#include <utility>

#include "app/player_app.h"
#include "app/startup_timeline.h"
#include "app/tray_tip.h"
#include "common/resource.h"
#include "common/text_encoding.h"
#include "common/window_messages.h"
#include "hotkey/hotkey_list_dlg.h"
#include "hotkey/hotkey_registration.h"
#include "ui/equalizer_dlg.h"
#include "ui/config_dlg.h"
#include "ui/play_list_edit_dlg.h"

namespace {
POINT CursorPosition() {
  POINT cursor{0, 0};
  ::GetCursorPos(&cursor);
  return cursor;
}
}  // namespace

const MessageMapEntry<CTrayDlg> CTrayDlg::kMessageMap[] = {
    {WM_INITDIALOG, &CTrayDlg::OnInitDialog},
    {WM_ACTIVATE, &CTrayDlg::OnActivate},
    {WM_ACTIVATEAPP, &CTrayDlg::OnActivate},
    {WM_QUERYENDSESSION, &CTrayDlg::OnQueryEndSession},
    {WM_CLOSE, &CTrayDlg::OnClose},
    {UM_TRAY_NOTIFY, &CTrayDlg::OnTrayNotify},
    // The notices that change what plays reach this window with the others'.
    {UM_PLAY_STARTED, &CTrayDlg::OnPlayNotice},
    {UM_PLAY_STATE_CHANGED, &CTrayDlg::OnPlayNotice},
    {UM_RELAY_BROADCAST, &CTrayDlg::OnRelayBroadcast},
    {UM_CREATE_TITLE_WINDOW, &CTrayDlg::OnCreateTitleWindow},
    // Plug-ins send WM_USER codes to their main window (and post their end
    // of file as WM_USER + 2). A dialog would answer WM_USER itself
    // (DM_GETDEFID) with a non-zero value a plug-in may take for a pointer:
    // every such code gets 0.
    OnMessageRange<CTrayDlg>(WM_USER, WM_USER + 1, &CTrayDlg::OnPluginMessage),
    {MELODEK_PLUGIN_EOF_MESSAGE, &CTrayDlg::OnPluginEnd},
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
  startup_timeline::Mark("main dialog made");
  CPlayerApp* app = CPlayerApp::Get();
  if (app != nullptr) app->SetMainWindow(Handle());
  ::SetWindowTextA(Handle(), kMainWindowTitle);
  ::SendMessageA(Handle(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(largeIcon_.get()));
  ::SendMessageA(Handle(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_.get()));
  HideFromTaskbar();
  trayIcon_.Set(Handle(), 0, UM_TRAY_NOTIFY, smallIcon_.get(), L"Melodek");
  trayIcon_.Add();
  UpdateTip();
  startup_timeline::Mark("tray icon added");
  if (app != nullptr) {
    app->RegisterHotKeys(Handle());
  } else {
    RegisterAllHotKeys(Handle(), hotKeys_);
  }
  startup_timeline::Mark("hot keys registered");
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

// Another program (the setup, for one) asks the program to end: the same as
// Exit, which also ends the open dialogs' modal loops.
LRESULT CTrayDlg::OnClose(WPARAM, LPARAM, bool&) {
  if (CPlayerApp* app = CPlayerApp::Get()) {
    app->OnCommand(ID_APP_EXIT);
  } else {
    EndDialog(IDCANCEL);
  }
  return 0;
}

LRESULT CTrayDlg::OnTrayNotify(WPARAM wParam, LPARAM lParam, bool&) {
  // Version 4: the event in lParam's low word, the icon's id in its high
  // word, the anchor point (screen) in wParam. With id 0 the older layout
  // reads the same.
  CPlayerApp* app = CPlayerApp::Get();
  switch (LOWORD(lParam)) {
    case WM_LBUTTONDOWN:
      if (app != nullptr) app->OnCommand(ID_CONTROLLER);
      break;
    case WM_RBUTTONDOWN:
      clickContextMenuDue_ = false;
      ShowPopupMenu(CursorPosition(), false);
      break;
    case WM_RBUTTONUP:
      clickContextMenuDue_ = true;
      break;
    case WM_CONTEXTMENU:
      if (std::exchange(clickContextMenuDue_, false)) break;  // the click's menu was shown at its press
      ShowPopupMenu(POINT{GET_X_LPARAM(wParam), GET_Y_LPARAM(wParam)}, true);
      break;
    case NIN_KEYSELECT:
      if (app != nullptr) app->ShowController();
      break;
    default:  // NIN_SELECT follows a click already handled at its press
      break;
  }
  return 0;
}

LRESULT CTrayDlg::OnPlayNotice(WPARAM, LPARAM, bool&) {
  UpdateTip();
  return 0;
}

void CTrayDlg::UpdateTip() {
  CPlayerApp* app = CPlayerApp::Get();
  if (app == nullptr) return;
  const std::u16string tip = TrayTipText(ProgramTextCodec().ToUtf16(app->PlaybackTitle()), app->CurrentPlayState());
  trayIcon_.SetTip(std::wstring(tip.begin(), tip.end()).c_str());
}

LRESULT CTrayDlg::OnRightButtonDown(WPARAM, LPARAM, bool&) {
  ShowPopupMenu(CursorPosition(), false);
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

LRESULT CTrayDlg::OnCreateTitleWindow(WPARAM, LPARAM, bool&) {
  if (CPlayerApp* app = CPlayerApp::Get()) app->CreateTitleWindow();
  return 0;
}

LRESULT CTrayDlg::OnPluginMessage(WPARAM, LPARAM, bool&) { return 0; }

LRESULT CTrayDlg::OnPluginEnd(WPARAM, LPARAM, bool&) {
  // For plug-ins that never tell the output they are done (answered 0 like
  // every plug-in message: a non-zero answer may be taken for a pointer).
  if (CPlayerApp* app = CPlayerApp::Get()) app->PostPlayerCommand(PC_PLUGIN_EOF, 0);
  return 0;
}

void CTrayDlg::ShowPopupMenu(POINT at, bool fromKeyboard) {
  // The shell's notices are handled inside the menu's own loop: one menu at a time.
  if (menuOpen_) return;
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
  menuOpen_ = true;
  const UINT command = static_cast<UINT>(
      ::TrackPopupMenu(popup, TPM_RIGHTBUTTON | TPM_RETURNCMD, at.x, at.y, 0, Handle(), nullptr));
  menuOpen_ = false;
  // The menu's window must see a message of its own before it can close for
  // good (Q135788).
  ::PostMessageA(Handle(), WM_NULL, 0, 0);
  if (command != 0) {
    ::PostMessageA(Handle(), WM_COMMAND, MAKEWPARAM(command, 0), 0);
  } else if (fromKeyboard) {
    trayIcon_.ReturnFocus();
  }
}
