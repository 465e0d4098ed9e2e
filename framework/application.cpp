// The application object and the UI thread's message loop.
#include "framework/application.h"

CApplication* CApplication::instance_ = nullptr;

CApplication::CApplication() { instance_ = this; }

CApplication::~CApplication() {
  if (instance_ == this) instance_ = nullptr;
}

int CApplication::Run(HINSTANCE instance) {
  moduleInstance_ = instance;
  if (InitInstance()) {
    MSG message;
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) PumpMessage(message, nullptr);
  }
  return ExitInstance();
}

bool CApplication::PreTranslateMessage(MSG&) { return false; }

bool CApplication::OnCommand(UINT) { return false; }

void CApplication::PumpMessage(MSG& message, HWND dialog) {
  if (PreTranslateMessage(message)) return;
  if (dialog != nullptr && ::IsDialogMessageW(dialog, &message)) return;
  for (HWND modeless : modelessDialogs_) {
    if (message.hwnd != modeless && !::IsChild(modeless, message.hwnd)) continue;
    if (::IsDialogMessageW(modeless, &message)) return;
    break;
  }
  ::TranslateMessage(&message);
  ::DispatchMessageW(&message);
}

void CApplication::AddModelessDialog(HWND dialog) {
  if (dialog != nullptr) modelessDialogs_.push_back(dialog);
}

void CApplication::RemoveModelessDialog(HWND dialog) {
  for (auto it = modelessDialogs_.begin(); it != modelessDialogs_.end(); ++it) {
    if (*it == dialog) {
      modelessDialogs_.erase(it);
      return;
    }
  }
}
