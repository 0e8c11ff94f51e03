// Sarnu.exe taking over the reader of a simulated terminal: the order of the
// activation calls on laser and imager, every failing reader call's box and
// the stop after it, and a client's start, stop and camera-mode requests.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "e2e_support.h"
#include "reader_client.h"

namespace {

const UINT kIdmExit = 40002;
const wchar_t kErrorCaption[] = L"Sarnu ERROR!";

// "<call> <arguments>" of every simulator log line, oldest first.
std::vector<std::string> SimLog() {
  std::string out;
  RunSimterm(L"log", &out);
  std::vector<std::string> lines;
  std::istringstream in(out);
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const size_t space = line.find(' ');
    if (space != std::string::npos) lines.push_back(line.substr(space + 1));
  }
  return lines;
}

bool Matches(const std::string& line, const std::string& wanted) {
  return line == wanted || line.compare(0, wanted.size() + 1, wanted + " ") == 0;
}

// The wanted entries in this order, other lines between; an entry without
// arguments matches its call with any.
::testing::AssertionResult InOrder(const std::vector<std::string>& lines,
                                   const std::vector<std::string>& wanted) {
  size_t at = 0;
  for (const std::string& line : lines) {
    if (at < wanted.size() && Matches(line, wanted[at])) ++at;
  }
  if (at == wanted.size()) return ::testing::AssertionSuccess();
  std::string all;
  for (const std::string& line : lines) all += "\n  " + line;
  return ::testing::AssertionFailure() << "no \"" << wanted[at] << "\" in order in:" << all;
}

bool Contains(const std::vector<std::string>& lines, const std::string& wanted) {
  for (const std::string& line : lines) {
    if (Matches(line, wanted)) return true;
  }
  return false;
}

void Sim(const std::wstring& arguments) {
  std::string out;
  ASSERT_EQ(0, RunSimterm(arguments, &out)) << out;
}

void WaitForLog(const std::string& text) {
  std::wstring wide(text.begin(), text.end());
  Sim(L"wait log \"" + wide + L"\" --timeout 20000");
}

// Start-up's reader detection opens and closes the laser too: the wedge's
// own open is the one after the power-on keys.
void WaitForLaserActivation() {
  const bool done = PollUntil(
      [] {
        return InOrder(SimLog(), {"DvcSetBootup", "LZROpen 0 0"});
      },
      20000);
  ASSERT_TRUE(done) << "the laser was not activated";
}

// Handled messages only: a sent message returns after the ones before it.
bool Answers(HWND window) {
  DWORD_PTR unused = 0;
  return SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 10000, &unused) != 0;
}

class Wedge {
 public:
  ~Wedge() {
    if (window_) PostMessageW(window_, WM_COMMAND, kIdmExit, 0);
    program_.WaitForExit(10000);
  }
  // Started and its window found; the activation may still run.
  bool Start() {
    if (!program_.Start(L"Sarnu.exe")) return false;
    window_ = WaitForProcessWindow(program_.Id(), L"Sarnu", L"Sarnu", false, 20000);
    return window_ != nullptr;
  }
  HWND Window() const { return window_; }

 private:
  Program program_;
  HWND window_ = nullptr;
};

TEST(ReaderActivation, LaserInOrderAndMissingConfigurationSaved) {
  ASSERT_TRUE(PrepareTerminal("laser", ""));
  Sim(L"set config-load-result -63738");
  Sim(L"log --clear");
  Wedge wedge;
  ASSERT_TRUE(wedge.Start());
  ASSERT_NO_FATAL_FAILURE(WaitForLaserActivation());
  const std::vector<std::string> log = SimLog();
  EXPECT_TRUE(InOrder(
      log,
      {"DvcSetLED 0 0 0 0", "LZRLoadConfigFile", "LZRSetDefaultSymbologyEx", "LZRSaveConfigFile",
       "LZRSetScanningNotification 2 0", "LZRSetBuffType 0", "LZRSetScanningKey 0", "LZRSetLED 0",
       "LZRSetBuzzer 0", "LZRSetScanningType 1", "DvcSetBootup", "LZROpen 0 0"}));
  EXPECT_FALSE(Contains(log, "LZRSetDefaultSymbology"));
}

TEST(ReaderActivation, ImagerInOrderAndUnloadableSettingsFileSaved) {
  ASSERT_TRUE(PrepareTerminal("imager", ""));
  Sim(L"set system-name-dir \\Windows");
  Sim(L"set config-load-result 6");
  Sim(L"log --clear");
  Wedge wedge;
  ASSERT_TRUE(wedge.Start());
  ASSERT_NO_FATAL_FAILURE(WaitForLog("DvcSetBootup"));
  EXPECT_TRUE(InOrder(SimLog(), {"DvcSetLED 0 0 0 0", "PixOpen", "PixConnect",
                                 "PixLoadConfigFile \\Windows\\PIXSet.ini",
                                 "PixSaveConfigFile \\Windows\\PIXSet.ini", "PixSetLED 0",
                                 "PixSetBuzzer 0", "PixSetDecodeMode 0 1 0", "DvcSetBootup"}));
}

