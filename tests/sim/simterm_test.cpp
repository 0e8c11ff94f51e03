// simterm run as a child process against the terminal this test process sees through the
// libraries: two processes, one state. Also its usage errors and exit codes.
#include <gtest/gtest.h>

#include <string>

#include "sim_test_support.h"

namespace {

std::string Simterm(const std::string& arguments, int expected_code = 0) {
  std::string out, err;
  EXPECT_EQ(RunSimterm(arguments, &out, &err), expected_code) << arguments << "\n" << err;
  return out;
}

std::string TempFile(const char* name, const std::string& bytes) {
  char folder[MAX_PATH];
  GetTempPathA(MAX_PATH, folder);
  std::string path = std::string(folder) + name;
  HANDLE f = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  DWORD n = 0;
  WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &n, nullptr);
  CloseHandle(f);
  return path;
}

std::vector<std::string> QueuedTexts() {
  std::vector<std::string> texts;
  SimLock lock;
  for (uint32_t i = 0; i < lock->queue_count; ++i) {
    const SimBarcode& b = lock->queue[(lock->queue_head + i) % kSimQueueSize];
    texts.push_back(std::string(b.data, b.length));
  }
  return texts;
}

TEST(Simterm, BadUsageExitsTwoWithOneLineOnStderr) {
  InitTerminal(kSimReaderLaser);
  const char* rows[] = {
      "",
      "frobnicate",
      "init --reader laser",
      "init --model 10 --reader scanner",
      "init --model ten --reader laser",
      "set led",
      "set led 256",
      "set suffix-code -1",
      "set decode-mode 1,10",
      "set colour 3",
      "fail LZRopen 5",
      "fail LZROpen five",
      "fail LZROpen 5 --twice",
      "scan",
      "scan --type x ABC",
      "scan --symbology AB ABC",
      "scan ABC\\q",
      "scan ABC\\x4",
      "press 0",
      "press 255",
      "log --since",
      "wait log",
      "wait scanning maybe",
      "wait queue-empty --timeout",
  };
  for (const char* args : rows) {
    SCOPED_TRACE(args);
    std::string out, err;
    EXPECT_EQ(RunSimterm(args, &out, &err), 2);
    EXPECT_EQ(err.rfind("simterm: ", 0), 0u) << err;
    EXPECT_EQ(err.find('\n'), err.size() - 1) << "one line: " << err;
  }
  EXPECT_EQ(QueuedTexts().size(), 0u);
}

TEST(Simterm, InitMakesATerminalTheLibrariesSee) {
  SimLibrary laser(kLzrLibraryName);
  SimLibrary device(kDvcLibraryName);
  auto open = laser.Named<LZROpenFn>("LZROpen");
  auto system_name = device.Named<DvcGetSystemNameFn>("DvcGetSystemName");
  auto model_name = device.Named<DvcGetModelNameFn>("DvcGetModelName");
  ASSERT_TRUE(open && system_name && model_name);

  Simterm("init --model 11 --reader laser --system-name-dir \"\\Flash Disk\\System\"");
  EXPECT_EQ(open(0, 0), 0);
  WCHAR path[kDvcSystemNameUnits];
  EXPECT_EQ(system_name(kDvcSystemNameLaser, path), 1);
  EXPECT_STREQ(path, L"\\Flash Disk\\System\\LZRDRV.ini");
  uint32_t model = 0;
  EXPECT_EQ(model_name(&model, nullptr, nullptr), 1);
  EXPECT_EQ(model, 11u);

  Simterm("init --model 3 --reader none");
  EXPECT_NE(open(0, 0), 0);
  EXPECT_EQ(system_name(kDvcSystemNameLaser, path), 0);
}

