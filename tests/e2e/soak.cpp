// A worker's shift on the simulated terminals, laser and imager in turn:
// single scans and bulk runs mixed, a client stopping, starting and framing
// the reader, the bulk toggle, the About box and failing reader calls, in an
// order a seed decides. After every step the key sink is held against a
// ledger: every accepted barcode exactly once, in order, with its suffix,
// and nothing of what was refused (duplicate, other type, other length,
// over the limit, reader off, About box open).
//
// SARNU_SOAK_MINUTES sets the length (two minutes unless given; the ctest
// time-out follows it at configure time), SARNU_SOAK_SEED the order.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "e2e_support.h"
#include "key_sink.h"
#include "reader_client.h"
#include "settings_sheet.h"
#include "sim_feed.h"
#include "sim_log.h"
#include "wedge_session.h"

namespace {

const UINT kIdmAbout = 40003;
const int kBulkLimit = 8;
// Steps before the wedge's memory and handles are taken as settled.
const int kWarmSteps = 40;
const char kShiftIni[] =
    "[BulkScanning]\r\nBulkEnable=1\r\nBulkActivationMode=1\r\nBulkTriggerMode=0\r\n"
    "BulkSameType=1\r\nBulkSameLength=1\r\nBulkLimitEnable=1\r\nBulkLimit=8\r\n"
    "BulkScannedListClearAfter=0\r\n[BulkCounterWindow]\r\nCounterEnabled=0\r\n"
    "[OtherSettings]\r\nScanLog=1\r\nScanLogPath=\\Windows\\SOAKLOG.CSV\r\n";

// The scan log, where ScanLogPath puts it: the laser's and the imager's
// SARNU.INI lie in different folders.
std::wstring ScanLogFile() { return L"C:\\Windows\\SOAKLOG.CSV"; }

// A fetch that fails during an activation, and the box it must bring.
struct Fault {
  const char* call;
  const wchar_t* text;
};
const Fault kLaserFaults[] = {{"LZRGetLED", L"Error fetching\r\nLED Notification!"},
                              {"LZRGetBuzzer", L"Error fetching\r\nBuzzer Notification!"},
                              {"LZRGetSuffixChar", L"Error fetching\r\nSuffix Char!"},
                              {"LZRGetScanningTimeout", L"Error fetching\r\nScanning Timeout!"}};
const Fault kImagerFaults[] = {{"PixGetLED", L"Error fetching\r\nLED Notification!"},
                               {"PixGetBuzzer", L"Error fetching\r\nBuzzer Notification!"}};

// One barcode put in front of the reader, and whether the wedge must type it.
struct Presented {
  std::string text;
  int kind;  // laser type code; the imager's symbology is 'A' + kind
  bool accepted;
};

unsigned EnvNumber(const char* name, unsigned fallback) {
  const char* text = std::getenv(name);
  return text && *text ? unsigned(std::strtoul(text, nullptr, 10)) : fallback;
}

struct Totals {
  int presented = 0, accepted = 0, refused = 0, faults = 0, boxes = 0, steps = 0;
};

class Shift {
 public:
  Shift(bool imager, unsigned seed, Totals* totals)
      : imager_(imager), random_(seed), totals_(totals) {}
  ~Shift() { CloseHandle(bulkToggle_); }
  Shift(const Shift&) = delete;
  Shift& operator=(const Shift&) = delete;

  ::testing::AssertionResult Start() {
    std::string why;
    DeleteFileW(ScanLogFile().c_str());
    if (!session_.Start(imager_ ? "imager" : "laser", SessionIni(kShiftIni), &why)) {
      return ::testing::AssertionFailure() << why;
    }
    if (!sink_.Open()) return ::testing::AssertionFailure() << "the key sink got no focus";
    if (!client_.Complete()) return ::testing::AssertionFailure() << "no DataReader events";
    // The toggle thread starts with the first activation; let it reach its wait.
    Sleep(500);
    return ::testing::AssertionSuccess();
  }

  // One step picked by weight; each keeps the ledger and checks it.
  void Step() {
    static void (Shift::*const kActions[])() = {&Shift::Pull,        &Shift::ToggleBulk,
                                                &Shift::StopOrStart, &Shift::CamMode,
                                                &Shift::About,       &Shift::InjectFault};
    std::discrete_distribution<int> weights{10, 2, 2, 1, 1, 1};
    (this->*kActions[weights(random_)])();
    ++totals_->steps;
  }

