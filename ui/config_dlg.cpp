// The Config dialog.
#include "ui/config_dlg.h"

#include <commctrl.h>

#include <iterator>

#include "common/resource.h"
#include "engine/volume.h"
#include "common/window_messages.h"
#include "framework/dropped_files.h"
#include "ui/config_values.h"
#include "ui/drag_list_ctrl.h"
#include "ui/layered_window.h"

namespace {
constexpr int kFolderColumnWidth = 400;  // pixels
constexpr char kOwnFolder[] = ".";       // the program's own folder: never deleted
// In the order of ReplayGainMode.
constexpr const char* kReplayGainModes[] = {"Off", "Track", "Album", "By play order"};

std::string WindowText(HWND window) {
  const int length = ::GetWindowTextLengthA(window);
  if (length <= 0) return std::string();
  std::string text(static_cast<size_t>(length) + 1, '\0');
  const int copied = ::GetWindowTextA(window, &text[0], length + 1);
  text.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
  return text;
}

std::string RowText(HWND list, int row) { return CDragListCtrl::ItemText(list, row, 0); }
}  // namespace

const MessageMapEntry<CConfigDlg> CConfigDlg::kMessageMap[] = {
    {WM_HSCROLL, &CConfigDlg::OnScroll},
    OnNotify<CConfigDlg>(NM_RELEASEDCAPTURE, IDC_TRANSPARENCY, &CConfigDlg::OnTransparencyReleased),
    OnNotify<CConfigDlg>(NM_RELEASEDCAPTURE, IDC_VOLUME, &CConfigDlg::OnVolumeReleased),
    OnNotify<CConfigDlg>(LVN_KEYDOWN, IDC_PLUGIN_FOLDERS, &CConfigDlg::OnFolderKeyDown),
    MessageMapEntry<CConfigDlg>(WM_COMMAND, WM_COMMAND, BN_CLICKED, IDC_DB_VOLUME, IDC_DB_VOLUME,
                                &CConfigDlg::OnDecibelsClicked),
    {UM_VOLUME_CHANGED, &CConfigDlg::OnVolumeChanged},
};

CConfigDlg* CConfigDlg::open_ = nullptr;

CConfigDlg::CConfigDlg(ConfigTarget& target) : CDialog(IDD_CONFIG), target_(target) {}

CConfigDlg::~CConfigDlg() {
  if (open_ == this) open_ = nullptr;
}

HWND CConfigDlg::OpenWindow() { return open_ != nullptr ? open_->Handle() : nullptr; }

bool CConfigDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  return DispatchMessageMap(this, kMessageMap, message, wParam, lParam, result);
}

bool CConfigDlg::PreTranslateMessage(MSG& message) {
  // The list view has WS_EX_ACCEPTFILES, so drops are posted to it, and it
  // would ignore them.
  if (message.message == WM_DROPFILES && message.hwnd == Item(IDC_PLUGIN_FOLDERS)) {
    AddDroppedFolders(reinterpret_cast<HDROP>(message.wParam));
    return true;
  }
  return false;
}

BOOL CConfigDlg::OnInitDialog() {
  open_ = this;
  InitFolderList();

  SetSliderRange(IDC_TRANSPARENCY, 1, 255, 32);
  ::SendMessageA(Item(IDC_TRANSPARENCY), TBM_SETPOS, TRUE, target_.controlAlpha());

  ::SetDlgItemInt(Handle(), IDC_VOLUME_STEP, static_cast<UINT>(target_.volumeStep()), TRUE);

  const bool decibels = target_.volumeType() != 0;
  ::CheckDlgButton(Handle(), IDC_DB_VOLUME, decibels ? BST_CHECKED : BST_UNCHECKED);
  SetVolumeRange(decibels);
  ::SendMessageA(Item(IDC_VOLUME), TBM_SETPOS, TRUE, target_.volume());
  UpdateVolumeText();
  InitReplayGain();
  ::CheckDlgButton(Handle(), IDC_GAPLESS, target_.gapless() ? BST_CHECKED : BST_UNCHECKED);

  startsWithWindows_ = target_.StartsWithWindows();
  ::CheckDlgButton(Handle(), IDC_START_WITH_WINDOWS, startsWithWindows_ ? BST_CHECKED : BST_UNCHECKED);
  return TRUE;
}

void CConfigDlg::InitReplayGain() {
  const ReplayGainSettings settings = target_.replayGain();
  const HWND modes = Item(IDC_RG_MODE);
  for (const char* mode : kReplayGainModes) ::SendMessageA(modes, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(mode));
  ::SendMessageA(modes, CB_SETCURSEL, static_cast<WPARAM>(settings.mode), 0);
  ::SetDlgItemTextA(Handle(), IDC_RG_PREAMP, FormatCentiDecibels(settings.preampCentiDb).c_str());
  ::SetDlgItemTextA(Handle(), IDC_RG_UNTAGGED, FormatCentiDecibels(settings.untaggedGainCentiDb).c_str());
  ::CheckDlgButton(Handle(), IDC_RG_CLIPPING, settings.preventClipping ? BST_CHECKED : BST_UNCHECKED);
}

