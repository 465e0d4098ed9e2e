// The record the test plug-in keeps of the host's calls, one line per event,
// appended to the file a script names (log=PATH). Lines that come before any
// script named a file (the Init and Quit of loading) wait in memory and are
// written first once a file is known.
#pragma once
#include <deque>
#include <mutex>
#include <string>

namespace mtest {

class CallLog {
 public:
  // Later lines go to path; waiting lines are written there now.
  void SetPath(const std::string& path);
  // Safe from any thread.
  void Line(const std::string& text);

 private:
  void AppendLocked(const std::string& text);

  std::mutex mutex_;  // guards everything below
  std::string path_;
  std::deque<std::string> waiting_;  // at most kMaxWaiting, oldest dropped
  static constexpr size_t kMaxWaiting = 64;
};

}  // namespace mtest
