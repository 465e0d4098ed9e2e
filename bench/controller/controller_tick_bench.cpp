// Time of one Controller timer tick (seek thumb update + caption comparison)
// on the real dialog, visible, with a stand-in for the program behind it.
// Prints the median and the 99th percentile over batches of ticks.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "ui/controller_dlg.h"

namespace {
class StandInTarget : public ControllerTarget {
 public:
  int32_t volume() const override { return 100; }
  int32_t volumeType() const override { return 0; }
  void SetVolume(int32_t, int32_t, HWND) override {}
  void RunCommand(UINT) override {}
  std::vector<std::string> PlayListNames() const override { return {"new"}; }
  void PlayListFromStart(int) override {}
  // The position moves on every tick, as it does while a file plays.
  uint32_t PlaybackPositionMs() const override { return position_ = (position_ + step_) % 600000; }
  void SetStep(uint32_t ms) { step_ = ms; }
  int32_t PlaybackLengthMs() const override { return 600000; }
  std::string PlaybackTitle() const override { return title_; }
  bool SeekPlayback(int32_t) override { return true; }

 private:
  mutable uint32_t position_ = 0;
  uint32_t step_ = 10;
  std::string title_ = "Morning Light - Quiet Harbour (live at the old harbour hall, 1998)";
};

double Seconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to, const LARGE_INTEGER& frequency) {
  return static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Lets the dialog paint what the ticks invalidated, as the message loop would between ticks.
void Pump() {
  MSG message;
  while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    ::TranslateMessage(&message);
    ::DispatchMessageA(&message);
  }
}

void Report(const char* name, std::vector<double> perTickUs) {
  std::sort(perTickUs.begin(), perTickUs.end());
  std::printf("%-34s median %7.2f us   p99 %7.2f us   (%zu batches)\n", name, perTickUs[perTickUs.size() / 2],
              perTickUs[perTickUs.size() * 99 / 100], perTickUs.size());
}
}  // namespace

int main() {
  INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_WIN95_CLASSES | ICC_BAR_CLASSES};
  ::InitCommonControlsEx(&controls);
  StandInTarget target;
  CControllerDlg controller(target);
  if (!controller.Create(nullptr)) {
    std::printf("the Controller could not be created\n");
    return 1;
  }
  ::ShowWindow(controller.Handle(), SW_SHOWNOACTIVATE);
  ::KillTimer(controller.Handle(), 1);  // the ticks below are the only ones
  Pump();
  LARGE_INTEGER frequency, start, end;
  ::QueryPerformanceFrequency(&frequency);
  constexpr int kBatches = 400;
  constexpr int kTicksPerBatch = 50;
  for (int pass = 0; pass < 2; ++pass) {
    // Every 10 ms on screen: the thumb of a 10-minute file moves one pixel
    // about every 3 s, so most ticks leave it where it is.
    target.SetStep(10);
    std::vector<double> still;
    for (int batch = 0; batch < kBatches; ++batch) {
      ::QueryPerformanceCounter(&start);
      for (int i = 0; i < kTicksPerBatch; ++i) controller.Tick();
      ::QueryPerformanceCounter(&end);
      still.push_back(Seconds(start, end, frequency) * 1e6 / kTicksPerBatch);
      Pump();
    }
    // The ticks that move the thumb: the slider update, then its repaint.
    target.SetStep(7000);
    std::vector<double> moving, repaint;
    for (int batch = 0; batch < kBatches; ++batch) {
      ::QueryPerformanceCounter(&start);
      controller.Tick();
      ::QueryPerformanceCounter(&end);
      moving.push_back(Seconds(start, end, frequency) * 1e6);
      ::QueryPerformanceCounter(&start);
      ::UpdateWindow(::GetDlgItem(controller.Handle(), 1021));
      ::QueryPerformanceCounter(&end);
      repaint.push_back(Seconds(start, end, frequency) * 1e6);
      Pump();
    }
    if (pass == 1) {  // the first pass warms up
      Report("tick, thumb on the same pixel", still);
      Report("tick, thumb moves a pixel", moving);
      Report("  its repaint (not part of the tick)", repaint);
    }
  }
  return 0;
}
