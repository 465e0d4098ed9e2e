// The loudness analysis: files decoded without playing through their
// plug-ins' extended-read exports and measured (integrated loudness, sample
// peak), one after another on a worker thread below normal priority, so the
// player never waits for it. Files that share an album group are measured
// as one album too.
//
// Threading: Start, Cancel, Take and the destructor run on the thread that
// owns the object (the user interface's). The worker reads the jobs it was
// given, the plug-in library under its lock (only to find a file's plug-in,
// whose module it then keeps loaded itself), and hands results over through
// `results_` under `lock_`; it posts `message` to `window` after each file
// and at the end, and touches no window otherwise.
#pragma once
#include <windows.h>

#include <atomic>
#include <mutex>
#include <thread>
#include <vector>

#include "engine/loudness_jobs.h"

class PluginLibrary;

class LoudnessAnalysis {
 public:
  explicit LoudnessAnalysis(PluginLibrary& plugins) : plugins_(plugins) {}
  ~LoudnessAnalysis();
  LoudnessAnalysis(const LoudnessAnalysis&) = delete;
  LoudnessAnalysis& operator=(const LoudnessAnalysis&) = delete;

  // False while an analysis runs (its results not yet taken to the end).
  bool Start(std::vector<LoudnessJob> jobs, HWND window, UINT message);
  // Asks the worker to stop; the file being decoded is given up.
  void Cancel();
  bool Running() const { return worker_.joinable(); }
  // What came since the last call; once `finished` is returned the worker
  // has ended and a new analysis may start.
  LoudnessProgress Take();

 private:
  void Run();
  LoudnessTrackResult Measure(const LoudnessJob& job, std::vector<double>& blocks);

  PluginLibrary& plugins_;
  std::vector<LoudnessJob> jobs_;  // read by the worker while it runs
  HWND window_ = nullptr;
  UINT message_ = 0;
  std::thread worker_;
  std::atomic<bool> cancel_{false};
  volatile int killswitch_ = 0;  // the plug-ins' view of cancel_

  std::mutex lock_;
  LoudnessProgress results_;  // guarded by lock_
};

