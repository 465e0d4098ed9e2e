// The settings the Config dialog edits, as the dialog sees them. The
// application object provides them; tests give the dialog a stand-in.
// Everything here is called on the UI thread only.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "settings/settings_extension.h"

class ConfigTarget {
 public:
  virtual int32_t volume() const = 0;      // percent, or dB when volumeType() != 0
  virtual int32_t volumeType() const = 0;  // 0 = percent, non-zero = decibels
  virtual int32_t volumeStep() const = 0;
  virtual void SetVolumeStep(int32_t step) = 0;
  virtual int32_t controlAlpha() const = 0;  // the Controller's stored opacity, 1..255
  virtual void SetControlAlpha(int32_t alpha) = 0;
  virtual std::vector<std::string> PluginFolders() = 0;
  virtual void SetPluginFolders(std::vector<std::string> folders) = 0;
  // Stores volume and type (type -1 keeps the type), sends the gain to the
  // player and tells the program's windows, naming `sender` as the changer.
  virtual void SetVolume(int32_t value, int32_t type, HWND sender) = 0;
  virtual HWND controllerWindow() const = 0;
  virtual ReplayGainSettings replayGain() const = 0;
  // Stores the settings; the playing file takes its new gain at once.
  virtual void SetReplayGain(const ReplayGainSettings& settings) = 0;
  // Gapless playback: the next file follows the last sample of the one
  // playing without a gap. Setting it tells the player.
  virtual bool gapless() const = 0;
  virtual void SetGapless(bool on) = 0;
  // Whether the per-user Run entry starts this program, read from the
  // registry at each call; and writing or removing it (false: refused).
  virtual bool StartsWithWindows() const = 0;
  virtual bool SetStartWithWindows(bool on) = 0;

 protected:
  ~ConfigTarget() = default;
};
