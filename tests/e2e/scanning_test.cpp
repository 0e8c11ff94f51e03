// A worker pulls the trigger: the real wedge on a simulated laser or imager
// terminal, trigger keys as real key events, and the text that arrives in
// notepad: one barcode per press, the FNC1 rules, the filters and the
// clipboard from SARNU.INI, profiles by the program in front and the
// barcode's type, a new SARNU.INI taken while the wedge runs, and camera
// mode's framing until the next start.
#include <gtest/gtest.h>

#include <string>

#include "e2e_support.h"
#include "key_sink.h"
#include "reader_client.h"
#include "settings_sheet.h"
#include "sim_log.h"
#include "wedge_session.h"

namespace {

const char kNoFilter[] = "";

class Scanning : public ::testing::Test {
 protected:
  void Start(const char* reader, const std::string& extraIni = kNoFilter) {
    std::string why;
    ASSERT_TRUE(session_.Start(reader, SessionIni(extraIni), &why)) << why;
  }
  static void Queue(const std::wstring& arguments) {
    ASSERT_TRUE(WedgeSession::Sim(L"scan " + arguments));
  }
  std::wstring Typed(const std::wstring& expected, DWORD timeoutMs = 5000) {
    return session_.Pad().WaitForText(expected, timeoutMs);
  }

