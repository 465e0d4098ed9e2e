// Appends call records to the test plug-in's log file.
#include "plugins/test_plugin/mtest_log.h"

#include <cstdio>

namespace mtest {

void CallLog::SetPath(const std::string& path) {
  std::lock_guard<std::mutex> lock(mutex_);
  path_ = path;
  if (path_.empty()) return;
  while (!waiting_.empty()) {
    AppendLocked(waiting_.front());
    waiting_.pop_front();
  }
}

void CallLog::Line(const std::string& text) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!path_.empty()) {
    AppendLocked(text);
    return;
  }
  waiting_.push_back(text);
  if (waiting_.size() > kMaxWaiting) waiting_.pop_front();
}

void CallLog::AppendLocked(const std::string& text) {
  // Opened per line so the host's tests can read the file at any moment.
  if (FILE* f = std::fopen(path_.c_str(), "ab")) {
    std::fputs(text.c_str(), f);
    std::fputc('\n', f);
    std::fclose(f);
  }
}

}  // namespace mtest
