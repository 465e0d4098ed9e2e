// The player thread: a worker thread with a message queue that owns all
// playback control (priority THREAD_PRIORITY_TIME_CRITICAL). It loads no
// plug-in of its own accord: the owner posts PC_RELOAD_PLUGINS when they
// may come (the program once its tray icon and hot keys are up), before the
// first command that plays.
#pragma once
#include "engine/player_controller.h"
#include "framework/worker_thread.h"

class CMainThread : public CWorkerThread {
 public:
  CMainThread(AudioEngineControl& engine, PlayerHost& host) : controller_(engine, host), engine_(engine) {}

  // Starts the thread at THREAD_PRIORITY_TIME_CRITICAL.
  bool Start();
  bool PostCommand(uint32_t code, int32_t argument) const {
    return Post(UM_PLAYER_COMMAND, code, static_cast<LPARAM>(argument));
  }

 protected:
  bool InitInstance() override;
  bool PreTranslateMessage(MSG& message) override;

 private:
  PlayerController controller_;  // player thread only
  AudioEngineControl& engine_;
};
