// How a start of the program finds its place: it becomes the first copy, or
// hands its files to the first copy and ends.
//
// A start that finds the single-instance mutex taken sends its files straight
// to the first copy's hand-over window, and tries again, within a bound, until
// the first copy takes them: a first copy still starting (no window yet, or
// not taking messages yet) or one that is ending (its Exit was chosen: it
// serves no more) is waited for. When the mutex has gone meanwhile, this
// start becomes the first copy itself. No broadcast is involved, so
// simultaneous starts do not wait on each other; the first copy takes them
// one at a time, in the order their messages reached it. A running copy of
// an older Melodek (DDE only) still gets plain hand-overs over DDE.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

#include "app/command_line.h"
#include "app/instance_channel.h"

enum class StartRole {
  kFirst,       // this process holds the mutex and serves the channel
  kHandedOver,  // the first copy took the files: this process ends
  kNoAnswer,    // a first copy runs but did not take them within the bound
};

constexpr DWORD kHandOverBoundMs = 10000;

// Becomes the first copy under `name`, or hands `request` over to it with
// this process's launch time.
StartRole BecomeFirstOrHandOver(CInstanceChannel& channel, const std::string& name, const StartRequest& request,
                                DWORD boundMs = kHandOverBoundMs);

// When this process was launched (system time, 100 ns units).
uint64_t ProcessLaunchTime();

// Tells the user that the running copy did not answer, with the files it was
// given (so that nothing is lost without a word).
void ShowNoAnswer(const StartRequest& request);
