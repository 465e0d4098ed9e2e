// Where a start's time goes, written only when asked for: with the
// environment variable MELODEK_STARTUP_TIMES naming a file, every step marked
// below appends a line "<step>, <ms since the process was created>" to it
// (bench/app/steps.py reads them), and so does every library loaded after
// WinMain ("library loaded: <name>"). The first line is
// "process created (Unix time <seconds>), 0.0".
// Unset, or naming a file that cannot be made: nothing is written and a mark
// costs one atomic load. The file stays open, and steps after the start
// (a Controller shown, a Play asked) are marked too, until the process ends.
#pragma once

namespace startup_timeline {

// Opens the file the variable names; first thing in WinMain (UI thread).
void Open();
// Appends the step (plain text, no comma) with the time now. Any thread.
void Mark(const char* step);

}  // namespace startup_timeline
