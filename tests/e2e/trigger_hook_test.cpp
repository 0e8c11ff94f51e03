// Trigger keys seen by the real wedge's keyboard hook on a simulated laser
// terminal: every key of model 10's table starts a scan on press and stops it
// on release, other keys do nothing, keys still reach notepad, and the About
// box keeps the trigger off while it is open.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "e2e_support.h"
#include "sim_log.h"
#include "wedge_session.h"

namespace {

const UINT kIdmAbout = 40003;

int Starts(const std::vector<LogLine>& log) {
  int n = 0;
  for (const LogLine& l : log) n += l.text.compare(0, 16, "LZRStartScanning") == 0;
  return n;
}

class TriggerHook : public ::testing::Test {
 protected:
  void Start() {
    std::string why;
    ASSERT_TRUE(session_.Start("laser", SessionIni(""), &why)) << why;
  }
  // Press and release of `vk`, and whether a scan ran between them.
  ::testing::AssertionResult ScansWhileHeld(int vk) {
    const long since = SimNow();
    session_.Press(vk);
    if (!WedgeSession::WaitScanning(true, 5000)) {
      session_.Release(vk);
      return ::testing::AssertionFailure() << "key " << vk << " started no scan";
    }
    session_.Release(vk);
    if (!WedgeSession::WaitScanning(false, 5000)) {
      return ::testing::AssertionFailure() << "key " << vk << " released, still scanning";
    }
    const std::vector<LogLine> log = SimLogSince(since);
    const std::string calls = Calls(log, {"LZRStartScanning", "LZRStopScanning"});
    if (calls.compare(0, 16, "LZRStartScanning") != 0 ||
        calls.find("LZRStopScanning") == std::string::npos) {
      return ::testing::AssertionFailure() << "key " << vk << " gave:\n" << calls;
    }
    return ::testing::AssertionSuccess();
  }

  WedgeSession session_;
};

TEST_F(TriggerHook, EveryTriggerKeyOfTheModelScansWhileHeld) {
  ASSERT_NO_FATAL_FAILURE(Start());
  // Model 10 with the reader's keys 0x03: both keys of each pair, and the
  // side key that always scans.
  for (int vk : {135, 139, 132, 142, 137}) EXPECT_TRUE(ScansWhileHeld(vk));
}

TEST_F(TriggerHook, OtherKeysStartNothing) {
  ASSERT_NO_FATAL_FAILURE(Start());
  const long since = SimNow();
  for (int vk : {133, 136, 140, 131}) {
    session_.Press(vk);
    session_.Release(vk);
  }
  // The trigger behind them: by its scan, every key before it was handled.
  EXPECT_TRUE(ScansWhileHeld(kTriggerKey));
  EXPECT_EQ(1, Starts(SimLogSince(since))) << Calls(SimLogSince(since), {"LZR"});
}

TEST_F(TriggerHook, TriggerKeysStillReachTheApplication) {
  // The left arrow scans too when the reader's keys include it (bit 0x08).
  session_.presets.push_back(L"scanning-keys 0x0B");
  ASSERT_NO_FATAL_FAILURE(Start());
  SendMessageW(session_.Pad().Edit(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"AB"));
  SendMessageW(session_.Pad().Edit(), EM_SETSEL, 2, 2);
  EXPECT_TRUE(ScansWhileHeld(VK_LEFT));
  DWORD caret = 0;
  const bool moved = PollUntil(
      [&] {
        SendMessageW(session_.Pad().Edit(), EM_GETSEL, reinterpret_cast<WPARAM>(&caret), 0);
        return caret == 1;
      },
      5000);
  EXPECT_TRUE(moved) << "the arrow did not reach notepad; caret at " << caret;
}

TEST_F(TriggerHook, AboutBoxKeepsTheTriggerOff) {
  ASSERT_NO_FATAL_FAILURE(Start());
  PostMessageW(session_.Window(), WM_COMMAND, kIdmAbout, 0);
  HWND about = WaitForProcessWindow(session_.Process().Id(), L"#32770", L"SARNU", true, 10000);
  ASSERT_NE(about, nullptr) << "no About box";

  const long since = SimNow();
  session_.Press(kTriggerKey);
  session_.Release(kTriggerKey);
  ASSERT_TRUE(session_.Answers());

  PostMessageW(about, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(PollUntil([&] { return !IsWindow(about); }, 10000)) << "the About box stayed";
  // The hook goes back in right after the box ends, before the next message.
  ASSERT_TRUE(session_.Answers());

  // A press made while the box was open would have been handled by now, so
  // the one start seen is this press's.
  EXPECT_TRUE(ScansWhileHeld(kTriggerKey)) << "no trigger after the About box";
  EXPECT_EQ(1, Starts(SimLogSince(since))) << Calls(SimLogSince(since), {"LZR"});
}

}  // namespace
