// What the player thread drives: the plug-in host and the wave output behind
// one interface, so the thread's logic is testable against a stand-in.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

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
  // The file's loudness factor, OutputStage::kLoudnessUnity = 1.0.
  virtual void SetLoudness(int32_t loudness) = 0;
  // An empty curve switches the equalizer off.
  virtual void SetEqCurve(const EqualizerCurve& curve) = 0;
  // The thread that receives UM_TRACK_END when a file drained at its end.
  virtual void SetNotifyThread(uint32_t threadId) = 0;
  // The title the last successful Play obtained (or of the queued file that
  // was heard last).
  virtual std::string CurrentTitle() const = 0;

  // --- gapless playback ---------------------------------------------------
  // While on, the end of the stream waits for the answer to a decoder's
  // "done" (PreRoll or DeclinePreRoll).
  virtual void SetGaplessHold(bool on) = 0;
  // The token of the newest file in the output (the one a UM_DECODER_DONE
  // must name to be current), and whether its decoder has delivered all.
  virtual uint32_t NewestToken() const = 0;
  virtual bool NewestDecoderDone() const = 0;
  // Queues `path` behind the files in the output: the plug-in of the newest
  // one (done decoding) is stopped, the new one's samples follow in the same
  // stream with `fileGain`, `loudness` and, unless null, `curve` from their first
  // sample. True with its token; false when it cannot join (another rate,
  // no plug-in, the plug-in fails): the playing file then ends as usual.
  virtual bool PreRoll(const std::string& path, int32_t fileGain, int32_t loudness,
                       const EqualizerCurve* curve, uint32_t& token) = 0;
  // No next file: the newest file's end is the stream's end.
  virtual void DeclinePreRoll() = 0;
  // Drops the queued files none of whose samples was played yet (their
  // plug-in is stopped); returns the tokens still queued, in order.
  virtual std::vector<uint32_t> CancelPreRoll() = 0;
  // The queued file `token` is heard: title, path, length become its own.
  virtual void PromoteHeard(uint32_t token) = 0;
  // A plug-in posted its end-of-file message to the main window. One that
  // asked IsPlaying first has been counted as done already; one that never
  // asks is done now.
  virtual void PluginPostedEnd() = 0;
  // A seek in the playing file; false when it could not be done here (no
  // plug-in, or the plug-in decoding is a queued file's).
  virtual bool Seek(int32_t ms) = 0;
};
