// The Config dialog under Wine, against a stand-in for the application's
// settings: what it shows, what it changes live, and what OK and Cancel keep.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>
#include <shlobj.h>  // DROPFILES

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "common/resource.h"
#include "common/window_messages.h"
#include "ui/config_dlg.h"
#include "ui/layered_window.h"

namespace {
struct VolumeCall {
  int32_t value;
  int32_t type;
  HWND sender;
  bool operator==(const VolumeCall& o) const {
    return value == o.value && type == o.type && sender == o.sender;
  }
};

std::ostream& operator<<(std::ostream& out, const VolumeCall& call) {
  return out << "{" << call.value << ", " << call.type << ", " << call.sender << "}";
}

// The settings as the application holds them, with a real top-level window
// standing in for the Controller.
class FakeTarget : public ConfigTarget {
 public:
  FakeTarget() {
    controller = ::CreateWindowExA(WS_EX_TOOLWINDOW, "STATIC", "Controller", WS_POPUP, 0, 0, 80, 30,
                                   nullptr, nullptr, ::GetModuleHandleA(nullptr), nullptr);
  }
  ~FakeTarget() { ::DestroyWindow(controller); }

  int32_t volume() const override { return volumeValue; }
  int32_t volumeType() const override { return volumeTypeValue; }
  int32_t volumeStep() const override { return step; }
  void SetVolumeStep(int32_t value) override {
    step = value;
    ++stepStores;
  }
  int32_t controlAlpha() const override { return alpha; }
  void SetControlAlpha(int32_t value) override {
    alpha = value;
    ++alphaStores;
  }
  std::vector<std::string> PluginFolders() override { return folders; }
  void SetPluginFolders(std::vector<std::string> value) override {
    folders = std::move(value);
    ++folderStores;
  }
  void SetVolume(int32_t value, int32_t type, HWND sender) override {
    volumeValue = value;
    if (type != -1) volumeTypeValue = type;
    volumeCalls.push_back({value, type, sender});
  }
  HWND controllerWindow() const override { return controller; }
  ReplayGainSettings replayGain() const override { return gain; }
  void SetReplayGain(const ReplayGainSettings& value) override {
    gain = value;
    ++gainStores;
  }
  bool gapless() const override { return gaplessOn; }
  void SetGapless(bool on) override { gaplessOn = on; }
  bool StartsWithWindows() const override { return runEntry; }
  bool SetStartWithWindows(bool on) override {
    runEntryWrites.push_back(on);
    runEntry = on;
    return true;
  }

  ReplayGainSettings gain;
  int gainStores = 0;
  int32_t volumeValue = 100;
  int32_t volumeTypeValue = 0;
  int32_t step = 1;
  int32_t alpha = 255;
  bool gaplessOn = true;
  std::vector<std::string> folders{"."};
  std::vector<VolumeCall> volumeCalls;
  int stepStores = 0, alphaStores = 0, folderStores = 0;
  bool runEntry = false;
  std::vector<bool> runEntryWrites;
  HWND controller = nullptr;
};

// Runs the dialog modally; `steps` runs inside its loop, then `endCommand`
// (IDOK or IDCANCEL) is posted behind whatever the steps posted.
struct Script {
  CConfigDlg* dialog;
  std::function<void(HWND)> steps;
  UINT endCommand;
};
Script* g_script = nullptr;

void CALLBACK RunScript(HWND, UINT, UINT_PTR timer, DWORD) {
  ::KillTimer(nullptr, timer);
  Script* script = g_script;
  g_script = nullptr;
  if (script == nullptr) return;
  const HWND window = script->dialog->Handle();
  script->steps(window);
  ::PostMessageA(window, WM_COMMAND, MAKEWPARAM(script->endCommand, BN_CLICKED),
                 reinterpret_cast<LPARAM>(::GetDlgItem(window, static_cast<int>(script->endCommand))));
}

INT_PTR RunDialog(CConfigDlg& dialog, UINT endCommand, std::function<void(HWND)> steps) {
  static const bool controlsReady = [] {
    INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_WIN95_CLASSES | ICC_BAR_CLASSES};
    return ::InitCommonControlsEx(&controls) != FALSE;
  }();
  (void)controlsReady;
  Script script{&dialog, std::move(steps), endCommand};
  g_script = &script;
  ::SetTimer(nullptr, 0, 1, &RunScript);
  const INT_PTR result = dialog.DoModal(nullptr);
  g_script = nullptr;
  return result;
}

