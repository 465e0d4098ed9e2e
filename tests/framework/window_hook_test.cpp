// The framework's window hooks under Wine: chain order, hooks taken off in
// the middle of a message, messages sent from inside a hook, the window's
// character set, and windows destroyed while hooked.
#include "framework/window_hook.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

namespace {
constexpr UINT kAsk = WM_APP + 1;    // answered by the window's own procedure with 1000 + wParam
constexpr UINT kNested = WM_APP + 2;  // the hook with id 2 sends kAsk to its own window while handling it

std::vector<std::string> gSeen;

LRESULT CALLBACK OwnProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kAsk) {
    gSeen.push_back("own");
    return 1000 + static_cast<LRESULT>(wParam);
  }
  return ::DefWindowProcW(window, message, wParam, lParam);
}

// Hook `id` notes itself, passes kAsk on and adds its id to the answer;
// with data 1 it takes itself off first.
LRESULT CALLBACK Recorder(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id, DWORD_PTR data) {
  if (message == kAsk || message == kNested) gSeen.push_back("hook" + std::to_string(id));
  if (message == kAsk && data == 1) RemoveWindowHook(window, &Recorder, id);
  if (message == kNested && id == 2) {
    const LRESULT inner = ::SendMessageW(window, kAsk, 5, 0);
    return inner + CallNextWindowHook(window, kAsk, 0, 0);
  }
  const LRESULT next = CallNextWindowHook(window, message, wParam, lParam);
  return message == kAsk ? next + static_cast<LRESULT>(id) : next;
}

LRESULT CALLBACK DestroyingHook(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
  if (message == kAsk) {
    ::DestroyWindow(window);
    return 7;
  }
  if (message == WM_NCDESTROY) gSeen.push_back("ncdestroy");
  return CallNextWindowHook(window, message, wParam, lParam);
}

// What a hook saw of WM_SETTEXT: the text as wide characters, or "ansi:" and its bytes.
std::wstring gTextSeen;
LRESULT CALLBACK TextHook(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
  if (message == WM_SETTEXT && lParam != 0) {
    if (::IsWindowUnicode(window)) {
      gTextSeen = reinterpret_cast<const wchar_t*>(lParam);
    } else {
      const std::string bytes = reinterpret_cast<const char*>(lParam);
      gTextSeen = L"ansi:" + std::wstring(bytes.begin(), bytes.end());
    }
  }
  return CallNextWindowHook(window, message, wParam, lParam);
}

HWND NewWindow(bool unicode) {
  static const bool registered = [] {
    WNDCLASSW wide{};
    wide.lpfnWndProc = &OwnProc;
    wide.hInstance = ::GetModuleHandleW(nullptr);
    wide.lpszClassName = L"HookTestWide";
    WNDCLASSA narrow{};
    narrow.lpfnWndProc = &::DefWindowProcA;
    narrow.hInstance = ::GetModuleHandleA(nullptr);
    narrow.lpszClassName = "HookTestNarrow";
    return ::RegisterClassW(&wide) != 0 && ::RegisterClassA(&narrow) != 0;
  }();
  EXPECT_TRUE(registered);
  return unicode ? ::CreateWindowExW(0, L"HookTestWide", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                     ::GetModuleHandleW(nullptr), nullptr)
                 : ::CreateWindowExA(0, "HookTestNarrow", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                     ::GetModuleHandleA(nullptr), nullptr);
}
}  // namespace

TEST(WindowHook, RunsNewestFirstAndLetsHooksGoMidMessage) {
  HWND window = NewWindow(true);
  ASSERT_NE(window, nullptr);
  const LONG_PTR own = ::GetWindowLongPtrW(window, GWLP_WNDPROC);
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
      {"a message sent from inside a hook runs the whole chain",
       kNested,
       (1005 + 1 + 2) + (1000 + 1),
       {"hook2", "hook2", "hook1", "own", "hook1", "own"}},
  };
  for (const Step& step : steps) {
    gSeen.clear();
    EXPECT_EQ(::SendMessageW(window, step.message, 0, 0), step.answer) << step.what;
    EXPECT_EQ(gSeen, step.seen) << step.what;
  }
  EXPECT_FALSE(RemoveWindowHook(window, &Recorder, 3));  // already gone
  EXPECT_TRUE(RemoveWindowHook(window, &Recorder, 2));
  EXPECT_TRUE(RemoveWindowHook(window, &Recorder, 1));
  EXPECT_EQ(::GetWindowLongPtrW(window, GWLP_WNDPROC), own) << "the window's own procedure is back";
  EXPECT_EQ(::SendMessageW(window, kAsk, 0, 0), 1000);
  ::DestroyWindow(window);
}

TEST(WindowHook, KeepsTheCharacterSetAndSurvivesDestruction) {
  for (const bool unicode : {true, false}) {
    HWND window = NewWindow(unicode);
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(AddWindowHook(window, &TextHook, 1, 0));
    EXPECT_EQ(::IsWindowUnicode(window) != FALSE, unicode);
    gTextSeen.clear();
    if (unicode) {
      // A hook put in as an ANSI procedure would lose the Omega on its way through.
      ::SetWindowTextW(window, L"Caf\u00e9 \u03a9");
      wchar_t back[32] = {};
      ::GetWindowTextW(window, back, 32);
      EXPECT_STREQ(back, L"Caf\u00e9 \u03a9");
      EXPECT_EQ(gTextSeen, L"Caf\u00e9 \u03a9");
    } else {
      ::SetWindowTextA(window, "plain");
      char back[32] = {};
      ::GetWindowTextA(window, back, 32);
      EXPECT_STREQ(back, "plain");
      EXPECT_EQ(gTextSeen, L"ansi:plain");
    }
    ::DestroyWindow(window);
  }

  // A window destroyed from inside its own hook: the message returns, the
  // hooks hear WM_NCDESTROY, and a new window is hooked afresh.
  for (int round = 0; round < 2; ++round) {
    HWND window = NewWindow(true);
    ASSERT_TRUE(AddWindowHook(window, &DestroyingHook, 1, 0));
    gSeen.clear();
    EXPECT_EQ(::SendMessageW(window, kAsk, 0, 0), 7);
    EXPECT_FALSE(::IsWindow(window));
    EXPECT_EQ(gSeen, std::vector<std::string>{"ncdestroy"});
  }

  // Another thread's window is refused.
  HWND window = NewWindow(true);
  bool added = true;
  std::thread([&] { added = AddWindowHook(window, &Recorder, 1, 0); }).join();
  EXPECT_FALSE(added);
  ::DestroyWindow(window);
}
