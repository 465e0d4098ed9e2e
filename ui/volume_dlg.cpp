// The volume popup of the play list editor.
#include "ui/volume_dlg.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdio>

#include "common/resource.h"

namespace {
constexpr int kLowest = -100;
constexpr int kHighest = 100;
constexpr int kPage = 25;
}  // namespace

const MessageMapEntry<CVolumeDlg> CVolumeDlg::kMessageMap[] = {
    OnNotify<CVolumeDlg>(NM_RELEASEDCAPTURE, IDC_VOLUME_ADJUST, &CVolumeDlg::OnSliderReleased),
    {WM_NOTIFY, &CVolumeDlg::OnAnyNotify},
    {WM_LBUTTONDOWN, &CVolumeDlg::OnButtonDown},
    {WM_RBUTTONDOWN, &CVolumeDlg::OnButtonDown},
    MessageMapEntry<CVolumeDlg>(WM_COMMAND, WM_COMMAND, CBN_SELCHANGE, IDC_VOLUME_PRESET, IDC_VOLUME_PRESET,
                                &CVolumeDlg::OnPresetChosen),
    {WM_ACTIVATE, &CVolumeDlg::OnActivate},
};

CVolumeDlg::CVolumeDlg(std::vector<PresetChoice> presets) : CDialog(IDD_VOLUME), presets_(std::move(presets)) {}

bool CVolumeDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  return DispatchMessageMap(this, kMessageMap, message, wParam, lParam, result);
}

BOOL CVolumeDlg::OnInitDialog() {
  POINT cursor{};
  ::GetCursorPos(&cursor);
  RECT rect{};
  ::GetWindowRect(Handle(), &rect);
  const int width = rect.right - rect.left;
  const int height = rect.bottom - rect.top;
  // Centred on the mouse pointer, but whole on the screen near its edges.
  const int x = std::clamp(cursor.x - width / 2, 0L, static_cast<LONG>(std::max(0, ::GetSystemMetrics(SM_CXSCREEN) - width)));
  const int y = std::clamp(cursor.y - height / 2, 0L, static_cast<LONG>(std::max(0, ::GetSystemMetrics(SM_CYSCREEN) - height)));
  ::MoveWindow(Handle(), x, y, width, height, FALSE);

  HWND slider = Item(IDC_VOLUME_ADJUST);
  // Minimum and maximum apart: TBM_SETRANGE packs them into 16-bit halves.
  ::SendMessageA(slider, TBM_SETRANGEMIN, FALSE, kLowest);
  ::SendMessageA(slider, TBM_SETRANGEMAX, FALSE, kHighest);
  ::SendMessageA(slider, TBM_SETPOS, TRUE, volumeAdjust);
  ::SendMessageA(slider, TBM_SETPAGESIZE, 0, kPage);
  ::UpdateWindow(slider);
  ShowAdjust(volumeAdjust);

  HWND combo = Item(IDC_VOLUME_PRESET);
  int chosen = -1;
  for (const PresetChoice& preset : presets_) {
    const LRESULT at = ::SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(preset.name.c_str()));
    if (at < 0) continue;
    ::SendMessageA(combo, CB_SETITEMDATA, static_cast<WPARAM>(at), static_cast<LPARAM>(preset.id));
    if (chosen == -1 && preset.id == presetId) chosen = static_cast<int>(at);
  }
  if (!presets_.empty()) ::SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(chosen != -1 ? chosen : 0), 0);
  ::SetFocus(slider);
  return FALSE;  // the focus is set
}

int CVolumeDlg::SliderPosition() const {
  return static_cast<int>(::SendMessageA(Item(IDC_VOLUME_ADJUST), TBM_GETPOS, 0, 0));
}

void CVolumeDlg::ShowAdjust(int value) {
  if (value == lastShown_) return;
  lastShown_ = value;
  char text[16];
  std::snprintf(text, sizeof text, "%d%%", value);
  ::SetDlgItemTextA(Handle(), IDC_VOLUME_ADJUST_TEXT, text);
}

void CVolumeDlg::Close() {
  if (closing_) return;
  closing_ = true;
  EndDialog(0);
}

bool CVolumeDlg::PreTranslateMessage(MSG& message) {
  // While the thumb is dragged the text follows it: the slider moves on the
  // mouse message, so it runs first and the position is read after.
  HWND slider = Item(IDC_VOLUME_ADJUST);
  if (message.message == WM_MOUSEMOVE && message.hwnd == slider && ::GetCapture() == slider) {
    ::DispatchMessageA(&message);
    volumeAdjust = SliderPosition();
    ShowAdjust(volumeAdjust);
    return true;
  }
  return false;
}

LRESULT CVolumeDlg::OnSliderReleased(WPARAM, LPARAM, bool&) {
  volumeAdjust = SliderPosition();
  changed_ = true;
  ShowAdjust(volumeAdjust);
  Close();
  return 0;
}

LRESULT CVolumeDlg::OnAnyNotify(WPARAM, LPARAM lParam, bool& handled) {
  handled = false;
  // A notice while the focus is on neither control: the user went elsewhere.
  // Drawing notices are no user action.
  const auto* header = reinterpret_cast<const NMHDR*>(lParam);
  if (header == nullptr || header->code == static_cast<UINT>(NM_CUSTOMDRAW)) return 0;
  HWND focus = ::GetFocus();
  if (focus != Item(IDC_VOLUME_ADJUST) && focus != Item(IDC_VOLUME_PRESET)) Close();
  return 0;
}

LRESULT CVolumeDlg::OnButtonDown(WPARAM, LPARAM, bool&) {
  volumeAdjust = SliderPosition();
  changed_ = true;
  Close();
  return 0;
}

LRESULT CVolumeDlg::OnPresetChosen(WPARAM, LPARAM, bool&) {
  HWND combo = Item(IDC_VOLUME_PRESET);
  const LRESULT at = ::SendMessageA(combo, CB_GETCURSEL, 0, 0);
  if (at >= 0) {
    presetId = static_cast<int32_t>(::SendMessageA(combo, CB_GETITEMDATA, static_cast<WPARAM>(at), 0));
    changed_ = true;
  }
  Close();
  return 0;
}

LRESULT CVolumeDlg::OnActivate(WPARAM wParam, LPARAM lParam, bool& handled) {
  handled = false;
  // Another window took the activation: close without reading anything.
  // (The combo box's drop-down list never takes it.)
  if (LOWORD(wParam) == WA_INACTIVE) {
    HWND other = reinterpret_cast<HWND>(lParam);
    if (other == nullptr || (other != Handle() && !::IsChild(Handle(), other))) Close();
  }
  return 0;
}