TEST(Simterm, SetChangesWhatTheLibrariesReport) {
  SimLibrary laser(kLzrLibraryName);
  auto suffix = laser.Named<LZRGetSuffixCharFn>("LZRGetSuffixChar");
  auto timeout = laser.Named<LZRGetScanningTimeoutFn>("LZRGetScanningTimeout");
  auto keys = laser.Named<LZRGetScanningKeyFn>("LZRGetScanningKey");
  auto load = laser.Named<LZRLoadConfigFileFn>("LZRLoadConfigFile");
  ASSERT_TRUE(suffix && timeout && keys && load);
  Simterm("init --model 10 --reader laser");
  Simterm("set suffix-code 3");
  Simterm("set timeout 1500");
  Simterm("set scanning-keys 0x183");
  Simterm("set config-load-result -63738");
  uint8_t code = 0;
  uint32_t ms = 0, mask = 0;
  EXPECT_EQ(suffix(&code), 0);
  EXPECT_EQ(code, 3);
  EXPECT_EQ(timeout(&ms), 0);
  EXPECT_EQ(ms, 1500u);
  EXPECT_EQ(keys(&mask), 0);
  EXPECT_EQ(mask, 0x183u);
  EXPECT_EQ(load(), kLzrConfigMissing);
  Simterm("set config-load-result 0xFFFF0706");
  EXPECT_EQ(load(), kLzrConfigMissing);

  SimLibrary imager(kPixLibraryName);
  auto get_mode = imager.Ordinal<PixGetDecodeModeFn>(kPixOrdinalGetDecodeMode);
  ASSERT_NE(get_mode, nullptr);
  Simterm("set reader imager");
  Simterm("set decode-mode 1,10,0");
  uint32_t mode = 0, count = 0;
  uint16_t flags = 5;
  EXPECT_EQ(get_mode(&mode, &count, &flags), 0);
  EXPECT_EQ(mode, 1u);
  EXPECT_EQ(count, 10u);
  EXPECT_EQ(flags, 0);
}

TEST(Simterm, ANeverInitialisedTerminalRefusesChanges) {
  ForgetTerminal();
  Simterm("set led 1", 1);
  Simterm("scan ABC", 1);
  Simterm("fail LZROpen 5", 1);
}

TEST(Simterm, ScannedBarcodesReachTheLaserOfAnotherProcessInOrder) {
  SimLibrary laser(kLzrLibraryName);
  auto start = laser.Named<LZRStartScanningFn>("LZRStartScanning");
  auto notify = laser.Named<LZRSetScanningNotificationFn>("LZRSetScanningNotification");
  auto gets = laser.Named<LZRGetsFn>("LZRGets");
  auto clear = laser.Named<LZRClearBuffFn>("LZRClearBuff");
  auto stop = laser.Named<LZRStopScanningFn>("LZRStopScanning");
  ASSERT_TRUE(start && notify && gets && clear && stop);
  HANDLE event = OpenEventW(SYNCHRONIZE, FALSE, kLzrScanningEventName);
  ASSERT_NE(event, nullptr);

  Simterm("init --model 10 --reader laser");
  Simterm("set suffix-code 2");
  Simterm("scan --type 512 \\x1D0112345 \"with \\\\\\\"quotes\\\\\\\"\" back\\\\slash");
  ASSERT_EQ(notify(2, 0), 0);
  ASSERT_EQ(start(0), 0);
  const char* expected[] = {
      "\x1D"
      "0112345\r\n",
      "with \"quotes\"\r\n", "back\\slash\r\n"};
  for (const char* text : expected) {
    ASSERT_EQ(WaitForSingleObject(event, 2000), WAIT_OBJECT_0) << text;
    char buffer[kLzrTextBufferSize];
    int32_t type = 0;
    uint8_t length = 0;
    ASSERT_EQ(gets(buffer, &type, &length), 0);
    EXPECT_EQ(std::string(buffer, length), text);
    EXPECT_EQ(type, 512);
    clear();
  }
  Simterm("wait queue-empty --timeout 1000");
  stop();
  CloseHandle(event);
}

