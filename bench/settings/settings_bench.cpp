// Load and save time of a large settings archive: 100 play lists of 1000
// files each, paths of about 80 characters.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "settings/settings_archive.h"
#include "settings/settings_file.h"

namespace {

SettingsData LargeSettings() {
  SettingsData s;
  ResetDefaults(s, "C:\\Program Files");
  int32_t id = 0;
  for (int l = 0; l < 100; ++l) {
    PlayList list;
    list.order = l;
    list.name = "List " + std::to_string(l);
    for (int f = 0; f < 1000; ++f) {
      SoundFile file;
      file.id = ++id;
      char path[128];
      std::snprintf(path, sizeof path,
                    "D:\\Music\\Collection %03d\\Artist Name %04d\\Album Title Goes Here\\%04d - Track Name.mp3", l,
                    f, f);
      file.path = path;
      file.title = f % 2 ? "Artist Name - Track Title" : "";
      file.volume = f % 7 - 3;
      file.presetId = f % 3;
      list.files.push_back(std::move(file));
    }
    s.playLists.push_back(std::move(list));
  }
  return s;
}

template <typename Fn>
double MedianMs(int runs, Fn fn) {
  std::vector<double> times;
  for (int i = 0; i < runs; ++i) {
    const auto start = std::chrono::steady_clock::now();
    fn();
    const auto end = std::chrono::steady_clock::now();
    times.push_back(std::chrono::duration<double, std::milli>(end - start).count());
  }
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

}  // namespace

int main() {
  const SettingsData settings = LargeSettings();
  size_t pathChars = 0;
  for (const PlayList& l : settings.playLists)
    for (const SoundFile& f : l.files) pathChars += f.path.size();

  // Save: encode and write the file; load: read the file and parse it.
  const std::string path = "settings_bench.mlcfg";
  std::string bytes;
  double encodeMs = MedianMs(9, [&] {
    bytes.clear();
    WriteSettingsArchive(settings, bytes);
  });
  const double saveMs = MedianMs(9, [&] {
    std::string out;
    WriteSettingsArchive(settings, out);
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (f) {
      std::fwrite(out.data(), 1, out.size(), f);
      std::fclose(f);
    }
  });
  // The loaded snapshots are freed after the timing: the program keeps its
  // settings for the whole run.
  std::vector<SettingsData> parsed(9), loaded(9);
  int run = 0;
  const double parseMs = MedianMs(9, [&] {
    ReadSettingsArchive(bytes, parsed[run++], "C:\\Program Files");
  });
  run = 0;
  const double loadMs = MedianMs(9, [&] {
    LoadSettingsFile(path, loaded[run++], "C:\\Program Files");
  });
  size_t files = 0;
  for (const PlayList& l : loaded.back().playLists) files += l.files.size();
  const bool same = WriteSettingsArchive(loaded.back()) == bytes;
  std::remove(path.c_str());
  std::printf("settings archive: 100 lists x 1000 files, mean path %.1f chars\n",
              static_cast<double>(pathChars) / 100000.0);
  std::printf("file size: %zu bytes (%.2f MiB)\n", bytes.size(), bytes.size() / 1048576.0);
  std::printf("save: %.2f ms (encode only %.2f ms), median of 9, target < 150 ms\n", saveMs,
              encodeMs);
  std::printf("load: %.2f ms (parse only %.2f ms), median of 9, target < 150 ms\n", loadMs,
              parseMs);
  const bool ok = same && files == 100000;
  if (!ok) std::printf("ERROR: the archive did not load back\n");
  return ok && saveMs < 150 && loadMs < 150 ? 0 : 1;
}
