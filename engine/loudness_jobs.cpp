// Album groups of the entries to analyse.
#include "engine/loudness_jobs.h"

#include <cctype>
#include <map>

namespace {

std::string FolderKey(const std::string& path) {
  const size_t slash = path.find_last_of("\\/");
  std::string folder = slash == std::string::npos ? std::string() : path.substr(0, slash);
  for (char& c : folder) {
    if (c == '/') c = '\\';
    // ASCII only: bytes of multi-byte characters stay as they are.
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return folder;
}

}  // namespace

std::vector<LoudnessJob> MakeLoudnessJobs(const std::vector<SoundFile>& entries) {
  std::map<std::string, int32_t> groups;
  std::vector<LoudnessJob> jobs;
  jobs.reserve(entries.size());
  for (const SoundFile& entry : entries) {
    const auto group = groups.emplace(FolderKey(entry.path), static_cast<int32_t>(groups.size())).first;
    jobs.push_back({entry.id, entry.path, group->second});
  }
  return jobs;
}