  DWORD Handles() const { return session_.HandleCount(); }
  SIZE_T Committed() const { return session_.PrivateBytes(); }
  bool Exit() { return session_.Exit(); }

  // The scan log against the ledger, once the wedge has ended: the typed
  // lines are the typed barcodes, one for one and in order, and every other
  // line is a barcode the bulk run was shown to refuse.
  void CheckScanLog() {
    const std::string log = ReadWholeFile(ScanLogFile());
    ASSERT_FALSE(log.empty()) << "no scan log";
    std::vector<std::string> typed;
    size_t start = log.find("\r\n") + 2;  // after the header
    for (size_t end; (end = log.find("\r\n", start)) != std::string::npos; start = end + 2) {
      std::vector<std::string> fields;
      for (size_t at = start, comma; at <= end; at = comma + 1) {
        comma = log.find(',', at);
        if (comma == std::string::npos || comma > end) comma = end;
        fields.push_back(log.substr(at, comma - at));
      }
      ASSERT_EQ(9u, fields.size()) << log.substr(start, end - start);
      if (fields[6] == "typed") {
        typed.push_back(fields[8]);
      } else {
        EXPECT_EQ(1u, refusedRead_.count(fields[8])) << fields[6] << " " << fields[8];
      }
    }
    EXPECT_EQ(typed_, typed);
  }

 private:
  std::string NextText(size_t length) {
    std::string text = imager_ ? "I" : "L";
    text += std::to_string(++serial_);
    text.insert(1, length - text.size(), '0');
    return text;
  }

  bool Queue(const Presented& p) {
    ++totals_->presented;
    ++(p.accepted ? totals_->accepted : totals_->refused);
    return SimQueueOne(p.text, imager_ ? 0 : 3 + p.kind, char('A' + p.kind));
  }

  // The sink against the ledger once it holds as much, after `settleMs` for
  // anything that should not come.
  void Check(const char* after, DWORD settleMs = 300) {
    sink_.WaitForLength(expected_.size(), 5000);
    Sleep(settleMs);
    const std::wstring got = sink_.Text();
    if (got == expected_) return;
    // What the reader was doing: a barcode still queued was never read; the
    // calls show whether the scan started and how it ended.
    std::string calls;
    for (const LogLine& l : SimLogSince(SimNow() - 8000)) {
      calls += std::to_string(l.ms) + " " + l.text + "\n";
    }
    // Lost or only late: another ten seconds tell.
    const bool late = sink_.WaitForLength(expected_.size(), 10000) && sink_.Text() == expected_;
    FAIL() << (late ? "LATE " : "") << "after " << after << " (step " << totals_->steps
           << "): got ..." << Tail(got) << " want ..." << Tail(expected_) << "; " << SimQueued()
           << " barcodes left in front of the reader; its last calls:\n"
           << calls;
  }
  static std::string Tail(const std::wstring& text) {
    const size_t from = text.size() > 60 ? text.size() - 60 : 0;
    std::string tail;
    for (size_t i = from; i < text.size(); ++i) tail += text[i] == L'\r' ? '|' : char(text[i]);
    return tail;
  }
  void Type(const std::string& text, bool framed = false) {
    const std::wstring wide(text.begin(), text.end());
    expected_ += framed ? L"[[[" + wide + L"]]]" : wide + L"\r";
    typed_.push_back(text);
  }

  void Pull() {
    if (!readerOn_) return RefusedPull("a pull with the reader off");
    if (bulk_) return BulkRun();
    ScanOne(false);
  }

  // One barcode per pull; the laser ends its scan by itself.
  void ScanOne(bool framed) {
    const Presented single = {NextText(8), 0, true};
    ASSERT_TRUE(Queue(single));
    session_.Press();
    Type(single.text, framed);
    ASSERT_NO_FATAL_FAILURE(Check(framed ? "a scan in camera mode" : "a single scan", 0));
    if (!imager_) {
      ASSERT_TRUE(WedgeSession::WaitScanning(false));
    }
    session_.Release();
  }

