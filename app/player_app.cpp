// The application object: start-up, shut-down and command routing.
#include "app/player_app.h"

#include <commctrl.h>
#include <shlobj.h>

#include <algorithm>

#include "app/command_line.h"
#include "app/hand_over.h"
#include "app/hotkey_commands.h"
#include "app/startup_timeline.h"
#include "hotkey/hotkey_edit_dlg.h"
#include "hotkey/hotkey_registration.h"
#include "hotkey/hotkey_table.h"
#include "common/resource.h"
#include "app/tray_dlg.h"
#include "engine/volume.h"
#include "common/window_messages.h"
#include "app/window_utils.h"
#include "engine/plugin_info.h"
#include "framework/dialog.h"
#include "framework/module_path.h"
#include "playlist/gather.h"
#include "framework/system_char_folder.h"
#include "ui/controller_dlg.h"
#include "ui/jump_dlg.h"
#include "ui/title_wnd.h"

const CPlayerApp::CommandEntry CPlayerApp::kCommands[] = {
    {ID_PLAY, &CPlayerApp::OnPlay},
    {ID_STOP, &CPlayerApp::OnStop},
    {ID_PAUSE, &CPlayerApp::OnPause},
    {ID_PREV, &CPlayerApp::OnPrev},
    {ID_NEXT, &CPlayerApp::OnNext},
    {ID_LIST_PREV, &CPlayerApp::OnListPrev},
    {ID_LIST_NEXT, &CPlayerApp::OnListNext},
    {ID_CONTROLLER, &CPlayerApp::OnToggleController},
    {ID_JUMP_TO_FILE, &CPlayerApp::OnJumpToFile},
    {ID_JUMP_PREPARE, &CPlayerApp::OnPrepareJump},
    {ID_CLEAR_QUEUE, &CPlayerApp::OnClearQueue},
    {ID_APP_EXIT, &CPlayerApp::OnExit},
    {ID_VOLUME_DOWN, &CPlayerApp::OnVolumeDown},
    {ID_VOLUME_UP, &CPlayerApp::OnVolumeUp},
};

CPlayerApp::CPlayerApp() {
  model_.SetSelectionListener([this](int32_t selFileId) {
    BroadcastToWindows(UM_SELECTION_CHANGED, static_cast<WPARAM>(selFileId), 0);
  });
  // A file queued for gapless playback must still be the one the play
  // order leads to after an edit.
  model_.SetChangeListener([this] { PostPlayerCommand(PC_PLAYLIST_EDITED, 0); });
}

CPlayerApp::~CPlayerApp() = default;

bool CPlayerApp::InitInstance() {
  uiThreadId_ = ::GetCurrentThreadId();
  // 1. Relative paths (settings, plug-in folders) resolve against the program's folder.
  ::SetCurrentDirectoryA(ModuleFolder().c_str());
  // 2. Single instance: a later copy hands its command line to the first one
  // and ends (app/hand_over.h). What reaches this copy before its lists are
  // loaded is held by the channel until the main dialog is up.
  const std::string name = ModuleBaseName();
  startRequest_ = ParseStartRequest(OwnCommandLine());
  switch (BecomeFirstOrHandOver(channel_, name, startRequest_)) {
    case StartRole::kFirst:
      break;
    case StartRole::kHandedOver:
      return false;
    case StartRole::kNoAnswer:
      ShowNoAnswer(startRequest_);
      return false;
  }
  channel_.SetReceiver([this](const CInstanceChannel::HandOver& handOver) { ReceiveHandOver(handOver); });
  // 3. Common controls.
  INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_WIN95_CLASSES | ICC_BAR_CLASSES};
  ::InitCommonControlsEx(&controls);
  // 4. Settings, before the player thread so that its first commands see them.
  LoadSettings();
  startup_timeline::Mark("settings read");
  // 5. There is always a play list.
  if (model_.ListCount() == 0) model_.AppendList("new");
  // The title display's object takes texts from now on; its window, like
  // the Controller, is made when first needed (app/player_windows.cpp).
  titleWnd_ = std::make_unique<CTitleWnd>();
  // 6. The player thread. The engine (its output thread) is built only now,
  // so a second start that merely hands over its files stays light.
  engine_ = std::make_unique<CAudioEngine>();
  playerThread_ = std::make_unique<CMainThread>(*engine_, *this);
  if (!playerThread_->Start()) {
    playerThread_.reset();
    return false;
  }
  startup_timeline::Mark("player thread started");
  // 7. Until PC_SET_VOLUME arrives the engine's multiplier is 0 (silence).
  // The plug-ins are loaded once the tray icon is up (OnMainDialogReady).
  PostPlayerCommand(PC_SET_VOLUME, VolumeMultiplier());
  PostPlayerCommand(PC_SET_GAPLESS, extension_.gapless ? 1 : 0);
  // 8. The hidden main dialog runs for the whole life of the program.
  {
    CTrayDlg tray(hotKeys_);
    tray.Run();
  }
  channel_.StopServing();  // however the dialog ended
  return false;
}

