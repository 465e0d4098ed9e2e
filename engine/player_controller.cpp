// The player thread's logic: commands, end of track, quit.
#include "engine/player_controller.h"

#include <algorithm>

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
    case UM_DECODER_DONE:
      OnDecoderDone(static_cast<uint32_t>(lParam));
      return true;
    case UM_FILE_HEARD:
      OnFileHeard(static_cast<uint32_t>(lParam));
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
    case PC_LOUDNESS_CHANGED:
      // The file heard takes its new gain at once; the queued ones were
      // queued with their old one.
      if (const std::optional<SoundFile> file = host_.CurrentSoundFile()) {
        engine_.SetLoudness(host_.LoudnessOf(*file));
      }
      if (!queued_.empty()) {
        DropQueue();
        if (playing_ && gapless_ && engine_.NewestDecoderDone()) QueueNextFile();
      }
      break;
    case PC_HOLD_EQUALIZER:
      eqHeld_ = (argument & 0xFF) != 0;
      break;
    case PC_PLAYLIST_EDITED:
      RequeueIfStale();
      break;
    case PC_SEEK:
      Seek(argument);
      break;
    case PC_PLUGIN_EOF:
      engine_.PluginPostedEnd();
      break;
    case PC_SET_GAPLESS:
      gapless_ = argument != 0;
      engine_.SetGaplessHold(gapless_);
      if (!gapless_) DropQueue();
      break;
    default:  // unknown codes do nothing
      break;
  }
}

std::vector<int32_t> PlayerController::QueuedFileIds() const {
  std::vector<int32_t> ids;
  for (const QueuedFile& queued : queued_) ids.push_back(queued.file.id);
  return ids;
}

void PlayerController::OnDecoderDone(uint32_t token) {
  // A notice from a file that is no longer the newest (a restart, or one
  // queued since) is stale; the newest one's own notice follows.
  if (token != engine_.NewestToken()) return;
  if (!playing_ || !gapless_ || !QueueNextFile()) engine_.DeclinePreRoll();
}

bool PlayerController::QueueNextFile() {
  const std::optional<SoundFile> next = host_.PeekNextFile(QueuedFileIds());
  if (!next) return false;
  EqualizerCurve curve;  // an unknown preset leaves it empty: equalizer off
  if (!eqHeld_) host_.BuildEqualizerCurve(next->presetId, curve);
  uint32_t token = 0;
  if (!engine_.PreRoll(next->path, FileGainOfVolume(next->volume), host_.LoudnessOf(*next),
                       eqHeld_ ? nullptr : &curve, token)) {
    return false;  // the engine let the stream end as usual
  }
  queued_.push_back(QueuedFile{*next, token});
  return true;
}

void PlayerController::OnFileHeard(uint32_t token) {
  auto heard = std::find_if(queued_.begin(), queued_.end(),
                            [&](const QueuedFile& queued) { return queued.token == token; });
  if (heard == queued_.end()) return;  // dropped meanwhile
  const SoundFile file = heard->file;
  queued_.erase(queued_.begin(), heard + 1);
  host_.AdvanceToQueued(file.id);
  engine_.PromoteHeard(token);
  const std::string title = engine_.CurrentTitle();
  host_.ShowTitleText(title);
  host_.SetFileTitle(file.id, title);
  host_.BroadcastPlayStarted();
}

void PlayerController::RequeueIfStale() {
  if (queued_.empty()) return;
  std::vector<int32_t> expected;
  for (const QueuedFile& queued : queued_) {
    const std::optional<SoundFile> next = host_.PeekNextFile(expected);
    // The file, or what it was queued with (its gain and preset), changed.
    if (!next || next->id != queued.file.id || next->path != queued.file.path ||
        next->volume != queued.file.volume || next->presetId != queued.file.presetId) {
      DropQueue();
      if (playing_ && gapless_ && engine_.NewestDecoderDone()) QueueNextFile();
      return;
    }
    expected.push_back(queued.file.id);
  }
}

void PlayerController::DropQueue() {
  if (queued_.empty()) return;
  const std::vector<uint32_t> kept = engine_.CancelPreRoll();
  queued_.erase(std::remove_if(queued_.begin(), queued_.end(),
                               [&](const QueuedFile& queued) {
                                 return std::find(kept.begin(), kept.end(), queued.token) == kept.end();
                               }),
                queued_.end());
}

void PlayerController::Seek(int32_t ms) {
  // The plug-in that decodes is a queued file's: the file heard plays again
  // from its start, then the seek goes to it.
  if (!engine_.Seek(ms) && playing_) {
    StopPlayback();
    PlayCurrent();
    engine_.Seek(ms);
  }
}

void PlayerController::ApplyPreset(int32_t presetId) {
  EqualizerCurve curve;  // an unknown id leaves it empty: equalizer off
  host_.BuildEqualizerCurve(presetId, curve);
  engine_.SetEqCurve(curve);
}

void PlayerController::PlayCurrent() {
  queued_.clear();  // the engine's Play stops everything in the output
  const std::optional<SoundFile> file = host_.CurrentSoundFile();
  if (!file) return;
  engine_.SetFileGain(FileGainOfVolume(file->volume));
  engine_.SetLoudness(host_.LoudnessOf(*file));
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
  queued_.clear();
  engine_.Stop();
  engine_.Close();
}
