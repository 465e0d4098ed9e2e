// The input plug-in host: one playback at a time through the emulated output.
#include "engine/audio_engine.h"

#include <mmsystem.h>

#include <algorithm>

#include "engine/plugin_stubs.h"

CAudioEngine* CAudioEngine::instance_ = nullptr;

namespace {
constexpr size_t kTitleBytes = 512;  // plug-in title buffers

// A plug-in's text, cut at the buffer's end whatever the plug-in wrote.
std::string BoundedText(const char* buffer, size_t size) {
  size_t n = 0;
  while (n < size && buffer[n] != '\0') ++n;
  return std::string(buffer, n);
}

bool FileExists(const std::string& path) {
  return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}
}  // namespace

CAudioEngine::CAudioEngine() : outModule_(MakeOutModule()) {
  instance_ = this;
  output_.Stage().SetDrainedCallback([this] { ClearCurrentPath(); });
  output_.Stage().SetEqualizer(&equalizer_);
}

CAudioEngine::~CAudioEngine() {
  Stop();
  Close();
  plugins_.UnloadPlugins();
  if (instance_ == this) instance_ = nullptr;
}

Out_Module CAudioEngine::MakeOutModule() {
  Out_Module out{};
  out.version = 0x10;
  out.description = const_cast<char*>("Melodek output");
  out.Config = &OutConfig;
  out.About = &OutConfig;
  out.Init = &OutNothing;
  out.Quit = &OutNothing;
  out.Open = &OutOpen;
  out.Close = &OutClose;
  out.Write = &OutWrite;
  out.CanWrite = &OutCanWrite;
  out.IsPlaying = &OutIsPlaying;
  out.Pause = &OutPause;
  out.SetVolume = &OutSetVolume;
  out.SetPan = &OutSetPan;
  out.Flush = &OutFlush;
  out.GetOutputTime = &OutGetTime;
  out.GetWrittenTime = &OutGetTime;
  return out;
}

void CAudioEngine::UnloadPlugins() {
  // The active plug-in's library goes away: nothing may call into it after.
  {
    std::lock_guard<std::mutex> guard(playbackLock_);
    activePlugin_ = nullptr;
  }
  plugins_.UnloadPlugins();
}

bool CAudioEngine::LoadPlugins(const std::string& folder) { return plugins_.LoadPlugins(folder); }

bool CAudioEngine::Play(const std::string& path) {
  // 1. The same file again within a second is not restarted.
  const DWORD now = ::timeGetTime();
  {
    std::lock_guard<std::mutex> guard(stateLock_);
    const bool repeated = path == currentPath_ && lastRequestTime_ + 1000 >= now;
    lastRequestTime_ = now;
    if (repeated) return true;
  }
  // 2. One playback at a time.
  if (output_.IsActive()) {
    Stop();
    Close();
  }
  // 3.
  {
    std::lock_guard<std::mutex> guard(stateLock_);
    currentPath_ = path;
  }
  // 4.
  if (!FileExists(path)) return false;
  // 5.
  const uint32_t token = newestToken_.load() + 1;
  newestToken_.store(token);
  queueOpenPending_.store(false);
  output_.Stage().Reset(token);
  openFailed_ = false;
  {
    std::lock_guard<std::mutex> guard(stateLock_);
    queued_.clear();
  }
  // 6, 7.
  {
    std::lock_guard<std::mutex> guard(plugins_.lock());
    const InputPluginRecord* record = plugins_.FindPluginLocked(path);
    if (record == nullptr) return false;
    BeginPlayback(*record, token, false);
  }
  In_Module* plugin = activePlugin_;
  if (plugin->Play == nullptr || plugin->Play(path.c_str()) != 0) return false;
  // 8. Wait until the plug-in opened the output and the first buffer was
  // filled; a plug-in that never does is given up (bounded).
  const DWORD start = ::timeGetTime();
  while (!output_.IsActive()) {
    if (openFailed_ || ::timeGetTime() - start > startTimeoutMs_) {
      Stop();
      Close();
      return false;
    }
    ::Sleep(1);
  }
  // 9.
  char title[kTitleBytes] = {};
  int length = 512;
  if (plugin->GetFileInfo != nullptr) plugin->GetFileInfo(path.c_str(), title, &length);
  std::lock_guard<std::mutex> guard(stateLock_);
  currentTitle_ = BoundedText(title, sizeof title);
  lengthMs_ = length;
  return true;
}

void CAudioEngine::BeginPlayback(const InputPluginRecord& record, uint32_t token, bool queued) {
  In_Module* plugin = record.plugin;
  {
    std::lock_guard<std::mutex> guard(playbackLock_);
    activePlugin_ = plugin;
    activeToken_ = token;
    activeIsQueued_ = queued;
  }
  InstallHostStubs(*plugin);
  plugin->hMainWindow = mainWindow_;
  plugin->hDllInstance = record.module.get();
  plugin->outMod = &outModule_;
  if (plugin->Init != nullptr) plugin->Init();
}

