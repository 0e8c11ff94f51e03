// The tray menu's Extension and Setting on a simulated terminal: the wedge
// lets go of the reader while the settings program or the reader's set-up
// tool runs (stand-ins here), and comes back with the settings read again.
#include <gtest/gtest.h>

#include <string>

#include "sim_log.h"
#include "standins.h"
#include "wedge_session.h"

namespace {

enum : int { kSetting = 40004, kExtension = 40005 };

class SetupPrograms : public ::testing::Test {
 protected:
  void Start(const char* reader, const std::string& ini = "") {
    std::string why;
    ASSERT_TRUE(session_.Start(reader, SessionIni(ini), &why)) << why;
  }
  void Command(int command) { PostMessageW(session_.Window(), WM_COMMAND, command, 0); }
  // Queues a barcode (none when empty), pulls the trigger and waits for
  // notepad's whole text.
  std::wstring Scan(const std::wstring& barcode, const std::wstring& expected) {
    if (!barcode.empty()) WedgeSession::Sim(L"scan " + barcode);
    session_.Pull();
    return session_.Pad().WaitForText(expected, 5000);
  }

  StandIns standIns_{2500};
  WedgeSession session_;
};

// The menu as a user meets it: a tap on the tray icon, then the arrow keys
// and Enter. The menu runs on the wedge's thread, so the keys go to it.
TEST_F(SetupPrograms, TrayMenuOffersExtensionThenSetting) {
  struct Case {
    int downs;
    const char* started;
  } cases[] = {{1, "SarnuSettings.exe"}, {2, "LZRSet.exe"}};
  ASSERT_NO_FATAL_FAILURE(Start("laser"));
  ASSERT_TRUE(standIns_.Place(L"SarnuSettings.exe") && standIns_.Place(L"LZRSet.exe"));
  std::string expected;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.started);
    PostMessageW(session_.Window(), 0x8064, 1, WM_LBUTTONDOWN);
    HWND menu = WaitForProcessWindow(session_.Process().Id(), L"#32768", nullptr, true, 10000);
    ASSERT_NE(nullptr, menu) << "no popup menu";
    for (int i = 0; i < c.downs; ++i) PostMessageW(menu, WM_KEYDOWN, VK_DOWN, 0);
    PostMessageW(menu, WM_KEYDOWN, VK_RETURN, 0);
    expected += std::string("start ") + c.started + "\nend " + c.started + "\n";
    EXPECT_TRUE(standIns_.WaitForLog(expected, 15000)) << standIns_.Log();
  }
}

// While the settings program runs the reader is closed and the trigger
// types nothing; afterwards the reader is open again under the settings the
// program wrote.
TEST_F(SetupPrograms, ExtensionClosesTheReaderAndReadsTheSettingsAgain) {
  ASSERT_NO_FATAL_FAILURE(Start("laser"));
  ASSERT_TRUE(standIns_.Place(L"SarnuSettings.exe"));
  const long since = SimNow();
  Command(kExtension);
  ASSERT_TRUE(standIns_.WaitForLog("start SarnuSettings.exe\n", 10000));
  EXPECT_TRUE(WaitForLog("LZRClose", since, 5000));
  ASSERT_TRUE(WriteWholeFile(WedgeIniPath(), SessionIni("[Filter]\r\nPreambleEnable=1\r\n"
                                                        "Preamble=NEW-\r\n")));
  WedgeSession::Sim(L"scan DURING");
  session_.Pull();
  ASSERT_TRUE(standIns_.WaitForLog("start SarnuSettings.exe\nend SarnuSettings.exe\n", 10000));
  ASSERT_TRUE(WaitForLog("LZROpen 0 0", since, 10000)) << "the reader did not come back";
  EXPECT_EQ(0, Count(SimLogSince(since), "LZRStartScanning 3000"));
  EXPECT_EQ(L"", session_.Pad().Text()) << "a pull while the program ran was read";
  EXPECT_EQ(L"NEW-DURING\r\n", Scan(L"", L"NEW-DURING\r\n"));
  // The file the program wrote is also a change to SARNU.INI: taken once.
  Sleep(1000);
  EXPECT_EQ(1, Count(SimLogSince(since), "LZROpen 0 0")) << "the new file was read twice";
}

TEST_F(SetupPrograms, SecondExtensionIsServedOnlyAfterTheFirstProgramEnded) {
  ASSERT_NO_FATAL_FAILURE(Start("laser"));
  ASSERT_TRUE(standIns_.Place(L"SarnuSettings.exe"));
  Command(kExtension);
  Command(kExtension);
  EXPECT_TRUE(standIns_.WaitForLog(
      "start SarnuSettings.exe\nend SarnuSettings.exe\nstart SarnuSettings.exe\n"
      "end SarnuSettings.exe\n",
      20000))
      << standIns_.Log();
}

// Setting starts the tool of the terminal's reader; a tool that is missing
// still gives the reader back.
TEST_F(SetupPrograms, SettingStartsTheReadersToolAndTheTriggerWorksAfterwards) {
  struct Case {
    const char* reader;
    const wchar_t* placed;  // null: no tool on the terminal
    const char* log;
    const char* reopened;
    const wchar_t* barcode;  // as queued
  } cases[] = {
      {"laser", L"LZRSet.exe", "start LZRSet.exe\nend LZRSet.exe\n", "LZROpen 0 0", L"AFTER"},
      {"imager", L"PIXSet.exe", "start PIXSet.exe\nend PIXSet.exe\n", "PixOpen",
       L"--symbology A AFTER"},
      {"laser", nullptr, "", "LZROpen 0 0", L"AFTER"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.reader) + (c.placed ? "" : " without its tool"));
    StandIns standIns(1500);
    if (c.placed) {
      ASSERT_TRUE(standIns.Place(c.placed) && standIns.Place(L"PIXSet.exe"));
    }
    ASSERT_NO_FATAL_FAILURE(Start(c.reader));
    const long since = SimNow();
    Command(kSetting);
    EXPECT_TRUE(standIns.WaitForLog(c.log, 15000)) << standIns.Log();
    EXPECT_TRUE(WaitForLog(c.reopened, since, 15000)) << "the reader did not come back";
    EXPECT_EQ(L"AFTER\r\n", Scan(c.barcode, L"AFTER\r\n"));
    session_.Pad().Clear();
    ASSERT_TRUE(session_.Exit());
  }
}

// No reader, no tool to start; the wedge answers on and exits as usual.
TEST(SetupProgramsWithoutReader, SettingStartsNothing) {
  StandIns standIns(1000);
  ASSERT_TRUE(standIns.Place(L"LZRSet.exe") && standIns.Place(L"PIXSet.exe"));
  ASSERT_TRUE(PrepareTerminal("none", SessionIni("")));
  Program wedge;
  ASSERT_TRUE(wedge.Start(L"Sarnu.exe"));
  HWND window = WaitForProcessWindow(wedge.Id(), L"Sarnu", L"Sarnu", false, 20000);
  ASSERT_NE(nullptr, window);
  PostMessageW(window, WM_COMMAND, kSetting, 0);
  Sleep(1500);
  DWORD_PTR unused = 0;
  EXPECT_TRUE(SendMessageTimeoutW(window, WM_NULL, 0, 0, 0, 5000, &unused));
  EXPECT_EQ("", standIns.Log());
  PostMessageW(window, WM_COMMAND, 40002, 0);
  DWORD code = 99;
  EXPECT_TRUE(wedge.WaitForExit(10000, &code) && code == 0);
}

}  // namespace
