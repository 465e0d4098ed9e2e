// Times, under Wine, what a user waits for in the Equalizer dialog:
//   drag step: a mouse move on a dragged point of the real dialog's curve
//     editor, through the points copied, the preset replaced and the command
//     posted to a player thread, until that thread has built the curve and the
//     output stage holds the new gain table; and the same until the editor's
//     repaint (which follows the post) is done too, if that ends later;
//   repaint: one full repaint of the curve editor at 800 x 500 pixels with
//     a 30-band curve (drawn off screen, copied to the window).
// Prints "name runs mean_ms median_ms p95_ms max_ms" lines.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <vector>

#include "common/resource.h"
#include "engine/eq_stage.h"
#include "ui/equalizer_dlg.h"
#include "ui/graph_ctrl.h"
#include "framework/worker_thread.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr UINT kSetEqualizer = WM_APP + 1;
const double kThirdOctave[] = {25,   31.5, 40,   50,   63,   80,   100,  125,   160,   200,
                               250,  315,  400,  500,  630,  800,  1000, 1250,  1600,  2000,
                               2500, 3150, 4000, 5000, 6300, 8000, 10000, 12500, 16000, 20000};

// The player's side of PC_SET_EQUALIZER: the preset's curve into the stage.
class PlayerSide : public CWorkerThread {
 public:
  explicit PlayerSide(EqPresetList& presets) : presets_(presets) {}
  std::atomic<int> applied{0};
  std::atomic<int64_t> appliedAt{0};  // steady-clock ticks of the last application

 protected:
  bool PreTranslateMessage(MSG& message) override {
    if (message.message != kSetEqualizer) return false;
    EqualizerCurve curve;
    presets_.BuildEqualizerCurve(static_cast<int32_t>(message.wParam), curve);
    stage_.SetEqCurve(curve);
    appliedAt.store(Clock::now().time_since_epoch().count(), std::memory_order_relaxed);
    applied.fetch_add(1, std::memory_order_release);
    return true;
  }

 private:
  EqPresetList& presets_;
  EqualizerStage stage_;
};

class BenchTarget : public EqualizerTarget {
 public:
  BenchTarget() : player(list) {}
  EqPresetList& presets() override { return list; }
  int32_t NextEntryId() override { return ++lastId; }
  int32_t CurrentPresetId() override { return currentId; }
  void ApplyPreset(int32_t id) override {
    currentId = id;
    player.Post(kSetEqualizer, static_cast<WPARAM>(id), 0);
  }
  void ResetFilePresets(int32_t) override {}
  void HoldEqualizer(bool) override {}

  EqPresetList list;
  PlayerSide player;
  int32_t lastId = 10;
  int32_t currentId = 5;
};

class DrawableGraph : public CGraphCtrl {
 public:
  using CGraphCtrl::OnDraw;
};

class OpenEqualizer : public CEqualizerDlg {
 public:
  using CEqualizerDlg::CEqualizerDlg;
};

void Pump() {
  MSG message;
  while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    ::TranslateMessage(&message);
    ::DispatchMessageA(&message);
  }
}

void Report(const char* name, std::vector<double> ms) {
  std::sort(ms.begin(), ms.end());
  double sum = 0;
  for (double v : ms) sum += v;
  std::printf("%s %zu %.3f %.3f %.3f %.3f\n", name, ms.size(), sum / ms.size(), ms[ms.size() / 2],
              ms[ms.size() * 95 / 100], ms.back());
}

LPARAM At(int x, int y) { return MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y)); }

