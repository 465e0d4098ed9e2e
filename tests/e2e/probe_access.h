// The probe's verbs for what a user who cannot see well, or does not use a
// mouse, meets: tool tips on screen, accessible names, the keyboard's focus
// walk, and high contrast (see probe_access.cpp).
#pragma once
#include <windows.h>

#include <string>
#include <vector>

// Runs `verb` if it is one of these; returns its exit code, or -1 when the
// verb is not one of them.
int RunAccessVerb(const std::string& verb, int argc, char** argv);

// The top-level windows of a process (defined in probe.cpp).
std::vector<HWND> TopLevelWindowsOf(DWORD processId);
