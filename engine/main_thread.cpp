// The player thread: loads the plug-ins, then runs the command protocol.
#include "engine/main_thread.h"

bool CMainThread::Start() { return CWorkerThread::Start(THREAD_PRIORITY_TIME_CRITICAL); }

bool CMainThread::InitInstance() {
  controller_.ReloadPlugins();
  engine_.SetNotifyThread(::GetCurrentThreadId());
  return true;
}

bool CMainThread::PreTranslateMessage(MSG& message) {
  bool quit = false;
  const bool consumed = controller_.HandleMessage(message.message, message.wParam, message.lParam, quit);
  if (quit) Quit(0);
  return consumed;
}
