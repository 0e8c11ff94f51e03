// The driver's own eyes, checked against things the test makes itself: if the
// tray probe, the message-box reader or the screenshot were wrong, the
// wedge's tests would pass or fail for the wrong reason.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <string>

#include "e2e_support.h"

namespace {

HWND MakeHiddenWindow() {
  return CreateWindowExW(0, L"Static", L"e2e tray probe", 0, 0, 0, 0, 0, nullptr, nullptr,
                         GetModuleHandleW(nullptr), nullptr);
}

TEST(Harness, TrayProbeSeesAnIconUntilItIsDeleted) {
  HWND owner = MakeHiddenWindow();
  ASSERT_NE(nullptr, owner);
  ASSERT_TRUE(AddTrayIcon(owner, 1));
  EXPECT_TRUE(TrayIconExists(owner, 1));
  EXPECT_FALSE(TrayIconExists(owner, 2)) << "another id of the same window";
  ASSERT_TRUE(DeleteTrayIcon(owner, 1));
  EXPECT_FALSE(TrayIconExists(owner, 1));
  DestroyWindow(owner);
}

// Why the probe can tell a deleted icon from a dead window: the tray keeps
// the icon of a window that went away without deleting it.
TEST(Harness, TrayKeepsTheIconOfAWindowThatDidNotDeleteIt) {
  HWND owner = MakeHiddenWindow();
  ASSERT_NE(nullptr, owner);
  ASSERT_TRUE(AddTrayIcon(owner, 1));
  DestroyWindow(owner);
  EXPECT_TRUE(TrayIconExists(owner, 1));
}

DWORD WINAPI ShowBox(void* result) {
  *static_cast<int*>(result) =
      MessageBoxW(nullptr, L"first\r\nsecond\r\nTHIRD!", L"e2e box", MB_ICONEXCLAMATION);
  return 0;
}

TEST(Harness, MessageBoxTextIsReadExactlyAndOkEndsIt) {
  int result = 0;
  HANDLE thread = CreateThread(nullptr, 0, ShowBox, &result, 0, nullptr);
  ASSERT_NE(nullptr, thread);
  HWND box = WaitForMessageBox(L"e2e box", 10000);
  ASSERT_NE(nullptr, box);
  EXPECT_EQ(L"first\r\nsecond\r\nTHIRD!", MessageBoxText(box));
  DismissMessageBox(box);
  EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(thread, 10000));
  CloseHandle(thread);
  EXPECT_EQ(IDOK, result);
}

TEST(Harness, ScreenshotIsAPngOfTheScreen) {
  const std::wstring path = SaveScreenshot(L"harness-desktop");
  ASSERT_FALSE(path.empty());
  HANDLE file =
      CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, file);
  unsigned char head[24] = {};
  DWORD got = 0;
  ReadFile(file, head, sizeof head, &got, nullptr);
  const DWORD size = GetFileSize(file, nullptr);
  CloseHandle(file);
  ASSERT_EQ(24u, got);
  EXPECT_EQ(0, memcmp(head, "\x89PNG\r\n\x1A\n", 8));
  const unsigned width = head[16] << 24 | head[17] << 16 | head[18] << 8 | head[19];
  const unsigned height = head[20] << 24 | head[21] << 16 | head[22] << 8 | head[23];
  EXPECT_EQ(unsigned(GetSystemMetrics(SM_CXSCREEN)), width);
  EXPECT_EQ(unsigned(GetSystemMetrics(SM_CYSCREEN)), height);
  EXPECT_GT(size, width * height * 3);  // stored, not compressed
}

}  // namespace
