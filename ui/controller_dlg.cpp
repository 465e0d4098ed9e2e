// The floating Controller window.
#include "ui/controller_dlg.h"

#include <commctrl.h>

#include <algorithm>

#include "engine/volume.h"
#include "common/resource.h"
#include "common/window_messages.h"
#include "framework/application.h"
#include "framework/dpi.h"
#include "framework/high_contrast.h"
#include "ui/dib.h"
#include "ui/tip_text.h"

namespace {
constexpr UINT_PTR kTickTimer = 1;
constexpr UINT kTickMs = 10;
// What the arrow keys and Page Up/Down move the seek thumb by.
constexpr int kSeekLineMs = 5000;
constexpr int kSeekPageMs = 30000;

// The keys that move a track bar's thumb; it ends each with TB_ENDTRACK on release.
bool IsSeekKey(WPARAM key) {
  switch (key) {
    case VK_LEFT: case VK_RIGHT: case VK_UP: case VK_DOWN:
    case VK_PRIOR: case VK_NEXT: case VK_HOME: case VK_END:
      return true;
    default:
      return false;
  }
}

struct ButtonIcon {
  int button;
  int icon;
  UINT command;
};
constexpr ButtonIcon kButtons[7] = {
    {IDC_CTL_PREV, IDI_CTL_PREV, ID_PREV},
    {IDC_CTL_PLAY, IDI_CTL_PLAY, ID_PLAY},
    {IDC_CTL_PAUSE, IDI_CTL_PAUSE, ID_PAUSE},
    {IDC_CTL_STOP, IDI_CTL_STOP, ID_STOP},
    {IDC_CTL_NEXT, IDI_CTL_NEXT, ID_NEXT},
    {IDC_CTL_LIST_PREV, IDI_CTL_LIST_PREV, ID_LIST_PREV},
    {IDC_CTL_LIST_NEXT, IDI_CTL_LIST_NEXT, ID_LIST_NEXT},
};
}  // namespace

const MessageMapEntry<CControllerDlg> CControllerDlg::kMessageMap[] = {
    {WM_TIMER, &CControllerDlg::OnTimer},
    {WM_SHOWWINDOW, &CControllerDlg::OnShowWindow},
    {WM_HSCROLL, &CControllerDlg::OnScroll},
    {WM_NCRBUTTONDOWN, &CControllerDlg::OnNonClientRightButton},
    {UM_PLAY_STARTED, &CControllerDlg::OnPlayStarted},
    {UM_VOLUME_CHANGED, &CControllerDlg::OnVolumeChanged},
    OnNotify<CControllerDlg>(NM_RELEASEDCAPTURE, IDC_CTL_SEEK, &CControllerDlg::OnSeekReleased),
    MessageMapEntry<CControllerDlg>(WM_COMMAND, WM_COMMAND, BN_CLICKED, IDC_CTL_PLAY, IDC_CTL_LIST_NEXT,
                                    &CControllerDlg::OnButton),
    MessageMapEntry<CControllerDlg>(WM_COMMAND, WM_COMMAND, kAnyCode, ID_PLAY_LIST_FIRST, ID_PLAY_LIST_LAST,
                                    &CControllerDlg::OnPlayListChosen),
};

CControllerDlg::CControllerDlg(ControllerTarget& target) : CDialog(IDD_CONTROLLER), target_(target) {}

CControllerDlg::~CControllerDlg() {
  if (CApplication* app = CApplication::Instance()) app->RemoveModelessDialog(Handle());
}

bool CControllerDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  return DispatchMessageMap(this, kMessageMap, message, wParam, lParam, result);
}

BOOL CControllerDlg::OnInitDialog() {
  if (CApplication* app = CApplication::Instance()) app->AddModelessDialog(Handle());
  LoadButtonIcons(WindowDpi(Handle()));
  ::SendMessageA(Handle(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Item(IDC_CTL_PLAY)), TRUE);
  seekSlider_.Attach(Handle(), IDC_CTL_SEEK,
                     [this](UINT message, WPARAM wParam) { OnSeekInput(message, wParam); });
  volumeSlider_.Attach(Handle(), IDC_CTL_VOLUME);
  AddTips();
  SetUpVolumeSlider();
  // The slider's range clamps a stored volume outside the mode's range.
  if (volumeSlider_.Position() != target_.volume()) ApplySliderVolume();
  ResetSeekSlider();
  return FALSE;  // the focus was set above
}

void CControllerDlg::LoadButtonIcons(int dpi) {
  // The small-icon size, from the larger images of the icon on a high-DPI screen.
  const int size = DpiScale(dpi, 16);
  HINSTANCE module = ::GetModuleHandleA(nullptr);
  const bool contrast = HighContrastOn();
  for (size_t i = 0; i < 7; ++i) {
    UniqueIcon icon(static_cast<HICON>(
        ::LoadImageA(module, MAKEINTRESOURCEA(kButtons[i].icon), IMAGE_ICON, size, size, LR_DEFAULTCOLOR)));
    // High contrast: the glyph's shape in the colour of the buttons' text.
    if (contrast) {
      if (HICON solid = SolidColourIcon(icon.get(), ::GetSysColor(COLOR_BTNTEXT))) icon.reset(solid);
    }
    ::SendMessageA(Item(kButtons[i].button), BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(icon.get()));
    icons_[i] = std::move(icon);  // the old icon goes only once the button no longer shows it
  }
}