ReplayGainSettings CConfigDlg::ReplayGainShown() const {
  ReplayGainSettings settings = target_.replayGain();
  const LRESULT mode = ::SendMessageA(Item(IDC_RG_MODE), CB_GETCURSEL, 0, 0);
  if (mode >= 0 && mode < static_cast<LRESULT>(std::size(kReplayGainModes))) {
    settings.mode = static_cast<ReplayGainMode>(mode);
  }
  // Text that is not a number keeps the stored value.
  if (auto preamp = ParseCentiDecibels(WindowText(Item(IDC_RG_PREAMP)))) settings.preampCentiDb = *preamp;
  if (auto untagged = ParseCentiDecibels(WindowText(Item(IDC_RG_UNTAGGED)))) settings.untaggedGainCentiDb = *untagged;
  settings.preventClipping = ::IsDlgButtonChecked(Handle(), IDC_RG_CLIPPING) == BST_CHECKED;
  return settings;
}

void CConfigDlg::OnOK() {
  const bool decibels = DecibelsTicked();
  const int32_t volume = SliderPosition(IDC_VOLUME);
  target_.SetControlAlpha(SliderPosition(IDC_TRANSPARENCY));
  target_.SetVolumeStep(ParseVolumeStep(WindowText(Item(IDC_VOLUME_STEP))));
  target_.SetPluginFolders(FolderRows());
  target_.SetReplayGain(ReplayGainShown());
  const bool gapless = ::IsDlgButtonChecked(Handle(), IDC_GAPLESS) == BST_CHECKED;
  if (gapless != target_.gapless()) target_.SetGapless(gapless);
  // Stored through the set-volume operation, so that the player's gain always
  // matches the stored volume (after 0 % switched to -100 dB the slider shows
  // -60, for one).
  if (volume != target_.volume() || decibels != (target_.volumeType() != 0)) {
    target_.SetVolume(volume, decibels ? 1 : 0, Handle());
  }
  const bool startWithWindows = ::IsDlgButtonChecked(Handle(), IDC_START_WITH_WINDOWS) == BST_CHECKED;
  if (startWithWindows != startsWithWindows_ && !target_.SetStartWithWindows(startWithWindows)) {
    ::MessageBoxA(Handle(), "Windows did not let Melodek change its entry among the programs that start with Windows.",
                  "Melodek", MB_OK | MB_ICONWARNING);
  }
  EndDialog(IDOK);
}

void CConfigDlg::OnCancel() {
  // Only the transparency is undone: volume changes took effect already.
  ApplyTransparency(target_.controlAlpha());
  EndDialog(IDCANCEL);
}

// --- sliders ------------------------------------------------------------

// Track bars report every move to the parent: keys, dragging the thumb while
// it holds the mouse capture, clicks on the channel and the wheel.
LRESULT CConfigDlg::OnScroll(WPARAM, LPARAM lParam, bool& handled) {
  const HWND slider = reinterpret_cast<HWND>(lParam);
  if (slider == Item(IDC_TRANSPARENCY)) {
    ApplyTransparency(SliderPosition(IDC_TRANSPARENCY));
  } else if (slider == Item(IDC_VOLUME)) {
    UpdateVolumeText();
    ApplySliderVolume();
  } else {
    handled = false;
  }
  return 0;
}

LRESULT CConfigDlg::OnTransparencyReleased(WPARAM, LPARAM, bool&) {
  ApplyTransparency(SliderPosition(IDC_TRANSPARENCY));
  return 0;
}

LRESULT CConfigDlg::OnVolumeReleased(WPARAM, LPARAM, bool&) {
  UpdateVolumeText();
  return 0;
}

// Switching the mode converts the slider's value: percent and decibels name
// the same loudness before and after.
LRESULT CConfigDlg::OnDecibelsClicked(WPARAM, LPARAM, bool&) {
  const bool decibels = DecibelsTicked();
  if (decibels == decibelRange_) return 0;  // a click that did not change the state
  const int32_t before = SliderPosition(IDC_VOLUME);
  const int32_t value = decibels ? PercentToDecibels(before) : DecibelsToPercent(before);
  SetVolumeRange(decibels);
  ::SendMessageA(Item(IDC_VOLUME), TBM_SETPOS, TRUE, value);  // the slider clamps
  UpdateVolumeText();
  // The value itself, not the clamped one: 0 % becomes -100 dB, silent.
  target_.SetVolume(value, decibels ? 1 : 0, Handle());
  return 0;
}