int CPlayerApp::ExitInstance() {
  SettingsSaveResult saved;
  saved.saved = true;
  if (playerThread_) {
    saved = SaveSettings();
    if (controllerWindow_ != nullptr) {
      // Minimized first when it is on screen; a hidden one has nothing to show
      // (and under Wine without a window manager the minimize waits 2 s).
      if (::IsWindowVisible(controllerWindow_)) ::CloseWindow(controllerWindow_);
      controllerWindow_ = nullptr;
    }
    controller_.reset();
    jump_.reset();
    playerThread_->Post(UM_PLAYER_QUIT, 0, 0);
    playerThread_->Join();  // no time limit: the thread stops playback first
    playerThread_.reset();
  }
  // The settings are saved and the sound has stopped: a start from now on
  // becomes the first copy (and reads those settings).
  channel_.ReleaseName();
  titleWnd_.reset();  // no thread shows a title any more
  // Told once everything has stopped: nothing plays behind the message.
  if (!saved.saved) TellSettingsNotSaved(saved);
  return 0;
}

bool CPlayerApp::PreTranslateMessage(MSG& message) {
  // Hot keys reach the application from every window and modal loop.
  if (message.message == WM_HOTKEY) {
    // In the hot key editor a registered combination is being typed, not used.
    if (CHotKeyEditDlg::TakeHotKey(message)) return true;
    RunHotKeyCommand(static_cast<int>(message.wParam));
  }
  return false;
}

bool CPlayerApp::OnCommand(UINT id) {
  for (const CommandEntry& entry : kCommands) {
    if (entry.id == id) {
      (this->*entry.handler)();
      return true;
    }
  }
  return false;
}

void CPlayerApp::RunHotKeyCommand(int hotKeyId) {
  const int mediaKey = MediaKeyOfId(hotKeyId);
  if (mediaKey >= 0) {
    RunMediaKey(mediaKey);
    return;
  }
  const UINT command = CommandOfHotKey(hotKeyId);
  if (command == 0) return;
  // The dialog commands belong to the main dialog; the rest to this object.
  if (!OnCommand(command) && MainWindow() != nullptr) {
    ::SendMessageA(MainWindow(), WM_COMMAND, MAKEWPARAM(command, 0), 0);
  }
}

void CPlayerApp::RunMediaKey(int index) {
  switch (MediaKeyAt(index).action) {
    case MediaKeyAction::kPlayPause:
      // One key for both: a file playing or paused pauses or resumes, a stop plays.
      if (engine_ && !engine_->CurrentPath().empty()) {
        OnPause();
      } else {
        OnPlay();
      }
      break;
    case MediaKeyAction::kNext:
      OnNext();
      break;
    case MediaKeyAction::kPrevious:
      OnPrev();
      break;
    case MediaKeyAction::kStop:
      OnStop();
      break;
  }
}

void CPlayerApp::RegisterHotKeys(HWND mainWindow) {
  refusedHotKeys_ = RegisterAllHotKeys(mainWindow, hotKeys_);
  refusedMediaKeys_ = RegisterMediaKeys(mainWindow);
}

HotKeyRefusals CPlayerApp::ApplyHotKeyTable(const HotKeyTable& table) {
  refusedHotKeys_ = ApplyHotKeys(MainWindow(), table.data(), kHotKeyCount, hotKeys_);
  refusedMediaKeys_ = RegisterMediaKeys(MainWindow());
  return refusedHotKeys_;
}

void CPlayerApp::PostPlayerCommand(uint32_t code, int32_t argument) const {
  if (playerThread_) playerThread_->PostCommand(code, argument);  // failures are ignored
}

int32_t CPlayerApp::VolumeMultiplier() const { return ::VolumeMultiplier(volume_, volumeType_); }

void CPlayerApp::SetVolume(int32_t value, int32_t type, HWND sender) {
  volume_ = value;
  if (type != -1) volumeType_ = type;
  PostPlayerCommand(PC_SET_VOLUME, VolumeMultiplier());
  PostPlayerCommand(PC_SET_GAPLESS, extension_.gapless ? 1 : 0);
  BroadcastToWindows(UM_VOLUME_CHANGED, 0, reinterpret_cast<LPARAM>(sender));
}

