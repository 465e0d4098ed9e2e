// A worker thread with its own message queue and no windows.
//
// Start() returns only after the thread's queue exists, so messages posted
// with PostThreadMessage right after it are never lost. The owner keeps the
// object alive until Join() returned; the thread never deletes it.
#pragma once
#include <windows.h>

#include "framework/unique_handle.h"

class CWorkerThread {
 public:
  CWorkerThread() = default;
  virtual ~CWorkerThread();
  CWorkerThread(const CWorkerThread&) = delete;
  CWorkerThread& operator=(const CWorkerThread&) = delete;

  // Creates the thread with the given priority (THREAD_PRIORITY_*), default
  // stack size, running. Returns false when the thread could not start.
  bool Start(int priority);
  // Waits without a time limit for the thread to end.
  void Join();

  DWORD ThreadId() const { return threadId_; }
  HANDLE ThreadHandle() const { return handle_.get(); }
  bool Post(UINT message, WPARAM wParam, LPARAM lParam) const;

 protected:
  // On the worker thread. Return false to end the thread at once.
  virtual bool InitInstance() { return true; }
  // On the worker thread, for each message before dispatch; return true when
  // the message was consumed.
  virtual bool PreTranslateMessage(MSG& message) = 0;
  virtual int ExitInstance() { return 0; }
  // Ends the message loop after the current message (worker thread only).
  void Quit(int exitCode) { ::PostQuitMessage(exitCode); }

 private:
  static DWORD WINAPI ThreadMain(void* self);
  int Loop();

  UniqueHandle handle_;
  UniqueHandle queueReady_;
  DWORD threadId_ = 0;
};