void CAudioEngine::StopActivePlugin() {
  std::lock_guard<std::mutex> guard(playbackLock_);
  if (activePlugin_ == nullptr) return;
  if (activePlugin_->Stop != nullptr) activePlugin_->Stop();
  if (activePlugin_->Quit != nullptr) activePlugin_->Quit();
  activePlugin_ = nullptr;
  activeIsQueued_ = false;
}

void CAudioEngine::Stop() {
  output_.Stage().Mute();
  queueOpenPending_.store(false);
  StopActivePlugin();
  output_.Stage().MarkStopped();
  WaitUntilOutputIdle();
  std::lock_guard<std::mutex> guard(stateLock_);
  queued_.clear();
}

// --- gapless playback ------------------------------------------------------------

bool CAudioEngine::PreRoll(const std::string& path, int32_t fileGain, int32_t loudness,
                           const EqualizerCurve* curve, uint32_t& token) {
  OutputStage& stage = output_.Stage();
  auto decline = [&] {
    stage.ReleaseEndHold();
    return false;
  };
  if (!output_.IsActive() || stage.EndStateNow() != OutputStage::kRunning || !FileExists(path)) {
    return decline();
  }
  // Classic plug-ins play one file at a time: the one that has delivered
  // everything goes before the next one starts (its samples stay queued).
  StopActivePlugin();
  token = newestToken_.load() + 1;
  queueToken_ = token;
  queueGain_ = fileGain;
  queueLoudness_ = loudness;
  queueHasCurve_ = curve != nullptr;
  if (curve != nullptr) queueCurve_ = *curve;
  queueResult_.store(0);
  openFailed_ = false;
  queueOpenPending_.store(true);
  In_Module* plugin;
  {
    std::lock_guard<std::mutex> guard(plugins_.lock());
    const InputPluginRecord* record = plugins_.FindPluginLocked(path);
    if (record == nullptr) {
      queueOpenPending_.store(false);
      return decline();
    }
    BeginPlayback(*record, token, true);
    plugin = record->plugin;
  }
  bool joined = plugin->Play != nullptr && plugin->Play(path.c_str()) == 0;
  const DWORD start = ::timeGetTime();
  while (joined && queueResult_.load() == 0) {
    if (::timeGetTime() - start > startTimeoutMs_) joined = false;
    ::Sleep(1);
  }
  if (!joined || queueResult_.load() < 0) {
    queueOpenPending_.store(false);
    StopActivePlugin();
    if (output_.DropQueuedFiles() > 0) equalizer_.CancelSchedule();
    return decline();
  }
  newestToken_.store(token);
  char title[kTitleBytes] = {};
  int length = 512;
  if (plugin->GetFileInfo != nullptr) plugin->GetFileInfo(path.c_str(), title, &length);
  std::lock_guard<std::mutex> guard(stateLock_);
  queued_.push_back(QueuedFile{token, path, BoundedText(title, sizeof title), length});
  return true;
}

int CAudioEngine::OpenQueuedStream(int rate, int channels, int bits) {
  uint32_t start = 0;
  const int latency = output_.AppendStream(rate, channels, bits, queueToken_, queueGain_, queueLoudness_, start);
  if (latency >= 0 && queueHasCurve_) equalizer_.ScheduleEqCurve(queueCurve_, start);
  queueResult_.store(latency >= 0 ? 1 : -1);
  return latency;
}

std::vector<uint32_t> CAudioEngine::CancelPreRoll() {
  queueOpenPending_.store(false);
  // A curve still waiting for its file's block belonged to a dropped file.
  if (output_.DropQueuedFiles() > 0) equalizer_.CancelSchedule();
  // What the output still holds; the first may be a queued file already
  // heard whose notice has not been handled yet: it stays queued here.
  const std::vector<uint32_t> kept = output_.Stage().SegmentTokens();
  std::vector<uint32_t> tokens;
  {
    std::lock_guard<std::mutex> guard(stateLock_);
    queued_.erase(std::remove_if(queued_.begin(), queued_.end(),
                                 [&](const QueuedFile& file) {
                                   return std::find(kept.begin(), kept.end(), file.token) == kept.end();
                                 }),
                  queued_.end());
    for (const QueuedFile& file : queued_) tokens.push_back(file.token);
  }
  const uint32_t newest = kept.back();
  newestToken_.store(newest);
  bool stopActive;
  {
    std::lock_guard<std::mutex> guard(playbackLock_);
    stopActive = activePlugin_ != nullptr && activeToken_ != newest;
  }
  if (stopActive) StopActivePlugin();  // it decoded a file that was dropped
  return tokens;
}

