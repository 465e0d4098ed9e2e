// The hot key editor.
#include "hotkey/hotkey_edit_dlg.h"

#include <commctrl.h>

#include "common/resource.h"
#include "hotkey/hotkey_control_flags.h"
#include "hotkey/hotkey_table.h"

namespace {
constexpr UINT_PTR kShowTakenTimer = 1;
}  // namespace

const MessageMapEntry<CHotKeyEditDlg> CHotKeyEditDlg::kMessageMap[] = {
    {WM_TIMER, &CHotKeyEditDlg::OnTimer},
};

CHotKeyEditDlg* CHotKeyEditDlg::open_ = nullptr;

CHotKeyEditDlg::CHotKeyEditDlg(uint32_t modifiers, uint32_t virtualKey)
    : CDialog(IDD_HOTKEY_EDIT), modifiers_(modifiers), virtualKey_(virtualKey) {}

CHotKeyEditDlg::~CHotKeyEditDlg() {
  if (open_ == this) open_ = nullptr;
}

bool CHotKeyEditDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  return DispatchMessageMap(this, kMessageMap, message, wParam, lParam, result);
}

BOOL CHotKeyEditDlg::OnInitDialog() {
  open_ = this;
  ShowCombination(modifiers_, virtualKey_);
  // FALSE tells the dialog manager that the focus is set: it stays in the
  // control, ready for the first key.
  ::SetFocus(Item(IDC_HOTKEY));
  return FALSE;
}

void CHotKeyEditDlg::ShowCombination(uint32_t modifiers, uint32_t virtualKey) {
  ::CheckDlgButton(Handle(), IDC_WIN_KEY, (modifiers & kHotKeyModWin) != 0 ? BST_CHECKED : BST_UNCHECKED);
  ::SendMessageA(Item(IDC_HOTKEY), HKM_SETHOTKEY, HotKeyControlValue(modifiers, virtualKey), 0);
}

void CHotKeyEditDlg::OnOK() {
  const uint32_t value = static_cast<uint32_t>(::SendMessageA(Item(IDC_HOTKEY), HKM_GETHOTKEY, 0, 0)) & 0xFFFFu;
  const bool winKey = ::IsDlgButtonChecked(Handle(), IDC_WIN_KEY) == BST_CHECKED;
  const auto combination = AcceptedCombination(value, winKey);
  if (!combination) return;  // no key, or a key alone: the dialog stays open
  modifiers_ = combination->modifiers;
  virtualKey_ = combination->virtualKey;
  EndDialog(IDOK);
}

bool CHotKeyEditDlg::TakeHotKey(const MSG& message) {
  if (message.message != WM_HOTKEY || open_ == nullptr || open_->Handle() == nullptr) return false;
  if (::GetForegroundWindow() != open_->Handle()) return false;  // the user is elsewhere: a command
  // WM_HOTKEY carries the combination: MOD_* flags in the low word, the key in the high word.
  constexpr uint32_t kKnown = kHotKeyModAlt | kHotKeyModControl | kHotKeyModShift | kHotKeyModWin;
  const uint32_t modifiers = LOWORD(message.lParam) & kKnown;
  open_->taken_ = HotKeyCombination{modifiers, HIWORD(message.lParam)};
  // WM_TIMER comes only once no input waits in the queue.
  ::SetTimer(open_->Handle(), kShowTakenTimer, 1, nullptr);
  return true;
}

LRESULT CHotKeyEditDlg::OnTimer(WPARAM timer, LPARAM, bool& handled) {
  if (timer != kShowTakenTimer) {
    handled = false;
    return 0;
  }
  ::KillTimer(Handle(), kShowTakenTimer);
  ShowCombination(taken_.modifiers, taken_.virtualKey);
  ::SetFocus(Item(IDC_HOTKEY));
  return 0;
}
