// The framework's window hooks under Wine: chain order, hooks taken off in
// the middle of a message, messages sent from inside a hook, the window's
// character set, and a window destroyed from inside its own hook.
#include "framework/window_hook.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {
constexpr UINT kAsk = WM_APP + 1;     // the window's own procedure answers 1000 + wParam
constexpr UINT kNested = WM_APP + 2;  // hook 2 sends kAsk to its own window meanwhile
constexpr UINT kDestroy = WM_APP + 3;

std::vector<std::string> gSeen;
std::wstring gText;

LRESULT CALLBACK OwnProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kAsk) gSeen.push_back("own");
  return message == kAsk ? 1000 + static_cast<LRESULT>(wParam) : ::DefWindowProcW(window, message, wParam, lParam);
}

// Notes itself, adds its id to kAsk's answer; with data 1 it takes itself off first.
LRESULT CALLBACK Recorder(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id, DWORD_PTR data) {
  if (message == kAsk || message == kNested) gSeen.push_back("hook" + std::to_string(id));
  if (message == kAsk && data == 1) RemoveWindowHook(window, &Recorder, id);
  if (message == kNested && id == 2) return ::SendMessageW(window, kAsk, 5, 0) + CallNextWindowHook(window, kAsk, 0, 0);
  if (message == WM_SETTEXT) gText = reinterpret_cast<const wchar_t*>(lParam);
  if (message == WM_NCDESTROY) gSeen.push_back("ncdestroy");
  if (message == kDestroy) {
    ::DestroyWindow(window);
    return 7;
  }
  const LRESULT next = CallNextWindowHook(window, message, wParam, lParam);
  return message == kAsk ? next + static_cast<LRESULT>(id) : next;
}

HWND NewWindow() {
  static const bool registered = [] {
    WNDCLASSW wide{};
    wide.lpfnWndProc = &OwnProc;
    wide.hInstance = ::GetModuleHandleW(nullptr);
    wide.lpszClassName = L"HookTestWide";
    return ::RegisterClassW(&wide) != 0;
  }();
  EXPECT_TRUE(registered);
  return ::CreateWindowExW(0, L"HookTestWide", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                           ::GetModuleHandleW(nullptr), nullptr);
}
}  // namespace

TEST(WindowHook, RunsNewestFirstAndLetsHooksGoMidMessage) {
  HWND window = NewWindow();
  ASSERT_NE(window, nullptr);
  ASSERT_TRUE(AddWindowHook(window, &Recorder, 1, 0));
  ASSERT_TRUE(AddWindowHook(window, &Recorder, 2, 0));
  ASSERT_TRUE(AddWindowHook(window, &Recorder, 3, 0));
  ASSERT_TRUE(AddWindowHook(window, &Recorder, 3, 1));  // the same pair: only its data changes
  struct Step {
    const char* what;
    UINT message;
    LRESULT answer;
    std::vector<std::string> seen;
  };
  const Step steps[] = {
      {"hook 3 takes itself off while the message runs on", kAsk, 1000 + 1 + 2 + 3, {"hook3", "hook2", "hook1", "own"}},
      {"it is gone for the next message", kAsk, 1000 + 1 + 2, {"hook2", "hook1", "own"}},
      {"a message sent from inside a hook runs the whole chain", kNested, (1005 + 1 + 2) + (1000 + 1),
       {"hook2", "hook2", "hook1", "own", "hook1", "own"}},
  };
  for (const Step& step : steps) {
    gSeen.clear();
    EXPECT_EQ(::SendMessageW(window, step.message, 0, 0), step.answer) << step.what;
    EXPECT_EQ(gSeen, step.seen) << step.what;
  }
  // A hook put in as an ANSI procedure would lose the Omega on its way through.
  EXPECT_TRUE(::IsWindowUnicode(window));
  ::SetWindowTextW(window, L"Caf\u00e9 \u03a9");
  wchar_t back[32] = {};
  ::GetWindowTextW(window, back, 32);
  EXPECT_STREQ(back, L"Caf\u00e9 \u03a9");
  EXPECT_EQ(gText, L"Caf\u00e9 \u03a9");

  EXPECT_FALSE(RemoveWindowHook(window, &Recorder, 3));  // already gone
  EXPECT_TRUE(RemoveWindowHook(window, &Recorder, 2));
  EXPECT_TRUE(RemoveWindowHook(window, &Recorder, 1));
  EXPECT_EQ(::GetWindowLongPtrW(window, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(&OwnProc))
      << "its own procedure is back";
  ::DestroyWindow(window);

  // Destroyed from inside its own hook: the message returns, the hook hears
  // WM_NCDESTROY, and the next window is hooked afresh.
  for (int round = 0; round < 2; ++round) {
    window = NewWindow();
    ASSERT_TRUE(AddWindowHook(window, &Recorder, 1, 0));
    gSeen.clear();
    EXPECT_EQ(::SendMessageW(window, kDestroy, 0, 0), 7);
    EXPECT_FALSE(::IsWindow(window));
    EXPECT_EQ(gSeen, std::vector<std::string>{"ncdestroy"});
  }
}
