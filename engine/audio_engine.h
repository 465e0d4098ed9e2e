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
#include <mutex>
#include <string>

#include "engine/audio_engine_control.h"
#include "common/plugin_api.h"
#include "engine/plugin_library.h"
#include "engine/wave_output.h"
#include "eq/eq_stage.h"

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
  void SetEqCurve(const EqualizerCurve& curve) override;
  void SetNotifyThread(uint32_t threadId) override { output_.SetNotifyThread(threadId); }
  EqualizerStage& equalizer() { return equalizer_; }

  // --- UI thread -------------------------------------------------------------
  std::string CurrentTitle() const override;
  std::string CurrentPath() const;
  int32_t LengthMs() const;
  uint32_t PositionMs() const { return output_.PositionMs(); }
  bool Seek(int32_t ms);
  bool TitleOf(const std::string& path, std::string& title);

  CWaveOutput& output() { return output_; }
  // The loaded plug-ins (the loudness analysis looks files' plug-ins up here).
  PluginLibrary& plugins() { return plugins_; }

 private:
  void BeginPlayback(const InputPluginRecord& record);
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

  // --- guarded by playbackLock_: the active plug-in, which the UI thread's
  // Seek calls into while the player thread may stop it.
  mutable std::mutex playbackLock_;
  In_Module* activePlugin_ = nullptr;

  // --- guarded by stateLock_: what the UI thread reads of the playback.
  mutable std::mutex stateLock_;
  std::string currentPath_;   // emptied when the output drained
  std::string currentTitle_;
  int32_t lengthMs_ = 0;

  DWORD lastRequestTime_ = 0;  // player thread only
};
