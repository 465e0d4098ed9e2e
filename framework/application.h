// The application object: one per process, owns the UI thread's message loop.
//
// Every message of the UI thread passes PreTranslateMessage first, also inside
// the modal loops of CDialog::DoModal, so hot keys (WM_HOTKEY) and other
// thread-wide messages are seen while any modal dialog runs.
//
// The loops take and dispatch messages in their Unicode form: a character
// typed in any script reaches a Unicode window (a text box) intact, where
// the ANSI form would pass it through the code page ("?" for a character
// the page lacks, and Wine's ANSI form of the UTF-8 page lacks every
// character of more than two bytes). ANSI windows still get their own form.
#pragma once
#include <windows.h>

#include <vector>

class CApplication {
 public:
  CApplication();
  virtual ~CApplication();
  CApplication(const CApplication&) = delete;
  CApplication& operator=(const CApplication&) = delete;

  static CApplication* Instance() { return instance_; }

  // WinMain calls this: InitInstance; when it returns true the message loop
  // runs until WM_QUIT; ExitInstance always runs last. Returns the exit code.
  int Run(HINSTANCE instance);

  HINSTANCE ModuleInstance() const { return moduleInstance_; }
  HWND MainWindow() const { return mainWindow_; }
  void SetMainWindow(HWND window) { mainWindow_ = window; }

  // Return true to swallow the message.
  virtual bool PreTranslateMessage(MSG& message);
  // WM_COMMAND ids that no window handled (menu commands of the application).
  virtual bool OnCommand(UINT id);

  // One turn of the loop for a message already taken from the queue:
  // pre-translation, dialog navigation for `dialog` (if any), dispatch.
  void PumpMessage(MSG& message, HWND dialog);
  // Modeless dialogs (the Controller) get the same keyboard handling as a
  // modal one: Tab, Enter, Escape, arrows. UI thread only.
  void AddModelessDialog(HWND dialog);
  void RemoveModelessDialog(HWND dialog);

 protected:
  virtual bool InitInstance() = 0;
  virtual int ExitInstance() { return 0; }

 private:
  static CApplication* instance_;
  HINSTANCE moduleInstance_ = nullptr;
  HWND mainWindow_ = nullptr;
  std::vector<HWND> modelessDialogs_;  // UI thread only
};
