// Key output against the recording key sender: the exact events of queued
// barcodes and their suffixes, the clipboard path, the items that send
// nothing, and the output thread's life between its two events.
#include "key_output.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "barcode.h"
#include "block_queue.h"
#include "fake_key_input.h"
#include "settings.h"

namespace {

std::string Join(const std::vector<std::string>& keys) {
  std::string out;
  for (const std::string& k : keys) out += (out.empty() ? "" : " ") + k;
  return out;
}

// Queues a laser read (its appended suffix at the end) as the read thread
// does.
void Queue(std::string text, uint8_t suffixCode) {
  Barcode barcode = MakeBarcode(kScannerLaser, text.data(), text.size(), 0, suffixCode);
  ASSERT_EQ(PushBarcode(OutputQueue, barcode), 1);
}

class KeyOutputTest : public ::testing::Test {
 protected:
  void SetUp() override {
    OutputQueue.Clear();
    g_settings = &settings_;
    SetOutputBufferType(&bufferType_);
    ClearSentKeys();
  }
  void TearDown() override {
    OutputQueue.Clear();
    SetOutputBufferType(nullptr);
    g_settings = nullptr;
  }

  Settings settings_{kScannerLaser, u"", u""};
  uint8_t suffixChar_ = 0;  // the laser appends "\r"
  uint8_t bufferType_ = 4;
};

struct TypingCase {
  const char* name;
  std::vector<std::string> items;
  const char* keys;
};

const TypingCase kTypingCases[] = {
    {"LettersShiftAndSuffix",
     {"aB1\r"},
     "LWin^ A_ A^ LWin^ Shift_ B_ B^ Shift^ LWin^ 1_ 1^ LWin^ Enter_ Enter^"},
    {"EachBarcodeWithItsOwnSuffix",
     {"x\r", "Y\r"},
     "LWin^ X_ X^ LWin^ Enter_ Enter^ LWin^ Shift_ Y_ Y^ Shift^ LWin^ Enter_ Enter^"},
    {"FilteredEmptySendsNotEvenTheSuffix", {"\r"}, ""},
    {"EmptyBetweenOthersIsSkippedAlone",
     {"a\r", "\r", "b\r"},
     "LWin^ A_ A^ LWin^ Enter_ Enter^ LWin^ B_ B^ LWin^ Enter_ Enter^"},
    {"ByteWithoutKeyIsTypedAsUnicode", {"\xE9\r"}, "LWin^ u+00E9_ u+00E9^ LWin^ Enter_ Enter^"},
    // A 0 among the data ends the text that is typed; the suffix still
    // follows.
    {"ZeroInsideEndsTheText",
     {std::string("01\0" "0AB\r", 7)},
     "LWin^ 0_ 0^ LWin^ 1_ 1^ LWin^ Enter_ Enter^"},
};

class KeyOutputTypingTest : public KeyOutputTest,
                            public ::testing::WithParamInterface<TypingCase> {};

TEST_P(KeyOutputTypingTest, SendsTheseEvents) {
  for (const std::string& item : GetParam().items) Queue(item, suffixChar_);
  EXPECT_EQ(ProcessOutputQueue(), 1);
  EXPECT_EQ(Join(SentKeys()), GetParam().keys);
  EXPECT_EQ(OutputQueue.IsEmpty(), 1);
  // Every item was given back: the queue is down to its one reused block.
  EXPECT_EQ(OutputQueue.BlockCount(), 1u);
}

INSTANTIATE_TEST_SUITE_P(Rows, KeyOutputTypingTest, ::testing::ValuesIn(kTypingCases),
                         [](const ::testing::TestParamInfo<TypingCase>& info) {
                           return std::string(info.param.name);
                         });

TEST_F(KeyOutputTest, EachBarcodeKeepsTheSuffixOfItsRead) {
  Queue("a\r", suffixChar_);
  ProcessOutputQueue();
  suffixChar_ = 3;  // a reader reconfigured to Tab between two barcodes
  Queue("b\t", suffixChar_);
  ProcessOutputQueue();
  EXPECT_EQ(Join(SentKeys()), "LWin^ A_ A^ LWin^ Enter_ Enter^ LWin^ B_ B^ LWin^ Tab_ Tab^");
}

TEST_F(KeyOutputTest, ClipboardPathPastesOnceThenTypesTheSuffix) {
  bufferType_ = kBufferTypeClipboard;
  Queue("aB\xE9\r", suffixChar_);
  ProcessOutputQueue();
  EXPECT_EQ(Join(SentKeys()), "Ctrl_ V_ V^ Ctrl^ LWin^ Enter_ Enter^");
  ASSERT_TRUE(OpenClipboard(nullptr));
  HANDLE data = GetClipboardData(CF_UNICODETEXT);
  ASSERT_NE(data, nullptr);
  const wchar_t* text = static_cast<const wchar_t*>(GlobalLock(data));
  ASSERT_NE(text, nullptr);
  EXPECT_STREQ(text, L"aB\u00E9");
  GlobalUnlock(data);
  CloseClipboard();
}

TEST_F(KeyOutputTest, CopyToClipboardFailsWhileAnotherHoldsTheClipboard) {
  // Another window has it open: the copy must say so.
  HANDLE opened = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  HANDLE done = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  struct Pair {
    HANDLE opened, done;
  } pair{opened, done};
  HANDLE holder = CreateThread(
      nullptr, 0,
      [](LPVOID p) -> DWORD {
        Pair* handles = static_cast<Pair*>(p);
        HWND owner = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                     nullptr, nullptr);
        const BOOL ok = OpenClipboard(owner);
        SetEvent(handles->opened);
        WaitForSingleObject(handles->done, 10000);
        if (ok) CloseClipboard();
        DestroyWindow(owner);
        return ok;
      },
      &pair, 0, nullptr);
  ASSERT_EQ(WaitForSingleObject(opened, 10000), WAIT_OBJECT_0);
  EXPECT_EQ(CopyToClipboard("held"), 0);
  SetEvent(done);
  WaitForSingleObject(holder, 10000);
  DWORD held = 0;
  GetExitCodeThread(holder, &held);
  EXPECT_EQ(held, 1u);
  CloseHandle(holder);
  CloseHandle(opened);
  CloseHandle(done);
  EXPECT_EQ(CopyToClipboard("free"), 1);
}

