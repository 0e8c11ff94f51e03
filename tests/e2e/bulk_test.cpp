// Bulk collection as the worker sees it: the real wedge in bulk mode on a
// simulated laser, the trigger held or toggled, and what notepad receives:
// duplicates, other types and other lengths refused, the limit, a run
// continued by a quick press, a short run forgotten at once, and the
// counter window with its screenshots.
#include <gtest/gtest.h>

#include <string>

#include "e2e_support.h"
#include "sim_feed.h"
#include "key_sink.h"
#include "reader_client.h"
#include "sim_log.h"
#include <vector>
#include "wedge_session.h"

namespace {

// Bulk always on, the counter off unless a test asks for it.
std::string BulkSettings(const std::string& bulkKeys, const std::string& counterKeys = "") {
  return "[BulkScanning]\r\nBulkEnable=1\r\nBulkActivationMode=0\r\n" + bulkKeys +
         "[BulkCounterWindow]\r\n" + (counterKeys.empty() ? "CounterEnabled=0\r\n" : counterKeys);
}

class Bulk : public ::testing::Test {
 protected:
  void Start(const std::string& bulkKeys, const std::string& counterKeys = "",
             const char* reader = "laser") {
    std::string why;
    ASSERT_TRUE(session_.Start(reader, SessionIni(BulkSettings(bulkKeys, counterKeys)), &why))
        << why;
  }
  static void Queue(const std::wstring& arguments) {
    ASSERT_TRUE(WedgeSession::Sim(L"scan " + arguments));
  }
  // Waits until the reader has delivered everything queued and the wedge
  // has typed `expected`.
  std::wstring Typed(const std::wstring& expected, DWORD timeoutMs = 8000) {
    WedgeSession::Sim(L"wait queue-empty --timeout " + std::to_wstring(timeoutMs));
    return session_.Pad().WaitForText(expected, timeoutMs);
  }
  // Nothing more arrives for a while.
  void StaysAt(const std::wstring& expected) {
    Sleep(700);
    EXPECT_EQ(expected, session_.Pad().Text());
  }

