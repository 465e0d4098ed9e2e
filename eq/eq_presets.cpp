// Equalizer types, band layouts and the preset list.
#include "eq/eq_presets.h"

#include <algorithm>
#include <iterator>
#include <limits>

namespace {

constexpr double kThreeHalvesOctave[] = {63, 160, 400, 1000, 2500, 6300, 16000};
constexpr double kOctave[] = {31.5, 63, 125, 250, 500, 1000, 2000, 4000, 8000, 16000};
constexpr double kTwoThirdsOctave[] = {25,  40,  63,   100,  160,  250,  400,  630,
                                       1000, 1600, 2500, 4000, 6300, 10000, 16000};
constexpr double kThirdOctave[] = {25,   31.5, 40,   50,   63,   80,    100,   125,   160,   200,
                                   250,  315,  400,  500,  630,  800,   1000,  1250,  1600,  2000,
                                   2500, 3150, 4000, 5000, 6300, 8000, 10000, 12500, 16000, 20000};
constexpr double kParametric[] = {25, 1000, 20000};

const EqTypeInfo kTypes[kEqTypeCount] = {
    {"NoEQ", nullptr, 0},
    {"ParaEQ", kParametric, static_cast<int32_t>(std::size(kParametric))},
    {"GraEQ 3/2 oct", kThreeHalvesOctave, static_cast<int32_t>(std::size(kThreeHalvesOctave))},
    {"GraEQ 1 oct", kOctave, static_cast<int32_t>(std::size(kOctave))},
    {"GraEQ 2/3 oct", kTwoThirdsOctave, static_cast<int32_t>(std::size(kTwoThirdsOctave))},
    {"GraEQ 1/3 oct", kThirdOctave, static_cast<int32_t>(std::size(kThirdOctave))},
};

// The growth step of a capacity hint whose own step is not positive.
constexpr int32_t kDefaultGrowth = 256;

// A fresh preset's ends: 25 Hz and 20 kHz over a rounded bin width of
// 5.3833 Hz (the floats nearest these decimals).
constexpr float kNewPresetLow = 4.6439900f;
constexpr float kNewPresetHigh = 3715.1899f;

EqPreset DefaultPreset() {
  EqPreset preset;
  preset.id = 0;
  preset.name = "Default";
  preset.type = EqTypeNone;
  return preset;
}

void AppendPoint(EqPreset& preset, float x, float y) {
  EqPoint point;
  point.key = x;
  point.x = x;
  point.y = y;
  preset.points.push_back(point);
}

void FitPointCapacity(EqPreset& preset) {
  preset.pointCapacity =
      StorageCapacityFor(preset.pointCapacity, preset.pointGrowth, preset.points.size());
}

}  // namespace

int32_t StorageCapacityFor(int32_t capacity, int32_t growth, size_t count) {
  const int64_t need = static_cast<int64_t>(count);
  int64_t have = capacity;
  if (have >= need) return capacity;
  if (have < 0) have = 0;
  const int64_t step = growth > 0 ? growth : kDefaultGrowth;
  have += (need - have + step - 1) / step * step;
  const int64_t most = std::numeric_limits<int32_t>::max();
  return static_cast<int32_t>(have > most ? most : have);
}

const EqTypeInfo* FindEqType(int32_t type) {
  if (type < 0 || type >= kEqTypeCount) return nullptr;
  return &kTypes[type];
}

float HertzToBin(double hertz) { return static_cast<float>(hertz * 0.18575963718820862); }

EqPresetList::EqPresetList() { presets_.push_back(DefaultPreset()); }

void EqPresetList::ResetToDefault() {
  std::lock_guard<std::mutex> lock(mutex_);
  presets_.clear();
  presets_.push_back(DefaultPreset());
  capacity_ = kDefaultCapacity;
  growth_ = kDefaultGrowth;
}

void EqPresetList::ReplaceAll(std::vector<EqPreset> presets, int32_t capacity, int32_t growth) {
  for (EqPreset& preset : presets) FitPointCapacity(preset);
  std::lock_guard<std::mutex> lock(mutex_);
  presets_ = std::move(presets);
  growth_ = growth;
  capacity_ = StorageCapacityFor(capacity, growth, presets_.size());
}

std::vector<EqPreset> EqPresetList::Presets() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return presets_;
}

int32_t EqPresetList::Capacity() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return capacity_;
}

int32_t EqPresetList::Growth() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return growth_;
}