// The user's held Shift goes up for the barcode and Caps Lock off, and both
// come back after it, so neither changes a letter.
TEST_F(KeyOutputTest, KeyboardStateIsSetAsideForTheBarcode) {
  SetFakeKeyboardState({0xA0}, true);
  Queue("aB\r", suffixChar_);
  ProcessOutputQueue();
  EXPECT_EQ(Join(SentKeys()),
            "A0^ 14_ 14^ LWin^ A_ A^ LWin^ Shift_ B_ B^ Shift^ LWin^ Enter_ Enter^ 14_ 14^ A0_");
}

TEST_F(KeyOutputTest, UnterminatedItemIsDroppedNotRead) {
  ASSERT_EQ(OutputQueue.Push("abc", 3), 1);
  Queue("d\r", suffixChar_);
  ProcessOutputQueue();
  EXPECT_EQ(Join(SentKeys()), "LWin^ D_ D^ LWin^ Enter_ Enter^");
  EXPECT_EQ(OutputQueue.IsEmpty(), 1);
}

TEST_F(KeyOutputTest, WithoutSettingsNothingIsTypedAndTheQueueStillDrains) {
  g_settings = nullptr;
  Queue("a\r", suffixChar_);
  ProcessOutputQueue();
  EXPECT_TRUE(SentKeys().empty());
  EXPECT_EQ(OutputQueue.IsEmpty(), 1);
}

// Polls the recorded keys until `count` have arrived or 5 s have passed.
bool WaitForKeys(size_t count) {
  for (int i = 0; i < 500; ++i) {
    if (SentKeys().size() >= count) return true;
    Sleep(10);
  }
  return false;
}

TEST_F(KeyOutputTest, ThreadTypesOnEachSignalAndEndsOnTheEndEvent) {
  HANDLE data = CreateEventW(nullptr, FALSE, FALSE, L"EventSarnuDataAvailable");
  HANDLE end = CreateEventW(nullptr, TRUE, FALSE, L"EventSarnuEnd");
  ASSERT_TRUE(data && end);
  HANDLE thread = CreateThread(
      nullptr, 0, [](LPVOID) -> DWORD { return DWORD(OutputThread()); }, nullptr, 0, nullptr);
  ASSERT_NE(thread, nullptr);

  // Two barcodes behind one signal are typed in one pass, in queue order.
  Queue("a\r", suffixChar_);
  Queue("b\r", suffixChar_);
  SetEvent(data);
  ASSERT_TRUE(WaitForKeys(12));
  EXPECT_EQ(Join(SentKeys()), "LWin^ A_ A^ LWin^ Enter_ Enter^ LWin^ B_ B^ LWin^ Enter_ Enter^");

  SetEvent(end);
  ASSERT_EQ(WaitForSingleObject(thread, 10000), WAIT_OBJECT_0);
  DWORD result = 0;
  GetExitCodeThread(thread, &result);
  EXPECT_EQ(result, 1u);
  // Items queued after the end are left to the exit code, not typed.
  Queue("c\r", suffixChar_);
  SetEvent(data);
  Sleep(50);
  EXPECT_EQ(SentKeys().size(), 12u);
  CloseHandle(thread);
  CloseHandle(data);
  CloseHandle(end);
}

}  // namespace
