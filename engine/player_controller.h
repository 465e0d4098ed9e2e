// The player thread's logic: one message at a time, in posting order.
//
// Threading: every member runs on the player thread only. Its state is
// private to it; the engine and the host make their own calls safe towards
// the other threads.
//
// Gapless playback: when the newest file's decoder has delivered everything
// (UM_DECODER_DONE), the next file of the play order is queued behind it in
// the output; the user hears it, and the model moves on to it, when its
// first sample plays (UM_FILE_HEARD). Every command acts on the file heard:
// Next and Previous walk on from it (a queued file not yet heard is played
// again from its start by Next), Stop, Play and a seek drop what is queued.
#pragma once
#include <cstdint>
#include <vector>

#include "engine/audio_engine_control.h"
#include "engine/player_host.h"
#include "engine/player_protocol.h"

class PlayerController {
 public:
  PlayerController(AudioEngineControl& engine, PlayerHost& host) : engine_(engine), host_(host) {}

  // Loads the plug-ins of every folder, in list order.
  void ReloadPlugins();
  // Handles UM_PLAYER_COMMAND, UM_TRACK_END, UM_DECODER_DONE, UM_FILE_HEARD
  // and UM_PLAYER_QUIT. Returns true
  // when the message belongs to the protocol (it is then consumed); `quit`
  // is set for UM_PLAYER_QUIT, after playback was stopped.
  bool HandleMessage(uint32_t message, uintptr_t wParam, intptr_t lParam, bool& quit);
  void RunCommand(uint32_t code, int32_t argument);

  // Starts the application's current file.
  void PlayCurrent();
  void StopPlayback();

  bool playing() const { return playing_; }
  bool eqHeld() const { return eqHeld_; }
  bool gapless() const { return gapless_; }
  // Ids of the files queued behind the one heard, in order.
  std::vector<int32_t> QueuedFileIds() const;

 private:
  struct QueuedFile {
    SoundFile file;
    uint32_t token;
  };

  void ApplyPreset(int32_t presetId);
  // The newest file has delivered everything: queue the next one.
  void OnDecoderDone(uint32_t token);
  bool QueueNextFile();
  void OnFileHeard(uint32_t token);
  // The queue no longer matches the play order (an edit): drop what can go
  // and queue again from there.
  void RequeueIfStale();
  void DropQueue();
  void Seek(int32_t ms);

  AudioEngineControl& engine_;
  PlayerHost& host_;
  bool playing_ = false;  // a file was started and has not been stopped
  bool eqHeld_ = false;   // the Equalizer dialog holds the curve
  bool gapless_ = true;
  std::vector<QueuedFile> queued_;  // in the output behind the file heard
};
