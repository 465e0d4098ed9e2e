// The Jump to File search alone, natively: the index of the benchmark's
// 100,000 files built with the built-in folding, then every keystroke of the
// typed searches, timed on the wall clock and in the thread's own CPU time
// (which a busy machine does not inflate).
#include <time.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <vector>

#include "bench/jump/bench_library.h"
#include "common/text_fold.h"
#include "playlist/jump_index.h"

namespace {
double ThreadCpuMs() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

double WallMs() {
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

void Print(const char* what, std::vector<double> ms, const char* median, const char* p99) {
  std::sort(ms.begin(), ms.end());
  const size_t at99 = std::min(ms.size() - 1, ms.size() * 99 / 100);
  const auto line = [&](const char* part, double value, const char* target) {
    std::printf("%-56s %7.2f ms", (std::string(what) + part).c_str(), value);
    if (*target != '\0') std::printf(" %7s ms", target);
    std::printf("\n");
  };
  line(", median", ms[ms.size() / 2], median);
  line(", 99th percentile", ms[at99], p99);
}
}  // namespace

int main() {
  PlayListModel model(1);
  jumpbench::FillLibrary(model);
  const CachedCharFolder folder(std::make_unique<PortableCharFolder>());
  const Utf8TextCodec codec;
  JumpIndex index(folder, codec);
  const double buildStart = WallMs();
  for (size_t l = 0; l < model.Lists().size(); ++l) {
    const std::vector<SoundFile>& files = model.Lists()[l].files;
    for (size_t f = 0; f < files.size(); ++f) index.Add(static_cast<int32_t>(l), static_cast<int32_t>(f), files[f]);
  }
  index.Finish();
  const double buildMs = WallMs() - buildStart;
  std::vector<double> wall, cpu;
  for (const std::u16string& text : jumpbench::Keystrokes()) {
    const std::string query = Utf16ToUtf8(text);
    const double wallStart = WallMs();
    const double cpuStart = ThreadCpuMs();
    index.Filter(query);
    cpu.push_back(ThreadCpuMs() - cpuStart);
    wall.push_back(WallMs() - wallStart);
  }
  std::printf("%-56s %10s %10s\n", "the search alone (native, 100,000 files)", "result", "target");
  std::printf("%-56s %7.1f ms\n", "index build", buildMs);
  Print("search per keystroke, thread CPU time", cpu, "<= 10", "<= 30");
  Print("search per keystroke, wall clock", wall, "", "");
  std::printf("%-56s %7.1f MB %7s MB\n", "index memory (with recent searches)", index.MemoryBytes() / 1048576.0, "<= 16");
  return 0;
}
