// Parsing of the test plug-in's script files.
#include "plugins/test_plugin/mtest_script.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <sstream>

namespace mtest {
namespace {

std::string Trim(const std::string& s) {
  const size_t first = s.find_first_not_of(" \t\r\n");
  if (first == std::string::npos) return std::string();
  const size_t last = s.find_last_not_of(" \t\r\n");
  return s.substr(first, last - first + 1);
}

bool ToInt(const std::string& text, long long lo, long long hi, long long* value) {
  if (text.empty()) return false;
  errno = 0;
  char* end = nullptr;
  const long long v = std::strtoll(text.c_str(), &end, 10);
  if (errno != 0 || *end != '\0' || v < lo || v > hi) return false;
  *value = v;
  return true;
}

}  // namespace

bool ParseScript(const std::string& text, Script* script) {
  std::istringstream lines(text);
  std::string line;
  while (std::getline(lines, line)) {
    line = Trim(line);
    if (line.empty() || line[0] == '#') continue;
    const size_t eq = line.find('=');
    const std::string key = Trim(line.substr(0, eq));
    const std::string value = eq == std::string::npos ? std::string() : Trim(line.substr(eq + 1));
    long long v = 0;
    if (key == "rate") {
      if (!ToInt(value, 1, 1000000, &v)) return false;
      script->rate = static_cast<int>(v);
    } else if (key == "channels") {
      if (!ToInt(value, 1, 32, &v)) return false;
      script->channels = static_cast<int>(v);
    } else if (key == "bits") {
      if (!ToInt(value, 8, 32, &v) || v % 8 != 0) return false;
      script->bits = static_cast<int>(v);
    } else if (key == "frames") {
      if (!ToInt(value, 0, 1LL << 40, &v)) return false;
      script->frames = static_cast<uint64_t>(v);
    } else if (key == "block") {
      if (!ToInt(value, 1, 65536, &v)) return false;
      script->blockFrames = static_cast<int>(v);
    } else if (key == "slow_ms") {
      if (!ToInt(value, 0, 10000, &v)) return false;
      script->slowMs = static_cast<int>(v);
    } else if (key == "length") {
      if (!ToInt(value, -1, 0x7FFFFFFF, &v)) return false;
      script->hasLength = true;
      script->lengthMs = static_cast<int>(v);
    } else if (key == "pattern") {
      if (value == "ramp") {
        script->pattern = Pattern::kRamp;
      } else if (value == "sine") {
        script->pattern = Pattern::kSine;
      } else if (value.compare(0, 6, "const:") == 0 && ToInt(value.substr(6), -32768, 32767, &v)) {
        script->pattern = Pattern::kConst;
        script->constLevel = static_cast<int>(v);
      } else {
        return false;
      }
    } else if (key == "title") {
      script->hasTitle = true;
      script->title = value;
    } else if (key == "log") {
      script->logPath = value;
    } else if (key == "refuse") {
      script->refuse = true;
    } else if (key == "open_from_thread") {
      script->openFromThread = true;
    } else if (key == "never_open") {
      script->neverOpen = true;
    } else if (key == "overwrite") {
      script->overwrite = true;
    } else if (key == "no_isplaying") {
      script->noIsPlaying = true;
    } else if (key == "info_unterminated") {
      script->infoUnterminated = true;
    } else if (key.compare(0, 5, "info_") == 0 && key.size() > 5) {
      std::string name = key.substr(5);
      for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
      script->info[name] = value;
    }
  }
  return true;
}

}  // namespace mtest
