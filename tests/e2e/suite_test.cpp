// The four programs as one product on a terminal laid out from the install:
// the tray menu's "Extension" opens the real settings program, a supervisor
// changes the preamble and the bulk toggle key there and saves, the wedge
// types the next scan with the new preamble, and the program the Bulkmode
// page registered for the new function key toggles bulk mode.
#include <gtest/gtest.h>

#include "resource.h"
#include "settings_sheet.h"
#include "sim_log.h"
#include "wedge_session.h"

#include <vector>

namespace {

// Save: the next scan has the new preamble and the new function key
// toggles bulk mode. Cancel: everything stays as it was.
TEST(Suite, ExtensionSavesAndTheWedgeAndTheFunctionKeyFollow) {
  const struct {
    bool save;
    const wchar_t* typed;
    const wchar_t* fn8;
  } rows[] = {{true, L"S-ITEM\r\n", L"\\Windows\\SarnuBulk.exe"}, {false, L"ITEM\r\n", L""}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.save ? "Save" : "Cancel");
    WedgeSession session;
    std::string why;
    ASSERT_TRUE(session.Start(
        "laser",
        SessionIni("[BulkScanning]\r\nBulkEnable=1\r\nBulkActivationMode=1\r\n"
                   "BulkToggleKey=0\r\n[BulkCounterWindow]\r\nCounterEnabled=0\r\n"),
        &why))
        << why;
    ASSERT_TRUE(DeployToTerminal());
    HKEY keyboard = nullptr;
    RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"HARDWARE\\DEVICEMAP\\KEYBD", 0, nullptr,
                    REG_OPTION_VOLATILE, KEY_ALL_ACCESS, nullptr, &keyboard, nullptr);
    if (keyboard) {
      RegDeleteValueW(keyboard, L"Fn8LaunchPath");
      RegCloseKey(keyboard);
    }

    // The wedge signals this once its reader is active again.
    HANDLE started = CreateEventW(nullptr, FALSE, FALSE, L"DataReader_Event_Started");
    WaitForSingleObject(started, 0);
    const long since = SimNow();
    PostMessageW(session.Window(), WM_COMMAND, 40005, 0);  // "Extension"
    SettingsSheet sheet;
    ASSERT_TRUE(sheet.Attach(20000)) << "the menu opened no settings program";
    ASSERT_TRUE(WaitForLog("LZRClose", since, 5000)) << "the reader stayed open";
    std::vector<SheetStep> steps = {{Act::kClick, IDC_FILTER_PREAMBLE},
                                    {Act::kType, IDC_FILTER_PREAMBLE_VALUE, L"S-"},
                                    {Act::kPage, 1},
                                    {Act::kSelect, IDC_BULK_TOGGLE_KEY, L"", 1},
                                    {Act::kShot, 0, L"suite-settings-from-the-menu"}};
    if (row.save) {
      steps.push_back({Act::kSave});
      steps.push_back({Act::kAnswer, 0, L"Soft-Reset neccessary", IDNO});
    } else {
      steps.push_back({Act::kCancel});
    }
    ASSERT_TRUE(sheet.Run(steps, &why)) << why;
    ASSERT_TRUE(sheet.Ended());
    const bool active = WaitForSingleObject(started, 10000) == WAIT_OBJECT_0;
    CloseHandle(started);
    ASSERT_TRUE(active) << "the reader did not come back";

    session.Pad().BringForward();
    WedgeSession::Sim(L"scan ITEM");
    session.Pull();
    EXPECT_EQ(row.typed, session.Pad().WaitForText(row.typed, 5000));
    const std::wstring launch = KeyboardLaunchValue(L"Fn8LaunchPath");
    EXPECT_EQ(row.fn8, launch);
    if (row.save) {
      const long toggled = SimNow();
      ASSERT_EQ(0, RunProgram(L"C:" + launch, L"", 10000));
      EXPECT_TRUE(WaitForLog("DvcPlayBuzzer 4 3500 300", toggled, 10000)) << "bulk mode not toggled";
    }
    EXPECT_TRUE(session.Exit());
  }
}

}  // namespace