void DragSteps(int runs) {
  BenchTarget target;
  target.player.Start(THREAD_PRIORITY_TIME_CRITICAL);
  // A third-octave preset as the current file's: 30 points to copy and apply.
  int32_t id = target.list.AddNewPreset([&] { return 5; });
  target.list.SetPresetType(id, EqTypeThirdOctave);
  OpenEqualizer dialog(target);
  if (!dialog.Create(nullptr)) {
    std::fprintf(stderr, "no dialog\n");
    return;
  }
  ::ShowWindow(dialog.Handle(), SW_SHOW);
  Pump();
  const CGraphCtrl& graph = dialog.graph();
  HWND window = graph.Handle();
  const GraphPoint& point = graph.model().Points()[16];  // 1 kHz
  const int x = graph.model().XToPixel(graph.plot(), point.x);
  const int y = graph.model().PointYToPixel(graph.plot(), point.y);
  ::SendMessageA(window, WM_MOUSEMOVE, 0, At(x, y));
  ::SendMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, At(x, y));
  std::vector<double> ms, withRepaint;
  for (int i = 0; i < runs; ++i) {
    const int before = target.player.applied.load(std::memory_order_acquire);
    const auto start = Clock::now();
    ::SendMessageA(window, WM_MOUSEMOVE, MK_LBUTTON, At(x, y + 1 + i % 40));
    const auto painted = Clock::now();
    while (target.player.applied.load(std::memory_order_acquire) == before) ::Sleep(0);
    const Clock::time_point applied(Clock::duration(target.player.appliedAt.load(std::memory_order_relaxed)));
    ms.push_back(std::chrono::duration<double, std::milli>(applied - start).count());
    withRepaint.push_back(std::chrono::duration<double, std::milli>(std::max(applied, painted) - start).count());
  }
  ::SendMessageA(window, WM_LBUTTONUP, 0, At(x, y));
  ::DestroyWindow(dialog.Handle());
  target.player.Post(WM_QUIT, 0, 0);
  target.player.Join();
  Report("drag_step", ms);
  Report("drag_step_painted", withRepaint);
}

void Repaints(int runs) {
  HWND parent = ::CreateWindowExA(0, "STATIC", "bench", WS_POPUP | WS_VISIBLE, 0, 0, 840, 540, nullptr, nullptr,
                                  ::GetModuleHandleA(nullptr), nullptr);
  HWND placeholder = ::CreateWindowExA(0, "STATIC", "", WS_CHILD, 20, 20, 800, 500, parent, nullptr,
                                       ::GetModuleHandleA(nullptr), nullptr);
  DrawableGraph graph;
  graph.CreateOver(placeholder, 1025);
  graph.SetRange(4, 4096, 0, 2);
  graph.SetCurveMode(kCurveLinear);
  graph.SetXScale(kXScaleLog2);
  for (double level : {0.0, 0.5, 1.0, 1.5, 2.0}) graph.AddYLabel(static_cast<float>(level));
  graph.ClearPoints();
  for (size_t i = 0; i < 30; ++i) {
    graph.AddXLabel(HertzToBin(kThirdOctave[i]));
    graph.SetPoint(i, HertzToBin(kThirdOctave[i]), static_cast<float>(1.0 + 0.6 * ((i * 7) % 11) / 10.0 - 0.3));
  }
  Pump();
  std::vector<double> ms;
  for (int i = 0; i < runs; ++i) {
    const auto start = Clock::now();
    graph.RepaintNow();
    ::GdiFlush();
    ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
  }
  Report("repaint_800x500", ms);
  // The drawing alone, into an off-screen picture: the rest of a repaint is
  // the copy to the window.
  HDC screen = ::GetDC(graph.Handle());
  HDC memory = ::CreateCompatibleDC(screen);
  HBITMAP bitmap = ::CreateCompatibleBitmap(screen, 800, 500);
  HGDIOBJ old = ::SelectObject(memory, bitmap);
  ms.clear();
  for (int i = 0; i < runs; ++i) {
    const auto start = Clock::now();
    graph.OnDraw(memory);
    ::GdiFlush();
    ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
  }
  ::SelectObject(memory, old);
  ::DeleteObject(bitmap);
  ::DeleteDC(memory);
  ::ReleaseDC(graph.Handle(), screen);
  ::DestroyWindow(parent);
  Report("draw_only_800x500", ms);
}

}  // namespace

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::atoi(argv[1]) : 500;
  INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_WIN95_CLASSES};
  ::InitCommonControlsEx(&controls);
  DragSteps(runs);
  Repaints(runs);
  return 0;
}