void CPlayerApp::StepVolume(int direction) {
  const VolumeStepResult step = StepVolumeValue(volume_, volumeType_, volumeStep_, direction);
  volume_ = step.volume;
  PostPlayerCommand(PC_SET_VOLUME, VolumeMultiplier());
  PostPlayerCommand(PC_SET_GAPLESS, extension_.gapless ? 1 : 0);
  ShowTitleText(step.text);
  BroadcastToWindows(UM_VOLUME_CHANGED, 0, 0);
}

void CPlayerApp::BroadcastToWindows(UINT message, WPARAM wParam, LPARAM lParam) const {
  if (MainWindow() == nullptr) return;
  if (::GetCurrentThreadId() != uiThreadId_) {
    ::PostMessageA(MainWindow(), UM_RELAY_BROADCAST, message, static_cast<LPARAM>(wParam));
    return;
  }
  for (HWND window : NotifiedWindows(::GetCurrentProcessId(), controllerWindow_)) {
    ::PostMessageA(window, message, wParam, lParam);
  }
  // The main dialog too: its tray tip follows what plays.
  ::PostMessageA(MainWindow(), message, wParam, lParam);
}

void CPlayerApp::ReceiveCommandLine(const std::string& text) {
  const std::vector<std::string> arguments = SplitCommandLine(text);
  // Last argument first, each path at the front: the arguments keep their
  // order at the head of the first list, a folder's or list's paths stand
  // reversed. The folders are read first; the list changes in one step.
  std::vector<std::string> paths;
  for (auto argument = arguments.rbegin(); argument != arguments.rend(); ++argument) {
    GatherArgument(*argument, paths);
  }
  model_.Edit([&](PlayListModel& model) {
    for (const std::string& path : paths) model.InsertFile(0, 0, path);
    model.SelectFile(0, 0);
  });
  OnPlay();
}

void CPlayerApp::ReceiveHandOver(const CInstanceChannel::HandOver& handOver) {
  if (handOver.kind == HandOverKind::kPlay) {
    ReceiveCommandLine(handOver.arguments);
  } else {
    ReceiveAdded(handOver.arguments, handOver.launched);
  }
}

