// The tray icon under Wine: the wide record, its flags and tip, and the
// add, delete and re-create cycle against Wine's notification area.
#include "app/tray_icon.h"

#include <gtest/gtest.h>

#include <cstring>
#include <cwchar>
#include <string>

#include "common/window_messages.h"

constexpr UINT kShowTip = 0x80;  // NIF_SHOWTIP

TEST(TrayIcon, RecordFlagsAndTip) {
  CTrayIcon icon;
  EXPECT_EQ(icon.data().cbSize, sizeof(NOTIFYICONDATAW));
  icon.Set(nullptr, 0, UM_TRAY_NOTIFY, nullptr, L"Melodek");
  // No icon given: no NIF_ICON; a tip asks version 4's shell to show it.
  EXPECT_EQ(icon.data().uFlags, static_cast<UINT>(NIF_MESSAGE | NIF_TIP | kShowTip));
  EXPECT_STREQ(icon.data().szTip, L"Melodek");
  icon.Set(nullptr, 0, 0, ::LoadIcon(nullptr, IDI_APPLICATION), nullptr);
  EXPECT_EQ(icon.data().uFlags, static_cast<UINT>(NIF_ICON));
  EXPECT_STREQ(icon.data().szTip, L"");
  const std::wstring longTip(200, L'x');  // the record holds 127 characters and the end
  icon.Set(nullptr, 0, 0, nullptr, longTip.c_str());
  EXPECT_EQ(std::wcslen(icon.data().szTip), 127u);
  // A tip cut inside a surrogate pair loses the half.
  const std::wstring astral = std::wstring(126, L'y') + L"\xD834\xDD1E";
  EXPECT_TRUE(icon.SetTip(astral.c_str()));  // not added: only stored
  EXPECT_EQ(std::wcslen(icon.data().szTip), 126u);
  EXPECT_TRUE(icon.data().uFlags & NIF_TIP);
  EXPECT_TRUE(icon.SetTip(L"Caf\x00e9 \x591c"));
  EXPECT_STREQ(icon.data().szTip, L"Caf\x00e9 \x591c");
}

TEST(TrayIcon, AddDeleteRecreate) {
  HWND window = ::CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(window, nullptr);
  {
    CTrayIcon icon;
    icon.Set(window, 0, UM_TRAY_NOTIFY, ::LoadIcon(nullptr, IDI_APPLICATION), L"Melodek");
    ASSERT_TRUE(icon.Add());
    EXPECT_TRUE(icon.added());
    EXPECT_TRUE(icon.SetTip(L"Evening Song \x2014 Melodek"));  // modifies the added icon
    EXPECT_TRUE(icon.Add());  // a second Add modifies the icon in place
    EXPECT_TRUE(icon.Recreate());
    EXPECT_TRUE(icon.added());
    EXPECT_TRUE(icon.Delete());
    EXPECT_FALSE(icon.added());
    EXPECT_FALSE(icon.Delete());  // nothing left to delete
    ASSERT_TRUE(icon.Add());
  }  // the destructor removes it
  CTrayIcon probe;
  probe.Set(window, 0, UM_TRAY_NOTIFY, nullptr, nullptr);
  EXPECT_FALSE(probe.Delete());
  ::DestroyWindow(window);
}
