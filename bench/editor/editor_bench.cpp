// The play list editor with 10,000 untitled ".mp3" entries, under Wine:
// time from the open until it is shown and responsive, a move of 1,000
// selected rows by a real mouse drag, a Delete of 5,000 rows, and the drag
// image and private memory while all 10,000 rows are dragged.
//
// The real CPlayListEditDlg runs modally on the main thread with a host
// whose plug-in title query takes 2 ms per file (as a plug-in that opens
// the file would); a second thread drives it with SendInput and measures.
#include <windows.h>
#include <commctrl.h>
#include <psapi.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

#include "common/resource.h"
#include "ui/drag_list_ctrl.h"
#include "ui/play_list_edit_dlg.h"

namespace {
constexpr int kEntries = 10000;
using Clock = std::chrono::steady_clock;

class BenchHost : public PlayListEditHost {
 public:
  BenchHost() {
    model_.AppendList("big");
    std::vector<NewSoundFile> entries;
    for (int i = 0; i < kEntries; ++i) entries.emplace_back("C:\\Music\\Album " + std::to_string(i / 12) + "\\track" +
                                                            std::to_string(i) + ".mp3");
    model_.InsertFiles(0, 0, std::move(entries));
    model_.AppendList("other");
  }
  PlayListSet& PlayLists() override { return model_; }
  std::vector<PresetChoice> PresetChoices() override { return {{0, "Default"}}; }
  bool TitleOf(const std::string& path, std::string& title) override {
    ::Sleep(2);
    titles.fetch_add(1);
    title = path.substr(path.rfind('\\') + 1);
    return true;
  }
  void PlayFileById(int32_t) override {}
  void QueueFiles(const std::vector<int32_t>&) override {}
  void SetPlayingFileVolume(int32_t) override {}
  std::array<SettingsRect, kPlayListRectCount>& PlayListRects() override { return rects_; }
  std::unique_ptr<LoudnessAnalysis> NewLoudnessAnalysis() override { return nullptr; }
  void StoreLoudness(const LoudnessProgress&) override {}
  std::optional<LoudnessRecord> LoudnessOf(int32_t) override { return std::nullopt; }

  std::atomic<int> titles{0};

 private:
  PlayListSet model_{1};
  std::array<SettingsRect, kPlayListRectCount> rects_{};
};

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

void MouseTo(POINT p) {
  INPUT input{};
  input.type = INPUT_MOUSE;
  input.mi.dx = ::MulDiv(p.x, 65535, ::GetSystemMetrics(SM_CXSCREEN) - 1);
  input.mi.dy = ::MulDiv(p.y, 65535, ::GetSystemMetrics(SM_CYSCREEN) - 1);
  input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  ::SendInput(1, &input, sizeof input);
  ::Sleep(30);
}

void Mouse(DWORD flags) {
  INPUT input{};
  input.type = INPUT_MOUSE;
  input.mi.dwFlags = flags;
  ::SendInput(1, &input, sizeof input);
}

POINT RowPoint(HWND list, int row) {
  RECT r{};
  r.left = LVIR_BOUNDS;
  ::SendMessageA(list, LVM_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&r));
  POINT p{r.left + 40, (r.top + r.bottom) / 2};
  ::ClientToScreen(list, &p);
  return p;
}

// A row's text, asked of the editor like the list does when it draws.
std::string RowText(HWND list, int row) {
  char text[260] = {};
  LVITEMA item{};
  item.pszText = text;
  item.cchTextMax = sizeof text;
  ::SendMessageA(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
  return text;
}

void SelectEvery(HWND list, int step) {
  LVITEMA none{};
  none.stateMask = LVIS_SELECTED;
  ::SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&none));
  LVITEMA on{};
  on.state = on.stateMask = LVIS_SELECTED;
  const int count = static_cast<int>(::SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
  for (int row = 0; row < count; row += step) {
    ::SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&on));
  }
}

SIZE_T PrivateBytes(SIZE_T* peak) {
  PROCESS_MEMORY_COUNTERS_EX counters{};
  counters.cb = sizeof counters;
  ::GetProcessMemoryInfo(::GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof counters);
  if (peak != nullptr) *peak = counters.PeakPagefileUsage;
  // Wine leaves PrivateUsage 0; the committed bytes are the same figure.
  return counters.PrivateUsage != 0 ? counters.PrivateUsage : counters.PagefileUsage;
}

struct Results {
  double openMs = -1, moveMs = -1, deleteMs = -1;
  int titlesAtOpen = 0;
  LONG imageWidth = 0, imageHeight = 0;
  SIZE_T privateBefore = 0, privateDuring = 0, peakBefore = 0, peakDuring = 0;
};

