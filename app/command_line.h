// Splitting a command line handed over by a start of the program, and
// finding the arguments in a process's own command line.
#pragma once
#include <string>
#include <vector>

// Arguments left to right: spaces and tabs separate them; a double quote
// starts an argument that runs to the next double quote (both dropped);
// without a closing quote the argument is empty and ends the text.
std::vector<std::string> SplitCommandLine(const std::string& text);

// What follows the program's own name (quoted or not) and the blanks after
// it in a process's command line: the arguments the user gave.
std::string ArgumentsAfterProgramName(const std::string& commandLine);

// What a start of the program was asked to do with its files.
enum class HandOverKind {
  kPlay,  // put them at the head of the first list and play them (no switch)
  kAdd,   // append them to the current list; what plays goes on ("/add")
};

struct StartRequest {
  HandOverKind kind = HandOverKind::kPlay;
  std::string files;  // the arguments after the switch, as they were written
};

// Reads a leading "/add" switch (any case, unquoted, followed by a blank or
// the end) off the arguments; everything else is files, left as written.
StartRequest ParseStartRequest(const std::string& arguments);
// The program part of a command line (a Run entry, a shell verb): the text
// ArgumentsAfterProgramName skips, without its blanks and enclosing quotes.
std::string ProgramOfCommandLine(const std::string& commandLine);
