// A recording stand-in for the engine and a scripted host for the player
// thread's tests. The log is guarded so a test thread may read it while the
// player thread writes.
#pragma once
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "engine/audio_engine_control.h"
#include "engine/player_host.h"

class EventLog {
 public:
  void Add(const std::string& event) {
    std::lock_guard<std::mutex> guard(lock_);
    events_.push_back(event);
  }
  std::vector<std::string> Events() const {
    std::lock_guard<std::mutex> guard(lock_);
    return events_;
  }
  void Clear() {
    std::lock_guard<std::mutex> guard(lock_);
    events_.clear();
  }

 private:
  mutable std::mutex lock_;
  std::vector<std::string> events_;
};

class RecordingEngine : public AudioEngineControl {
 public:
  explicit RecordingEngine(EventLog& log) : log_(log) {}
  void UnloadPlugins() override { log_.Add("unload"); }
  bool LoadPlugins(const std::string& folder) override {
    log_.Add("load " + folder);
    return true;
  }
  bool Play(const std::string& path) override {
    log_.Add("play " + path);
    return path.find("missing") == std::string::npos;
  }
  void Stop() override { log_.Add("stop"); }
  void Close() override { log_.Add("close"); }
  void TogglePause() override { log_.Add("pause"); }
  void SetVolume(int32_t m) override { log_.Add("volume " + std::to_string(m)); }
  void SetFileGain(int32_t g) override { log_.Add("gain " + std::to_string(g)); }
  void SetEqCurve(const EqualizerCurve& curve) override { log_.Add("eq " + std::to_string(curve.Count())); }
  void SetNotifyThread(uint32_t) override { log_.Add("notify"); }
  std::string CurrentTitle() const override { return "Title"; }

 private:
  EventLog& log_;
};

// A host with one list of files; the play order is a plain walk.
class ScriptedHost : public PlayerHost {
 public:
  explicit ScriptedHost(EventLog& log) : log_(log) {}
  std::optional<SoundFile> CurrentSoundFile() override {
    std::lock_guard<std::mutex> guard(lock_);
    if (current < 0 || current >= static_cast<int>(files.size())) return std::nullopt;
    return files[current];
  }
  void SetFileTitle(int32_t id, const std::string& title) override {
    std::lock_guard<std::mutex> guard(lock_);
    titles[id] = title;
  }
  bool PrevFile() override {
    log_.Add("prev-file");
    std::lock_guard<std::mutex> guard(lock_);
    if (current > 0) --current;
    return true;
  }
  bool NextFile(bool endOfFile) override {
    log_.Add(endOfFile ? "next-file end" : "next-file");
    std::lock_guard<std::mutex> guard(lock_);
    if (current + 1 < static_cast<int>(files.size())) ++current;
    return true;
  }
  bool BuildEqualizerCurve(int32_t presetId, EqualizerCurve& curve) override {
    if (presetId != 5) return false;
    curve.x = {10.0f, 100.0f};
    curve.y = {1.0f, 0.5f};
    return true;
  }
  std::vector<std::string> PluginFolders() override { return {".", "Plugins"}; }
  void ShowTitleText(const std::string& text) override { log_.Add("show " + text); }
  void BroadcastPlayStarted() override { log_.Add("play-started"); }
  void BroadcastPlayState() override { log_.Add("play-state"); }

  std::vector<SoundFile> files;
  int current = 0;
  std::map<int32_t, std::string> titles;

 private:
  EventLog& log_;
  std::mutex lock_;
};