void CAudioEngine::PluginPostedEnd() {
  int due = endMessagesDue_.load();
  while (due > 0) {
    if (endMessagesDue_.compare_exchange_weak(due, due - 1)) return;  // announced by IsPlaying
  }
  bool decoding;
  {
    std::lock_guard<std::mutex> guard(playbackLock_);
    decoding = activePlugin_ != nullptr;
  }
  // A plug-in that never asks IsPlaying: its message is its decoder's end.
  if (decoding && output_.IsActive()) output_.Stage().IsPlaying();
}

void CAudioEngine::PromoteHeard(uint32_t token) {
  {
    std::lock_guard<std::mutex> guard(stateLock_);
    while (!queued_.empty() && queued_.front().token != token) queued_.pop_front();
    if (queued_.empty()) return;
    currentPath_ = queued_.front().path;
    currentTitle_ = queued_.front().title;
    lengthMs_ = queued_.front().lengthMs;
    queued_.pop_front();
  }
  std::lock_guard<std::mutex> guard(playbackLock_);
  if (activeToken_ == token) activeIsQueued_ = false;
}

void CAudioEngine::WaitUntilOutputIdle() {
  const DWORD start = ::timeGetTime();
  while (output_.IsActive() && ::timeGetTime() - start < 5000) ::Sleep(1);
}

void CAudioEngine::Close() {
  output_.Close();
  StopActivePlugin();
}

void CAudioEngine::SetEqCurve(const EqualizerCurve& curve) { equalizer_.SetEqCurve(curve); }

std::string CAudioEngine::CurrentTitle() const {
  std::lock_guard<std::mutex> guard(stateLock_);
  return currentTitle_;
}

std::string CAudioEngine::CurrentPath() const {
  std::lock_guard<std::mutex> guard(stateLock_);
  return currentPath_;
}

int32_t CAudioEngine::LengthMs() const {
  std::lock_guard<std::mutex> guard(stateLock_);
  return lengthMs_;
}

void CAudioEngine::ClearCurrentPath() {
  std::lock_guard<std::mutex> guard(stateLock_);
  currentPath_.clear();
}

bool CAudioEngine::Seek(int32_t ms) {
  std::lock_guard<std::mutex> guard(playbackLock_);
  if (activePlugin_ == nullptr || activeIsQueued_) return false;
  if (activePlugin_->SetOutputTime != nullptr) activePlugin_->SetOutputTime(ms);
  return true;
}

bool CAudioEngine::TitleOf(const std::string& path, std::string& title) {
  std::lock_guard<std::mutex> guard(plugins_.lock());
  const InputPluginRecord* record = plugins_.FindPluginLocked(path);
  if (record == nullptr) return false;
  char buffer[kTitleBytes] = {};
  int length = 512;
  if (record->plugin->GetFileInfo != nullptr) record->plugin->GetFileInfo(path.c_str(), buffer, &length);
  title = BoundedText(buffer, sizeof buffer);
  return true;
}

// --- the emulated output ---------------------------------------------------------

int CAudioEngine::OutOpen(int rate, int channels, int bits, int, int) {
  if (instance_ == nullptr) return -1;
  if (instance_->queueOpenPending_.exchange(false)) return instance_->OpenQueuedStream(rate, channels, bits);
  if (rate > 0) instance_->equalizer_.SetStreamRate(static_cast<uint32_t>(rate));
  const int latency = instance_->output_.Open(rate, channels, bits);
  if (latency < 0) instance_->openFailed_ = true;
  return latency;
}
void CAudioEngine::OutNothing() {}
void CAudioEngine::OutClose() {}
void CAudioEngine::OutConfig(HWND) {}
int CAudioEngine::OutWrite(char* buffer, int length) {
  if (instance_ == nullptr || buffer == nullptr || length <= 0) return 0;
  return instance_->output_.Stage().Write(buffer, length);
}
int CAudioEngine::OutCanWrite() {
  return instance_ != nullptr ? instance_->output_.Stage().CanWrite() : 0;
}
int CAudioEngine::OutIsPlaying() {
  // The plug-in has delivered everything: the output detects the end itself.
  if (instance_ == nullptr) return 0;
  OutputStage& stage = instance_->output_.Stage();
  if (!stage.Ring().decoderFinished.load()) instance_->endMessagesDue_.fetch_add(1);
  return stage.IsPlaying();
}
int CAudioEngine::OutPause(int) { return 0; }
void CAudioEngine::OutSetVolume(int) {}
void CAudioEngine::OutSetPan(int) {}
void CAudioEngine::OutFlush(int ms) {
  if (instance_ != nullptr) instance_->output_.Stage().Flush(ms);
}
int CAudioEngine::OutGetTime() { return 0; }
