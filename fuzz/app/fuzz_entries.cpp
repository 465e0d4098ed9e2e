// Fuzz entries of the command-line splitter (and the program part of a Run
// entry) and the DDE poke text. The splitter's arguments are pieces of the
// text in order; quoting each argument and splitting again gives them back;
// the poke text is what the receiving side's buffer can hold.
#include "fuzz/app/fuzz_entries.h"

#include <cstdlib>

#include "app/command_line.h"
#include "app/poke_text.h"
#include "playlist/m3u_lines.h"

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

std::vector<std::string> CheckedSplit(const std::string& text) {
  const std::vector<std::string> arguments = SplitCommandLine(text);
  size_t used = 0;
  size_t searchFrom = 0;
  bool quoteInside = false;
  for (size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    used += argument.size() + 1;  // at least a blank or a quote beside it
    if (argument.empty()) {
      // Only a quoted argument can be empty; an unterminated one ends the text.
      continue;
    }
    // Found at or before where it really stands (the earlier arguments
    // were too), so the search never fails for a real piece of the text.
    const size_t at = text.find(argument, searchFrom);
    Check(at != std::string::npos);
    searchFrom = at + argument.size();
    quoteInside = quoteInside || argument.find('"') != std::string::npos;
    // What the receiving side does next with each argument.
    HasM3uExtension(argument);
  }
  Check(used <= text.size() + 1);
  // Quoted again, the arguments split into themselves (a quote inside an
  // argument cannot be quoted, so those are left out).
  if (!quoteInside) {
    std::string joined;
    for (const std::string& argument : arguments) joined += "\"" + argument + "\" ";
    Check(SplitCommandLine(joined) == arguments);
  }
  return arguments;
}

}  // namespace

std::vector<std::string> FuzzCommandLine(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  // A process's own command line: the arguments are its tail, without
  // leading blanks, and the program name before them holds no blank unless
  // it is quoted.
  const std::string rest = ArgumentsAfterProgramName(text);
  Check(rest.size() <= text.size());
  Check(text.compare(text.size() - rest.size(), rest.size(), rest) == 0);
  Check(rest.empty() || (rest[0] != ' ' && rest[0] != '\t'));
  const std::string name = text.substr(0, text.size() - rest.size());
  if (!name.empty() && name[0] != '"') {
    const size_t blank = name.find_first_of(" \t");
    Check(blank == std::string::npos || name.find_first_not_of(" \t", blank) == std::string::npos);
  }
  // The same text as a Run entry: the program is the name without its
  // blanks and enclosing quotes, found in the name.
  const std::string program = ProgramOfCommandLine(text);
  Check(program.size() <= name.size() && name.find(program) != std::string::npos);
  CheckedSplit(rest);
  // The "/add" switch: the files are the arguments' tail, and only a
  // switch is taken off.
  const StartRequest request = ParseStartRequest(rest);
  Check(request.files.size() <= rest.size());
  Check(rest.compare(rest.size() - request.files.size(), request.files.size(), request.files) == 0);
  Check(request.kind == HandOverKind::kAdd || request.files == rest);
  if (request.kind == HandOverKind::kAdd) CheckedSplit(request.files);
  return CheckedSplit(text);
}

std::vector<std::string> FuzzPokeText(const uint8_t* data, size_t size) {
  const std::string text = PokeText(data, size);
  Check(text.size() < kMaxPokeBytes && text.size() <= size);
  Check(text.find('\0') == std::string::npos);
  Check(text.compare(0, text.size(), reinterpret_cast<const char*>(data), text.size()) == 0);
  // The text stops only at a NUL, the buffer's end or the data's end.
  Check(text.size() == size || text.size() == kMaxPokeBytes - 1 || data[text.size()] == '\0');
  // The same bytes sent straight to the hand-over window: the launch time
  // and the text after it, as a poke's; nothing from fewer than 8 bytes.
  for (uint32_t tag : {kDirectPlayTag, kDirectAddTag, kDirectAddTag + 1}) {
    const std::optional<DirectHandOver> direct = ParseDirectHandOver(tag, data, size);
    Check(direct.has_value() == (size >= 8 && tag != kDirectAddTag + 1));
    if (direct) {
      Check(direct->text == PokeText(data + 8, size - 8));
      Check(DirectHandOverBytes(direct->launched, direct->text).size() == direct->text.size() + 9);
    }
  }
  return CheckedSplit(text);
}