  WedgeSession session_;
};

TEST_F(Bulk, HeldTriggerRefusesDuplicatesOtherTypesAndOtherLengths) {
  ASSERT_NO_FATAL_FAILURE(Start("BulkSameType=1\r\nBulkSameLength=1\r\n"));
  Queue(L"--type 3 AAAA1111 AAAA1111 AAAA11112222");
  Queue(L"--type 5 BBBB2222");
  Queue(L"--type 3 CCCC3333");
  const long since = SimNow();
  session_.Press();
  EXPECT_EQ(L"AAAA1111\r\nCCCC3333\r\n", Typed(L"AAAA1111\r\nCCCC3333\r\n"));
  // Held: the scan goes on without a time-out until the release.
  EXPECT_EQ(1, Count(SimLogSince(since), "LZRStartScanning 0"));
  session_.Release();
  EXPECT_TRUE(WedgeSession::WaitScanning(false, 3000));
  StaysAt(L"AAAA1111\r\nCCCC3333\r\n");
}

TEST_F(Bulk, WithoutTypeAndLengthRulesOnlyDuplicatesAreRefused) {
  ASSERT_NO_FATAL_FAILURE(Start("BulkSameType=0\r\nBulkSameLength=0\r\n"));
  Queue(L"--type 3 ONE TWO22");
  Queue(L"--type 9 ONE THREE333");
  session_.Press();
  EXPECT_EQ(L"ONE\r\nTWO22\r\nTHREE333\r\n", Typed(L"ONE\r\nTWO22\r\nTHREE333\r\n"));
  session_.Release();
}

TEST_F(Bulk, LimitStopsTheScanAndLaterPressesWaitForTheClear) {
  ASSERT_NO_FATAL_FAILURE(
      Start("BulkLimitEnable=1\r\nBulkLimit=3\r\nBulkScannedListClearAfter=2\r\n"
            "BulkScannedListClearImmediatelyUpto=1\r\nBulkSameLength=0\r\n"));
  Queue(L"L1 L2 L3 L4");
  session_.Press();
  EXPECT_EQ(L"L1\r\nL2\r\nL3\r\n", session_.Pad().WaitForText(L"L1\r\nL2\r\nL3\r\n", 8000));
  // Stopped by the limit with the trigger still held; L4 stays queued.
  EXPECT_TRUE(WedgeSession::WaitScanning(false, 3000));
  session_.Release();
  const long since = SimNow();
  session_.Press();
  session_.Release();
  StaysAt(L"L1\r\nL2\r\nL3\r\n");
  EXPECT_EQ(0, Count(SimLogSince(since), "LZRStartScanning 0")) << "a press at the limit scanned";
  // After BulkScannedListClearAfter the run is forgotten: presses scan again.
  Sleep(2000);
  session_.Press();
  EXPECT_EQ(L"L1\r\nL2\r\nL3\r\nL4\r\n", Typed(L"L1\r\nL2\r\nL3\r\nL4\r\n"));
  session_.Release();
}

// The imager decodes ahead of the window that counts: what it read after the
// limit ended the run is not typed, also when the list is forgotten at once.
TEST_F(Bulk, ImagerStopsAtTheLimitThoughItDecodedAhead) {
  ASSERT_NO_FATAL_FAILURE(Start("BulkLimitEnable=1\r\nBulkLimit=3\r\nBulkScannedListClearAfter=0\r\n"
                                "BulkSameLength=0\r\n", "", "imager"));
  session_.Press();
  Queue(L"--symbology A M1 M2 M3 M4 M5");
  EXPECT_EQ(L"M1\r\nM2\r\nM3\r\n", session_.Pad().WaitForText(L"M1\r\nM2\r\nM3\r\n", 8000));
  StaysAt(L"M1\r\nM2\r\nM3\r\n");
  session_.Release();
}

TEST_F(Bulk, QuickPressContinuesTheRunAndALaterOneStartsAfresh) {
  ASSERT_NO_FATAL_FAILURE(
      Start("BulkScannedListClearAfter=3\r\nBulkScannedListClearImmediatelyUpto=1\r\n"
            "BulkSameLength=0\r\n"));
  Queue(L"R1 R2");
  session_.Press();
  ASSERT_EQ(L"R1\r\nR2\r\n", Typed(L"R1\r\nR2\r\n"));
  session_.Release();
  // Within the three seconds: same run, R1 is still known.
  Queue(L"R1 R3");
  session_.Press();
  EXPECT_EQ(L"R1\r\nR2\r\nR3\r\n", Typed(L"R1\r\nR2\r\nR3\r\n"));
  session_.Release();
  StaysAt(L"R1\r\nR2\r\nR3\r\n");
  // Past the three seconds without a press: the list is gone.
  Sleep(3500);
  Queue(L"R1");
  session_.Press();
  EXPECT_EQ(L"R1\r\nR2\r\nR3\r\nR1\r\n", Typed(L"R1\r\nR2\r\nR3\r\nR1\r\n"));
  session_.Release();
}

TEST_F(Bulk, RunUpToClearImmediatelyIsForgottenAtOnce) {
  ASSERT_NO_FATAL_FAILURE(
      Start("BulkScannedListClearAfter=9\r\nBulkScannedListClearImmediatelyUpto=1\r\n"));
  Queue(L"SOLO");
  session_.Press();
  ASSERT_EQ(L"SOLO\r\n", Typed(L"SOLO\r\n"));
  session_.Release();
  EXPECT_TRUE(WedgeSession::WaitScanning(false, 3000));
  Sleep(300);
  Queue(L"SOLO");
  session_.Press();
  EXPECT_EQ(L"SOLO\r\nSOLO\r\n", Typed(L"SOLO\r\nSOLO\r\n"));
  session_.Release();
}

TEST_F(Bulk, ToggleModeStartsOnOnePressAndStopsOnTheNext) {
  ASSERT_NO_FATAL_FAILURE(Start("BulkTriggerMode=1\r\nBulkSameLength=0\r\n"));
  session_.Press();
  // The key repeats while held; a repeat is not the second pull.
  session_.Press();
  session_.Release();
  ASSERT_TRUE(WedgeSession::WaitScanning(true, 3000));
  Sleep(300);
  EXPECT_TRUE(WedgeSession::WaitScanning(true, 100)) << "a repeat or the release stopped it";
  Queue(L"T1 T2 T1");
  EXPECT_EQ(L"T1\r\nT2\r\n", Typed(L"T1\r\nT2\r\n"));
  session_.Press();
  session_.Release();
  EXPECT_TRUE(WedgeSession::WaitScanning(false, 3000));
}

// A new SARNU.INI that changes no key the reader holds: the reader stays
// open, bulk mode toggled on stays on, and no client hears of a state change.
TEST_F(Bulk, NewSettingsFileKeepsToggledBulkModeAndTheReaderOpen) {
  const auto ini = [](const char* preamble) {
    return SessionIni("[BulkScanning]\r\nBulkEnable=1\r\nBulkActivationMode=1\r\n"
                      "[BulkCounterWindow]\r\nCounterEnabled=0\r\n[Filter]\r\n"
                      "PreambleEnable=1\r\nPreamble=" + std::string(preamble) + "\r\n");
  };
  std::string why;
  ASSERT_TRUE(session_.Start("laser", ini("A:"), &why)) << why;
  Sleep(500);  // the toggle listener starts after the first activation
  HANDLE toggle = CreateEventW(nullptr, FALSE, FALSE, L"SarnuBulkEvent");
  long since = SimNow();
  SetEvent(toggle);
  CloseHandle(toggle);
  ASSERT_TRUE(PollUntil(
      [&] { return Calls(SimLogSince(since), {"DvcSetLED"}).find(" -1 1 1") != std::string::npos; },
      10000)) << "bulk mode did not come on";
  ReaderClient client;
  ASSERT_TRUE(client.Complete());
  client.ResetStates();
  since = SimNow();
  ASSERT_TRUE(WriteWholeFile(WedgeIniPath(), ini("B:")));
  ASSERT_TRUE(WaitForLog("DvcSetBootup 0x0", since, 10000)) << "the new file was not taken";
  EXPECT_EQ("", Calls(SimLogSince(since), {"LZRClose", "DvcSetLED"}));
  EXPECT_FALSE(client.IsSet(ReaderClient::kStart) || client.IsSet(ReaderClient::kStop));
  Queue(L"D1 D1 D2");
  session_.Press();
  EXPECT_EQ(L"B:D1\r\nB:D2\r\n", Typed(L"B:D1\r\nB:D2\r\n"));
  session_.Release();
}

// The imager decodes on without a time-out while the trigger is held; every
// barcode goes through the main window's thread, duplicates refused there.
TEST_F(Bulk, HeldTriggerOnTheImagerDecodesUntilTheRelease) {
  ASSERT_NO_FATAL_FAILURE(Start("BulkSameType=1\r\nBulkSameLength=1\r\n", "", "imager"));
  const long since = SimNow();
  session_.Press();
  Queue(L"--symbology A IMG00001 IMG00002 IMG00001 IMG00003");
  EXPECT_EQ(L"IMG00001\r\nIMG00002\r\nIMG00003\r\n",
            Typed(L"IMG00001\r\nIMG00002\r\nIMG00003\r\n"));
  const std::vector<LogLine> log = SimLogSince(since);
  EXPECT_GE(Count(log, "PixDecode -1"), 3) << "bulk decodes wait without a time-out";
  EXPECT_EQ(0, Count(log, "PixDecode 3000"));
  session_.Release();
  EXPECT_TRUE(WaitForLog("PixCancelDecode", since, 5000));
  Queue(L"--symbology A IMG00004");
  StaysAt(L"IMG00001\r\nIMG00002\r\nIMG00003\r\n");
}

// ---- the counter window ----------------------------------------------------

HWND CounterOf(const WedgeSession& session, DWORD timeoutMs) {
  return WaitForProcessWindow(session.Process().Id(), L"#32770", nullptr, true, timeoutMs);
}

void CounterScenario(WedgeSession& session, const wchar_t* shot) {
  // Appears with the second barcode, counts, and after the run its bar runs
  // two seconds; closing in mode 0 forgets the list.
  EXPECT_EQ(nullptr, CounterOf(session, 0));
  WedgeSession::Sim(L"scan C1");
  session.Press();
  EXPECT_EQ(L"C1\r\n", session.Pad().WaitForText(L"C1\r\n", 5000));
  Sleep(300);
  EXPECT_EQ(nullptr, CounterOf(session, 0)) << "counter before the second barcode";
  WedgeSession::Sim(L"scan C2 C3");
  EXPECT_EQ(L"C1\r\nC2\r\nC3\r\n", session.Pad().WaitForText(L"C1\r\nC2\r\nC3\r\n", 5000));
  HWND counter = CounterOf(session, 3000);
  ASSERT_TRUE(counter) << "no counter window";
  EXPECT_TRUE(GetWindowLongW(counter, GWL_EXSTYLE) & WS_EX_TOPMOST);
  EXPECT_EQ(session.Pad().Frame(), GetForegroundWindow()) << "the counter took the focus";
  Sleep(500);
  EXPECT_FALSE(SaveScreenshot(shot).empty());
  session.Release();
  EXPECT_TRUE(PollUntil([&] { return !IsWindow(counter); }, 6000)) << "counter never closed";
  // The countdown's end forgot the list: C1 is new again.
  WedgeSession::Sim(L"scan C1");
  session.Press();
  EXPECT_EQ(L"C1\r\nC2\r\nC3\r\nC1\r\n",
            session.Pad().WaitForText(L"C1\r\nC2\r\nC3\r\nC1\r\n", 5000));
  session.Release();
}

const char kCounterBulk[] =
    "BulkScannedListClearAfter=2\r\nBulkScannedListClearImmediatelyUpto=1\r\nBulkSameLength=0\r\n";

TEST_F(Bulk, SolidCounterShowsTheCountAndClosesAfterItsBar) {
  ASSERT_NO_FATAL_FAILURE(Start(kCounterBulk,
                                "CounterEnabled=1\r\nCounterEnabledAfterScans=2\r\n"
                                "CounterCloseMode=0\r\nCounterType=0\r\n"));
  CounterScenario(session_, L"counter-solid");
}

TEST_F(Bulk, TransparentCounterShowsOnlyItsDigits) {
  ASSERT_NO_FATAL_FAILURE(Start(kCounterBulk,
                                "CounterEnabled=1\r\nCounterEnabledAfterScans=2\r\n"
                                "CounterCloseMode=0\r\nCounterType=1\r\n"));
  CounterScenario(session_, L"counter-transparent");
}

}  // namespace

