// Tool tips for a dialog's controls.
#include "ui/control_tips.h"

#include <commctrl.h>
#include <windowsx.h>

#include "framework/window_hook.h"

namespace {
constexpr UINT_PTR kHookId = 0x7469;  // "ti"

std::wstring WindowTextOf(HWND window) {
  std::wstring text(static_cast<size_t>(::GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(static_cast<size_t>(::GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
  return text;
}

TTTOOLINFOW ToolInfo(HWND control, const std::wstring* text) {
  TTTOOLINFOW info{};
  info.cbSize = sizeof info;
  // The control is the tool and receives the tooltip's notices itself; the
  // tooltip watches its mouse messages.
  info.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  info.hwnd = control;
  info.uId = reinterpret_cast<UINT_PTR>(control);
  info.lpszText = text != nullptr ? const_cast<wchar_t*>(text->c_str()) : nullptr;
  return info;
}
}  // namespace

CControlTips::~CControlTips() {
  for (const auto& tool : live_) {
    if (::IsWindow(tool->control)) RemoveWindowHook(tool->control, &CControlTips::ControlProc, kHookId);
  }
}

bool CControlTips::Create(HWND owner) {
  window_.reset(::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                                  CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr,
                                  ::GetModuleHandleW(nullptr), nullptr));
  return static_cast<bool>(window_);
}

void CControlTips::AddTool(HWND control, const std::wstring& text) {
  TTTOOLINFOW info = ToolInfo(control, &text);
  ::SendMessageW(window_.get(), TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info));
}

void CControlTips::AddNamed(HWND control) {
  if (window_ && control != nullptr) AddTool(control, WindowTextOf(control));
}

void CControlTips::AddLive(HWND control, TextSource text) {
  if (!window_ || control == nullptr) return;
  live_.push_back(std::make_unique<Tool>(Tool{this, control, std::move(text), std::wstring()}));
  Tool& tool = *live_.back();
  tool.shown = tool.text(POINT{0, 0});
  AddTool(control, tool.shown);
  AddWindowHook(control, &CControlTips::ControlProc, kHookId, reinterpret_cast<DWORD_PTR>(&tool));
}

void CControlTips::Refresh(HWND control) {
  for (const auto& tool : live_) {
    if (tool->control != control) continue;
    POINT cursor{0, 0};
    ::GetCursorPos(&cursor);
    ::ScreenToClient(control, &cursor);
    Update(*tool, cursor);
  }
}

void CControlTips::Update(Tool& tool, POINT at) {
  std::wstring text = tool.text(at);
  if (text == tool.shown) return;
  tool.shown = std::move(text);
  // The tooltip copies the text; a tip on screen is redrawn with it.
  TTTOOLINFOW info = ToolInfo(tool.control, &tool.shown);
  ::SendMessageW(window_.get(), TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&info));
}

LRESULT CALLBACK CControlTips::ControlProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                           DWORD_PTR data) {
  Tool& tool = *reinterpret_cast<Tool*>(data);
  if (message == WM_MOUSEMOVE) {
    tool.owner->Update(tool, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
  } else if (message == WM_NCDESTROY) {
    RemoveWindowHook(window, &CControlTips::ControlProc, kHookId);
  }
  return CallNextWindowHook(window, message, wParam, lParam);
}
