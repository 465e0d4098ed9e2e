// The script that drives in_mtest.dll: the "file" it is asked to play is a
// small text file of key=value lines (and bare flags) saying what to output
// and how to misbehave. Unknown lines and lines starting with '#' are ignored.
//
//   rate=N          sample rate (default 44100, 1..1000000)
//   channels=N      channels (default 2, 1..32)
//   bits=N          8, 16, 24 or 32 (default 16)
//   frames=N        frames in the stream (default 44100)
//   pattern=P       ramp (default), sine or const:N (see mtest_pattern.h)
//   block=N         frames per Write (default 576, 1..65536)
//   slow_ms=N       sleep N ms after every Write
//   title=TEXT      title for GetFileInfo (default: file name w/o extension)
//   length=N        length in ms for GetFileInfo (default: from frames/rate)
//   log=PATH        append a record of the host's calls to PATH
//   refuse          Play returns 1
//   open_from_thread  Open the output from the decoding thread, not in Play
//   never_open      accept Play but never open the output
//   overwrite       write blocks without waiting for CanWrite
//   info_NAME=TEXT  the value winampGetExtendedFileInfo gives for NAME
//                   (info_replaygain_track_gain=-6.5 dB, any case of NAME)
//   info_unterminated  extended file info fills the host's whole buffer
//                   with its value repeated and no terminator
//   no_isplaying    at the end, post the end-of-file message without ever
//                   asking the output's IsPlaying
#pragma once
#include <cstdint>
#include <map>
#include <string>

#include "plugins/test_plugin/mtest_pattern.h"

namespace mtest {

struct Script {
  int rate = 44100;
  int channels = 2;
  int bits = 16;
  uint64_t frames = 44100;
  Pattern pattern = Pattern::kRamp;
  int constLevel = 0;
  int blockFrames = 576;
  int slowMs = 0;
  bool hasTitle = false;
  std::string title;
  bool hasLength = false;
  int lengthMs = 0;
  std::string logPath;
  bool refuse = false;
  bool openFromThread = false;
  bool neverOpen = false;
  bool overwrite = false;
  std::map<std::string, std::string> info;  // names lower case
  bool infoUnterminated = false;
  bool noIsPlaying = false;

  int FrameBytes() const { return channels * (bits / 8); }
};

// Parses script text; false when a known key has a value out of range.
bool ParseScript(const std::string& text, Script* script);

}  // namespace mtest
