// Fuzz entries of the command-line texts the program receives, shared by the
// libFuzzer targets and the native test that replays their corpora.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The splitter and the program-name skip on any text; returns the arguments.
std::vector<std::string> FuzzCommandLine(const uint8_t* data, size_t size);
// Poke data as the receiving side takes it, then split; returns the arguments.
std::vector<std::string> FuzzPokeText(const uint8_t* data, size_t size);
