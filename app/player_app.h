// The application object: owns the user-facing state, starts the player
// thread, runs the hidden main dialog and routes commands to the player.
#pragma once
#include <windows.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "engine/audio_engine.h"
#include "engine/main_thread.h"
#include "app/add_order.h"
#include "app/command_line.h"
#include "app/instance_channel.h"
#include "app/loudness_store.h"
#include "app/tray_tip.h"
#include "engine/player_host.h"
#include "eq/eq_presets.h"
#include "ui/equalizer_target.h"
#include "framework/application.h"
#include "hotkey/hotkey_entry.h"
#include "hotkey/hotkey_target.h"
#include "playlist/play_list_set.h"
#include "settings/settings_data.h"
#include "settings/settings_location.h"
#include "ui/config_target.h"
#include "ui/controller_target.h"
#include "ui/jump_host.h"
#include "ui/play_list_edit_host.h"

class CTrayDlg;
class CControllerDlg;
class CJumpDlg;
class CTitleWnd;

class CPlayerApp : public CApplication,
                   public PlayerHost,
                   public ConfigTarget,
                   public HotKeyTarget,
                   public EqualizerTarget,
                   public ControllerTarget,
                   public PlayListEditHost,
                   public JumpHost {
 public:
  CPlayerApp();
  ~CPlayerApp() override;

  static CPlayerApp* Get() { return static_cast<CPlayerApp*>(CApplication::Instance()); }

  // --- commands (UI thread) -------------------------------------------
  bool OnCommand(UINT id) override;
  bool PreTranslateMessage(MSG& message) override;
  void RunHotKeyCommand(int hotKeyId);
  void PostPlayerCommand(uint32_t code, int32_t argument) const;
  int32_t VolumeMultiplier() const;
  void SetVolume(int32_t value, int32_t type, HWND sender) override;
  void StepVolume(int direction);
  // Posts the notice to the open dialogs and the Controller. From another
  // thread it is relayed through the main dialog (lParam must be 0 then).
  void BroadcastToWindows(UINT message, WPARAM wParam, LPARAM lParam) const;
  // The files of a start of the program: put at the head of the first list
  // and played.
  void ReceiveCommandLine(const std::string& text);
  // A hand-over through the channel: "TEXT" as above, "ADD" below.
  void ReceiveHandOver(const CInstanceChannel::HandOver& handOver);
  // The files of an "/add" start launched at `launched` (system time; 0
  // when unknown): appended to the current list (the first when none is
  // current), before the files of close starts launched after it
  // (AddOrder). What plays goes on; when nothing plays or is paused, the
  // first added file plays. A first start with "/add" follows the same
  // rule, and nothing plays at a start.
  void ReceiveAdded(const std::string& arguments, uint64_t launched);
  int32_t NextEntryId() override { return static_cast<int32_t>(model_.NextEntryId()); }
  // The main dialog finished its set-up: plug-ins get it as their main
  // window, and this start's own command line is handled.
  void OnMainDialogReady(HWND mainWindow);
  // Chooses where the settings file lives (settings_location.h) and reads
  // it (or imports the text file) into the fields.
  void LoadSettings();
  // Writes every setting, to the other place when the home place fails.
  SettingsSaveResult SaveSettings();
  // The message of a save that failed in both places, naming the files.
  static void TellSettingsNotSaved(const SettingsSaveResult& result);
  // Text after the program name on this process's command line.
  static std::string OwnCommandLine();

  // --- PlayerHost (player thread) ----------------------------------------
  std::optional<SoundFile> CurrentSoundFile() override { return model_.CurrentSoundFile(); }
  void SetFileTitle(int32_t fileId, const std::string& title) override;
  bool PrevFile() override { return model_.PrevFile(); }
  bool NextFile(bool endOfFile) override { return model_.NextFile(endOfFile); }
  std::optional<SoundFile> PeekNextFile(const std::vector<int32_t>& queuedIds) override {
    return model_.PeekNextFile(queuedIds);
  }
  void AdvanceToQueued(int32_t fileId) override { model_.AdvanceToQueued(fileId); }
  int32_t LoudnessOf(const SoundFile& file) override;
  bool BuildEqualizerCurve(int32_t presetId, EqualizerCurve& curve) override;
  std::vector<std::string> PluginFolders() override;
  void ShowTitleText(const std::string& text) override;
  void BroadcastPlayStarted() override;
  void BroadcastPlayState() override;

  // --- ControllerTarget (UI thread) ----------------------------------------
  void RunCommand(UINT id) override { OnCommand(id); }
  std::vector<std::string> PlayListNames() const override;
  void PlayListFromStart(int index) override;
  uint32_t PlaybackPositionMs() const override;
  int32_t PlaybackLengthMs() const override;
  std::string PlaybackTitle() const override;
  bool SeekPlayback(int32_t ms) override;
  // Stopped (the output is idle), paused or playing, as the output is now.
  PlayState CurrentPlayState() const;
  // Shows the Controller, active, with the keyboard focus on Play; its
  // window is made on the first call (app/player_windows.cpp).
  void ShowController();
  // Makes the title display's window, once (UI thread). The first text
  // shown asks for it.
  void CreateTitleWindow();

  // --- settings the dialogs edit (UI thread) ----------------------------
  int32_t volume() const override { return volume_; }
  int32_t volumeType() const override { return volumeType_; }
  int32_t volumeStep() const { return volumeStep_; }
  void SetVolumeStep(int32_t step) { volumeStep_ = step; }
  int32_t controlAlpha() const { return controlAlpha_; }
  void SetControlAlpha(int32_t alpha) { controlAlpha_ = alpha; }
  void SetPluginFolders(std::vector<std::string> folders);
  bool gapless() const override { return extension_.gapless; }
  void SetGapless(bool on) override;
  bool StartsWithWindows() const override;
  bool SetStartWithWindows(bool on) override;
  // --- hot keys (UI thread) ----------------------------------------------
  const HotKeyTable& hotKeys() const override { return hotKeys_; }
  HotKeyRefusals refusedHotKeys() const override { return refusedHotKeys_; }
  MediaKeyRefusals refusedMediaKeys() const override { return refusedMediaKeys_; }
  HotKeyRefusals ApplyHotKeyTable(const HotKeyTable& table) override;
  // The main dialog registers the table (and the media keys) once at its start.
  void RegisterHotKeys(HWND mainWindow);

  PlayListSet& model() { return model_; }
  // --- EqualizerTarget (UI thread) --------------------------------------
  EqPresetList& presets() override { return presets_; }
  int32_t CurrentPresetId() override { return model_.CurrentPresetId(); }
  // Stores the preset as the current file's and applies it now.
  void ApplyPreset(int32_t presetId) override;
  void ResetFilePresets(int32_t presetId) override { model_.ResetPresetId(presetId); }
  void HoldEqualizer(bool hold) override { PostPlayerCommand(PC_HOLD_EQUALIZER, hold ? 1 : 0); }
  HWND controllerWindow() const override { return controllerWindow_; }
  ReplayGainSettings replayGain() const override { return loudness_.Settings(); }
  void SetReplayGain(const ReplayGainSettings& settings) override;

  // --- PlayListEditHost (UI thread) ------------------------------------------
  PlayListSet& PlayLists() override { return model_; }
  std::vector<PresetChoice> PresetChoices() override;
  bool TitleOf(const std::string& path, std::string& title) override;
  void PlayFileById(int32_t id) override;
  void QueueFiles(const std::vector<int32_t>& ids) override;
  void SetPlayingFileVolume(int32_t volume) override;
  std::array<SettingsRect, kPlayListRectCount>& PlayListRects() override { return playListRects_; }
  std::unique_ptr<LoudnessAnalysis> NewLoudnessAnalysis() override;
  void StoreLoudness(const LoudnessProgress& results) override;
  std::optional<LoudnessRecord> LoudnessOf(int32_t id) override { return loudness_.Find(id); }

  // --- JumpHost (UI thread) -------------------------------------------------------
  const CharFolder& SearchFolder() override;
  void JumpWindowSize(int32_t& width, int32_t& height) const override;
  void SetJumpWindowSize(int32_t width, int32_t height) override;

 protected:
  bool InitInstance() override;
  int ExitInstance() override;

 private:
  void OnPlay();
  void OnStop();
  void OnPause();
  void OnPrev();
  void OnNext();
  void OnListPrev();
  void OnListNext();
  void OnToggleController();
  void OnJumpToFile();
  void OnPrepareJump();
  void OnClearQueue();
  // The queue changed: the windows show it, the player looks ahead again.
  void QueueChanged();
  void OnExit();
  void OnVolumeDown() { StepVolume(-1); }
  void OnVolumeUp() { StepVolume(+1); }
  void RunMediaKey(int index);
  // The Controller's window, made hidden on the first call where it was
  // last left, on the screen, at the stored transparency; null when it
  // could not be made.
  HWND EnsureController();
  void ApplySettings(SettingsData& settings, bool archiveLoaded);
  SettingsData CollectSettings();

  struct CommandEntry {
    UINT id;
    void (CPlayerApp::*handler)();
  };
  static const CommandEntry kCommands[];

  // --- UI thread only ---------------------------------------------------
  int32_t volume_ = 100;      // percent, or dB when volumeType_ != 0
  int32_t volumeType_ = 0;
  int32_t volumeStep_ = 1;
  int32_t controlAlpha_ = 255;
  POINT controllerPos_{0, 0};
  HotKeyTable hotKeys_{};
  HotKeyRefusals refusedHotKeys_;  // from the last registration; never saved
  MediaKeyRefusals refusedMediaKeys_;  // held by other programs at the last registration
  std::array<SettingsRect, kPlayListRectCount> playListRects_{};
  // The settings of the block after the classic fields, and the records of
  // newer versions this one does not know (written back as they came); the
  // ReplayGain settings and measured loudness live in loudness_ instead.
  SettingsExtension extension_;
  HWND controllerWindow_ = nullptr;  // UI thread; null until the Controller is first needed
  DWORD uiThreadId_ = 0;             // set once at start-up
  StartRequest startRequest_;        // this start's own command line
  AddOrder addOrder_;                // where close "/add" starts' files go
  uint64_t addPlayedAt_ = 0;         // tick count when an add last started playback
  static constexpr uint64_t kAddPlayReportMs = 5000;
  std::unique_ptr<SettingsLocation> settingsLocation_;  // chosen once, at start-up step 4

  // --- shared with the player thread ---------------------------------------
  PlayListSet model_;     // locks internally
  EqPresetList presets_;  // locks internally
  LoudnessStore loudness_;  // locks internally
  mutable std::mutex foldersLock_;
  std::vector<std::string> pluginFolders_;  // guarded by foldersLock_

  CInstanceChannel channel_;  // single-instance mutex and DDE server, for the whole run
  std::unique_ptr<CAudioEngine> engine_;  // the one engine, from start-up step 6; outlives the player thread
  std::unique_ptr<CMainThread> playerThread_;  // alive until ExitInstance joined it
  std::unique_ptr<CControllerDlg> controller_;  // UI thread; made by EnsureController
  std::unique_ptr<CharFolder> searchFolder_;  // UI thread; made at the first search
  std::unique_ptr<CJumpDlg> jump_;            // UI thread; made at its first opening
  // Made before the player thread starts (which shows titles through it) and
  // kept until that thread has ended; its window comes with the first text.
  std::unique_ptr<CTitleWnd> titleWnd_;
  std::atomic<bool> titleWindowAsked_{false};  // the first text asked for the window
};