  // The trigger does nothing: the barcode stays in front of the reader.
  void RefusedPull(const char* why) {
    ASSERT_TRUE(Queue({NextText(8), 0, false}));
    session_.Press();
    Sleep(400);
    session_.Release();
    ASSERT_NO_FATAL_FAILURE(Check(why));
    EXPECT_EQ(1u, SimQueued()) << why << ": the reader read";
    SimQueueClear();
  }

  // A held trigger over new barcodes, repeats, other types and other lengths,
  // up to the limit and one past it.
  void BulkRun() {
    std::vector<std::string> accepted = {NextText(8)};
    std::vector<Presented> run = {{accepted[0], 0, true}};
    const int length = 2 + int(random_() % 14);
    for (int i = 1; i < length && accepted.size() < size_t(kBulkLimit); ++i) {
      switch (random_() % 5) {
        case 0:
          run.push_back({accepted[random_() % accepted.size()], 0, false});
          break;
        case 1:
          run.push_back({NextText(8), 1, false});
          break;
        case 2:
          run.push_back({NextText(9), 0, false});
          break;
        default:
          accepted.push_back(NextText(8));
          run.push_back({accepted.back(), 0, true});
          break;
      }
    }
    const bool overLimit = accepted.size() == size_t(kBulkLimit);
    if (overLimit) run.push_back({NextText(8), 0, false});
    session_.Press();
    for (const Presented& p : run) {
      ASSERT_TRUE(Queue(p));
      if (p.accepted) Type(p.text);
      if (!p.accepted) refusedRead_.insert(p.text);
    }
    const uint32_t left = overLimit ? 1 : 0;
    ASSERT_TRUE(PollUntil([&] { return SimQueued() <= left; }, 10000)) << "the reader stalled";
    ASSERT_NO_FATAL_FAILURE(Check(overLimit ? "a bulk run to its limit" : "a bulk run"));
    session_.Release();
    // The laser reads no further; the imager may have decoded one ahead,
    // which the ledger shows was not typed.
    if (!imager_) {
      ASSERT_TRUE(WedgeSession::WaitScanning(false));
      EXPECT_EQ(left, SimQueued()) << "read past the limit";
    }
    SimQueueClear();
  }

  void ToggleBulk() {
    if (!readerOn_) return StopOrStart();
    const long since = SimNow();
    SetEvent(bulkToggle_);
    ASSERT_TRUE(WaitForLog(bulk_ ? "DvcSetLED 0 0 0 0" : "DvcSetLED 13 -1 1 1", since, 10000))
        << "the toggle was not taken";
    bulk_ = !bulk_;
  }

  // Every activation leaves bulk mode off, as toggle mode starts.
  void StopOrStart() {
    const int request = readerOn_ ? ReaderClient::kStop : ReaderClient::kStart;
    ResetEvent(client_.state[request]);
    SetEvent(client_.request[request]);
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(client_.state[request], 20000))
        << (readerOn_ ? "stop" : "start") << " not answered";
    readerOn_ = !readerOn_;
    bulk_ = false;
  }