// --- reading the controls --------------------------------------------------

int Position(HWND dialog, int id) {
  return static_cast<int>(::SendDlgItemMessageA(dialog, id, TBM_GETPOS, 0, 0));
}
int RangeMin(HWND dialog, int id) {
  return static_cast<int>(::SendDlgItemMessageA(dialog, id, TBM_GETRANGEMIN, 0, 0));
}
int RangeMax(HWND dialog, int id) {
  return static_cast<int>(::SendDlgItemMessageA(dialog, id, TBM_GETRANGEMAX, 0, 0));
}
int PageSize(HWND dialog, int id) {
  return static_cast<int>(::SendDlgItemMessageA(dialog, id, TBM_GETPAGESIZE, 0, 0));
}
std::string Text(HWND dialog, int id) {
  char text[260] = {};
  ::GetDlgItemTextA(dialog, id, text, sizeof text);
  return text;
}
bool DecibelsTicked(HWND dialog) { return ::IsDlgButtonChecked(dialog, IDC_DB_VOLUME) == BST_CHECKED; }

std::vector<std::string> Rows(HWND dialog) {
  const HWND list = ::GetDlgItem(dialog, IDC_PLUGIN_FOLDERS);
  std::vector<std::string> rows;
  const int count = static_cast<int>(::SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
  for (int row = 0; row < count; ++row) {
    char text[260] = {};
    LVITEMA item{};
    item.pszText = text;
    item.cchTextMax = sizeof text;
    ::SendMessageA(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    rows.push_back(text);
  }
  return rows;
}

// --- acting on the controls ----------------------------------------------

// A key press on a slider placed at `from`, as the user gives it.
void PressKey(HWND dialog, int id, int from, UINT key) {
  const HWND slider = ::GetDlgItem(dialog, id);
  ::SendMessageA(slider, TBM_SETPOS, TRUE, from);
  ::SendMessageA(slider, WM_KEYDOWN, key, 1);
  ::SendMessageA(slider, WM_KEYUP, key, 0xC0000001);
}

// Drags a slider's thumb to the client x coordinate `x` and lets go.
void DragThumb(HWND dialog, int id, int x) {
  const HWND slider = ::GetDlgItem(dialog, id);
  RECT thumb{};
  ::SendMessageA(slider, TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&thumb));
  const int y = (thumb.top + thumb.bottom) / 2;
  ::SendMessageA(slider, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM((thumb.left + thumb.right) / 2, y));
  ::SendMessageA(slider, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(x, y));
  ::SendMessageA(slider, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
}

void ClickDecibels(HWND dialog) { ::SendDlgItemMessageA(dialog, IDC_DB_VOLUME, BM_CLICK, 0, 0); }

void SelectRow(HWND dialog, int row) {
  LVITEMA item{};
  item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  item.state = row >= 0 ? item.stateMask : 0;
  ::SendDlgItemMessageA(dialog, IDC_PLUGIN_FOLDERS, LVM_SETITEMSTATE, static_cast<WPARAM>(row),
                        reinterpret_cast<LPARAM>(&item));
}

void PressDelete(HWND dialog) {
  const HWND list = ::GetDlgItem(dialog, IDC_PLUGIN_FOLDERS);
  ::SendMessageA(list, WM_KEYDOWN, VK_DELETE, 1);
  ::SendMessageA(list, WM_KEYUP, VK_DELETE, 0xC0000001);
}

bool IsLayered(HWND window) { return (::GetWindowLongPtrA(window, GWL_EXSTYLE) & WS_EX_LAYERED) != 0; }

int LayeredAlpha(HWND window) {
  BYTE alpha = 0;
  DWORD flags = 0;
  if (!::GetLayeredWindowAttributes(window, nullptr, &alpha, &flags) || (flags & LWA_ALPHA) == 0) return -1;
  return alpha;
}

// A drop as the shell hands it over: a DROPFILES block with ANSI paths.
HDROP MakeDrop(const std::vector<std::string>& paths) {
  size_t size = sizeof(DROPFILES) + 1;
  for (const std::string& path : paths) size += path.size() + 1;
  HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size);
  auto* header = static_cast<DROPFILES*>(::GlobalLock(memory));
  header->pFiles = sizeof(DROPFILES);
  header->fWide = FALSE;
  char* at = reinterpret_cast<char*>(header) + sizeof(DROPFILES);
  for (const std::string& path : paths) {
    std::memcpy(at, path.c_str(), path.size() + 1);
    at += path.size() + 1;
  }
  ::GlobalUnlock(memory);
  return static_cast<HDROP>(memory);
}

std::string TempPath(const char* name) {
  char folder[MAX_PATH] = {};
  ::GetTempPathA(MAX_PATH, folder);
  return std::string(folder) + name + std::to_string(::GetCurrentProcessId());
}

// --- tests -----------------------------------------------------------------

TEST(ConfigDlg, ShowsTheStoredSettings) {
  FakeTarget target;
  target.volumeValue = 150;
  target.step = -5;
  target.alpha = 200;
  target.folders = {".", "C:\\plugins", "D:\\more plugins"};
  CConfigDlg percent(target);
  EXPECT_EQ(RunDialog(percent, IDCANCEL, [](HWND dialog) {
              EXPECT_EQ(Rows(dialog), (std::vector<std::string>{".", "C:\\plugins", "D:\\more plugins"}));
              const HWND list = ::GetDlgItem(dialog, IDC_PLUGIN_FOLDERS);
              char title[64] = {};
              LVCOLUMNA column{};
              column.mask = LVCF_TEXT | LVCF_WIDTH;
              column.pszText = title;
              column.cchTextMax = sizeof title;
              ::SendMessageA(list, LVM_GETCOLUMNA, 0, reinterpret_cast<LPARAM>(&column));
              EXPECT_STREQ(title, "Plugins Path");
              EXPECT_EQ(column.cx, 400);
              EXPECT_NE(::SendMessageA(list, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0) & LVS_EX_FULLROWSELECT, 0);
              EXPECT_NE(::GetWindowLongPtrA(list, GWL_EXSTYLE) & WS_EX_ACCEPTFILES, 0);

              EXPECT_EQ(RangeMin(dialog, IDC_TRANSPARENCY), 1);
              EXPECT_EQ(RangeMax(dialog, IDC_TRANSPARENCY), 255);
              EXPECT_EQ(PageSize(dialog, IDC_TRANSPARENCY), 32);
              EXPECT_EQ(Position(dialog, IDC_TRANSPARENCY), 200);
              EXPECT_EQ(Text(dialog, IDC_VOLUME_STEP), "-5");
              EXPECT_FALSE(DecibelsTicked(dialog));
              EXPECT_EQ(RangeMin(dialog, IDC_VOLUME), 0);
              EXPECT_EQ(RangeMax(dialog, IDC_VOLUME), 200);
              EXPECT_EQ(PageSize(dialog, IDC_VOLUME), 25);
              EXPECT_EQ(Position(dialog, IDC_VOLUME), 150);
              EXPECT_EQ(Text(dialog, IDC_VOLUME_TEXT), "150%");
              char caption[32] = {};
              ::GetWindowTextA(dialog, caption, sizeof caption);
              EXPECT_STREQ(caption, "Config");
              EXPECT_EQ(CConfigDlg::OpenWindow(), dialog);
            }),
            IDCANCEL);
  EXPECT_EQ(CConfigDlg::OpenWindow(), nullptr);
  EXPECT_TRUE(target.volumeCalls.empty());

  target.volumeValue = -12;
  target.volumeTypeValue = 1;
  CConfigDlg decibels(target);
  RunDialog(decibels, IDCANCEL, [](HWND dialog) {
    EXPECT_TRUE(DecibelsTicked(dialog));
    EXPECT_EQ(RangeMin(dialog, IDC_VOLUME), -60);
    EXPECT_EQ(RangeMax(dialog, IDC_VOLUME), 6);
    EXPECT_EQ(PageSize(dialog, IDC_VOLUME), 6);
    EXPECT_EQ(Position(dialog, IDC_VOLUME), -12);
    EXPECT_EQ(Text(dialog, IDC_VOLUME_TEXT), "-12dB");
  });
  EXPECT_TRUE(target.volumeCalls.empty());
}

TEST(ConfigDlg, VolumeSliderActsWhileItMoves) {
  FakeTarget target;
  CConfigDlg dialog(target);
  HWND window = nullptr;
  RunDialog(dialog, IDCANCEL, [&](HWND dialogWindow) {
    window = dialogWindow;
    PressKey(dialogWindow, IDC_VOLUME, 50, VK_RIGHT);
    EXPECT_EQ(Position(dialogWindow, IDC_VOLUME), 51);
    EXPECT_EQ(Text(dialogWindow, IDC_VOLUME_TEXT), "51%");
    PressKey(dialogWindow, IDC_VOLUME, 51, VK_LEFT);
    EXPECT_EQ(Text(dialogWindow, IDC_VOLUME_TEXT), "50%");

    // Dragging the thumb past the right end: the volume follows the mouse.
    RECT client{};
    ::GetClientRect(::GetDlgItem(dialogWindow, IDC_VOLUME), &client);
    DragThumb(dialogWindow, IDC_VOLUME, client.right + 50);
    EXPECT_EQ(Position(dialogWindow, IDC_VOLUME), 200);
    EXPECT_EQ(Text(dialogWindow, IDC_VOLUME_TEXT), "200%");
  });
  // One call per move, the slider's own window as sender; key releases and
  // the end of the drag repeat nothing.
  EXPECT_EQ(target.volumeCalls,
            (std::vector<VolumeCall>{{51, 0, window}, {50, 0, window}, {200, 0, window}}));
  EXPECT_EQ(target.volumeValue, 200);  // Cancel leaves the volume as it is
}

TEST(ConfigDlg, SwitchingDecibelsConvertsTheVolume) {
  FakeTarget target;
  target.volumeValue = 50;
  CConfigDlg dialog(target);
  HWND window = nullptr;
  RunDialog(dialog, IDOK, [&](HWND dialogWindow) {
    window = dialogWindow;
    ClickDecibels(dialogWindow);
    EXPECT_TRUE(DecibelsTicked(dialogWindow));
    EXPECT_EQ(RangeMin(dialogWindow, IDC_VOLUME), -60);
    EXPECT_EQ(RangeMax(dialogWindow, IDC_VOLUME), 6);
    EXPECT_EQ(PageSize(dialogWindow, IDC_VOLUME), 6);
    EXPECT_EQ(Position(dialogWindow, IDC_VOLUME), -6);
    EXPECT_EQ(Text(dialogWindow, IDC_VOLUME_TEXT), "-6dB");
    ClickDecibels(dialogWindow);
    EXPECT_EQ(Position(dialogWindow, IDC_VOLUME), 50);
    EXPECT_EQ(Text(dialogWindow, IDC_VOLUME_TEXT), "50%");
    EXPECT_EQ(PageSize(dialogWindow, IDC_VOLUME), 25);

    ::SendDlgItemMessageA(dialogWindow, IDC_VOLUME, TBM_SETPOS, TRUE, 200);
    ClickDecibels(dialogWindow);
    EXPECT_EQ(Position(dialogWindow, IDC_VOLUME), 6);
    ClickDecibels(dialogWindow);
    EXPECT_EQ(Position(dialogWindow, IDC_VOLUME), 200);

    // 0 % is silence in decibels too: the volume gets -100 dB while the
    // slider stops at its end.
    ::SendDlgItemMessageA(dialogWindow, IDC_VOLUME, TBM_SETPOS, TRUE, 0);
    ClickDecibels(dialogWindow);
    EXPECT_EQ(Position(dialogWindow, IDC_VOLUME), -60);
    EXPECT_EQ(Text(dialogWindow, IDC_VOLUME_TEXT), "-60dB");
  });
  EXPECT_EQ(target.volumeCalls, (std::vector<VolumeCall>{{-6, 1, window},
                                                         {50, 0, window},
                                                         {6, 1, window},
                                                         {200, 0, window},
                                                         {-100, 1, window},
                                                         // OK stores the slider's -60 dB
                                                         {-60, 1, window}}));
  EXPECT_EQ(target.volumeValue, -60);
  EXPECT_EQ(target.volumeTypeValue, 1);
}

TEST(ConfigDlg, OkStoresEverything) {
  FakeTarget target;
  target.alpha = 200;
  target.folders = {"C:\\first", ".", "C:\\last"};
  CConfigDlg dialog(target);
  HWND window = nullptr;
  EXPECT_EQ(RunDialog(dialog, IDOK, [&](HWND dialogWindow) {
              window = dialogWindow;
              ::SetDlgItemTextA(dialogWindow, IDC_VOLUME_STEP, "  -3x");
              ::SendDlgItemMessageA(dialogWindow, IDC_TRANSPARENCY, TBM_SETPOS, TRUE, 120);
              ::SendDlgItemMessageA(dialogWindow, IDC_VOLUME, TBM_SETPOS, TRUE, 80);
            }),
            IDOK);
  EXPECT_EQ(target.step, -3);
  EXPECT_EQ(target.alpha, 120);
  EXPECT_EQ(target.folders, (std::vector<std::string>{"C:\\first", ".", "C:\\last"}));
  EXPECT_EQ(target.volumeCalls, (std::vector<VolumeCall>{{80, 0, window}}));

  // Nothing moved: OK stores the same values and sends no volume notice.
  FakeTarget same;
  same.step = 4;
  CConfigDlg unchanged(same);
  RunDialog(unchanged, IDOK, [](HWND) {});
  EXPECT_EQ(same.step, 4);
  EXPECT_EQ(same.stepStores, 1);
  EXPECT_EQ(same.alpha, 255);
  EXPECT_EQ(same.folders, std::vector<std::string>{"."});
  EXPECT_TRUE(same.volumeCalls.empty());
}

TEST(ConfigDlg, ReplayGainShownAndStoredOnOk) {
  FakeTarget target;
  target.gain.mode = ReplayGainMode::kByPlayOrder;
  target.gain.preampCentiDb = -350;
  target.gain.untaggedGainCentiDb = 200;
  target.gain.preventClipping = true;
  CConfigDlg dialog(target);
  std::string preampShown, untaggedShown;
  LRESULT modeShown = -1, modeCount = 0;
  bool clippingShown = false;
  RunDialog(dialog, IDOK, [&](HWND window) {
    char text[64] = {};
    ::GetDlgItemTextA(window, IDC_RG_PREAMP, text, sizeof text);
    preampShown = text;
    ::GetDlgItemTextA(window, IDC_RG_UNTAGGED, text, sizeof text);
    untaggedShown = text;
    modeShown = ::SendDlgItemMessageA(window, IDC_RG_MODE, CB_GETCURSEL, 0, 0);
    modeCount = ::SendDlgItemMessageA(window, IDC_RG_MODE, CB_GETCOUNT, 0, 0);
    clippingShown = ::IsDlgButtonChecked(window, IDC_RG_CLIPPING) == BST_CHECKED;
    // Album, +20 dB (held to +15), a gain that is not a number (kept), clipping allowed.
    ::SendDlgItemMessageA(window, IDC_RG_MODE, CB_SETCURSEL, 2, 0);
    ::SetDlgItemTextA(window, IDC_RG_PREAMP, "+20 dB");
    ::SetDlgItemTextA(window, IDC_RG_UNTAGGED, "loud");
    ::CheckDlgButton(window, IDC_RG_CLIPPING, BST_UNCHECKED);
  });
  EXPECT_EQ(preampShown, "-3.50");
  EXPECT_EQ(untaggedShown, "2.00");
  EXPECT_EQ(modeShown, 3);
  EXPECT_EQ(modeCount, 4);
  EXPECT_TRUE(clippingShown);
  EXPECT_EQ(target.gainStores, 1);
  EXPECT_EQ(target.gain.mode, ReplayGainMode::kAlbum);
  EXPECT_EQ(target.gain.preampCentiDb, 1500);
  EXPECT_EQ(target.gain.untaggedGainCentiDb, 200);
  EXPECT_FALSE(target.gain.preventClipping);

  // Cancel stores nothing.
  CConfigDlg cancelled(target);
  RunDialog(cancelled, IDCANCEL, [](HWND window) { ::SetDlgItemTextA(window, IDC_RG_PREAMP, "-9"); });
  EXPECT_EQ(target.gainStores, 1);
  EXPECT_EQ(target.gain.preampCentiDb, 1500);
}

TEST(ConfigDlg, StartWithWindowsShowsTheRunEntryAndOkChangesItOnlyWhenTicked) {
  struct Case {
    bool entry;          // the Run entry when the dialog opens
    bool click;          // the user clicks the box
    UINT end;            // IDOK or IDCANCEL
    std::vector<bool> writes;
  };
  const Case cases[] = {
      {false, true, IDOK, {true}},
      {true, true, IDOK, {false}},
      {true, false, IDOK, {}},      // unchanged: an entry is not written again
      {false, false, IDOK, {}},
      {false, true, IDCANCEL, {}},  // Cancel changes nothing
  };
  for (const Case& c : cases) {
    FakeTarget target;
    target.runEntry = c.entry;
    CConfigDlg dialog(target);
    RunDialog(dialog, c.end, [&](HWND window) {
      EXPECT_EQ(::IsDlgButtonChecked(window, IDC_START_WITH_WINDOWS), c.entry ? BST_CHECKED : BST_UNCHECKED);
      char text[64] = {};
      ::GetDlgItemTextA(window, IDC_START_WITH_WINDOWS, text, sizeof text);
      EXPECT_STREQ(text, "Start Melodek when Windows starts");
      if (c.click) ::SendDlgItemMessageA(window, IDC_START_WITH_WINDOWS, BM_CLICK, 0, 0);
    });
    EXPECT_EQ(target.runEntryWrites, c.writes) << c.entry << c.click << c.end;
  }
}

TEST(ConfigDlg, TransparencyIsLiveAndCancelRestoresOnlyIt) {
  FakeTarget target;
  target.alpha = 200;
  target.step = 2;
  SetWindowAlpha(target.controller, target.alpha);
  CConfigDlg dialog(target);
  EXPECT_EQ(RunDialog(dialog, IDCANCEL, [&](HWND dialogWindow) {
              PressKey(dialogWindow, IDC_TRANSPARENCY, 100, VK_RIGHT);
              EXPECT_TRUE(IsLayered(target.controller));
              EXPECT_EQ(LayeredAlpha(target.controller), 101);

              // Dragged to the opaque end the Controller is an ordinary window
              // again; dragged to the other end it is layered once more.
              RECT client{};
              ::GetClientRect(::GetDlgItem(dialogWindow, IDC_TRANSPARENCY), &client);
              DragThumb(dialogWindow, IDC_TRANSPARENCY, client.right + 50);
              EXPECT_EQ(Position(dialogWindow, IDC_TRANSPARENCY), 255);
              EXPECT_FALSE(IsLayered(target.controller));
              DragThumb(dialogWindow, IDC_TRANSPARENCY, -50);
              EXPECT_EQ(Position(dialogWindow, IDC_TRANSPARENCY), 1);
              EXPECT_TRUE(IsLayered(target.controller));
              EXPECT_EQ(LayeredAlpha(target.controller), 1);

              PressKey(dialogWindow, IDC_VOLUME, 100, VK_RIGHT);
              ::SetDlgItemTextA(dialogWindow, IDC_VOLUME_STEP, "9");
            }),
            IDCANCEL);
  EXPECT_TRUE(IsLayered(target.controller));
  EXPECT_EQ(LayeredAlpha(target.controller), 200);
  EXPECT_EQ(target.alpha, 200);
  EXPECT_EQ(target.alphaStores, 0);
  EXPECT_EQ(target.step, 2);
  EXPECT_EQ(target.stepStores, 0);
  EXPECT_EQ(target.folderStores, 0);
  EXPECT_EQ(target.volumeValue, 101);  // volume changes stay in force
}

TEST(ConfigDlg, DeleteRemovesTheSelectedFolderButNeverTheOwnOne) {
  FakeTarget target;
  target.folders = {".", "C:\\a", "C:\\b"};
  CConfigDlg dialog(target);
  RunDialog(dialog, IDOK, [](HWND dialogWindow) {
    SelectRow(dialogWindow, 0);
    PressDelete(dialogWindow);
    EXPECT_EQ(Rows(dialogWindow).size(), 3u);
    SelectRow(dialogWindow, 1);
    PressDelete(dialogWindow);
    EXPECT_EQ(Rows(dialogWindow), (std::vector<std::string>{".", "C:\\b"}));
    SelectRow(dialogWindow, -1);  // nothing selected: nothing happens
    PressDelete(dialogWindow);
    EXPECT_EQ(Rows(dialogWindow).size(), 2u);
  });
  EXPECT_EQ(target.folders, (std::vector<std::string>{".", "C:\\b"}));
}

TEST(ConfigDlg, DroppedFoldersAreAddedAndFilesIgnored) {
  const std::string folder = TempPath("melodek_config_folder");
  const std::string file = TempPath("melodek_config_file");
  ASSERT_TRUE(::CreateDirectoryA(folder.c_str(), nullptr) || ::GetLastError() == ERROR_ALREADY_EXISTS);
  HANDLE created = ::CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(created, INVALID_HANDLE_VALUE);
  ::CloseHandle(created);

  FakeTarget target;
  CConfigDlg dialog(target);
  RunDialog(dialog, IDOK, [&](HWND dialogWindow) {
    // Posted, as the shell does; the folder twice: it is listed twice.
    const HWND list = ::GetDlgItem(dialogWindow, IDC_PLUGIN_FOLDERS);
    ::PostMessageA(list, WM_DROPFILES,
                   reinterpret_cast<WPARAM>(MakeDrop({file, folder, "C:\\no\\such\\path", folder})), 0);
  });
  EXPECT_EQ(target.folders, (std::vector<std::string>{".", folder, folder}));

  ::DeleteFileA(file.c_str());
  ::RemoveDirectoryA(folder.c_str());
}

TEST(ConfigDlg, FollowsVolumeChangesFromOtherWindows) {
  FakeTarget target;
  CConfigDlg dialog(target);
  RunDialog(dialog, IDCANCEL, [&](HWND dialogWindow) {
    target.volumeValue = 80;  // the Controller changed it
    ::SendMessageA(dialogWindow, UM_VOLUME_CHANGED, 0, reinterpret_cast<LPARAM>(target.controller));
    EXPECT_EQ(Position(dialogWindow, IDC_VOLUME), 80);
    EXPECT_EQ(Text(dialogWindow, IDC_VOLUME_TEXT), "80%");
    target.volumeValue = 30;  // a hot key: no sender
    ::SendMessageA(dialogWindow, UM_VOLUME_CHANGED, 0, 0);
    EXPECT_EQ(Position(dialogWindow, IDC_VOLUME), 30);
    // Its own notice comes back through the broadcast and changes nothing.
    target.volumeValue = 90;
    ::SendMessageA(dialogWindow, UM_VOLUME_CHANGED, 0, reinterpret_cast<LPARAM>(dialogWindow));
    EXPECT_EQ(Position(dialogWindow, IDC_VOLUME), 30);
    EXPECT_EQ(Text(dialogWindow, IDC_VOLUME_TEXT), "30%");
  });
  EXPECT_TRUE(target.volumeCalls.empty());
}

TEST(LayeredWindow, ControllerAlphaBounds) {
  FakeTarget target;
  const HWND window = target.controller;
  SetWindowAlpha(window, 255);
  EXPECT_FALSE(IsLayered(window));
  SetWindowAlpha(window, 254);
  EXPECT_TRUE(IsLayered(window));
  EXPECT_EQ(LayeredAlpha(window), 254);
  SetWindowAlpha(window, 0);
  EXPECT_TRUE(IsLayered(window));
  EXPECT_EQ(LayeredAlpha(window), 1);
  SetWindowAlpha(window, 300);
  EXPECT_FALSE(IsLayered(window));
}
}  // namespace
