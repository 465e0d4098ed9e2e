// What the Controller needs from the rest of the program: the volume, the
// commands its buttons run, the play lists of its caption menu and the
// playback it shows. The application object provides it; the tick benchmark
// gives the Controller a stand-in.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

class ControllerTarget {
 public:
  // --- UI thread only ------------------------------------------------------
  virtual int32_t volume() const = 0;      // percent, or dB when volumeType() != 0
  virtual int32_t volumeType() const = 0;  // 0 = percent, non-zero = decibels
  // Stores the volume (type -1 keeps the mode), sends the gain to the player
  // and tells the program's windows, naming `sender` as the changer.
  virtual void SetVolume(int32_t value, int32_t type, HWND sender) = 0;
  // Runs one of the shared commands (ID_PLAY, ID_NEXT, ...).
  virtual void RunCommand(UINT id) = 0;
  virtual std::vector<std::string> PlayListNames() const = 0;
  // Makes the first file of list `index` current and plays it; an empty or
  // unknown list does nothing.
  virtual void PlayListFromStart(int index) = 0;

  // --- playback, read on the UI thread while the player thread writes it:
  // each call returns one consistent value.
  virtual uint32_t PlaybackPositionMs() const = 0;
  virtual int32_t PlaybackLengthMs() const = 0;
  virtual std::string PlaybackTitle() const = 0;
  // Hands the position to the active input plug-in at once; false when none plays.
  virtual bool SeekPlayback(int32_t ms) = 0;

 protected:
  ~ControllerTarget() = default;
};