LRESULT CConfigDlg::OnVolumeChanged(WPARAM, LPARAM lParam, bool&) {
  if (reinterpret_cast<HWND>(lParam) == Handle()) return 0;  // our own change
  ::SendMessageA(Item(IDC_VOLUME), TBM_SETPOS, TRUE, target_.volume());
  UpdateVolumeText();
  return 0;
}

int CConfigDlg::SliderPosition(int id) const {
  return static_cast<int>(::SendMessageA(Item(id), TBM_GETPOS, 0, 0));
}

void CConfigDlg::SetSliderRange(int id, int low, int high, int page) {
  const HWND slider = Item(id);
  // The separate minimum and maximum messages take full 32-bit values.
  ::SendMessageA(slider, TBM_SETRANGEMIN, FALSE, low);
  ::SendMessageA(slider, TBM_SETRANGEMAX, TRUE, high);
  ::SendMessageA(slider, TBM_SETPAGESIZE, 0, page);
  ::SendMessageA(slider, TBM_SETTICFREQ, static_cast<WPARAM>(page), 0);
}

void CConfigDlg::SetVolumeRange(bool decibels) {
  if (decibels) {
    SetSliderRange(IDC_VOLUME, -60, 6, 6);
  } else {
    SetSliderRange(IDC_VOLUME, 0, 200, 25);
  }
  decibelRange_ = decibels;
}

bool CConfigDlg::DecibelsTicked() const {
  return ::IsDlgButtonChecked(Handle(), IDC_DB_VOLUME) == BST_CHECKED;
}

void CConfigDlg::UpdateVolumeText() {
  const std::string text = FormatVolumeText(SliderPosition(IDC_VOLUME), DecibelsTicked() ? 1 : 0);
  ::SetDlgItemTextA(Handle(), IDC_VOLUME_TEXT, text.c_str());
}

void CConfigDlg::ApplySliderVolume() {
  const int32_t volume = SliderPosition(IDC_VOLUME);
  const bool decibels = DecibelsTicked();
  // The end of a move repeats the last position: no second notice for it.
  if (volume == target_.volume() && decibels == (target_.volumeType() != 0)) return;
  target_.SetVolume(volume, decibels ? 1 : 0, Handle());
}

void CConfigDlg::ApplyTransparency(int alpha) {
  const HWND controller = target_.controllerWindow();
  if (controller != nullptr) SetWindowAlpha(controller, alpha);
}

// --- plug-in folders ------------------------------------------------------

void CConfigDlg::InitFolderList() {
  const HWND list = Item(IDC_PLUGIN_FOLDERS);
  ::SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
  char title[] = "Plugins Path";
  LVCOLUMNA column{};
  column.mask = LVCF_TEXT | LVCF_WIDTH;
  column.cx = kFolderColumnWidth;
  column.pszText = title;
  ::SendMessageA(list, LVM_INSERTCOLUMNA, 0, reinterpret_cast<LPARAM>(&column));
  for (const std::string& folder : target_.PluginFolders()) AddFolderRow(folder);
}

void CConfigDlg::AddFolderRow(const std::string& path) {
  const HWND list = Item(IDC_PLUGIN_FOLDERS);
  std::string text = path;  // the list view wants a writable pointer
  LVITEMA item{};
  item.mask = LVIF_TEXT;
  item.iItem = static_cast<int>(::SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
  item.pszText = &text[0];
  ::SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
}

std::vector<std::string> CConfigDlg::FolderRows() const {
  const HWND list = Item(IDC_PLUGIN_FOLDERS);
  const int count = static_cast<int>(::SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
  std::vector<std::string> rows;
  rows.reserve(static_cast<size_t>(count > 0 ? count : 0));
  for (int row = 0; row < count; ++row) rows.push_back(RowText(list, row));
  return rows;
}

LRESULT CConfigDlg::OnFolderKeyDown(WPARAM, LPARAM lParam, bool&) {
  const NMLVKEYDOWN* key = reinterpret_cast<const NMLVKEYDOWN*>(lParam);
  if (key->wVKey == VK_DELETE) DeleteSelectedFolder();
  return 0;
}

void CConfigDlg::DeleteSelectedFolder() {
  const HWND list = Item(IDC_PLUGIN_FOLDERS);
  const int row = static_cast<int>(
      ::SendMessageA(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), MAKELPARAM(LVNI_SELECTED, 0)));
  if (row < 0) return;
  if (RowText(list, row) == kOwnFolder) return;
  ::SendMessageA(list, LVM_DELETEITEM, static_cast<WPARAM>(row), 0);
}

void CConfigDlg::AddDroppedFolders(HDROP drop) {
  for (const std::string& path : TakeDroppedPaths(drop)) {
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    // Files are ignored; a folder already listed is added again.
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
      AddFolderRow(path);
    }
  }
}
