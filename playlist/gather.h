// Gathering the paths of sound files from a folder tree, a ".m3u" list or a
// command-line argument. Nothing is filtered by type: the input plug-ins
// decide at play time what they can open.
//
// Every function appends to `paths` and stops appending once it holds
// kMaxGatheredPaths entries (playlist/m3u_lines.h). Any thread.
#pragma once
#include <string>
#include <vector>

#include "playlist/m3u_lines.h"

struct GatherLimits {
  // Folders deeper than this below the starting folder (which is depth 0)
  // are not entered, so a looping tree cannot recurse without bound.
  int maxDepth = 64;
  // Folders entered in one scan, bounding the time a looping tree can take.
  size_t maxFolders = 100000;
  size_t maxPaths = kMaxGatheredPaths;
};

// Appends folder + "\" + name for every file below `folder`, depth first in
// the order the file system returns the entries: a sub-folder's files come at
// that sub-folder's place. Hidden and system files are included; folders that
// are reparse points (junctions, symbolic links) are not entered.
void GatherFolder(const std::string& folder, std::vector<std::string>& paths,
                  const GatherLimits& limits = GatherLimits());

// Appends the path lines of a ".m3u" list (M3uLineReader's rules), relative
// lines resolved against the list's own folder (ResolveM3uLine). False when
// the file cannot be opened.
bool ReadM3u(const std::string& file, std::vector<std::string>& paths);

// One argument of a command line: an existing folder is gathered with
// GatherFolder, a ".m3u" path with ReadM3u, anything else is itself the path.
void GatherArgument(const std::string& argument, std::vector<std::string>& paths);
