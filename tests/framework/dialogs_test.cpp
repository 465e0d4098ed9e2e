// The Win32 framework under Wine: modal loops that keep the application's
// pre-translation (hot keys), message maps, ending dialogs from outside, and
// which windows receive the program's notices.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <vector>

#include "app/window_utils.h"
#include "framework/application.h"
#include "framework/dialog.h"

namespace {
class TestApp : public CApplication {
 public:
  bool PreTranslateMessage(MSG& message) override {
    if (message.message == WM_HOTKEY) hotKeys.push_back(static_cast<int>(message.wParam));
    return false;
  }
  bool OnCommand(UINT id) override {
    commands.push_back(id);
    return true;
  }
  std::vector<int> hotKeys;
  std::vector<UINT> commands;

 protected:
  bool InitInstance() override { return false; }
};

class MappedDialog : public CDialog {
 public:
  explicit MappedDialog(UINT id) : CDialog(id) {}
  std::function<void(MappedDialog&)> onStart;
  std::vector<UINT> seen;

 protected:
  bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;

 private:
  LRESULT OnInit(WPARAM, LPARAM, bool&) {
    if (onStart) ::SetTimer(Handle(), 1, 10, nullptr);
    return TRUE;
  }
  LRESULT OnTimer(WPARAM, LPARAM, bool&) {
    ::KillTimer(Handle(), 1);
    onStart(*this);
    return 0;
  }
  LRESULT OnCommand77(WPARAM, LPARAM, bool&) {
    seen.push_back(77);
    return 0;
  }
  LRESULT OnRegistered(WPARAM, LPARAM, bool& handled) {
    seen.push_back(0xC000);
    handled = false;
    return 0;
  }
  static const MessageMapEntry<MappedDialog> kMap[];
};

const MessageMapEntry<MappedDialog> MappedDialog::kMap[] = {
    {WM_INITDIALOG, &MappedDialog::OnInit},
    {WM_TIMER, &MappedDialog::OnTimer},
    OnCommandId<MappedDialog>(77, &MappedDialog::OnCommand77),
    OnMessageRange<MappedDialog>(0xC000, 0xFFFF, &MappedDialog::OnRegistered),
};

bool MappedDialog::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  return DispatchMessageMap(this, kMap, message, wParam, lParam, result);
}

TEST(Dialogs, ModalLoopKeepsPreTranslationAndRoutesCommands) {
  TestApp app;
  MappedDialog dialog(200);
  dialog.onStart = [&](MappedDialog& d) {
    ::PostMessageA(d.Handle(), WM_HOTKEY, 4, 0);
    ::PostMessageA(d.Handle(), WM_COMMAND, 77, 0);      // in the dialog's map
    ::PostMessageA(d.Handle(), WM_COMMAND, 32777, 0);   // a menu command: the application's
    ::PostMessageA(d.Handle(), ::RegisterWindowMessageA("MelodekTest"), 0, 0);
    ::PostMessageA(d.Handle(), kMsgEndDialog, 5, 0);
  };
  EXPECT_EQ(dialog.DoModal(nullptr), 5);
  EXPECT_EQ(app.hotKeys, std::vector<int>{4});
  EXPECT_EQ(app.commands, std::vector<UINT>{32777});
  EXPECT_EQ(dialog.seen, (std::vector<UINT>{77, 0xC000}));
  EXPECT_EQ(dialog.Handle(), nullptr);
}

TEST(Dialogs, NoticesGoOnlyToNamedDialogsAndTheController) {
  TestApp app;
  MappedDialog config(200), hotKeyList(201), other(202), controller(202);
  ASSERT_TRUE(config.Create(nullptr));
  ASSERT_TRUE(hotKeyList.Create(nullptr));
  ASSERT_TRUE(other.Create(nullptr));
  ASSERT_TRUE(controller.Create(nullptr));
  std::vector<HWND> notified = NotifiedWindows(::GetCurrentProcessId(), controller.Handle());
  std::sort(notified.begin(), notified.end());
  std::vector<HWND> expected = {config.Handle(), hotKeyList.Handle(), controller.Handle()};
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(notified, expected);

  EXPECT_TRUE(IsNotifiedCaption("Config"));
  EXPECT_TRUE(IsNotifiedCaption("List"));  // a substring of the list counts
  EXPECT_FALSE(IsNotifiedCaption(""));
  EXPECT_FALSE(IsNotifiedCaption("Melodek"));
}

TEST(Dialogs, ExitEndsOpenDialogsWithCancel) {
  TestApp app;
  MappedDialog equalizer(203);
  ASSERT_TRUE(equalizer.Create(nullptr));
  ::ShowWindow(equalizer.Handle(), SW_SHOW);
  MappedDialog config(200);
  config.onStart = [&](MappedDialog&) {
    for (HWND window : NotifiedWindows(::GetCurrentProcessId(), nullptr)) EndDialogWindow(window, IDCANCEL);
  };
  EXPECT_EQ(config.DoModal(nullptr), IDCANCEL);
  EXPECT_FALSE(::IsWindowVisible(equalizer.Handle()));  // modeless dialogs are hidden
}
}  // namespace