  // Camera mode frames one barcode and types no suffix; a start ends it.
  void CamMode() {
    ResetEvent(client_.state[ReaderClient::kCamMode]);
    SetEvent(client_.request[ReaderClient::kCamMode]);
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(client_.state[ReaderClient::kCamMode], 20000));
    readerOn_ = true;
    ASSERT_NO_FATAL_FAILURE(ScanOne(true));
    // A start while the reader is open signals nothing: its activation has
    // run once the window answers after the last call of it.
    const long since = SimNow();
    SetEvent(client_.request[ReaderClient::kStart]);
    ASSERT_TRUE(WaitForLog("DvcSetBootup 0x0", since, 20000));
    ASSERT_TRUE(session_.Answers());
    bulk_ = false;
  }

  void AnswerBox(HWND box) {
    DismissMessageBox(box);
    ASSERT_TRUE(PollUntil([&] { return !IsWindow(box); }, 10000)) << "the box stays";
    ++totals_->boxes;
    ASSERT_TRUE(sink_.Focus());
  }

  void About() {
    PostMessageW(session_.Window(), WM_COMMAND, kIdmAbout, 0);
    HWND about = WaitForProcessWindow(session_.Process().Id(), L"#32770", L"SARNU", true, 10000);
    ASSERT_NE(nullptr, about) << "no About box";
    ASSERT_NO_FATAL_FAILURE(RefusedPull("a pull with the About box open"));
    ASSERT_NO_FATAL_FAILURE(AnswerBox(about));
  }

  // A fetch fails in the activation a start request runs: its box, answered,
  // and the reader stopped and started again.
  void InjectFault() {
    if (!readerOn_) return StopOrStart();
    const Fault& f = imager_ ? kImagerFaults[random_() % 2] : kLaserFaults[random_() % 4];
    ASSERT_TRUE(WedgeSession::Sim(L"fail " + FromAnsi(f.call) + L" -5 --once"));
    ++totals_->faults;
    SetEvent(client_.request[ReaderClient::kStart]);
    HWND box = WaitForMessageBox(L"Sarnu ERROR!", 20000);
    ASSERT_NE(nullptr, box) << "no box for " << f.call;
    EXPECT_EQ(std::wstring(f.text), MessageBoxText(box));
    ASSERT_NO_FATAL_FAILURE(AnswerBox(box));
    ASSERT_NO_FATAL_FAILURE(Check("a failed activation"));
    ASSERT_NO_FATAL_FAILURE(StopOrStart());
    ASSERT_NO_FATAL_FAILURE(StopOrStart());
  }

  const bool imager_;
  std::mt19937 random_;
  Totals* totals_;
  WedgeSession session_;
  KeySink sink_;
  ReaderClient client_;
  HANDLE bulkToggle_ = CreateEventW(nullptr, FALSE, FALSE, L"SarnuBulkEvent");
  std::wstring expected_;
  std::vector<std::string> typed_;
  std::set<std::string> refusedRead_;
  bool bulk_ = false;
  bool readerOn_ = true;
  int serial_ = 0;
};

TEST(Soak, AShiftOfScanningLosesNothing) {
  const unsigned minutes = EnvNumber("SARNU_SOAK_MINUTES", 2);
  const unsigned seed = EnvNumber("SARNU_SOAK_SEED", 1);
  // Laser and imager in turn, five minutes at most each.
  const unsigned shifts = minutes < 10 ? 2 : (minutes + 4) / 5;
  const ULONGLONG shiftMs = ULONGLONG(minutes) * 60000 / shifts;
  std::printf("soak: %u minutes, seed %u, %u shifts\n", minutes, seed, shifts);
  Totals totals;
  for (unsigned s = 0; s < shifts; ++s) {
    const bool imager = s % 2 == 1;
    SCOPED_TRACE(std::string(imager ? "imager" : "laser") + " shift " + std::to_string(s));
    Shift shift(imager, seed + s, &totals);
    ASSERT_TRUE(shift.Start());
    // At the start, once every kind of step has had its first allocations,
    // and at the end.
    DWORD handles[3] = {shift.Handles()};
    SIZE_T committed[3] = {shift.Committed()};
    const ULONGLONG end = GetTickCount64() + shiftMs;
    for (int step = 1; GetTickCount64() < end || step <= kWarmSteps; ++step) {
      ASSERT_NO_FATAL_FAILURE(shift.Step());
      if (::testing::Test::HasFailure()) return;
      if (step == kWarmSteps) {
        handles[1] = shift.Handles();
        committed[1] = shift.Committed();
      }
    }
    Sleep(1000);  // the last barcode's signal thread ends
    handles[2] = shift.Handles();
    committed[2] = shift.Committed();
    std::printf(
        "soak %s shift: handles %lu, %lu warm, %lu at the end; committed %zu, %zu, %zu KB\n",
        imager ? "imager" : "laser", handles[0], handles[1], handles[2], committed[0] / 1024,
        committed[1] / 1024, committed[2] / 1024);
    // Every step closes what it opened and nothing grows per barcode: a leak
    // of one handle per step, or of a kilobyte per step over a long shift, is
    // above these bounds; the heap taking one more segment at once is not.
    EXPECT_LE(handles[2], handles[1] + 10);
    EXPECT_LE(committed[2], committed[1] + 2 * 1024 * 1024);
    EXPECT_TRUE(shift.Exit()) << "the wedge did not exit cleanly";
    shift.CheckScanLog();
  }
  std::printf(
      "soak: %d steps, %d barcodes presented (%d typed, %d refused), %d faults injected, "
      "%d boxes answered\n",
      totals.steps, totals.presented, totals.accepted, totals.refused, totals.faults, totals.boxes);
}

}  // namespace
