// The ReplayGain settings and measured loudness, behind one lock.
#include "app/loudness_store.h"

#include <algorithm>

GainPolicy GainPolicyOf(const ReplayGainSettings& settings, bool shuffled) {
  GainPolicy policy;
  policy.enabled = settings.mode != ReplayGainMode::kOff;
  policy.album = settings.mode == ReplayGainMode::kAlbum || (settings.mode == ReplayGainMode::kByPlayOrder && !shuffled);
  policy.preampDb = std::clamp(settings.preampCentiDb, -1500, 1500) / 100.0;
  policy.untaggedDb = std::clamp(settings.untaggedGainCentiDb, -1500, 1500) / 100.0;
  policy.preventClipping = settings.preventClipping;
  return policy;
}

ReplayGainSettings LoudnessStore::Settings() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return settings_;
}

void LoudnessStore::SetSettings(const ReplayGainSettings& settings) {
  std::lock_guard<std::mutex> lock(mutex_);
  settings_ = settings;
}

std::vector<LoudnessRecord> LoudnessStore::Records() const {
  std::vector<LoudnessRecord> out;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    out.reserve(records_.size());
    for (const auto& entry : records_) out.push_back(entry.second);
  }
  std::sort(out.begin(), out.end(),
            [](const LoudnessRecord& a, const LoudnessRecord& b) { return a.entryId < b.entryId; });
  return out;
}

void LoudnessStore::ReplaceRecords(const std::vector<LoudnessRecord>& records) {
  std::lock_guard<std::mutex> lock(mutex_);
  records_.clear();
  for (const LoudnessRecord& record : records) records_[record.entryId] = record;
}

std::optional<LoudnessRecord> LoudnessStore::Find(int32_t entryId) const {
  std::lock_guard<std::mutex> lock(mutex_);
  const auto found = records_.find(entryId);
  if (found == records_.end()) return std::nullopt;
  return found->second;
}

void LoudnessStore::PutTrack(int32_t entryId, float lufs, float peak) {
  std::lock_guard<std::mutex> lock(mutex_);
  LoudnessRecord record;
  record.entryId = entryId;
  record.trackLufs = lufs;
  record.trackPeak = peak;
  records_[entryId] = record;
}

void LoudnessStore::PutAlbum(const std::vector<int32_t>& entryIds, float lufs, float peak) {
  std::lock_guard<std::mutex> lock(mutex_);
  for (int32_t id : entryIds) {
    const auto found = records_.find(id);
    if (found == records_.end()) continue;
    found->second.hasAlbum = true;
    found->second.albumLufs = lufs;
    found->second.albumPeak = peak;
  }
}

void LoudnessStore::KeepOnly(const std::unordered_set<int32_t>& liveIds) {
  std::lock_guard<std::mutex> lock(mutex_);
  for (auto it = records_.begin(); it != records_.end();) {
    it = liveIds.count(it->first) != 0 ? std::next(it) : records_.erase(it);
  }
}

GainPolicy LoudnessStore::Policy(bool shuffled) const { return GainPolicyOf(Settings(), shuffled); }

FileGainValues LoudnessStore::Measured(int32_t entryId) const {
  const std::optional<LoudnessRecord> record = Find(entryId);
  if (!record) return FileGainValues();
  return MeasuredGainValues(record->trackLufs, record->trackPeak,
                            record->hasAlbum ? std::optional<double>(record->albumLufs) : std::nullopt,
                            record->hasAlbum ? std::optional<double>(record->albumPeak) : std::nullopt);
}