void Drive(BenchHost& host, Clock::time_point opened, Results& out) {
  HWND dialog = nullptr;
  while ((dialog = ::FindWindowA(nullptr, "PlayListEdit")) == nullptr || !::IsWindowVisible(dialog)) ::Sleep(1);
  while (host.titles.load() == 0) ::Sleep(1);  // the file pane has drawn its rows
  DWORD_PTR ignored = 0;
  ::SendMessageTimeoutA(dialog, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &ignored);
  out.openMs = Ms(Clock::now() - opened);
  out.titlesAtOpen = host.titles.load();
  HWND files = ::GetDlgItem(dialog, IDC_SOUNDFILES);
  ::SetForegroundWindow(dialog);
  ::Sleep(200);

  // 1,000 selected rows (every 10th) dragged onto row 5.
  SelectEvery(files, 10);
  const std::string firstBefore = RowText(files, 0);
  MouseTo(RowPoint(files, 0));
  Mouse(MOUSEEVENTF_LEFTDOWN);
  ::Sleep(50);
  for (int i = 1; i <= 5; ++i) MouseTo(RowPoint(files, i));
  ::Sleep(100);
  auto start = Clock::now();
  Mouse(MOUSEEVENTF_LEFTUP);
  while (RowText(files, 0) == firstBefore && Ms(Clock::now() - start) < 20000) ::Sleep(0);
  out.moveMs = Ms(Clock::now() - start);
  ::Sleep(700);

  // All 10,000 rows dragged: the picture and the memory while it shows.
  SelectEvery(files, 1);
  out.privateBefore = PrivateBytes(&out.peakBefore);
  MouseTo(RowPoint(files, 3));
  Mouse(MOUSEEVENTF_LEFTDOWN);
  ::Sleep(50);
  for (int i = 4; i <= 8; ++i) MouseTo(RowPoint(files, i));
  ::Sleep(200);
  HWND floater = ::FindWindowA("MelodekFloater", "FloaterWnd");
  RECT image{};
  if (floater != nullptr && ::IsWindowVisible(floater)) ::GetWindowRect(floater, &image);
  out.imageWidth = image.right - image.left;
  out.imageHeight = image.bottom - image.top;
  out.privateDuring = PrivateBytes(&out.peakDuring);
  Mouse(MOUSEEVENTF_RIGHTDOWN);  // cancels the drag
  Mouse(MOUSEEVENTF_RIGHTUP);
  Mouse(MOUSEEVENTF_LEFTUP);
  ::Sleep(700);

  // 5,000 of the 10,000 (every other row) deleted with the Delete key.
  SelectEvery(files, 2);
  start = Clock::now();
  ::PostMessageA(files, WM_KEYDOWN, VK_DELETE, 0);
  while (::SendMessageA(files, LVM_GETITEMCOUNT, 0, 0) != kEntries / 2 && Ms(Clock::now() - start) < 20000) ::Sleep(0);
  out.deleteMs = Ms(Clock::now() - start);

  ::PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
}
}  // namespace

int main() {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES};
  ::InitCommonControlsEx(&controls);
  BenchHost host;
  Results results;
  const Clock::time_point opened = Clock::now();
  std::thread driver([&] { Drive(host, opened, results); });
  {
    CPlayListEditDlg editor(host);
    editor.DoModal(nullptr);
  }
  driver.join();
  const int screenW = ::GetSystemMetrics(SM_CXSCREEN);
  const int screenH = ::GetSystemMetrics(SM_CYSCREEN);
  std::printf("%-58s %10s %10s\n", "measure (10,000 untitled .mp3 entries)", "result", "target");
  std::printf("%-58s %7.1f ms %7s ms\n", "open until shown and responsive", results.openMs, "<= 300");
  std::printf("%-58s %10d\n", "  titles asked of the plug-in by then (2 ms each)", results.titlesAtOpen);
  std::printf("%-58s %7.1f ms %7s ms\n", "move 1,000 selected rows (mouse release to new order)", results.moveMs, "<= 200");
  std::printf("%-58s %7.1f ms %7s ms\n", "delete 5,000 rows (Delete key to rows gone)", results.deleteMs, "<= 200");
  std::printf("%-58s %4ldx%-5ld %4dx%d\n", "drag image of all 10,000 rows (pixels, target: screen)", results.imageWidth,
              results.imageHeight, screenW, screenH);
  std::printf("%-58s %7.1f MB\n", "private memory before the drag", results.privateBefore / 1048576.0);
  std::printf("%-58s %7.1f MB\n", "private memory while dragging all rows", results.privateDuring / 1048576.0);
  std::printf("%-58s %7.1f MB\n", "peak private memory (commit) after the drag began", results.peakDuring / 1048576.0);
  return 0;
}
