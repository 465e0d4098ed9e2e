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
#include "engine/replay_gain.h"

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
  // Logged when not 1.0, so that the logs of files without a gain stay short.
  void SetLoudness(int32_t l) override {
    if (l != kLoudnessUnity) log_.Add("loudness " + std::to_string(l));
  }
  void SetEqCurve(const EqualizerCurve& curve) override { log_.Add("eq " + std::to_string(curve.Count())); }
  void SetNotifyThread(uint32_t) override { log_.Add("notify"); }
  std::string CurrentTitle() const override { return title; }

  // Gapless playback: files queue while preRollWorks; the first queued
  // file gets token 101, the next 102, ...
  void SetGaplessHold(bool on) override { log_.Add(on ? "hold on" : "hold off"); }
  uint32_t NewestToken() const override { return newest; }
  bool NewestDecoderDone() const override { return decoderDone; }
  bool PreRoll(const std::string& path, int32_t gain, int32_t loudness, const EqualizerCurve* curve,
               uint32_t& token) override {
    log_.Add("preroll " + path + " gain " + std::to_string(gain) +
             (loudness != kLoudnessUnity ? " loudness " + std::to_string(loudness) : "") +
             (curve ? " eq " + std::to_string(curve->Count()) : " eq held"));
    if (!preRollWorks) return false;
    token = newest = ++lastToken;
    queuedTokens.push_back(token);
    decoderDone = false;
    return true;
  }
  void DeclinePreRoll() override { log_.Add("decline"); }
  std::vector<uint32_t> CancelPreRoll() override {
    log_.Add("cancel");
    queuedTokens.clear();
    return queuedTokens;
  }
  void PromoteHeard(uint32_t token) override {
    log_.Add("heard " + std::to_string(token));
    title = "Title " + std::to_string(token);
  }
  void PluginPostedEnd() override { log_.Add("plugin-eof"); }
  bool Seek(int32_t ms) override {
    log_.Add("seek " + std::to_string(ms));
    return seekWorks;
  }

  bool preRollWorks = true;
  bool seekWorks = true;
  bool decoderDone = true;
  uint32_t newest = 0;
  uint32_t lastToken = 100;
  std::vector<uint32_t> queuedTokens;
  std::string title = "Title";

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
  std::optional<SoundFile> PeekNextFile(const std::vector<int32_t>& queuedIds) override {
    std::lock_guard<std::mutex> guard(lock_);
    int at = current;
    for (int32_t id : queuedIds) at = IndexOf(id);
    if (at < 0 || at + 1 >= static_cast<int>(files.size())) return std::nullopt;
    return files[at + 1];
  }
  void AdvanceToQueued(int32_t id) override {
    log_.Add("advance " + std::to_string(id));
    std::lock_guard<std::mutex> guard(lock_);
    current = IndexOf(id);
  }
  int32_t LoudnessOf(const SoundFile& file) override {
    std::lock_guard<std::mutex> guard(lock_);
    const auto found = loudness.find(file.id);
    return found == loudness.end() ? kLoudnessUnity : found->second;
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
  std::map<int32_t, int32_t> loudness;  // by file id; 1.0 when absent
  std::map<int32_t, std::string> titles;

 private:
  int IndexOf(int32_t id) const {
    for (size_t i = 0; i < files.size(); ++i) {
      if (files[i].id == id) return static_cast<int>(i);
    }
    return -1;
  }

  EventLog& log_;
  std::mutex lock_;
};
