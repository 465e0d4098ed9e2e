// Dialogs from resource templates, modal or modeless, with message maps.
#include "framework/dialog.h"

#include "framework/application.h"
#include "framework/dpi.h"
#include "framework/high_contrast.h"

CDialog::CDialog(UINT templateId) : templateId_(templateId) {}

CDialog::~CDialog() {
  if (window_ != nullptr && ::IsWindow(window_)) {
    ::SetWindowLongPtrA(window_, DWLP_USER, 0);
    ::DestroyWindow(window_);
  }
}

bool CDialog::Create(HWND owner) {
  CApplication* app = CApplication::Instance();
  HINSTANCE module = app != nullptr ? app->ModuleInstance() : ::GetModuleHandleA(nullptr);
  modal_ = false;
  window_ = unicode_ ? ::CreateDialogParamW(module, MAKEINTRESOURCEW(templateId_), owner, &CDialog::DialogProc,
                                            reinterpret_cast<LPARAM>(this))
                     : ::CreateDialogParamA(module, MAKEINTRESOURCEA(templateId_), owner, &CDialog::DialogProc,
                                            reinterpret_cast<LPARAM>(this));
  return window_ != nullptr;
}

INT_PTR CDialog::DoModal(HWND owner) {
  if (!Create(owner)) return -1;
  modal_ = true;
  ended_ = false;
  const bool ownerWasEnabled = owner != nullptr && ::IsWindowEnabled(owner);
  if (ownerWasEnabled) ::EnableWindow(owner, FALSE);
  if (showWhenModal_ && !ended_) ::ShowWindow(window_, SW_SHOW);

  CApplication* app = CApplication::Instance();
  MSG message;
  while (!ended_ && ::IsWindow(window_)) {
    const BOOL got = ::GetMessageW(&message, nullptr, 0, 0);  // Unicode: see application.h
    if (got <= 0) {
      // WM_QUIT belongs to the outer loop: put it back and leave.
      ::PostQuitMessage(static_cast<int>(message.wParam));
      if (!ended_) result_ = IDCANCEL;
      break;
    }
    const bool forDialog =
        message.hwnd != nullptr && (message.hwnd == window_ || ::IsChild(window_, message.hwnd));
    if (forDialog && PreTranslateMessage(message)) continue;
    if (app != nullptr) {
      app->PumpMessage(message, window_);
    } else if (!::IsDialogMessageW(window_, &message)) {
      ::TranslateMessage(&message);
      ::DispatchMessageW(&message);
    }
  }
  if (ownerWasEnabled) {
    ::EnableWindow(owner, TRUE);
    ::SetActiveWindow(owner);
  }
  if (::IsWindow(window_)) {
    ::SetWindowLongPtrA(window_, DWLP_USER, 0);
    ::DestroyWindow(window_);
  }
  window_ = nullptr;
  modal_ = false;
  return result_;
}

void CDialog::EndDialog(INT_PTR result) {
  if (modal_) {
    result_ = result;
    ended_ = true;
    ::PostMessageA(window_, WM_NULL, 0, 0);  // wake the modal loop
  } else if (window_ != nullptr) {
    ::ShowWindow(window_, SW_HIDE);
  }
}

bool CDialog::OnMessage(UINT, WPARAM, LPARAM, LRESULT*) { return false; }

INT_PTR CALLBACK CDialog::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  CDialog* self;
  if (message == WM_INITDIALOG) {
    self = reinterpret_cast<CDialog*>(lParam);
    ::SetWindowLongPtrA(window, DWLP_USER, lParam);
    self->window_ = window;
  } else {
    self = reinterpret_cast<CDialog*>(::GetWindowLongPtrA(window, DWLP_USER));
  }
  if (self == nullptr) return FALSE;
  return self->HandleMessage(message, wParam, lParam);
}

namespace {
// Messages whose result a dialog procedure returns directly instead of
// through DWLP_MSGRESULT (see "DialogProc" on MSDN).
bool ReturnsResultDirectly(UINT message) {
  switch (message) {
    case WM_INITDIALOG:
    case WM_QUERYDRAGICON:
    case WM_COMPAREITEM:
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
      return true;
    default:
      return false;
  }
}
}  // namespace

void CDialog::FollowSystemColours(UINT message) {
  // Each dialog compares with the mode it last followed: the first one to
  // hear of a change reads it for all.
  ReadHighContrast();
  if (message == WM_SETTINGCHANGE && HighContrastOn() == highContrast_) return;
  highContrast_ = HighContrastOn();
  // Common controls keep colours of their own and hear of new ones only
  // from their parent (see WM_SYSCOLORCHANGE on MSDN).
  for (HWND child = ::GetWindow(window_, GW_CHILD); child != nullptr; child = ::GetWindow(child, GW_HWNDNEXT)) {
    ::SendMessageW(child, WM_SYSCOLORCHANGE, 0, 0);
  }
  OnColoursChanged();
  ::RedrawWindow(window_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
}

INT_PTR CDialog::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  LRESULT result = 0;
  // Every dialog follows the system's colours, whatever its own map does.
  if (message == WM_SYSCOLORCHANGE || message == WM_SETTINGCHANGE) FollowSystemColours(message);
  if (message == WM_INITDIALOG) highContrast_ = HighContrastOn();
  if (OnMessage(message, wParam, lParam, &result)) {
    if (ReturnsResultDirectly(message)) return static_cast<INT_PTR>(result);
    ::SetWindowLongPtrA(window_, DWLP_MSGRESULT, result);
    return TRUE;
  }
  switch (message) {
    case WM_INITDIALOG:
      return OnInitDialog();
    case kMsgEndDialog:
      EndDialog(static_cast<INT_PTR>(wParam));
      return TRUE;
    case kWmDpiChanged: {
      const RECT* suggested = reinterpret_cast<const RECT*>(lParam);
      if (suggested != nullptr) {
        ::SetWindowPos(window_, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                       suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
      }
      OnDpiChanged(HIWORD(wParam));
      return FALSE;  // the dialog manager goes on to scale the controls
    }
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK && HIWORD(wParam) == BN_CLICKED) {
        OnOK();
        return TRUE;
      }
      if (LOWORD(wParam) == IDCANCEL) {
        OnCancel();
        return TRUE;
      }
      // Menu and accelerator commands no window handles go to the application.
      if (lParam == 0 && CApplication::Instance() != nullptr &&
          CApplication::Instance()->OnCommand(LOWORD(wParam))) {
        return TRUE;
      }
      return FALSE;
    default:
      return FALSE;
  }
}

void EndDialogWindow(HWND window, INT_PTR result) {
  ::SendMessageA(window, kMsgEndDialog, static_cast<WPARAM>(result), 0);
}
