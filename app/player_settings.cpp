// The application object's settings: moving its fields to and from the
// settings file's snapshot.
#include <shlobj.h>

#include <unordered_set>

#include "app/player_app.h"
#include "app/start_with_windows.h"
#include "app/window_utils.h"
#include "framework/module_path.h"
#include "settings/settings_location.h"

namespace {

// The Program Files folder of the default plug-in folder. The 64-bit build
// names the same folder the 32-bit build does on the same system (where the
// classic plug-ins are installed), so both write the same settings file.
#ifdef _WIN64
constexpr int kProgramFilesFolder = CSIDL_PROGRAM_FILESX86;
#else
constexpr int kProgramFilesFolder = CSIDL_PROGRAM_FILES;
#endif

// The setup's machine-wide record (HKLM\Software\Melodek, "InstallDir", in
// this flavour's registry view) names this folder: installed for all users.
bool InstalledForAllUsers(const std::string& folder) {
  char recorded[MAX_PATH * 3] = {};
  DWORD size = sizeof recorded;
  if (::RegGetValueA(HKEY_LOCAL_MACHINE, "Software\\Melodek", "InstallDir", RRF_RT_REG_SZ, nullptr, recorded,
                     &size) != ERROR_SUCCESS) {
    return false;
  }
  return ::CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, recorded, -1, folder.c_str(), -1) == CSTR_EQUAL;
}
}  // namespace

void CPlayerApp::LoadSettings() {
  const std::string programFiles = GetSpecialFolderPath(kProgramFilesFolder);
  const std::string appData = GetSpecialFolderPath(CSIDL_APPDATA);
  const std::string folder = ModuleFolder();
  settingsLocation_ = std::make_unique<SettingsLocation>(folder, appData.empty() ? appData : appData + "\\Melodek",
                                                         ModuleBaseName(), InstalledForAllUsers(folder));
  SettingsData settings;
  const bool archiveLoaded = settingsLocation_->Load(settings, programFiles);
  ApplySettings(settings, archiveLoaded);
}

void CPlayerApp::ApplySettings(SettingsData& settings, bool archiveLoaded) {
  controllerPos_ = {settings.controllerPos.left, settings.controllerPos.top};
  controlAlpha_ = settings.ControlAlpha;
  volume_ = settings.Volume;
  volumeType_ = settings.VolumeType;
  volumeStep_ = settings.VolumeStep;
  hotKeys_ = JoinHotKeys(settings.hotKeys, settings.extension.extraHotKeys);
  playListRects_ = settings.playListRects;
  extension_ = std::move(settings.extension);
  loudness_.SetSettings(extension_.replayGain);
  loudness_.ReplaceRecords(extension_.loudness);
  extension_.loudness.clear();
  {
    std::lock_guard<std::mutex> lock(foldersLock_);
    pluginFolders_ = settings.pluginFolders;
  }
  presets_.ReplaceAll(std::move(settings.presets), settings.presetCapacity, settings.presetGrowth);
  PlayListState state;
  state.lists = std::move(settings.playLists);
  state.selFileId = settings.SelFileID;
  state.playMode = settings.PlayMode;
  state.repeat = settings.Repeat;
  model_.ReplaceAll(std::move(state));
  model_.SetQueue(extension_.queue);  // ids that name no entry are left out
  // The id counter moves past every id read, so new ids never repeat one.
  model_.RecomputeLastId(static_cast<uint32_t>(presets_.MaxPresetId()));
  if (!archiveLoaded) model_.RaiseLastId(settings.lastId);
}

SettingsData CPlayerApp::CollectSettings() {
  if (controllerWindow_ != nullptr) {
    RECT rect;
    if (::GetWindowRect(controllerWindow_, &rect)) controllerPos_ = {rect.left, rect.top};
  }
  SettingsData settings;
  settings.controllerPos = {controllerPos_.x, controllerPos_.y};
  settings.ControlAlpha = controlAlpha_;
  settings.Volume = volume_;
  settings.VolumeType = volumeType_;
  settings.VolumeStep = volumeStep_;
  settings.hotKeys = ClassicPart(hotKeys_);
  settings.playListRects = playListRects_;
  settings.extension = extension_;
  settings.extension.extraHotKeys = LaterPart(hotKeys_);
  settings.extension.queue = model_.QueueIds();
  settings.pluginFolders = PluginFolders();
  settings.presets = presets_.Presets();
  settings.presetCapacity = presets_.Capacity();
  settings.presetGrowth = presets_.Growth();
  model_.Read([&](const auto& model) {
    settings.playLists = model.Lists();
    settings.SelFileID = model.SelFileId();
    settings.PlayMode = model.PlayMode();
    settings.Repeat = model.Repeat();
  });
  // Entries deleted from every list take their measured loudness with them.
  std::unordered_set<int32_t> liveIds;
  for (const PlayList& list : settings.playLists) {
    for (const SoundFile& file : list.files) liveIds.insert(file.id);
  }
  loudness_.KeepOnly(liveIds);
  settings.extension.replayGain = loudness_.Settings();
  settings.extension.loudness = loudness_.Records();
  return settings;
}

bool CPlayerApp::StartsWithWindows() const { return ::StartsWithWindows(ModuleFilePath()); }
bool CPlayerApp::SetStartWithWindows(bool on) { return ::SetStartWithWindows(ModuleFilePath(), on); }

SettingsSaveResult CPlayerApp::SaveSettings() {
  if (!settingsLocation_) return SettingsSaveResult{};
  return settingsLocation_->Save(CollectSettings());
}

void CPlayerApp::TellSettingsNotSaved(const SettingsSaveResult& result) {
  std::string text = "Melodek could not save its settings to\n\n" + result.homePath;
  if (!result.fallbackPath.empty()) text += "\n\nnor to\n\n" + result.fallbackPath;
  text += "\n\nThe changes made since the last start are lost; the settings on disk were left as they were.";
  ::MessageBoxA(nullptr, text.c_str(), "Melodek", MB_OK | MB_ICONWARNING | MB_SETFOREGROUND | MB_TOPMOST);
}
