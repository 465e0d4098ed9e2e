// The application object's windows that wait until they are first needed:
// the Controller and the title display. A start makes neither, so the tray
// icon comes sooner and a user who never opens them never pays for them.
#include "app/player_app.h"
#include "app/startup_timeline.h"
#include "app/window_utils.h"
#include "common/window_messages.h"
#include "ui/controller_dlg.h"
#include "ui/layered_window.h"
#include "ui/title_wnd.h"

HWND CPlayerApp::EnsureController() {
  if (controller_) return controllerWindow_;
  controller_ = std::make_unique<CControllerDlg>(*this);
  if (!controller_->Create(nullptr)) return nullptr;
  controllerWindow_ = controller_->Handle();
  SetWindowAlpha(controllerWindow_, controlAlpha_);
  RECT rect;
  ::GetWindowRect(controllerWindow_, &rect);
  ::MoveWindow(controllerWindow_, controllerPos_.x, controllerPos_.y, rect.right - rect.left,
               rect.bottom - rect.top, FALSE);
  KeepOnScreen(controllerWindow_);
  return controllerWindow_;
}

void CPlayerApp::ShowController() {
  if (EnsureController() != nullptr) controller_->ShowWithFocusOnPlay();
  startup_timeline::Mark("Controller shown");
}

void CPlayerApp::ShowTitleText(const std::string& text) {
  if (!titleWnd_) return;
  titleWnd_->ShowText(text);  // waits in the object until the window exists
  if (titleWindowAsked_.exchange(true)) return;
  // Windows belong to the UI thread: the player thread asks the main dialog.
  if (::GetCurrentThreadId() == uiThreadId_) {
    CreateTitleWindow();
  } else if (MainWindow() == nullptr || !::PostMessageA(MainWindow(), UM_CREATE_TITLE_WINDOW, 0, 0)) {
    titleWindowAsked_.store(false);  // the next text asks again
  }
}

void CPlayerApp::CreateTitleWindow() {
  if (titleWnd_ && titleWnd_->Handle() == nullptr) {
    titleWnd_->CreateHidden();
    startup_timeline::Mark("title display made");
  }
}
