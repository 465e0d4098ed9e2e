// What the player thread drives: the plug-in host and the wave output behind
// one interface, so the thread's logic is testable against a stand-in.
#pragma once
#include <cstdint>
#include <string>

#include "eq/eq_preset.h"

class AudioEngineControl {
 public:
  virtual ~AudioEngineControl() = default;

  virtual void UnloadPlugins() = 0;
  virtual bool LoadPlugins(const std::string& folder) = 0;
  // True when the file plays (or was asked for again within a second).
  virtual bool Play(const std::string& path) = 0;
  // Stops the plug-in and waits until the output is idle.
  virtual void Stop() = 0;
  // Closes the wave device and frees its buffers.
  virtual void Close() = 0;
  virtual void TogglePause() = 0;
  virtual void SetVolume(int32_t multiplier) = 0;
  virtual void SetFileGain(int32_t gain) = 0;
  // An empty curve switches the equalizer off.
  virtual void SetEqCurve(const EqualizerCurve& curve) = 0;
  // The thread that receives UM_TRACK_END when a file drained at its end.
  virtual void SetNotifyThread(uint32_t threadId) = 0;
  // The title the last successful Play obtained.
  virtual std::string CurrentTitle() const = 0;
};