// One failing reader call at start-up: its box, and nothing of what follows.
struct FailureRow {
  const char* reader;
  const wchar_t* call;  // empty: no settings-file location instead of a fault
  const wchar_t* text;
  bool aimerMode;
};

void PrintTo(const FailureRow& row, std::ostream* os) {
  *os << row.reader << " " << std::string(row.call, row.call + wcslen(row.call));
}

class ReaderFailure : public ::testing::TestWithParam<FailureRow> {};

TEST_P(ReaderFailure, ShowsItsBoxAndStopsThere) {
  const FailureRow& row = GetParam();
  ASSERT_TRUE(
      PrepareTerminal(row.reader, row.aimerMode ? "[OtherSettings]\r\nAimerMode=1\r\n" : ""));
  // One trigger key, so that a trigger-key table built after all would show
  // as a released user key.
  Sim(L"set scanning-keys 1");
  const bool imager = std::string(row.reader) == "imager";
  if (imager && *row.call) Sim(L"set system-name-dir \\Windows");
  if (*row.call) Sim(std::wstring(L"fail ") + row.call + L" -5");
  Sim(L"log --clear");
  Wedge wedge;
  ASSERT_TRUE(wedge.Start());
  HWND box = WaitForMessageBox(kErrorCaption, 20000);
  ASSERT_NE(nullptr, box) << "no box captioned \"Sarnu ERROR!\"";
  EXPECT_EQ(std::wstring(row.text), MessageBoxText(box));
  EXPECT_FALSE(GetDlgItem(box, IDCANCEL)) << "more than an OK button";
  DismissMessageBox(box);
  ASSERT_TRUE(PollUntil([&] { return !IsWindow(box); }, 5000)) << "the box stays";
  ASSERT_TRUE(Answers(wedge.Window()));
  // From the activation on: reader detection at start-up opens and closes too.
  std::vector<std::string> log = SimLog();
  while (!log.empty() && log.front() != "DvcSetLED 0 0 0 0") log.erase(log.begin());
  std::string all;
  for (const std::string& line : log) all += "\n  " + line;
  SCOPED_TRACE("log:" + all);
  EXPECT_FALSE(Contains(log, "DvcSetBootup")) << "activation went on after the failure";
  // The aimer comes after the trigger keys; any earlier failure leaves them to the reader.
  if (!row.aimerMode) {
    EXPECT_FALSE(Contains(log, "DvcDeleteUserDefineKeyEx")) << "trigger keys taken after all";
  }
  // A faulted call logs as "fault <call>", not as the call.
  if (!imager) EXPECT_FALSE(Contains(log, "LZROpen")) << "the laser opened after the failure";
  EXPECT_EQ(nullptr, WaitForMessageBox(kErrorCaption, 500)) << "a second box";
}

INSTANTIATE_TEST_SUITE_P(
    Fetch, ReaderFailure,
    ::testing::Values(
        FailureRow{"laser", L"LZRGetScanningKey", L"Error fetching\r\nScanning Keys!", false},
        FailureRow{"laser", L"LZRGetLED", L"Error fetching\r\nLED Notification!", false},
        FailureRow{"laser", L"LZRGetBuzzer", L"Error fetching\r\nBuzzer Notification!", false},
        FailureRow{"laser", L"LZRGetSuffixChar", L"Error fetching\r\nSuffix Char!", false},
        FailureRow{"laser", L"LZRGetBuffType", L"Error fetching\r\nBuffer Type!", false},
        FailureRow{"laser", L"LZRGetFocus", L"Error fetching\r\nFocus Setting!", false},
        FailureRow{"laser", L"LZRGetSwingAngle", L"Error fetching\r\nSwing Angle!", false},
        FailureRow{"laser", L"LZRGetScanningTimeout", L"Error fetching\r\nScanning Timeout!",
                   false},
        FailureRow{"imager", L"PixGetLED", L"Error fetching\r\nLED Notification!", false},
        FailureRow{"imager", L"PixGetBuzzer", L"Error fetching\r\nBuzzer Notification!", false},
        FailureRow{"imager", L"", L"Error fetching\r\nSuffix Char!", false}));

INSTANTIATE_TEST_SUITE_P(
    Apply, ReaderFailure,
    ::testing::Values(
        FailureRow{"laser", L"LZRSetScanningKey", L"Error resetting\r\nScanning Keys!", false},
        FailureRow{"laser", L"LZRSetLED", L"Error resetting\r\nLED Notification!", false},
        FailureRow{"laser", L"LZRSetBuzzer", L"Error resetting\r\nBuzzer Notification!", false},
        FailureRow{"laser", L"LZRGetScanningType", L"Error reading\r\nLZR Scanning Type!", false},
        FailureRow{"laser", L"LZRSetScanningType", L"Error setting\r\nLZR Scanning Type!", false},
        FailureRow{"imager", L"PixSetLED", L"Error resetting\r\nLED Notification!", false},
        FailureRow{"imager", L"PixSetBuzzer", L"Error resetting\r\nBuzzer Notification!", false},
        FailureRow{"imager", L"PixGetDecodeMode", L"Error reading\r\nPIX Decode Mode!", false},
        FailureRow{"imager", L"PixSetDecodeMode", L"Error setting\r\nPIX Decode Mode!", false}));

