// The one playback engine: the input plug-in host and the wave output.
//
// Threads
//   player thread  LoadPlugins, UnloadPlugins, Play, Stop, Close and the
//                  settings (volume, gain, pause, equalizer)
//   UI thread      PositionMs, LengthMs, CurrentTitle, Seek, TitleOf
//   decoder thread the emulated output (Open, Write, CanWrite, Flush, ...)
//   audio thread   refills; empties the current path when a file drained
#pragma once
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <vector>

#include "engine/audio_engine_control.h"
#include "common/plugin_api.h"
#include "engine/plugin_library.h"
#include "engine/wave_output.h"
#include "engine/eq_stage.h"

class CAudioEngine : public AudioEngineControl {
 public:
  CAudioEngine();
  ~CAudioEngine() override;
  CAudioEngine(const CAudioEngine&) = delete;
  CAudioEngine& operator=(const CAudioEngine&) = delete;

  // The window plug-ins get as hMainWindow (the main dialog).
  void SetMainWindow(HWND window) { mainWindow_ = window; }
  // How long Play waits for a plug-in to open the output and fill the first
  // buffer before it gives up on the file.
  void SetStartTimeoutMs(DWORD ms) { startTimeoutMs_ = ms; }

  // --- player thread -------------------------------------------------------
  void UnloadPlugins() override;
  bool LoadPlugins(const std::string& folder) override;
  bool Play(const std::string& path) override;
  void Stop() override;
  void Close() override;
  void TogglePause() override { output_.Stage().TogglePause(); }
  void SetVolume(int32_t multiplier) override { output_.Stage().SetVolume(multiplier); }
  void SetFileGain(int32_t gain) override { output_.Stage().SetFileGain(gain); }
  void SetLoudness(int32_t loudness) override { output_.Stage().SetLoudness(loudness); }
  void SetEqCurve(const EqualizerCurve& curve) override;
  void SetNotifyThread(uint32_t threadId) override { output_.SetNotifyThread(threadId); }
  EqualizerStage& equalizer() { return equalizer_; }
  void SetGaplessHold(bool on) override { output_.Stage().SetGaplessHold(on); }
  uint32_t NewestToken() const override { return newestToken_.load(); }
  bool NewestDecoderDone() const override { return output_.Stage().Ring().decoderFinished.load(); }
  bool PreRoll(const std::string& path, int32_t fileGain, int32_t loudness, const EqualizerCurve* curve,
               uint32_t& token) override;
  void DeclinePreRoll() override { output_.Stage().ReleaseEndHold(); }
  std::vector<uint32_t> CancelPreRoll() override;
  void PromoteHeard(uint32_t token) override;
  void PluginPostedEnd() override;

  // --- UI thread -------------------------------------------------------------
  std::string CurrentTitle() const override;
  std::string CurrentPath() const;
  int32_t LengthMs() const;
  uint32_t PositionMs() const { return output_.PositionMs(); }
  bool Seek(int32_t ms) override;
  bool TitleOf(const std::string& path, std::string& title);

  CWaveOutput& output() { return output_; }
  // The loaded plug-ins (the loudness analysis looks files' plug-ins up here).
  PluginLibrary& plugins() { return plugins_; }

 private:
  // Makes the plug-in the active one (for the file `token`, heard or
  // queued) and fills its host members.
  void BeginPlayback(const InputPluginRecord& record, uint32_t token, bool queued);
  // The output's Open while a file is being queued: its samples join the
  // stream (or it is refused).
  int OpenQueuedStream(int rate, int channels, int bits);
  void StopActivePlugin();
  // Polls every 1 ms until the last buffer came back (bounded: a device
  // that never returns its buffers must not hang the player thread).
  void WaitUntilOutputIdle();
  void ClearCurrentPath();
  static Out_Module MakeOutModule();

  // The emulated output's entry points (the plug-in calls them, C calls).
  static int MELODEK_PLUGIN_CALL OutOpen(int rate, int channels, int bits, int, int);
  static void MELODEK_PLUGIN_CALL OutNothing();
  static void MELODEK_PLUGIN_CALL OutClose();
  static int MELODEK_PLUGIN_CALL OutWrite(char* buffer, int length);
  static int MELODEK_PLUGIN_CALL OutCanWrite();
  static int MELODEK_PLUGIN_CALL OutIsPlaying();
  static int MELODEK_PLUGIN_CALL OutPause(int pause);
  static void MELODEK_PLUGIN_CALL OutSetVolume(int volume);
  static void MELODEK_PLUGIN_CALL OutSetPan(int pan);
  static void MELODEK_PLUGIN_CALL OutFlush(int ms);
  static int MELODEK_PLUGIN_CALL OutGetTime();
  static void MELODEK_PLUGIN_CALL OutConfig(HWND);

  static CAudioEngine* instance_;  // the emulated output reaches the engine here

  PluginLibrary plugins_;
  EqualizerStage equalizer_;  // declared before the output that refills through it
  CWaveOutput output_;
  Out_Module outModule_;  // built once; plug-ins keep a pointer to it
  HWND mainWindow_ = nullptr;
  DWORD startTimeoutMs_ = 4000;
  std::atomic<bool> openFailed_{false};  // the plug-in's Open found no device
  std::atomic<uint32_t> newestToken_{0};  // player thread writes
  // End-of-file messages still to come from plug-ins that said they were
  // done through IsPlaying (decoder thread adds, player thread takes).
  std::atomic<int> endMessagesDue_{0};

  // --- a file being queued: written by the player thread before the
  // plug-in's Play, read by the emulated Open (which Play starts, on its
  // thread or one the plug-in starts), answered through queueResult_.
  std::atomic<bool> queueOpenPending_{false};
  uint32_t queueToken_ = 0;
  int32_t queueGain_ = 0;
  int32_t queueLoudness_ = kLoudnessUnity;
  bool queueHasCurve_ = false;
  EqualizerCurve queueCurve_;
  std::atomic<int> queueResult_{0};  // 0 waiting, 1 joined, -1 refused

  // --- guarded by playbackLock_: the active plug-in, which the UI thread's
  // Seek calls into while the player thread may stop it, and whose file it
  // decodes (a queued file is not the one the user hears and seeks in).
  mutable std::mutex playbackLock_;
  In_Module* activePlugin_ = nullptr;
  uint32_t activeToken_ = 0;
  bool activeIsQueued_ = false;

  // --- guarded by stateLock_: what the UI thread reads of the playback.
  mutable std::mutex stateLock_;
  std::string currentPath_;   // emptied when the output drained
  std::string currentTitle_;
  int32_t lengthMs_ = 0;
  struct QueuedFile {
    uint32_t token;
    std::string path;
    std::string title;
    int32_t lengthMs;
  };
  std::deque<QueuedFile> queued_;  // files in the output behind the heard one

  DWORD lastRequestTime_ = 0;  // player thread only
};
