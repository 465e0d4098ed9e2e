// Tool tips for a dialog's controls: one tooltip window, a tip per control.
// A control's tip is its name (the window text, which assistive tools read
// too), or a text a function gives; such a tip is asked again whenever the
// mouse moves over its control and on Refresh, so it can tell the value
// under the cursor (a slider's time) or the control's current value.
//
// UI thread only. The object must outlive neither the controls nor the
// owner: it is destroyed before them or with them (the hooks it puts on the
// controls are taken off in its destructor).
#pragma once
#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "framework/unique_handle.h"

class CControlTips {
 public:
  // The tip at a point of the control (client coordinates of the control).
  using TextSource = std::function<std::wstring(POINT)>;

  CControlTips() = default;
  ~CControlTips();
  CControlTips(const CControlTips&) = delete;
  CControlTips& operator=(const CControlTips&) = delete;

  // Creates the tooltip window, owned by `owner`.
  bool Create(HWND owner);
  HWND Handle() const { return window_.get(); }

  // The control's window text as its tip.
  void AddNamed(HWND control);
  // A tip `text` gives, asked again as the mouse moves over the control.
  void AddLive(HWND control, TextSource text);
  // Asks the control's text source again (its value changed); a shown tip follows.
  void Refresh(HWND control);

 private:
  struct Tool {
    CControlTips* owner;
    HWND control;
    TextSource text;
    std::wstring shown;
  };
  static LRESULT CALLBACK ControlProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                      DWORD_PTR data);
  void AddTool(HWND control, const std::wstring& text);
  void Update(Tool& tool, POINT at);

  UniqueWindow window_;
  std::vector<std::unique_ptr<Tool>> live_;
};