INSTANTIATE_TEST_SUITE_P(Aimer, ReaderFailure,
                         ::testing::Values(FailureRow{"laser", L"LZRSetFocus",
                                                      L"Error setting\r\nFocus Setting!", true},
                                           FailureRow{"laser", L"LZRSetSwingAngle",
                                                      L"Error setting\r\nSwing Angle!", true}));

// The reopen failure cannot be injected at start-up: reader detection opens
// the laser first. A laser read asks for the aimer again later instead.
TEST(ReaderFailureLater, AimerBackOnThatCannotReopenShowsItsBox) {
  ASSERT_TRUE(PrepareTerminal("laser", ""));
  Wedge wedge;
  ASSERT_TRUE(wedge.Start());
  ASSERT_NO_FATAL_FAILURE(WaitForLaserActivation());
  Sim(L"fail LZROpen -5");
  Sim(L"log --clear");
  const UINT kAimerOn = 0x404;
  ASSERT_TRUE(PostMessageW(wedge.Window(), kAimerOn, 0, 0));
  HWND box = WaitForMessageBox(kErrorCaption, 20000);
  ASSERT_NE(nullptr, box) << "no box captioned \"Sarnu ERROR!\"";
  EXPECT_EQ(L"Error reopening Scanner\r\nafter Aimer\r\nMode switch!", MessageBoxText(box));
  DismissMessageBox(box);
  ASSERT_TRUE(PollUntil([&] { return !IsWindow(box); }, 5000)) << "the box stays";
  ASSERT_TRUE(Answers(wedge.Window()));
  EXPECT_TRUE(
      InOrder(SimLog(), {"LZRClose", "LZRSetFocus 0", "LZRSetSwingAngle 3", "fault LZROpen -5"}));
  Sim(L"fail --clear");
}

TEST(ReaderRequests, StartAndStopAnsweredOnlyWhenTheStateChanges) {
  ASSERT_TRUE(PrepareTerminal("laser", ""));
  Wedge wedge;
  ASSERT_TRUE(wedge.Start());
  ASSERT_NO_FATAL_FAILURE(WaitForLaserActivation());
  ReaderClient client;
  ASSERT_TRUE(client.Complete());
  const struct {
    int request;
    int answer;  // the state event that must come, or -1 for none
    const char* call;
  } steps[] = {
      {ReaderClient::kStart, -1, nullptr},  // open already
      {ReaderClient::kStop, ReaderClient::kStop, "LZRClose"},
      {ReaderClient::kStop, -1, nullptr},  // closed already
      {ReaderClient::kStart, ReaderClient::kStart, "LZROpen 0 0"},
  };
  for (const auto& step : steps) {
    client.ResetStates();
    Sim(L"log --clear");
    SetEvent(client.request[step.request]);
    if (step.answer >= 0) {
      EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(client.state[step.answer], 20000))
          << "request " << step.request << " not answered";
      EXPECT_TRUE(Contains(SimLog(), step.call));
    } else {
      // The listener has had its time once the window answers after a pause.
      Sleep(500);
      ASSERT_TRUE(Answers(wedge.Window()));
      for (int i = 0; i < 3; ++i) {
        EXPECT_FALSE(client.IsSet(i)) << "request " << step.request << " set state " << i;
      }
    }
  }
}

TEST(ReaderRequests, CamModeSetsSuffixCode4AfterTheFetchAndSignalsAll) {
  ASSERT_TRUE(PrepareTerminal("laser", ""));
  Sim(L"set suffix-code 2");
  Wedge wedge;
  ASSERT_TRUE(wedge.Start());
  ASSERT_NO_FATAL_FAILURE(WaitForLaserActivation());
  ReaderClient client;
  ASSERT_TRUE(client.Complete());
  client.ResetStates();
  Sim(L"log --clear");
  SetEvent(client.request[ReaderClient::kCamMode]);
  ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(client.state[ReaderClient::kCamMode], 20000));
  SetEvent(client.state[ReaderClient::kCamMode]);  // taken by the wait; the stop below must clear it
  EXPECT_TRUE(client.IsSet(ReaderClient::kStart));
  EXPECT_FALSE(client.IsSet(ReaderClient::kStop));
  // The activation, then the reader closed, its configuration again, the
  // fetch, the suffix code, the wedge's own settings and the reopen.
  EXPECT_TRUE(InOrder(
      SimLog(), {"LZRLoadConfigFile", "LZRSetScanningType 1", "LZRClose", "LZRLoadConfigFile",
                 "LZRSetScanningNotification 2 0", "LZRSetSuffixChar 4", "LZRSetScanningKey 0",
                 "LZRSetScanningType 1", "DvcSetBootup", "LZROpen 0 0"}));

  // A stop ends camera mode as well.
  client.ResetStates();
  SetEvent(client.request[ReaderClient::kStop]);
  ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(client.state[ReaderClient::kStop], 20000));
  EXPECT_FALSE(client.IsSet(ReaderClient::kCamMode));
}

}  // namespace
