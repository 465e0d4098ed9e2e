// Reading the settings files from disk.
#include "settings/settings_file.h"

#include <cstdio>
#include <memory>

namespace {

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using UniqueFile = std::unique_ptr<std::FILE, FileCloser>;

}  // namespace

FileReadResult ReadWholeFile(const std::string& path, std::string& bytes, size_t maxBytes) {
  UniqueFile file(std::fopen(path.c_str(), "rb"));
  if (!file) return FileReadResult::Missing;
  std::string data;
  // Reserve the expected size once; the loop below still decides the end.
  if (std::fseek(file.get(), 0, SEEK_END) == 0) {
    const long size = std::ftell(file.get());
    if (size > 0 && static_cast<unsigned long>(size) <= maxBytes) data.reserve(static_cast<size_t>(size));
    std::rewind(file.get());
  }
  char chunk[65536];
  for (;;) {
    const size_t n = std::fread(chunk, 1, sizeof chunk, file.get());
    if (n > maxBytes - data.size()) return FileReadResult::TooLarge;
    data.append(chunk, n);
    if (n < sizeof chunk) break;
  }
  if (std::ferror(file.get())) return FileReadResult::Missing;
  bytes.swap(data);
  return FileReadResult::Read;
}

SettingsLoadStatus LoadSettingsFile(const std::string& path, SettingsData& settings,
                                    std::string_view programFilesFolder) {
  // Without an archive the caller may import the text file; until then the
  // reset fields hold their defaults.
  ResetDefaults(settings, programFilesFolder);
  std::string bytes;
  switch (ReadWholeFile(path, bytes)) {
    case FileReadResult::Missing:
      return SettingsLoadStatus::Missing;
    case FileReadResult::TooLarge:
      settings = SettingsData();
      ResetDefaults(settings, programFilesFolder);
      return SettingsLoadStatus::Damaged;
    case FileReadResult::Read:
      break;
  }
  return ReadSettingsArchive(bytes, settings, programFilesFolder);
}