void CControllerDlg::AddTips() {
  if (!tips_.Create(Handle())) return;
  for (const ButtonIcon& button : kButtons) tips_.AddNamed(Item(button.button));
  tips_.AddLive(seekSlider_.Handle(), [this](POINT at) { return SeekTip(at); });
  tips_.AddLive(volumeSlider_.Handle(), [this](POINT) { return VolumeTip(); });
}

std::wstring CControllerDlg::SeekTip(POINT at) const {
  // The time the thumb would take at the mouse, of the file's length.
  if (seekLengthMs_ <= 0) return L"Position";
  const std::string text = "Position: " + FormatPlayTime(seekSlider_.ValueAt(at.x)) + " / " +
                           FormatPlayTime(seekLengthMs_);
  return std::wstring(text.begin(), text.end());
}

std::wstring CControllerDlg::VolumeTip() const {
  const std::string text = "Volume: " + FormatVolumeText(volumeSlider_.Position(), target_.volumeType());
  return std::wstring(text.begin(), text.end());
}

void CControllerDlg::OnOK() {
  // The dialog manager sends the focused button's own command when it made
  // it the default; this covers a focus it did not follow.
  const HWND focus = ::GetFocus();
  for (const ButtonIcon& button : kButtons) {
    if (Item(button.button) == focus) target_.RunCommand(button.command);
  }
}

void CControllerDlg::ShowWithFocusOnPlay() {
  ::ShowWindow(Handle(), SW_SHOW);
  ::SetForegroundWindow(Handle());
  // Through the dialog manager, so Play also becomes the button Enter presses.
  ::SendMessageA(Handle(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Item(IDC_CTL_PLAY)), TRUE);
}

// --- playback shown ------------------------------------------------------------

void CControllerDlg::Tick() {
  positionMs_ = target_.PlaybackPositionMs();
  const int64_t pixel = seekLengthMs_ > 0 ? int64_t{positionMs_} * seekPixels_ / seekLengthMs_ : 0;
  if (pixel != thumbPixel_) {
    seekSlider_.SetPosition(static_cast<int>(positionMs_), true);
    thumbPixel_ = pixel;
  }
  std::string title = target_.PlaybackTitle();
  if (title != shownTitle_) {
    shownTitle_ = std::move(title);
    ::SetWindowTextA(Handle(), shownTitle_.c_str());
  }
}

LRESULT CControllerDlg::OnTimer(WPARAM, LPARAM, bool&) {
  Tick();
  return 0;
}

LRESULT CControllerDlg::OnShowWindow(WPARAM shown, LPARAM, bool& handled) {
  // Nothing to follow while hidden: the timer would only wake the machine.
  if (shown) {
    // A drag that ended while it was hidden left no release behind.
    if (seekHold_ == SeekHold::kMouse && ::GetCapture() != seekSlider_.Handle()) seekHold_ = SeekHold::kNone;
    Tick();  // caption and thumb are current the moment it appears
    if (seekHold_ == SeekHold::kNone) StartTimer();
  } else {
    if (seekHold_ == SeekHold::kKeys) seekHold_ = SeekHold::kNone;  // its key-up goes elsewhere now
    StopTimer();
  }
  handled = false;
  return 0;
}

void CControllerDlg::StartTimer() {
  timerRunning_ = ::SetTimer(Handle(), kTickTimer, kTickMs, nullptr) != 0;
}

void CControllerDlg::StopTimer() {
  if (timerRunning_) ::KillTimer(Handle(), kTickTimer);
  timerRunning_ = false;
}

void CControllerDlg::ResetSeekSlider() {
  seekLengthMs_ = target_.PlaybackLengthMs();
  seekSlider_.SetRange(0, static_cast<int>(seekLengthMs_), false);
  seekPixels_ = seekSlider_.ChannelPixels();
  thumbPixel_ = -1;
  seekSlider_.SetSteps(kSeekLineMs, kSeekPageMs);
  if (seekHold_ == SeekHold::kNone && ::IsWindowVisible(Handle())) StartTimer();
}

LRESULT CControllerDlg::OnPlayStarted(WPARAM, LPARAM, bool&) {
  ResetSeekSlider();
  return 0;
}

// --- seeking -----------------------------------------------------------------
// A press holds the thumb where the user puts it; the release of the mouse
// capture (or of the key) seeks there and lets the thumb follow again.

