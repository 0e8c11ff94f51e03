// The stand-in device library: terminal identity, the settings-file path it hands out, the
// log lines its signal calls leave, and injected faults (shared by all three libraries).
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "sim_test_support.h"

namespace {

class DeviceLibrary : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_NE(lib_.get(), nullptr); }
  template <typename Fn>
  Fn Call(const char* name) {
    Fn f = lib_.Named<Fn>(name);
    EXPECT_NE(f, nullptr) << name;
    return f;
  }
  SimLibrary lib_{kDvcLibraryName};
};

TEST_F(DeviceLibrary, ModelNameIsTheTerminalsModelOnceSetUp) {
  auto model_name = Call<DvcGetModelNameFn>("DvcGetModelName");
  uint32_t model = 0, a = 5, b = 5;
  InitTerminal(kSimReaderLaser, 11);
  EXPECT_NE(model_name(&model, &a, &b), 0);
  EXPECT_EQ(model, 11u);
  EXPECT_NE(model_name(&model, nullptr, nullptr), 0) << "unused outputs may be null";
  EXPECT_EQ(model_name(nullptr, &a, &b), 0);
  ForgetTerminal();
  EXPECT_EQ(model_name(&model, &a, &b), 0);
}

TEST_F(DeviceLibrary, SystemNameIsTheReadersFileInTheGivenFolder) {
  auto system_name = Call<DvcGetSystemNameFn>("DvcGetSystemName");
  const std::wstring long_dir = L"\\" + std::wstring(kDvcSystemNameUnits - 12, L'd');
  const struct {
    const wchar_t* dir;
    int32_t which;
    int32_t result;
    const wchar_t* path;
  } rows[] = {
      {L"\\Flash Disk\\Laser", kDvcSystemNameLaser, 1, L"\\Flash Disk\\Laser\\LZRDRV.ini"},
      {L"\\Flash Disk\\Imager\\", kDvcSystemNameImager, 1, L"\\Flash Disk\\Imager\\PIXSet.ini"},
      {L"\\Windows", 3, 0, nullptr},
      {nullptr, kDvcSystemNameLaser, 0, nullptr},
      {long_dir.c_str(), kDvcSystemNameImager, 0, nullptr},  // the path would not fit
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.dir ? std::string(row.dir, row.dir + wcslen(row.dir)) : "no folder");
    InitTerminal(kSimReaderLaser, 10, row.dir);
    WCHAR buffer[kDvcSystemNameUnits + 4];
    wmemset(buffer, L'#', kDvcSystemNameUnits + 4);
    EXPECT_EQ(system_name(row.which, buffer), row.result);
    if (row.path) {
      EXPECT_STREQ(buffer, row.path);
    }
    EXPECT_EQ(buffer[kDvcSystemNameUnits], L'#') << "wrote past the 260-character buffer";
  }
}

TEST_F(DeviceLibrary, SignalCallsLeaveOneLogLineEach) {
  InitTerminal(kSimReaderLaser);
  const struct {
    std::function<void()> call;
    const char* line;
  } rows[] = {
      {[&] { Call<DvcSetLEDFn>("DvcSetLED")(2, 1, 4, 0); }, "DvcSetLED 2 1 4 0"},
      {[&] { Call<DvcSetLEDFn>("DvcSetLED")(13, -1, 1, 1); }, "DvcSetLED 13 -1 1 1"},
      {[&] { Call<DvcPlayBuzzerFn>("DvcPlayBuzzer")(4, 2500, 300); }, "DvcPlayBuzzer 4 2500 300"},
      {[&] { Call<DvcStopBuzzerFn>("DvcStopBuzzer")(); }, "DvcStopBuzzer"},
      {[&] { Call<DvcPlayVibratorFn>("DvcPlayVibrator")(3, 0, 0, 0); }, "DvcPlayVibrator 3 0 0 0"},
      {[&] { Call<DvcSetBootupFn>("DvcSetBootup")(0x1400); }, "DvcSetBootup 0x1400"},
      {[&] { Call<DvcSetBootupFn>("DvcSetBootup")(0); }, "DvcSetBootup 0x0"},
      {[&] { Call<DvcSoftResetFn>("DvcSoftReset")(); }, "DvcSoftReset"},
      {[&] { Call<DvcGetUserDefineKeyStateFn>("DvcGetUserDefineKeyState")(); },
       "DvcGetUserDefineKeyState"},
      {[&] { Call<DvcSetUserDefineKeyStateFn>("DvcSetUserDefineKeyState")(0); },
       "DvcSetUserDefineKeyState 0"},
      {[&] { Call<DvcDeleteUserDefineKeyExFn>("DvcDeleteUserDefineKeyEx")(3, 0x86); },
       "DvcDeleteUserDefineKeyEx 3 134"},
  };
  std::vector<std::string> expected;
  for (const auto& row : rows) {
    row.call();
    expected.push_back(row.line);
  }
  EXPECT_EQ(LogTexts(), expected);
  // Stamps never go backwards.
  SimLock lock;
  for (uint32_t i = 1; i < lock->log_written; ++i) {
    EXPECT_LE(lock->log[i - 1].stamp, lock->log[i].stamp);
  }
}