  WedgeSession session_;
};

TEST_F(Scanning, LaserReadsOneBarcodePerPressAndStopsByItself) {
  ASSERT_NO_FATAL_FAILURE(Start("laser"));
  Queue(L"4006381333931 SECOND");
  const long since = SimNow();
  session_.Press();
  EXPECT_EQ(L"4006381333931\r\n", Typed(L"4006381333931\r\n"));
  // The wedge ended the scan after the first read; the second barcode waits.
  EXPECT_TRUE(WedgeSession::WaitScanning(false));
  session_.Release();
  Sleep(300);
  EXPECT_EQ(L"4006381333931\r\n", session_.Pad().Text());
  const std::vector<LogLine> log = SimLogSince(since);
  EXPECT_EQ(1, Count(log, "LZRStartScanning 3000"));
  EXPECT_EQ(1, Count(log, "DvcPlayBuzzer 3 0 0")) << "no good-read beep";

  session_.Press();
  EXPECT_EQ(L"4006381333931\r\nSECOND\r\n", Typed(L"4006381333931\r\nSECOND\r\n"));
  session_.Release();
  EXPECT_TRUE(WaitForLog("DvcPlayBuzzer 3 0 0", since, 5000));
  EXPECT_EQ(2, Count(SimLogSince(since), "DvcPlayBuzzer 3 0 0")) << "one beep per barcode";
}

// The signal's last status says something else (a quick release's stop
// came first, here a failing status call): the read the library holds is
// typed all the same, not left for the next pull.
TEST_F(Scanning, LaserReadIsTakenWhateverTheLastEventStatusSays) {
  ASSERT_NO_FATAL_FAILURE(Start("laser"));
  ASSERT_TRUE(WedgeSession::Sim(L"fail LZRGetLastEventStatus -1 --once"));
  Queue(L"STRANDED");
  session_.Press();
  EXPECT_EQ(L"STRANDED\r\n", Typed(L"STRANDED\r\n"));
  session_.Release();
}

// A held trigger repeats its key-down; the repeat is no new pull, so the
// barcode still waiting is not read until the trigger is pulled again.
TEST_F(Scanning, KeyRepeatOfAHeldTriggerReadsNoSecondBarcode) {
  ASSERT_NO_FATAL_FAILURE(Start("laser"));
  Queue(L"HELD1 HELD2");
  session_.Press();
  EXPECT_EQ(L"HELD1\r\n", Typed(L"HELD1\r\n"));
  ASSERT_TRUE(WedgeSession::WaitScanning(false));
  session_.Press();
  session_.Press();
  Sleep(500);
  EXPECT_EQ(L"HELD1\r\n", session_.Pad().Text()) << "a key repeat read again";
  session_.Release();
  session_.Press();
  EXPECT_EQ(L"HELD1\r\nHELD2\r\n", Typed(L"HELD1\r\nHELD2\r\n"));
  session_.Release();
}

TEST_F(Scanning, LaserReleaseWithoutABarcodeStopsTheScan) {
  ASSERT_NO_FATAL_FAILURE(Start("laser"));
  const long since = SimNow();
  session_.Press();
  ASSERT_TRUE(WedgeSession::WaitScanning(true));
  session_.Release();
  EXPECT_TRUE(WedgeSession::WaitScanning(false, 2000)) << "still scanning after the release";
  EXPECT_TRUE(WaitForLog("LZRStopScanning", since, 5000));
  EXPECT_EQ(L"", session_.Pad().Text());
}

TEST_F(Scanning, LaserType512LosesItsLeadingGroupSeparator) {
  ASSERT_NO_FATAL_FAILURE(Start("laser"));
  Queue(L"--type 512 \\x1D0112345");
  session_.Press();
  EXPECT_EQ(L"0112345\r\n", Typed(L"0112345\r\n"));
  session_.Release();
}

// An empty replacement ends a GS1 text at its first FNC1; a NUL the barcode
// carries ends it too. Both are typed up to there, as the preview shows, and
// each is followed by its suffix, which the reader appended behind the whole
// read.
TEST_F(Scanning, TextEndsAtAnEmptiedFnc1OrANul) {
  ASSERT_NO_FATAL_FAILURE(Start("laser", "[Filter]\r\nReplaceFNC1Enable=1\r\nReplaceFNC1=\r\n"));
  Queue(L"--type 512 \\x1D0112345\\x1D10AB");
  session_.Pull();
  Queue(L"12\\x00345");
  session_.Pull();
  EXPECT_EQ(L"0112345\r\n12\r\n", Typed(L"0112345\r\n12\r\n"));
}

TEST_F(Scanning, ImagerDecodesOnceAndTheNextBarcodeWaitsForTheNextPress) {
  ASSERT_NO_FATAL_FAILURE(Start("imager"));
  // A pull let go at once and pulled again: the first decode, winding down,
  // must not end the second.
  const long pulled = SimNow();
  session_.Press();
  ASSERT_TRUE(WaitForLog("PixDecode 3000", pulled, 5000));
  session_.Release();
  session_.Press();
  Queue(L"--symbology A FIRST SECOND");
  EXPECT_EQ(L"FIRST\r\n", Typed(L"FIRST\r\n"));
  Sleep(500);
  EXPECT_EQ(L"FIRST\r\n", session_.Pad().Text()) << "a second decode without a press";
  const long since = SimNow();
  session_.Release();
  EXPECT_TRUE(WaitForLog("PixCancelDecode", since, 5000));
  session_.Press();
  EXPECT_EQ(L"FIRST\r\nSECOND\r\n", Typed(L"FIRST\r\nSECOND\r\n"));
  session_.Release();
}

// Aimer mode: the press only aims (a scan without time-out in the narrow
// aimer setting), the release switches the reader back and scans for real,
// and after the read the aimer comes back for the next press.
TEST_F(Scanning, AimerModeAimsOnThePressAndReadsOnTheRelease) {
  ASSERT_NO_FATAL_FAILURE(Start("laser", "[OtherSettings]\r\nAimerMode=1\r\nAimerWidth=1\r\n"));
  const long since = SimNow();
  session_.Press();
  ASSERT_TRUE(WedgeSession::WaitScanning(true));
  session_.Release();
  Queue(L"AIMED");
  EXPECT_EQ(L"AIMED\r\n", Typed(L"AIMED\r\n"));
  // Back to aiming once the read is in.
  EXPECT_TRUE(PollUntil([&] { return Count(SimLogSince(since), "LZRSetFocus 0") > 0; }, 5000));
  std::vector<std::string> calls;
  for (const LogLine& l : SimLogSince(since)) {
    if (l.text.rfind("LZRStartScanning", 0) == 0 || l.text.rfind("LZRStopScanning", 0) == 0 ||
        l.text.rfind("LZRSetFocus", 0) == 0 || l.text.rfind("LZRSetSwingAngle", 0) == 0) {
      calls.push_back(l.text);
    }
  }
  const std::vector<std::string> expected = {
      "LZRStartScanning 0",    "LZRStopScanning", "LZRSetFocus 1", "LZRSetSwingAngle 2",
      "LZRStartScanning 3000", "LZRStopScanning", "LZRSetFocus 0", "LZRSetSwingAngle 2"};
  EXPECT_EQ(expected, calls);
}

TEST_F(Scanning, HotKeyTriggersLikeTheHook) {
  ASSERT_NO_FATAL_FAILURE(Start("laser"));
  Queue(L"HOTKEY1");
  // Identifier 8 and above belongs to somebody else: no scan.
  PostMessageW(session_.Window(), WM_HOTKEY, 8, MAKELPARAM(0, kTriggerKey));
  Sleep(300);
  EXPECT_EQ(L"", session_.Pad().Text());
  PostMessageW(session_.Window(), WM_HOTKEY, 1, MAKELPARAM(0, kTriggerKey));
  EXPECT_EQ(L"HOTKEY1\r\n", Typed(L"HOTKEY1\r\n"));
  PostMessageW(session_.Window(), WM_HOTKEY, 1, MAKELPARAM(0x1000, kTriggerKey));
}

// Range first (characters 1 to 8), then the leading zeros, then upper case,
// then the preamble with its escaped Tab.
TEST_F(Scanning, FiltersFromTheSettingsFileShapeTheText) {
  ASSERT_NO_FATAL_FAILURE(
      Start("laser",
            "[Filter]\r\nPreambleEnable=1\r\nPreamble=IN\\t\r\nSendRangeEnable=1\r\n"
            "SendRangeStart=1\r\nSendRangeEnd=8\r\nStripLeadingEnable=1\r\nStripLeading=0\r\n"
            "ModifyCaseEnable=1\r\nModifyCaseMode=1\r\n"));
  Queue(L"000abc123xyz");
  session_.Press();
  EXPECT_EQ(L"IN\tABC12\r\n", Typed(L"IN\tABC12\r\n"));
  session_.Release();
}

TEST_F(Scanning, ClipboardOutputPastesTheTextAndTypesTheSuffix) {
  session_.presets = {L"buffer-type 3", L"suffix-code 3"};
  ASSERT_NO_FATAL_FAILURE(Start("laser"));
  Queue(L"PASTE42");
  session_.Press();
  EXPECT_EQ(L"PASTE42\t", Typed(L"PASTE42\t"));
  session_.Release();
}

// The same settings file formats a barcode by the program in front (this
// test program's own window against notepad) and by its type; a profile
// for type 512 takes that kind alone.
TEST_F(Scanning, ProfilesFollowTheProgramInFrontAndTheBarcodesType) {
  ASSERT_NO_FATAL_FAILURE(Start("laser",
                                "[Filter]\r\nPreambleEnable=1\r\nPreamble=MAIN:\r\n"
                                "[Profile.Tests]\r\nPrograms=wms.exe; E2E_TESTS.EXE\r\n"
                                "Preamble=SINK:\r\nModifyCaseEnable=1\r\nModifyCaseMode=1\r\n"
                                "[Profile.GS1]\r\nTypes=512\r\nPreamble=GS1:\r\n"));
  Queue(L"pad1");
  session_.Pull();
  Queue(L"--type 512 0112345");
  session_.Pull();
  EXPECT_EQ(L"MAIN:pad1\r\nGS1:0112345\r\n", Typed(L"MAIN:pad1\r\nGS1:0112345\r\n"));
  KeySink sink;
  ASSERT_TRUE(sink.Open());
  Queue(L"sink1");
  session_.Pull();
  ASSERT_TRUE(sink.WaitForLength(10, 5000)) << "the sink got nothing";
  EXPECT_EQ(0u, sink.Text().find(L"SINK:SINK1\r"));
}

// A new SARNU.INI dropped over the old one is taken while the wedge runs,
// at the next barcode and with no restart; a file that is no settings file
// leaves the settings in force, and a copy that pauses halfway waits for its
// rest; one that comes during a bulk run is taken after the run, whose
// barcodes are typed once each. A reload hands the power-on keys on, and
// starts the scan log that the first file had not asked for.
TEST_F(Scanning, NewSettingsFileIsTakenWhileTheWedgeRuns) {
  const std::wstring log = L"C:\\Windows\\RELOADED.CSV";
  DeleteFileW(log.c_str());
  const auto ini = [](const char* preamble) {
    const std::string logged =
        preamble[0] == 'A' ? "" : "ScanLog=1\r\nScanLogPath=\\Windows\\RELOADED.CSV\r\n";
    return "[BulkScanning]\r\nBulkEnable=1\r\nBulkActivationMode=0\r\n"
           "BulkScannedListClearAfter=0\r\n[BulkCounterWindow]\r\nCounterEnabled=0\r\n"
           "[OtherSettings]\r\n" +
           logged + "[Filter]\r\nPreambleEnable=1\r\nPreamble=" + std::string(preamble) + "\r\n";
  };
  ASSERT_NO_FATAL_FAILURE(Start("laser", ini("A:")));
  std::wstring typed;
  // A barcode queued (and pulled for, unless the trigger is held) is typed.
  const auto scan = [&](const wchar_t* barcode, const wchar_t* expected, bool pull = true) {
    Queue(barcode);
    if (pull) session_.Pull();
    typed += expected;
    ASSERT_EQ(typed, Typed(typed));
  };
  // A new file: whether the reader shows `call` within `waitMs`.
  const auto drop = [&](const std::string& text, const char* call, DWORD waitMs) {
    const long since = SimNow();
    EXPECT_TRUE(WriteWholeFile(WedgeIniPath(), text));
    return WaitForLog(call, since, waitMs);
  };
  ASSERT_NO_FATAL_FAILURE(scan(L"X", L"A:X\r\n"));
  const char kTaken[] = "DvcSetBootup 0x0";
  ASSERT_TRUE(drop(SessionIni(ini("B:")), kTaken, 10000)) << "the new file was not taken";
  ASSERT_NO_FATAL_FAILURE(scan(L"Y", L"B:Y\r\n"));
  EXPECT_TRUE(PollUntil(
      [&] { return ReadWholeFile(log).find(",typed,1,Y\r\n") != std::string::npos; }, 5000))
      << "the scan log did not start: " << ReadWholeFile(log);
  EXPECT_EQ(std::string::npos, ReadWholeFile(log).find(",1,X\r\n"));
  EXPECT_FALSE(drop("half a file, no section", kTaken, 1500)) << "a file without settings";
  ASSERT_NO_FATAL_FAILURE(scan(L"Z", L"B:Z\r\n"));
  const std::string whole = SessionIni(ini("B:"));
  EXPECT_FALSE(drop(whole.substr(0, whole.find("[Filter]")), kTaken, 1500)) << "half a copy";
  ASSERT_TRUE(drop(whole, kTaken, 10000)) << "the copy's rest was not waited for";

  session_.Press();
  ASSERT_NO_FATAL_FAILURE(scan(L"P1", L"B:P1\r\n", false));
  EXPECT_FALSE(drop(SessionIni(ini("C:")), kTaken, 1500)) << "taken during a bulk run";
  ASSERT_NO_FATAL_FAILURE(scan(L"P2", L"B:P2\r\n", false));
  const long released = SimNow();
  session_.Release();
  ASSERT_TRUE(WaitForLog(kTaken, released, 10000)) << "not taken after the run";
  ASSERT_NO_FATAL_FAILURE(scan(L"Q", L"C:Q\r\n"));

  // A reader that a client stopped stays stopped; its start reads the file.
  ReaderClient client;
  ASSERT_TRUE(client.Complete());
  client.ResetStates();
  SetEvent(client.request[ReaderClient::kStop]);
  ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(client.state[ReaderClient::kStop], 20000));
  EXPECT_FALSE(drop(SessionIni(ini("D:")), kTaken, 1500)) << "taken by a stopped reader";
}