size_t EqPresetList::Count() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return presets_.size();
}

std::optional<EqPreset> EqPresetList::PresetAt(size_t index) const {
  std::lock_guard<std::mutex> lock(mutex_);
  if (index >= presets_.size()) return std::nullopt;
  return presets_[index];
}

std::optional<EqPreset> EqPresetList::FindPreset(int32_t id) const {
  std::lock_guard<std::mutex> lock(mutex_);
  const EqPreset* preset = FindLocked(id);
  if (preset == nullptr) return std::nullopt;
  return *preset;
}

int32_t EqPresetList::FindPresetIndex(int32_t id) const {
  std::lock_guard<std::mutex> lock(mutex_);
  for (size_t i = 0; i < presets_.size(); ++i) {
    if (presets_[i].id == id) return static_cast<int32_t>(i);
  }
  return -1;
}

int32_t EqPresetList::MaxPresetId() const {
  std::lock_guard<std::mutex> lock(mutex_);
  int32_t largest = 0;
  for (const EqPreset& preset : presets_) largest = std::max(largest, preset.id);
  return largest;
}

int32_t EqPresetList::AddNewPreset(const std::function<int32_t()>& nextEntryId) {
  EqPreset preset;
  preset.id = nextEntryId();  // the caller's counter, outside our lock
  preset.name = "new";
  preset.type = EqTypeParametric;
  AppendPoint(preset, kNewPresetLow, 1.0f);
  AppendPoint(preset, kNewPresetHigh, 1.0f);
  const int32_t id = preset.id;
  std::lock_guard<std::mutex> lock(mutex_);
  presets_.push_back(std::move(preset));
  capacity_ = StorageCapacityFor(capacity_, growth_, presets_.size());
  return id;
}

int32_t EqPresetList::DeletePreset(int32_t id,
                                   const std::function<void(int32_t)>& resetFileEntries) {
  int32_t removed = 0;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    for (size_t i = presets_.size(); i-- > 0;) {
      if (presets_[i].id == id) {
        presets_.erase(presets_.begin() + static_cast<std::ptrdiff_t>(i));
        ++removed;
      }
    }
  }
  if (resetFileEntries) resetFileEntries(id);
  return removed;
}

bool EqPresetList::SetPresetType(int32_t id, int32_t type) {
  const EqTypeInfo* info = FindEqType(type);
  if (info == nullptr) return false;
  std::lock_guard<std::mutex> lock(mutex_);
  EqPreset* preset = FindLocked(id);
  if (preset == nullptr) return false;
  preset->type = type;
  preset->points.clear();
  for (int32_t i = 0; i < info->centreCount; ++i) {
    AppendPoint(*preset, HertzToBin(info->centres[i]), 1.0f);
  }
  FitPointCapacity(*preset);
  return true;
}

bool EqPresetList::SetPresetName(int32_t id, const std::string& name) {
  std::lock_guard<std::mutex> lock(mutex_);
  EqPreset* preset = FindLocked(id);
  if (preset == nullptr) return false;
  preset->name = name;
  return true;
}

bool EqPresetList::ReplacePresetPoints(int32_t id,
                                       const std::vector<std::pair<float, float>>& points) {
  std::lock_guard<std::mutex> lock(mutex_);
  EqPreset* preset = FindLocked(id);
  if (preset == nullptr) return false;
  preset->points.clear();
  for (const auto& [x, y] : points) AppendPoint(*preset, x, y);
  FitPointCapacity(*preset);
  return true;
}

bool EqPresetList::BuildEqualizerCurve(int32_t id, EqualizerCurve& curve) const {
  std::lock_guard<std::mutex> lock(mutex_);
  const EqPreset* preset = FindLocked(id);
  if (preset == nullptr) return false;
  curve.x.clear();
  curve.y.clear();
  curve.x.reserve(preset->points.size());
  curve.y.reserve(preset->points.size());
  for (const EqPoint& point : preset->points) {
    curve.x.push_back(point.x);
    curve.y.push_back(point.y);
  }
  return true;
}

EqPreset* EqPresetList::FindLocked(int32_t id) {
  for (EqPreset& preset : presets_) {
    if (preset.id == id) return &preset;
  }
  return nullptr;
}

const EqPreset* EqPresetList::FindLocked(int32_t id) const {
  for (const EqPreset& preset : presets_) {
    if (preset.id == id) return &preset;
  }
  return nullptr;
}
