// Splitting a command line handed over by a start of the program, and
// finding the arguments in a process's own command line.
#include "app/command_line.h"

#include <cctype>

std::vector<std::string> SplitCommandLine(const std::string& text) {
  std::vector<std::string> arguments;
  size_t at = 0;
  const size_t end = text.size();
  while (true) {
    while (at < end && (text[at] == ' ' || text[at] == '\t')) ++at;
    if (at >= end) break;
    if (text[at] == '"') {
      const size_t close = text.find('"', at + 1);
      if (close == std::string::npos) {
        arguments.emplace_back();  // unterminated: an empty argument uses up the rest
        break;
      }
      arguments.push_back(text.substr(at + 1, close - at - 1));
      at = close + 1;
    } else {
      size_t stop = text.find(' ', at);
      if (stop == std::string::npos) stop = end;
      arguments.push_back(text.substr(at, stop - at));
      at = stop;
    }
  }
  return arguments;
}

std::string ArgumentsAfterProgramName(const std::string& commandLine) {
  size_t at = 0;
  const size_t end = commandLine.size();
  if (at < end && commandLine[at] == '"') {
    at = commandLine.find('"', 1);
    at = at == std::string::npos ? end : at + 1;
  } else {
    while (at < end && commandLine[at] != ' ' && commandLine[at] != '\t') ++at;
  }
  while (at < end && (commandLine[at] == ' ' || commandLine[at] == '\t')) ++at;
  return commandLine.substr(at);
}

StartRequest ParseStartRequest(const std::string& arguments) {
  static const char kAdd[] = "/add";
  constexpr size_t kLength = sizeof kAdd - 1;
  size_t at = 0;
  while (at < arguments.size() && (arguments[at] == ' ' || arguments[at] == '\t')) ++at;
  bool add = arguments.size() - at >= kLength;
  for (size_t i = 0; add && i < kLength; ++i) {
    add = std::tolower(static_cast<unsigned char>(arguments[at + i])) == kAdd[i];
  }
  const size_t end = at + kLength;
  if (!add || (end < arguments.size() && arguments[end] != ' ' && arguments[end] != '\t')) {
    return {HandOverKind::kPlay, arguments};
  }
  at = end;
  while (at < arguments.size() && (arguments[at] == ' ' || arguments[at] == '\t')) ++at;
  return {HandOverKind::kAdd, arguments.substr(at)};
}

std::string ProgramOfCommandLine(const std::string& commandLine) {
  std::string program = commandLine.substr(0, commandLine.size() - ArgumentsAfterProgramName(commandLine).size());
  while (!program.empty() && (program.back() == ' ' || program.back() == '\t')) program.pop_back();
  if (!program.empty() && program.front() == '"') {
    program.erase(0, 1);
    if (!program.empty() && program.back() == '"') program.pop_back();
  }
  return program;
}
