// The typing a site can ask for beyond the described behaviour, through the
// real wedge: the pause between characters as the key sink's arrival stamps
// show it, and clipboard output that gives the user's copied text back after
// every paste, into notepad and into a window that takes the paste late.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "e2e_support.h"
#include "key_sink.h"
#include "sim_log.h"
#include "wedge_session.h"

namespace {

TEST(TypingExtras, KeyDelaySpacesEveryCharacterAndTheSuffix) {
  double undelayed = 0;  // the gap of typing alone, measured first
  for (int delay : {0, 5, 20}) {
    SCOPED_TRACE("KeyDelay=" + std::to_string(delay));
    WedgeSession session;
    std::string why;
    ASSERT_TRUE(session.Start(
        "laser", SessionIni("[OtherSettings]\r\nKeyDelay=" + std::to_string(delay) + "\r\n"), &why))
        << why;
    KeySink sink;
    ASSERT_TRUE(sink.Open());
    ASSERT_TRUE(WedgeSession::Sim(L"scan PACED12345678"));
    session.Press();
    ASSERT_TRUE(sink.WaitForLength(14, 5000));
    session.Release();
    EXPECT_EQ(L"PACED12345678\r", sink.Text());
    const std::vector<LONGLONG> stamps = sink.Stamps();
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    std::vector<double> gaps;
    for (size_t i = 1; i < stamps.size(); ++i) {
      gaps.push_back(double(stamps[i] - stamps[i - 1]) * 1000.0 / double(frequency.QuadPart));
    }
    std::sort(gaps.begin(), gaps.end());
    ASSERT_EQ(13u, gaps.size());
    const double median = gaps[gaps.size() / 2];
    std::printf("KeyDelay %d: gaps %.2f .. %.2f ms, median %.2f ms\n", delay, gaps.front(),
                gaps.back(), median);
    // Sleep is good to the system's one-millisecond tick. A loaded machine
    // slows the typing itself (a median of 5.8 ms without any delay seen
    // with both cores busy) and adds wake-ups to every pause, so the pause
    // is what the delay adds to the typing alone, and its bound is what a
    // pause taken twice would break.
    if (delay == 0) undelayed = median;
    EXPECT_GE(median, delay - 1.0);
    EXPECT_LE(median - undelayed, delay * 1.5 + 3.0);
  }
}

// The key map turns a control character of the data into a function key;
// a {DELAY} token in the postamble holds the typing back by its time, to
// within the timer's tick and a loaded machine's wake-up.
TEST(TypingExtras, KeyMapAndKeyTokens) {
  WedgeSession session;
  std::string why;
  ASSERT_TRUE(session.Start("laser",
                            SessionIni("[OtherSettings]\r\nKeyTokens=1\r\n[Filter]\r\n"
                                       "PostambleEnable=1\r\nPostamble={DELAY 300}!\r\n"
                                       "[KeyMap]\r\n1E=key:F6\r\n1F=drop\r\n"),
                            &why))
      << why;
  KeySink sink;
  ASSERT_TRUE(sink.Open());
  ASSERT_TRUE(WedgeSession::Sim(L"scan A\\x1EB\\x1F"));
  session.Press();
  ASSERT_TRUE(sink.WaitForLength(5, 5000));
  session.Release();
  const wchar_t f6 = wchar_t(KeySink::kFunctionKeyBase + VK_F6);
  EXPECT_EQ(std::wstring(L"A") + f6 + L"B!\r", sink.Text());
  const std::vector<LONGLONG> stamps = sink.Stamps();
  ASSERT_EQ(5u, stamps.size());
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  const double pause = double(stamps[3] - stamps[2]) * 1000.0 / double(frequency.QuadPart);
  std::printf("{DELAY 300}: %.1f ms between B and !\n", pause);
  EXPECT_GE(pause, 299.0);
  EXPECT_LE(pause, 400.0);
}

// The focus guard: another window that comes to the front while a barcode is
// typed gets none of the rest (but the key that was on its way), and the
// worker hears the not-typed signal.
TEST(TypingExtras, FocusGuardStopsABarcodeWhoseWindowLostTheFront) {
  WedgeSession session;
  std::string why;
  ASSERT_TRUE(session.Start("laser", SessionIni("[OtherSettings]\r\nKeyDelay=20\r\n"), &why))
      << why;
  KeySink scanned;
  ASSERT_TRUE(scanned.Open());
  const long since = SimNow();
  ASSERT_TRUE(WedgeSession::Sim(L"scan GUARDED-BARCODE-0123456789"));
  session.Press();
  ASSERT_TRUE(PollUntil([&] { return scanned.Length() >= 5; }, 5000));
  KeySink popup;
  ASSERT_TRUE(popup.Open());
  session.Release();
  EXPECT_TRUE(WaitForLog("DvcPlayBuzzer 4 1000 100", since, 3000));
  Sleep(300);
  // A key already on its way when the window came forward may still reach
  // it; nothing sent after that does.
  EXPECT_LE(popup.Text().size(), 1u) << "the typing went on into the new window";
  EXPECT_LT(scanned.Length(), 28u) << "the whole barcode was typed";
}

// The paste's target: notepad, or the key sink reading the clipboard some
// time after the Ctrl+V. With KeepClipboard the user's text is back after
// each barcode the target took; without it the last barcode stays, as
// described, and so it does for a target that pastes only after the
// two-second bound: it must still paste the barcode. A clipboard monitor
// reading first gets the barcode but is no paste, so the target still pastes
// the barcode; a copy the target makes of its own stays on the clipboard. A
// program listening for clipboard changes reads at every one of them, and
// every paste must still arrive and the user's text come back; while one
// holds the clipboard for long the barcode is typed instead.
TEST(TypingExtras, KeepClipboardGivesTheUsersTextBackAfterEveryPaste) {
  enum Other { kNobody, kMonitorReadsFirst, kTargetCopies, kListener, kListenerHolds };
  struct Case {
    bool keep;
    DWORD lateMs;  // 0: notepad takes the paste
    int barcodes;
    Other other;
  } cases[] = {{true, 0, 10, kNobody},
               {true, 400, 3, kNobody},
               {false, 0, 2, kNobody},
               {true, 2600, 1, kNobody},
               {true, 1000, 1, kMonitorReadsFirst},
               {true, 400, 1, kTargetCopies},
               {true, 0, 2, kListener},
               {true, 0, 1, kListenerHolds}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.keep ? "kept" : "not kept") + (c.lateMs ? ", late target" : "") +
                 ", other " + std::to_string(c.other));
    WedgeSession session;
    session.presets = {L"buffer-type 3", L"suffix-code 3"};
    std::string why;
    ASSERT_TRUE(
        session.Start("laser",
                      SessionIni("[OtherSettings]\r\nKeepClipboard=" + std::to_string(c.keep) +
                                 "\r\n[BulkScanning]\r\nBulkEnable=1\r\n"
                                 "[BulkCounterWindow]\r\nCounterEnabled=0\r\n"),
                      &why))
        << why;
    Program listener;
    if (c.other == kListener || c.other == kListenerHolds) {
      ASSERT_TRUE(listener.Start(L"standin_tool.exe", c.other == kListener
                                                          ? L"--clipboard-listener"
                                                          : L"--clipboard-listener 2000"));
      ASSERT_TRUE(WaitForProcessWindow(listener.Id(), L"SarnuClipboardListener",
                                       L"clipboard listener ready", false, 5000));
    }
    KeySink sink;
    if (c.lateMs) {
      sink.PasteLate(c.lateMs, c.other == kTargetCopies ? L"the target's own copy" : L"");
      ASSERT_TRUE(sink.Open());
    }
    ASSERT_TRUE(PutClipboardText(L"the user's own text"));
    std::wstring expected, last;
    const bool takenInTime = c.keep && c.lateMs < 2000;  // the wedge's bound
    session.Press();
    for (int i = 0; i < c.barcodes; ++i) {
      last = L"CLIP" + std::to_wstring(100 + i);
      // The sink's own late paste lands behind the suffix's key.
      expected += c.keep && !takenInTime ? L"\t" + last : last + L"\t";
      ASSERT_TRUE(WedgeSession::Sim(L"scan " + last));
      if (c.other == kMonitorReadsFirst) {
        ASSERT_TRUE(PollUntil([&] { return ClipboardText() == last; }, c.lateMs - 100));
      }
    }
    const std::wstring got = c.lateMs ? (sink.WaitForLength(expected.size(), 5000), sink.Text())
                                      : session.Pad().WaitForText(expected, 15000);
    session.Release();
    EXPECT_EQ(expected, got);
    const std::wstring left = c.other == kTargetCopies ? L"the target's own copy"
                              : takenInTime && c.other != kMonitorReadsFirst
                                  ? L"the user's own text"
                                  : last;
    EXPECT_TRUE(PollUntil([&] { return ClipboardText() == left; }, 3000))
        << "the clipboard holds something else";
  }
}

}  // namespace