namespace {

// A run's end must forget the list even while the run's own scan is still
// marked as running: with clear-after 0 the forget timer runs out before the
// release has stopped the scan, and a stop that fails leaves it marked.
// A run ended from outside (a DataReader client's Stop or camera mode, then
// Start) is forgotten as a released one is, and the next key-down is a new
// pull though the wedge never saw the key go up.
TEST_F(Bulk, TheNextRunTypesTheSameBarcodesAgain) {
  const struct {
    const char* name;
    const wchar_t* fault;  // simterm fail arguments before the first release
    std::vector<int> requests;  // instead of the release: these requests, in turn
  } rows[] = {{"clear-after 0", nullptr, {}},
              {"a failing stop", L"LZRStopScanning -3 --once", {}},
              {"a DataReader Stop", nullptr, {ReaderClient::kStop, ReaderClient::kStart}},
              {"camera mode", nullptr,
               {ReaderClient::kCamMode, ReaderClient::kStop, ReaderClient::kStart}}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    ASSERT_NO_FATAL_FAILURE(Start("BulkScannedListClearAfter=0\r\n"
                                  "BulkScannedListClearImmediatelyUpto=1\r\nBulkSameLength=0\r\n"));
    Queue(L"NEXT1 NEXT2");
    session_.Press();
    ASSERT_EQ(L"NEXT1\r\nNEXT2\r\n", Typed(L"NEXT1\r\nNEXT2\r\n"));
    if (row.fault) {
      ASSERT_TRUE(WedgeSession::Sim(std::wstring(L"fail ") + row.fault));
    }
    ReaderClient client;
    for (int request : row.requests) {
      client.ResetStates();
      SetEvent(client.request[request]);
      ASSERT_EQ(WaitForSingleObject(client.state[request], 20000), WAIT_OBJECT_0);
    }
    if (row.requests.empty()) session_.Release();
    Sleep(500);
    // After a failed stop the next release stops the scan for good.
    if (row.fault) session_.Pull(200);
    Queue(L"NEXT1 NEXT2");
    session_.Press();
    EXPECT_EQ(L"NEXT1\r\nNEXT2\r\nNEXT1\r\nNEXT2\r\n", Typed(L"NEXT1\r\nNEXT2\r\nNEXT1\r\nNEXT2\r\n"));
    session_.Release();
    EXPECT_TRUE(session_.Exit());
  }
}

// Exit with a long backlog queued: the wedge ends at once with 0 and types
// nothing more, also in the middle of a long barcode's KeyDelay pauses.
// Typed into the key sink, which keeps up with the wedge, so no keys wait in
// the system's own input queue.
struct ExitRow {
  const char* keys;
  size_t length, typedBeforeExit;  // a label with its suffix
};
class BulkExit : public Bulk, public ::testing::WithParamInterface<ExitRow> {};
TEST_P(BulkExit, ExitInTheMiddleOfABacklogStopsTypingPromptly) {
  const ExitRow& row = GetParam();
  ASSERT_NO_FATAL_FAILURE(Start(std::string("BulkSameLength=0\r\n") + row.keys));
  KeySink sink;
  ASSERT_TRUE(sink.Open());
  std::vector<std::string> labels;
  for (int i = 0; i < 300; ++i) labels.push_back("BACKLOG" + std::to_string(1000 + i));
  for (std::string& label : labels) label.resize(row.length - 1, 'x');
  session_.Press();
  ASSERT_EQ(labels.size(), SimFeedAll(labels));
  PollUntil([&] { return sink.Length() > row.typedBeforeExit; }, 10000);
  // Keys the wedge sent may still be on their way to the sink; key events
  // keep their order, so a key of the test's own sent at the exit ("z", in
  // no label) marks in the sink's text what was sent before it.
  session_.Press('Z');
  session_.Release('Z');
  const ULONGLONG exitAt = GetTickCount64();
  EXPECT_TRUE(session_.Exit());
  EXPECT_LT(GetTickCount64() - exitAt, 2500u) << "the wedge waited for its backlog";
  session_.Press('Q');
  session_.Release('Q');
  ASSERT_TRUE(PollUntil([&] { return sink.Text().find(L'q') != std::wstring::npos; }, 10000));
  const std::wstring text = sink.Text();
  // At most the barcode being typed at the exit is finished.
  EXPECT_LE(text.find(L'q') - text.find(L'z'), row.length + 2) << "typing went on after Exit";
  EXPECT_LT(text.size(), 300u * row.length) << "the whole backlog was typed";
}
INSTANTIATE_TEST_SUITE_P(Bulk, BulkExit,
                         ::testing::Values(ExitRow{"", 12, 200},
                                           ExitRow{"[OtherSettings]\r\nKeyDelay=50\r\n", 120, 30}));

}  // namespace