void CControllerDlg::OnSeekInput(UINT message, WPARAM wParam) {
  if (seekHold_ != SeekHold::kNone) return;
  // Keys, the wheel and clicks on the channel move on from the exact position.
  seekSlider_.SetPosition(static_cast<int>(positionMs_), false);
  if (message == WM_LBUTTONDOWN) {
    HoldSeek(SeekHold::kMouse);
  } else if (message == WM_KEYDOWN && IsSeekKey(wParam)) {
    HoldSeek(SeekHold::kKeys);  // released with TB_ENDTRACK
  }
}

void CControllerDlg::HoldSeek(SeekHold reason) {
  seekHold_ = reason;
  StopTimer();
}

void CControllerDlg::SeekAndResume() {
  target_.SeekPlayback(seekSlider_.Position());
  seekHold_ = SeekHold::kNone;
  if (::IsWindowVisible(Handle())) StartTimer();
}

LRESULT CControllerDlg::OnSeekReleased(WPARAM, LPARAM, bool&) {
  if (seekHold_ == SeekHold::kMouse) SeekAndResume();
  return 0;
}

LRESULT CControllerDlg::OnScroll(WPARAM wParam, LPARAM lParam, bool&) {
  const HWND slider = reinterpret_cast<HWND>(lParam);
  const int code = LOWORD(wParam);
  if (slider == volumeSlider_.Handle()) {
    // Dragging, a click on the channel and the keys all apply at once.
    if (volumeSlider_.Position() != target_.volume()) ApplySliderVolume();
    return 0;
  }
  if (slider != seekSlider_.Handle() || seekHold_ == SeekHold::kMouse) return 0;
  if (seekHold_ == SeekHold::kKeys) {
    if (code == TB_ENDTRACK) SeekAndResume();  // the key was released
  } else if (code != TB_ENDTRACK && code != TB_THUMBPOSITION && code != TB_THUMBTRACK) {
    SeekAndResume();  // the wheel: one step, nothing held
  }
  return 0;
}

// --- volume --------------------------------------------------------------------

void CControllerDlg::SetUpVolumeSlider() {
  volumeSlider_.ClearTicks(false);
  if (target_.volumeType() != 0) {
    volumeSlider_.SetRange(-60, 6, false);
    volumeSlider_.SetTick(0);
  } else {
    volumeSlider_.SetRange(0, 200, false);
    volumeSlider_.SetTick(100);
  }
  volumeSlider_.SetPosition(target_.volume(), true);
  tips_.Refresh(volumeSlider_.Handle());
}

void CControllerDlg::ApplySliderVolume() {
  // Named as the changer, the Controller ignores its own notice.
  target_.SetVolume(volumeSlider_.Position(), -1, Handle());
  tips_.Refresh(volumeSlider_.Handle());
}

LRESULT CControllerDlg::OnVolumeChanged(WPARAM, LPARAM sender, bool&) {
  if (reinterpret_cast<HWND>(sender) != Handle()) SetUpVolumeSlider();
  return 0;
}

// --- commands --------------------------------------------------------------------

LRESULT CControllerDlg::OnButton(WPARAM wParam, LPARAM, bool& handled) {
  for (const ButtonIcon& button : kButtons) {
    if (button.button == LOWORD(wParam)) {
      target_.RunCommand(button.command);
      return 0;
    }
  }
  handled = false;
  return 0;
}

LRESULT CControllerDlg::OnPlayListChosen(WPARAM wParam, LPARAM, bool&) {
  target_.PlayListFromStart(static_cast<int>(LOWORD(wParam)) - ID_PLAY_LIST_FIRST);
  return 0;
}

LRESULT CControllerDlg::OnNonClientRightButton(WPARAM, LPARAM lParam, bool&) {
  // The outer frame is for sizing and moving: only the caption area opens the menu.
  RECT rect;
  ::GetWindowRect(Handle(), &rect);
  ::InflateRect(&rect, -::GetSystemMetrics(SM_CXDLGFRAME), -::GetSystemMetrics(SM_CYDLGFRAME));
  const POINT at{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
  if (!::PtInRect(&rect, at)) return 0;
  POINT cursor;
  ::GetCursorPos(&cursor);
  ShowPlayListMenu(cursor);
  return 0;  // not passed on: the system menu does not open as well
}

void CControllerDlg::ShowPlayListMenu(POINT cursor) {
  UniqueMenu menu(::CreatePopupMenu());
  if (!menu) return;
  const std::vector<std::string> names = target_.PlayListNames();
  const size_t count = std::min<size_t>(names.size(), ID_PLAY_LIST_LAST - ID_PLAY_LIST_FIRST + 1);
  for (size_t i = 0; i < count; ++i) {
    ::AppendMenuA(menu.get(), MF_STRING, ID_PLAY_LIST_FIRST + i, names[i].c_str());
  }
  ::TrackPopupMenu(menu.get(), TPM_RIGHTBUTTON, cursor.x, cursor.y, 0, Handle(), nullptr);
}
