// The player thread: runs the command protocol; the plug-ins come with the
// first PC_RELOAD_PLUGINS.
#include "engine/main_thread.h"

bool CMainThread::Start() { return CWorkerThread::Start(THREAD_PRIORITY_TIME_CRITICAL); }

bool CMainThread::InitInstance() {
  engine_.SetNotifyThread(::GetCurrentThreadId());
  return true;
}

bool CMainThread::PreTranslateMessage(MSG& message) {
  bool quit = false;
  const bool consumed = controller_.HandleMessage(message.message, message.wParam, message.lParam, quit);
  if (quit) Quit(0);
  return consumed;
}
