// A worker thread with its own message queue and no windows.
#include "framework/worker_thread.h"

CWorkerThread::~CWorkerThread() { Join(); }

bool CWorkerThread::Start(int priority) {
  queueReady_.reset(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
  if (!queueReady_) return false;
  handle_.reset(::CreateThread(nullptr, 0, &CWorkerThread::ThreadMain, this, CREATE_SUSPENDED,
                               &threadId_));
  if (!handle_) return false;
  ::SetThreadPriority(handle_.get(), priority);
  ::ResumeThread(handle_.get());
  // Wait for the queue, or for a thread that ended before making it.
  HANDLE waits[2] = {queueReady_.get(), handle_.get()};
  ::WaitForMultipleObjects(2, waits, FALSE, INFINITE);
  return true;
}

void CWorkerThread::Join() {
  if (handle_ && ::GetCurrentThreadId() != threadId_) {
    ::WaitForSingleObject(handle_.get(), INFINITE);
  }
}

bool CWorkerThread::Post(UINT message, WPARAM wParam, LPARAM lParam) const {
  return threadId_ != 0 && ::PostThreadMessageA(threadId_, message, wParam, lParam) != FALSE;
}

DWORD WINAPI CWorkerThread::ThreadMain(void* self) {
  return static_cast<DWORD>(static_cast<CWorkerThread*>(self)->Loop());
}

int CWorkerThread::Loop() {
  MSG message;
  // The first PeekMessage call creates this thread's message queue.
  ::PeekMessageA(&message, nullptr, WM_USER, WM_USER, PM_NOREMOVE);
  ::SetEvent(queueReady_.get());
  if (!InitInstance()) return ExitInstance();
  while (::GetMessageA(&message, nullptr, 0, 0) > 0) {
    if (PreTranslateMessage(message)) continue;
    ::TranslateMessage(&message);
    ::DispatchMessageA(&message);
  }
  return ExitInstance();
}
