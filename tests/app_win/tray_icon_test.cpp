// The tray icon under Wine: the 88-byte record, its flags and tip, and the
// add, delete and re-create cycle against Wine's notification area.
#include "app/tray_icon.h"

#include <gtest/gtest.h>

#include <cstring>

#include "common/window_messages.h"

TEST(TrayIcon, RecordFlagsAndTip) {
  CTrayIcon icon;
  EXPECT_EQ(icon.data().cbSize, 88u);
  icon.Set(nullptr, 0, UM_TRAY_NOTIFY, nullptr, "Melodek");
  EXPECT_EQ(icon.data().uFlags, static_cast<UINT>(NIF_MESSAGE | NIF_TIP));  // no icon given: no NIF_ICON
  EXPECT_STREQ(icon.data().szTip, "Melodek");
  icon.Set(nullptr, 0, 0, ::LoadIcon(nullptr, IDI_APPLICATION), nullptr);
  EXPECT_EQ(icon.data().uFlags, static_cast<UINT>(NIF_ICON));
  EXPECT_STREQ(icon.data().szTip, "");
  const std::string longTip(100, 'x');  // the record holds 63 characters and the end
  icon.Set(nullptr, 0, 0, nullptr, longTip.c_str());
  EXPECT_EQ(std::strlen(icon.data().szTip), 63u);
}

TEST(TrayIcon, AddDeleteRecreate) {
  HWND window = ::CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(window, nullptr);
  {
    CTrayIcon icon;
    icon.Set(window, 0, UM_TRAY_NOTIFY, ::LoadIcon(nullptr, IDI_APPLICATION), "Melodek");
    ASSERT_TRUE(icon.Add());
    EXPECT_TRUE(icon.added());
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