TEST(Simterm, ScanFromAFileQueuesEveryLine) {
  InitTerminal(kSimReaderImager);
  std::string path = TempFile("simterm_scan.txt", "one\r\ntwo\\x09\n\nthree");
  Simterm("scan --symbology j --file \"" + path + "\"");
  const std::vector<std::string> expected = {"one", "two\t", "three"};
  EXPECT_EQ(QueuedTexts(), expected);
  DeleteFileA(path.c_str());
  Simterm("scan --file \"" + path + "\"", 1);
}

TEST(Simterm, ScanQueuesAllOrNothing) {
  InitTerminal(kSimReaderLaser);
  // Suffix code 0 appends one character: 254 bytes fit a laser read, 255 do not.
  Simterm("scan " + std::string(254, 'x'));
  Simterm("scan good " + std::string(255, 'x'), 2);
  EXPECT_EQ(QueuedTexts().size(), 1u);

  std::string many = "scan";
  for (int i = 0; i < kSimQueueSize; ++i) many += " b" + std::to_string(i);
  Simterm(many, 1);
  EXPECT_EQ(QueuedTexts().size(), 1u) << "a queue without room took part of a scan";
}

TEST(Simterm, FaultInjectionOnceAndAlways) {
  SimLibrary laser(kLzrLibraryName);
  auto open = laser.Named<LZROpenFn>("LZROpen");
  auto close = laser.Named<LZRCloseFn>("LZRClose");
  ASSERT_TRUE(open && close);
  Simterm("init --model 10 --reader laser");
  Simterm("fail LZROpen -5 --once");
  Simterm("fail LZRClose 9");
  EXPECT_EQ(open(0, 0), -5);
  EXPECT_EQ(open(0, 0), 0);
  EXPECT_EQ(close(), 9);
  EXPECT_EQ(close(), 9);
  Simterm("fail --clear LZRClose");
  EXPECT_EQ(close(), 0);
  Simterm("fail LZROpen 1");
  Simterm("fail --clear");
  EXPECT_EQ(open(0, 0), 0);
}

TEST(Simterm, LogShowsCallsOfOtherProcessesWithTimeStamps) {
  SimLibrary device(kDvcLibraryName);
  auto led = device.Named<DvcSetLEDFn>("DvcSetLED");
  auto bootup = device.Named<DvcSetBootupFn>("DvcSetBootup");
  ASSERT_TRUE(led && bootup);
  Simterm("init --model 10 --reader laser");
  led(2, 1, 4, 0);
  Sleep(30);
  const uint32_t middle = static_cast<uint32_t>(std::stoul(Simterm("now")));
  Sleep(30);
  bootup(0x1400);

  const std::string all = Simterm("log");
  EXPECT_NE(all.find(" DvcSetLED 2 1 4 0\n"), std::string::npos) << all;
  EXPECT_NE(all.find(" DvcSetBootup 0x1400\n"), std::string::npos) << all;
  const std::string recent = Simterm("log --since " + std::to_string(middle));
  EXPECT_EQ(recent.find("DvcSetLED"), std::string::npos) << recent;
  const uint32_t stamp = static_cast<uint32_t>(std::stoul(recent));
  EXPECT_GE(stamp, middle);
  EXPECT_EQ(recent.substr(recent.find(' ')), " DvcSetBootup 0x1400\n");

  EXPECT_EQ(Simterm("log --clear"), all) << "clearing prints what it clears";
  EXPECT_EQ(Simterm("log"), "");
}

TEST(Simterm, WaitSeesWhatAnotherProcessDoes) {
  SimLibrary device(kDvcLibraryName);
  auto reset = device.Named<DvcSoftResetFn>("DvcSoftReset");
  ASSERT_NE(reset, nullptr);
  InitTerminal(kSimReaderLaser);
  Simterm("wait log DvcSoftReset --timeout 100", 1);
  Simterm("wait scanning off --timeout 100");
  Simterm("wait scanning on --timeout 100", 1);
  reset();
  const std::string line = Simterm("wait log SoftReset --timeout 2000");
  EXPECT_NE(line.find(" DvcSoftReset"), std::string::npos) << line;
  QueueBarcode("waiting");
  Simterm("wait queue-empty --timeout 100", 1);
}

}  // namespace
