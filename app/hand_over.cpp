// A start of the program becomes the first copy or hands its files over.
#include "app/hand_over.h"

#include <algorithm>
#include <vector>

namespace {
constexpr DWORD kRetryMs = 50;
// A hand-over sent late in the bound still gets this long for its answer.
constexpr DWORD kShortestWaitMs = 2000;
}  // namespace

uint64_t ProcessLaunchTime() {
  FILETIME created, exited, kernel, user;
  if (!::GetProcessTimes(::GetCurrentProcess(), &created, &exited, &kernel, &user)) return 0;
  return (static_cast<uint64_t>(created.dwHighDateTime) << 32) | created.dwLowDateTime;
}

StartRole BecomeFirstOrHandOver(CInstanceChannel& channel, const std::string& name, const StartRequest& request,
                                DWORD boundMs) {
  using SendResult = CInstanceChannel::SendResult;
  const uint64_t launched = ProcessLaunchTime();
  const DWORD started = ::GetTickCount();
  while (true) {
    if (channel.BecomeFirstInstance(name)) return StartRole::kFirst;
    const DWORD elapsed = ::GetTickCount() - started;
    if (elapsed >= boundMs) return StartRole::kNoAnswer;
    const DWORD wait = std::max(boundMs - elapsed, kShortestWaitMs);
    SendResult result = CInstanceChannel::SendDirect(name, request, launched, wait);
    // A running copy of an older Melodek has no hand-over window, only the
    // DDE service: it takes files to play, and knows nothing of "/add".
    if (result == SendResult::kNoServer && request.kind == HandOverKind::kPlay) {
      result = CInstanceChannel::Send(name, CInstanceChannel::kTopicText, CInstanceChannel::kPokeItem, request.files,
                                      wait);
    }
    switch (result) {
      case SendResult::kDelivered:
        return StartRole::kHandedOver;
      case SendResult::kNoAnswer:
        return StartRole::kNoAnswer;  // sent once: sending again could add the files twice
      case SendResult::kNoServer:
      case SendResult::kRefused:
        break;  // starting or ending: the next turn finds it ready, or gone
    }
    ::Sleep(kRetryMs);
  }
}

void ShowNoAnswer(const StartRequest& request) {
  std::string text = "Melodek is running but does not answer";
  const std::vector<std::string> files = SplitCommandLine(request.files);
  if (files.empty()) {
    text += ".";
  } else {
    text += request.kind == HandOverKind::kAdd ? ", so these files were not added to its list:\n\n"
                                                : ", so these files were not handed to it:\n\n";
    for (const std::string& file : files) text += file + "\n";
    text += "\nOpen them again once Melodek answers, or after ending it.";
  }
  ::MessageBoxA(nullptr, text.c_str(), "Melodek", MB_OK | MB_ICONWARNING | MB_SETFOREGROUND);
}
