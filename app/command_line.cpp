// Splitting a command line handed over by a start of the program, and
// finding the arguments in a process's own command line.
#include "app/command_line.h"

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

std::string ProgramOfCommandLine(const std::string& commandLine) {
  std::string program = commandLine.substr(0, commandLine.size() - ArgumentsAfterProgramName(commandLine).size());
  while (!program.empty() && (program.back() == ' ' || program.back() == '\t')) program.pop_back();
  if (!program.empty() && program.front() == '"') {
    program.erase(0, 1);
    if (!program.empty() && program.back() == '"') program.pop_back();
  }
  return program;
}
