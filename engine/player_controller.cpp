// The player thread's logic: commands, end of track, quit.
#include "engine/player_controller.h"

void PlayerController::ReloadPlugins() {
  engine_.UnloadPlugins();
  for (const std::string& folder : host_.PluginFolders()) engine_.LoadPlugins(folder);
}

bool PlayerController::HandleMessage(uint32_t message, uintptr_t wParam, intptr_t lParam,
                                     bool& quit) {
  quit = false;
  switch (message) {
    case UM_TRACK_END:
      // A stop may have overtaken the end of the file: then nothing advances.
      if (playing_) {
        StopPlayback();
        host_.NextFile(true);
        PlayCurrent();
        if (!playing_) host_.BroadcastPlayState();  // nothing more to play
      }
      return true;
    case UM_PLAYER_COMMAND:
      RunCommand(static_cast<uint32_t>(wParam), static_cast<int32_t>(lParam));
      return true;
    case UM_PLAYER_QUIT:
      StopPlayback();
      quit = true;
      return true;
    default:
      return false;
  }
}

void PlayerController::RunCommand(uint32_t code, int32_t argument) {
  switch (code) {
    case PC_PLAY:
      PlayCurrent();
      break;
    case PC_PAUSE:
      engine_.TogglePause();
      host_.BroadcastPlayState();
      break;
    case PC_STOP:
      StopPlayback();
      host_.BroadcastPlayState();
      break;
    case PC_PREV:
      host_.PrevFile();
      PlayCurrent();
      break;
    case PC_NEXT:
      host_.NextFile(false);
      PlayCurrent();
      break;
    case PC_RELOAD_PLUGINS:
      StopPlayback();
      ReloadPlugins();
      break;
    case PC_SET_VOLUME:
      engine_.SetVolume(argument);
      break;
    case PC_SET_FILE_GAIN:
      engine_.SetFileGain(argument);
      break;
    case PC_SET_EQUALIZER:
      ApplyPreset(argument);
      break;
    case PC_HOLD_EQUALIZER:
      eqHeld_ = (argument & 0xFF) != 0;
      break;
    default:  // PC_PLAYLIST_EDITED and unknown codes do nothing
      break;
  }
}

void PlayerController::ApplyPreset(int32_t presetId) {
  EqualizerCurve curve;  // an unknown id leaves it empty: equalizer off
  host_.BuildEqualizerCurve(presetId, curve);
  engine_.SetEqCurve(curve);
}

void PlayerController::PlayCurrent() {
  const std::optional<SoundFile> file = host_.CurrentSoundFile();
  if (!file) return;
  engine_.SetFileGain(FileGainOfVolume(file->volume));
  if (!eqHeld_) ApplyPreset(file->presetId);
  if (engine_.Play(file->path)) {
    playing_ = true;
    const std::string title = engine_.CurrentTitle();
    host_.ShowTitleText(title);
    host_.SetFileTitle(file->id, title);
  }
  host_.BroadcastPlayStarted();
}

void PlayerController::StopPlayback() {
  playing_ = false;
  engine_.Stop();
  engine_.Close();
}
