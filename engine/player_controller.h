// The player thread's logic: one message at a time, in posting order.
//
// Threading: every member runs on the player thread only. `playing` and
// `eqHeld` are private to it; the engine and the host make their own calls
// safe towards the other threads.
#pragma once
#include <cstdint>

#include "engine/audio_engine_control.h"
#include "engine/player_host.h"
#include "engine/player_protocol.h"

class PlayerController {
 public:
  PlayerController(AudioEngineControl& engine, PlayerHost& host) : engine_(engine), host_(host) {}

  // Loads the plug-ins of every folder, in list order.
  void ReloadPlugins();
  // Handles UM_PLAYER_COMMAND, UM_TRACK_END and UM_PLAYER_QUIT. Returns true
  // when the message belongs to the protocol (it is then consumed); `quit`
  // is set for UM_PLAYER_QUIT, after playback was stopped.
  bool HandleMessage(uint32_t message, uintptr_t wParam, intptr_t lParam, bool& quit);
  void RunCommand(uint32_t code, int32_t argument);

  // Starts the application's current file.
  void PlayCurrent();
  void StopPlayback();

  bool playing() const { return playing_; }
  bool eqHeld() const { return eqHeld_; }

 private:
  void ApplyPreset(int32_t presetId);

  AudioEngineControl& engine_;
  PlayerHost& host_;
  bool playing_ = false;  // a file was started and has not been stopped
  bool eqHeld_ = false;   // the Equalizer dialog holds the curve
};
