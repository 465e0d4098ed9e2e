// Procedures chained in front of a window's own.
#include "framework/window_hook.h"

#include <memory>
#include <unordered_map>
#include <vector>

namespace {
struct Hook {
  WindowHookProc proc;  // nullptr: taken off while a message was running through the chain
  UINT_PTR id;
  DWORD_PTR data;
};

struct HookedWindow {
  WNDPROC original = nullptr;
  bool unicode = false;
  std::vector<Hook> hooks;  // oldest first; a message runs from the back
  int runningMessages = 0;  // while non-zero, hooks taken off are only marked
  bool destroyed = false;   // WM_NCDESTROY came (perhaps nested in another message)
};

// One message on its way down a window's chain; messages sent from inside a
// hook nest (outer).
struct Frame {
  HWND window;
  HookedWindow* hooked;
  size_t next;  // hooks[0, next) are still to run
  Frame* outer;
};

// --- this thread's windows only ---
// Never freed: a window destroyed during the thread's (or the program's) end
// still runs its chain, after destructors of thread-local objects have run.
using WindowTable = std::unordered_map<HWND, std::unique_ptr<HookedWindow>>;
thread_local WindowTable* tWindowTable = nullptr;
thread_local Frame* tFrame = nullptr;

WindowTable& Windows() {
  if (tWindowTable == nullptr) tWindowTable = new WindowTable();
  return *tWindowTable;
}

LRESULT CallOriginal(const HookedWindow& hooked, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return hooked.unicode ? ::CallWindowProcW(hooked.original, window, message, wParam, lParam)
                        : ::CallWindowProcA(hooked.original, window, message, wParam, lParam);
}

LRESULT RunNext(Frame& frame, UINT message, WPARAM wParam, LPARAM lParam) {
  HookedWindow& hooked = *frame.hooked;
  while (frame.next > 0) {
    const Hook hook = hooked.hooks[--frame.next];  // a copy: hooks added meanwhile may move the vector
    if (hook.proc != nullptr) return hook.proc(frame.window, message, wParam, lParam, hook.id, hook.data);
  }
  return CallOriginal(hooked, frame.window, message, wParam, lParam);
}

template <bool kUnicode>
LRESULT CALLBACK ChainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

WNDPROC ChainProcFor(bool unicode) { return unicode ? &ChainProc<true> : &ChainProc<false>; }

// Gives the window its own procedure back when that is still possible.
void Unchain(HWND window, const HookedWindow& hooked) {
  if (hooked.unicode) {
    if (reinterpret_cast<WNDPROC>(::GetWindowLongPtrW(window, GWLP_WNDPROC)) == ChainProcFor(true)) {
      ::SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(hooked.original));
      Windows().erase(window);
    }
  } else if (reinterpret_cast<WNDPROC>(::GetWindowLongPtrA(window, GWLP_WNDPROC)) == ChainProcFor(false)) {
    ::SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(hooked.original));
    Windows().erase(window);
  }
}

// Drops the marked hooks; with none left, the chain goes.
void Tidy(HWND window, HookedWindow& hooked) {
  std::vector<Hook>& hooks = hooked.hooks;
  size_t kept = 0;
  for (const Hook& hook : hooks) {
    if (hook.proc != nullptr) hooks[kept++] = hook;
  }
  hooks.resize(kept);
  if (hooks.empty()) Unchain(window, hooked);
}

template <bool kUnicode>
LRESULT CALLBACK ChainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  const auto found = Windows().find(window);
  if (found == Windows().end()) {
    return kUnicode ? ::DefWindowProcW(window, message, wParam, lParam)
                    : ::DefWindowProcA(window, message, wParam, lParam);
  }
  HookedWindow* hooked = found->second.get();
  if (message == WM_NCDESTROY) hooked->destroyed = true;
  ++hooked->runningMessages;
  Frame frame{window, hooked, hooked->hooks.size(), tFrame};
  tFrame = &frame;
  const LRESULT result = RunNext(frame, message, wParam, lParam);
  tFrame = frame.outer;
  if (--hooked->runningMessages == 0) {
    if (hooked->destroyed) {
      // The window's last message: its handle may come back for another window.
      if (hooked->unicode) {
        ::SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(hooked->original));
      } else {
        ::SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(hooked->original));
      }
      Windows().erase(window);
    } else {
      Tidy(window, *hooked);
    }
  }
  return result;
}

HookedWindow* Find(HWND window) {
  const auto found = Windows().find(window);
  return found != Windows().end() ? found->second.get() : nullptr;
}
}  // namespace

bool AddWindowHook(HWND window, WindowHookProc proc, UINT_PTR id, DWORD_PTR data) {
  if (proc == nullptr || !::IsWindow(window) || ::GetWindowThreadProcessId(window, nullptr) != ::GetCurrentThreadId()) {
    return false;
  }
  HookedWindow* hooked = Find(window);
  if (hooked == nullptr) {
    auto fresh = std::make_unique<HookedWindow>();
    fresh->unicode = ::IsWindowUnicode(window) != FALSE;
    const LONG_PTR chain = reinterpret_cast<LONG_PTR>(ChainProcFor(fresh->unicode));
    fresh->original = reinterpret_cast<WNDPROC>(fresh->unicode ? ::SetWindowLongPtrW(window, GWLP_WNDPROC, chain)
                                                               : ::SetWindowLongPtrA(window, GWLP_WNDPROC, chain));
    if (fresh->original == nullptr) return false;
    hooked = fresh.get();
    Windows()[window] = std::move(fresh);
  }
  for (Hook& hook : hooked->hooks) {
    if (hook.proc == proc && hook.id == id) {
      hook.data = data;
      return true;
    }
  }
  hooked->hooks.push_back(Hook{proc, id, data});
  return true;
}

bool RemoveWindowHook(HWND window, WindowHookProc proc, UINT_PTR id) {
  HookedWindow* hooked = Find(window);
  if (hooked == nullptr || proc == nullptr) return false;
  for (Hook& hook : hooked->hooks) {
    if (hook.proc == proc && hook.id == id) {
      hook.proc = nullptr;
      if (hooked->runningMessages == 0) Tidy(window, *hooked);
      return true;
    }
  }
  return false;
}

LRESULT CallNextWindowHook(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (tFrame != nullptr && tFrame->window == window) return RunNext(*tFrame, message, wParam, lParam);
  // Not from inside this window's chain: straight to its own procedure.
  if (const HookedWindow* hooked = Find(window)) return CallOriginal(*hooked, window, message, wParam, lParam);
  if (::IsWindowUnicode(window)) {
    return ::CallWindowProcW(reinterpret_cast<WNDPROC>(::GetWindowLongPtrW(window, GWLP_WNDPROC)), window, message,
                             wParam, lParam);
  }
  return ::CallWindowProcA(reinterpret_cast<WNDPROC>(::GetWindowLongPtrA(window, GWLP_WNDPROC)), window, message,
                           wParam, lParam);
}