TEST_F(Scanning, CameraModeFramesTheNextBarcodeUntilTheNextStart) {
  ASSERT_NO_FATAL_FAILURE(Start("laser",
                                "[Filter]\r\nPreambleEnable=1\r\nPreamble=<\r\n"
                                "ModifyCaseEnable=1\r\nModifyCaseMode=1\r\n"));
  HANDLE camMode = CreateEventW(nullptr, FALSE, FALSE, L"DataReader_Event_CamMode");
  HANDLE camActive = CreateEventW(nullptr, FALSE, FALSE, L"DataReader_Event_CamModeActive");
  HANDLE start = CreateEventW(nullptr, FALSE, FALSE, L"DataReader_Event_Start");
  ASSERT_TRUE(camMode && camActive && start);
  ResetEvent(camActive);
  SetEvent(camMode);
  ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(camActive, 20000));
  Queue(L"cam1");
  session_.Press();
  EXPECT_EQ(L"[[[cam1]]]", Typed(L"[[[cam1]]]"));
  session_.Release();

  // A start while the reader is open signals nothing; its activation shows
  // in the device log.
  const long since = SimNow();
  SetEvent(start);
  ASSERT_TRUE(WaitForLog("DvcSetBootup 0x0", since, 20000));
  Sleep(200);
  Queue(L"cam2");
  session_.Press();
  EXPECT_EQ(L"[[[cam1]]]<CAM2\r\n", Typed(L"[[[cam1]]]<CAM2\r\n"));
  session_.Release();
  for (HANDLE h : {camMode, camActive, start}) CloseHandle(h);
}

}  // namespace