void CPlayerApp::ReceiveAdded(const std::string& arguments, uint64_t launched) {
  std::vector<std::string> paths;
  for (const std::string& argument : SplitCommandLine(arguments)) GatherArgument(argument, paths);
  if (paths.empty()) return;
  std::vector<NewSoundFile> files(paths.begin(), paths.end());
  const uint64_t now = ::GetTickCount64();
  if (launched == 0) {
    // A caller that named no launch time goes after every start so far.
    FILETIME time;
    ::GetSystemTimeAsFileTime(&time);
    launched = (static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
  }
  // The player tells what plays only once it handled the command: an add
  // that just started playback counts as playing for a while.
  const bool idle = (!engine_ || engine_->CurrentPath().empty()) &&
                    (addPlayedAt_ == 0 || now - addPlayedAt_ > kAddPlayReportMs);
  int32_t list = 0;
  int32_t firstId = 0;
  model_.Edit([&](PlayListModel& model) {
    list = std::max<int32_t>(model.CurrentListIndex(), 0);
    const PlayList* current = model.List(list);
    if (current == nullptr) return;
    int32_t before = static_cast<int32_t>(current->files.size());
    for (int32_t id : addOrder_.LaterAdds(list, launched, now)) {
      const std::optional<FilePos> at = model.FindFile(id);
      if (at && at->list == list) {
        before = at->file;
        break;
      }
    }
    model.InsertFiles(list, before, std::move(files));
    if (const SoundFile* first = model.File(list, before)) firstId = first->id;
    if (idle) model.SelectFile(list, before);
  });
  if (firstId != 0) addOrder_.Remember(list, launched, firstId, now);
  if (idle && firstId != 0) {
    addPlayedAt_ = now;
    OnPlay();
  }
}

void CPlayerApp::OnMainDialogReady(HWND mainWindow) {
  if (engine_) engine_->SetMainWindow(mainWindow);
  channel_.SetMainWindow(mainWindow);
  // What the user sees first is up: the plug-ins load now, on the player
  // thread, before any file this start or another one asks to play.
  PostPlayerCommand(PC_RELOAD_PLUGINS, 0);
  // This start's own files are handled like a later start's, first; then
  // what other starts handed over while this one was starting up.
  if (!startRequest_.files.empty()) ReceiveHandOver({startRequest_.kind, startRequest_.files, ProcessLaunchTime()});
  channel_.ReleaseHeld();
  // Made when the start-up is done, so that its hot key only has to show it.
  ::PostMessageA(mainWindow, WM_COMMAND, MAKEWPARAM(ID_JUMP_PREPARE, 0), 0);
}

std::string CPlayerApp::OwnCommandLine() { return ArgumentsAfterProgramName(::GetCommandLineA()); }

// --- commands ----------------------------------------------------------------

void CPlayerApp::OnPlay() {
  startup_timeline::Mark("Play asked");
  if (model_.CurrentListIndex() == -1) model_.SelectFile(0, 0);
  PostPlayerCommand(PC_PLAY, 0);
}

void CPlayerApp::OnStop() { PostPlayerCommand(PC_STOP, 0); }
void CPlayerApp::OnPause() { PostPlayerCommand(PC_PAUSE, 0); }

void CPlayerApp::OnPrev() {
  model_.PrevFile();
  PostPlayerCommand(PC_PLAY, 0);
}

void CPlayerApp::OnNext() {
  model_.NextFile(false);
  PostPlayerCommand(PC_PLAY, 0);
}

void CPlayerApp::OnListPrev() {
  model_.PrevList();
  PostPlayerCommand(PC_PLAY, 0);
}

void CPlayerApp::OnListNext() {
  model_.NextList();
  PostPlayerCommand(PC_PLAY, 0);
}

void CPlayerApp::OnToggleController() {
  startup_timeline::Mark("Controller asked");
  if (controllerWindow_ != nullptr && ::IsWindowVisible(controllerWindow_)) {
    ::ShowWindow(controllerWindow_, SW_HIDE);
  } else {
    ShowController();
  }
}

void CPlayerApp::OnJumpToFile() {
  OnPrepareJump();
  jump_->Open();
}

void CPlayerApp::OnPrepareJump() {
  if (!jump_) jump_ = std::make_unique<CJumpDlg>(*this);
  jump_->Prepare();
  startup_timeline::Mark("Jump to File prepared");
}

void CPlayerApp::OnClearQueue() {
  model_.ClearQueue();
  QueueChanged();
}

void CPlayerApp::QueueFiles(const std::vector<int32_t>& ids) {
  if (model_.Enqueue(ids) > 0) QueueChanged();
}

void CPlayerApp::QueueChanged() {
  BroadcastToWindows(UM_QUEUE_CHANGED, 0, 0);
  // The file after the current one may be another now.
  PostPlayerCommand(PC_PLAYLIST_EDITED, 0);
}

const CharFolder& CPlayerApp::SearchFolder() {
  if (!searchFolder_) searchFolder_ = MakeProgramCharFolder();
  return *searchFolder_;
}

void CPlayerApp::JumpWindowSize(int32_t& width, int32_t& height) const {
  width = extension_.jumpWindowWidth;
  height = extension_.jumpWindowHeight;
}

void CPlayerApp::SetJumpWindowSize(int32_t width, int32_t height) {
  extension_.jumpWindowWidth = std::max(width, 0);
  extension_.jumpWindowHeight = std::max(height, 0);
}

void CPlayerApp::OnExit() {
  // From now on a start waits for this copy to end instead of handing over.
  channel_.StopServing();
  // Cancel the open dialogs and the Controller, then close the main dialog.
  for (HWND window : NotifiedWindows(::GetCurrentProcessId(), controllerWindow_)) {
    EndDialogWindow(window, IDCANCEL);
  }
  if (MainWindow() != nullptr) EndDialogWindow(MainWindow(), IDCANCEL);
}

// --- player thread side ------------------------------------------------------

void CPlayerApp::SetFileTitle(int32_t fileId, const std::string& title) {
  model_.SetFileTitle(fileId, title);
}

bool CPlayerApp::BuildEqualizerCurve(int32_t presetId, EqualizerCurve& curve) {
  return presets_.BuildEqualizerCurve(presetId, curve);
}

void CPlayerApp::ApplyPreset(int32_t presetId) {
  model_.SetCurrentPresetId(presetId);
  PostPlayerCommand(PC_SET_EQUALIZER, presetId);
}

void CPlayerApp::SetPluginFolders(std::vector<std::string> folders) {
  std::lock_guard<std::mutex> lock(foldersLock_);
  pluginFolders_ = std::move(folders);
}

std::vector<std::string> CPlayerApp::PluginFolders() {
  startup_timeline::Mark("plug-in scan begins");
  std::lock_guard<std::mutex> lock(foldersLock_);
  return pluginFolders_;
}

// --- the Controller's view of the program ----------------------------------------

std::vector<std::string> CPlayerApp::PlayListNames() const {
  std::vector<std::string> names;
  for (const PlayList& list : model_.Lists()) names.push_back(list.name);
  return names;
}

void CPlayerApp::PlayListFromStart(int index) {
  const std::optional<PlayList> list = model_.List(index);
  if (!list || list->files.empty()) return;
  model_.SelectFile(index, 0);
  OnPlay();
}

uint32_t CPlayerApp::PlaybackPositionMs() const { return engine_ ? engine_->PositionMs() : 0; }
int32_t CPlayerApp::PlaybackLengthMs() const { return engine_ ? engine_->LengthMs() : 0; }
std::string CPlayerApp::PlaybackTitle() const { return engine_ ? engine_->CurrentTitle() : std::string(); }
bool CPlayerApp::SeekPlayback(int32_t ms) {
  if (!engine_) return false;
  // While the next file is queued the plug-in decodes that one: the player
  // thread plays the file heard again from there.
  if (!engine_->Seek(ms)) PostPlayerCommand(PC_SEEK, ms);
  return true;
}

void CPlayerApp::SetGapless(bool on) {
  extension_.gapless = on;
  PostPlayerCommand(PC_SET_GAPLESS, on ? 1 : 0);
}

void CPlayerApp::BroadcastPlayStarted() {
  BroadcastToWindows(UM_PLAY_STARTED, static_cast<WPARAM>(model_.SelFileId()), 0);
}

void CPlayerApp::BroadcastPlayState() { BroadcastToWindows(UM_PLAY_STATE_CHANGED, 0, 0); }

PlayState CPlayerApp::CurrentPlayState() const {
  // The output is active from a file's first buffer until its last one
  // drained or it was stopped; paused it stays active, playing silence.
  if (!engine_ || !engine_->output().IsActive()) return PlayState::kStopped;
  return engine_->output().Stage().Paused() ? PlayState::kPaused : PlayState::kPlaying;
}

// --- the play list editor ------------------------------------------------------

std::vector<PresetChoice> CPlayerApp::PresetChoices() {
  std::vector<PresetChoice> choices;
  for (const EqPreset& preset : presets_.Presets()) choices.push_back({preset.id, preset.name});
  return choices;
}

bool CPlayerApp::TitleOf(const std::string& path, std::string& title) {
  return engine_ != nullptr && engine_->TitleOf(path, title);
}

void CPlayerApp::PlayFileById(int32_t id) {
  model_.SelectFileById(id);
  OnPlay();
}

void CPlayerApp::SetPlayingFileVolume(int32_t volume) {
  PostPlayerCommand(PC_SET_FILE_GAIN, FileGainOfVolume(volume));
}

// --- ReplayGain and loudness ------------------------------------------------------

void CPlayerApp::SetReplayGain(const ReplayGainSettings& settings) {
  loudness_.SetSettings(settings);
  PostPlayerCommand(PC_LOUDNESS_CHANGED, 0);
}

int32_t CPlayerApp::LoudnessOf(const SoundFile& file) {
  const int32_t mode = model_.PlayMode();
  const GainPolicy policy = loudness_.Policy(mode == kPlayModeRandomAll || mode == kPlayModeRandomList);
  if (!policy.enabled) return kLoudnessUnity;
  // The file's own tags first; a measurement stands in for files without.
  FileGainValues values = engine_ ? ReplayGainTagsOf(engine_->plugins(), file.path) : FileGainValues();
  if (!values.HasGain()) values = loudness_.Measured(file.id);
  return LoudnessFixedPoint(FileGainFactor(values, policy));
}

std::unique_ptr<LoudnessAnalysis> CPlayerApp::NewLoudnessAnalysis() {
  if (!engine_) return nullptr;
  return std::make_unique<LoudnessAnalysis>(engine_->plugins());
}

void CPlayerApp::StoreLoudness(const LoudnessProgress& results) {
  for (const LoudnessTrackResult& track : results.tracks) {
    if (track.outcome == LoudnessOutcome::kMeasured) {
      loudness_.PutTrack(track.entryId, static_cast<float>(track.lufs), static_cast<float>(track.peak));
    }
  }
  for (const LoudnessAlbumResult& album : results.albums) {
    loudness_.PutAlbum(album.entryIds, static_cast<float>(album.lufs), static_cast<float>(album.peak));
  }
  PostPlayerCommand(PC_LOUDNESS_CHANGED, 0);
}
