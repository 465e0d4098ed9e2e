// Splitting a command line handed over by a start of the program.
#pragma once
#include <string>
#include <vector>

// Arguments left to right: spaces and tabs separate them; a double quote
// starts an argument that runs to the next double quote (both dropped);
// without a closing quote the argument is empty and ends the text.
std::vector<std::string> SplitCommandLine(const std::string& text);