TEST_F(DeviceLibrary, UserKeyStateKeepsWhatWasSet) {
  InitTerminal(kSimReaderLaser);
  auto get = Call<DvcGetUserDefineKeyStateFn>("DvcGetUserDefineKeyState");
  auto set = Call<DvcSetUserDefineKeyStateFn>("DvcSetUserDefineKeyState");
  EXPECT_EQ(get(), 1);
  set(0);
  EXPECT_EQ(get(), 0);
}

TEST_F(DeviceLibrary, FaultsOnceAndAlways) {
  InitTerminal(kSimReaderLaser, 12);
  auto model_name = Call<DvcGetModelNameFn>("DvcGetModelName");
  uint32_t model = 0;
  {
    SimLock lock;
    ASSERT_TRUE(SimSetFault(lock.get(), "DvcGetModelName", 0, 1));
  }
  EXPECT_EQ(model_name(&model, nullptr, nullptr), 0);
  EXPECT_EQ(model, 0u) << "a failed call wrote its output";
  EXPECT_EQ(model_name(&model, nullptr, nullptr), 1) << "a once-only fault stayed";
  EXPECT_EQ(model, 12u);

  auto bootup = Call<DvcSetBootupFn>("DvcSetBootup");
  {
    SimLock lock;
    ASSERT_TRUE(SimSetFault(lock.get(), "DvcSetBootup", 0, 0));
  }
  EXPECT_EQ(bootup(0x1), 0);
  EXPECT_EQ(bootup(0x2), 0);
  {
    SimLock lock;
    SimClearFault(lock.get(), "DvcSetBootup");
  }
  EXPECT_EQ(bootup(0x3), 1);
  const std::vector<std::string> expected = {"fault DvcGetModelName 0", "fault DvcSetBootup 0",
                                             "fault DvcSetBootup 0", "DvcSetBootup 0x3"};
  EXPECT_EQ(LogTexts(), expected) << "a faulted call must not log as done";
}

TEST(SimulatorState, AFullFaultTableRefusesRatherThanOverwrites) {
  InitTerminal(kSimReaderLaser);
  SimLock lock;
  char name[16];
  for (int i = 0; i < kSimFaultSlots; ++i) {
    snprintf(name, sizeof name, "Call%d", i);
    ASSERT_TRUE(SimSetFault(lock.get(), name, i, 0));
  }
  EXPECT_FALSE(SimSetFault(lock.get(), "OneMore", 1, 0));
  EXPECT_TRUE(SimSetFault(lock.get(), "Call3", 33, 1)) << "replacing needs no free slot";
  int32_t code = 0;
  EXPECT_TRUE(SimTakeFault(lock.get(), "Call3", &code));
  EXPECT_EQ(code, 33);
}

TEST(SimulatorState, QueueKeepsOrderAndRefusesWhenFull) {
  InitTerminal(kSimReaderLaser);
  for (int i = 0; i < kSimQueueSize; ++i) QueueBarcode(std::to_string(i));
  SimLock lock;
  SimBarcode extra = {};
  extra.length = 1;
  EXPECT_FALSE(SimQueuePush(lock.get(), extra));
  static SimBarcode b;
  for (int i = 0; i < kSimQueueSize; ++i) {
    ASSERT_TRUE(SimQueuePop(lock.get(), &b));
    EXPECT_EQ(std::string(b.data, b.length), std::to_string(i));
  }
  EXPECT_FALSE(SimQueuePop(lock.get(), &b));
}

TEST(SimulatorState, TheLogKeepsTheNewestLines) {
  InitTerminal(kSimReaderLaser);
  {
    SimLock lock;
    for (int i = 0; i < kSimLogSize + 10; ++i) SimLog(lock.get(), "line %d", i);
  }
  const std::vector<std::string> log = LogTexts();
  ASSERT_EQ(log.size(), static_cast<size_t>(kSimLogSize));
  EXPECT_EQ(log.front(), "line 10");
  EXPECT_EQ(log.back(), "line " + std::to_string(kSimLogSize + 9));
}

}  // namespace
