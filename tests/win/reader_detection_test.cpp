// Reader detection and the choice of the settings files, against the
// simulated terminal and the prefix's real registry and drive C:.
#include "reader_detection.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "device_libraries.h"
#include "settings.h"
#include "terminal_harness.h"

namespace {

const wchar_t kNewerFolder[] = L"\\Documents and Settings\\System Settings";
const wchar_t kNewerIni[] = L"\\Documents and Settings\\System Settings\\SARNU.INI";
const wchar_t kOlderIni[] = L"\\FlashDisk\\System Settings\\SARNU.INI";

// A terminal with the simulator's libraries loaded and no active drivers or
// settings folders left over from another test.
class TerminalTest : public ::testing::Test {
 protected:
  void SetUp() override {
    UnloadDeviceLibraries();
    ASSERT_EQ(LoadDeviceLibraries(),
              kLaserLibraryLoaded | kImagerLibraryLoaded | kDeviceLibraryLoaded);
    RemoveFolder(kNewerFolder);
    RemoveFolder(L"\\FlashDisk");
  }
  void TearDown() override {
    for (int number : drivers_) RemoveActiveDriver(number);
    RemoveFolder(kNewerFolder);
    RemoveFolder(L"\\FlashDisk");
    UnloadDeviceLibraries();
  }
  void Driver(int number, const wchar_t* name) {
    SetActiveDriver(number, name);
    drivers_.push_back(number);
  }

 private:
  std::vector<int> drivers_;
};

struct DriverEntry {
  int number;
  const wchar_t* name;
};

struct DetectionCase {
  const char* label;
  const wchar_t* reader;  // what the simulated terminal answers to opening
  std::vector<DriverEntry> drivers;
  const wchar_t* fault;  // simterm fail arguments, or null
  int32_t expected;
};

class DetectionTest : public TerminalTest, public ::testing::WithParamInterface<DetectionCase> {};

TEST_P(DetectionTest, FirstProbeThatAnswersWins) {
  const DetectionCase& c = GetParam();
  Simterm(std::wstring(L"init --model 5 --reader ") + c.reader);
  for (const DriverEntry& d : c.drivers) Driver(d.number, d.name);
  if (c.fault != nullptr) Simterm(std::wstring(L"fail ") + c.fault);
  EXPECT_EQ(DetectScanner(), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Outcomes, DetectionTest,
    ::testing::Values(
        DetectionCase{"ImagerDriverBeatsLaserDriver",
                      L"none",
                      {{3, L"DVB1:"}, {7, L"DVC1:"}},
                      nullptr,
                      kScannerImager},
        DetectionCase{
            "LaserDriverBeatsTheLibraries", L"imager", {{1, L"DVB1:"}}, nullptr, kScannerLaser},
        DetectionCase{"LaserDriverBeatsOlderImagerDriver",
                      L"none",
                      {{2, L"DVA1:"}, {4, L"DVB1:"}},
                      nullptr,
                      kScannerLaser},
        DetectionCase{"OlderImagerDriver", L"laser", {{99, L"DVA1:"}}, nullptr, kScannerImager},
        DetectionCase{"NamesMustMatchExactly",
                      L"none",
                      {{1, L"DVB1"}, {2, L"dvb1:"}, {3, L"DVB1:X"}, {4, L"XDVC1:"}},
                      nullptr,
                      kScannerNone},
        DetectionCase{"OnlyNumbers01To99AreDrivers",
                      L"none",
                      {{0, L"DVB1:"}, {100, L"DVC1:"}},
                      nullptr,
                      kScannerNone},
        DetectionCase{"ImagerLibrary", L"imager", {}, nullptr, kScannerImager},
        DetectionCase{"LaserLibrary", L"laser", {}, nullptr, kScannerLaser},
        DetectionCase{"NothingAnswers", L"none", {}, nullptr, kScannerNone},
        DetectionCase{"ImagerThatDoesNotConnect", L"imager", {}, L"PixConnect 5", kScannerNone},
        DetectionCase{"LaserThatDoesNotOpen", L"laser", {}, L"LZROpen 9", kScannerNone}),
    [](const ::testing::TestParamInfo<DetectionCase>& info) { return info.param.label; });

TEST_F(TerminalTest, DetectionClosesWhatItOpened) {
  Simterm(L"init --model 5 --reader imager");
  Simterm(L"log --clear");
  ASSERT_EQ(DetectScanner(), kScannerImager);
  EXPECT_EQ(SimLogArguments("PixDisconnect").size(), 1u);
  EXPECT_EQ(SimLogArguments("PixClose").size(), 1u);

  Simterm(L"init --model 5 --reader laser");
  ASSERT_EQ(DetectScanner(), kScannerLaser);
  EXPECT_EQ(SimLogArguments("LZROpen"), std::vector<std::string>{"0 0"});
  EXPECT_EQ(SimLogArguments("LZRClose").size(), 1u);
}

struct LocationCase {
  const char* label;
  const wchar_t* reader;
  int model;
  const wchar_t* systemNameDir;  // or null
  bool failModelName;
  bool newerFolder;     // "\Documents and Settings\System Settings" exists
  bool newerReaderIni;  // and the reader's INI in it
  const wchar_t* ini;
  const wchar_t* readerIni;
};

class LocationTest : public TerminalTest, public ::testing::WithParamInterface<LocationCase> {};

TEST_P(LocationTest, ChoosesTheFolder) {
  const LocationCase& c = GetParam();
  std::wstring init = L"init --model " + std::to_wstring(c.model) + L" --reader " + c.reader;
  if (c.systemNameDir != nullptr)
    init += std::wstring(L" --system-name-dir \"") + c.systemNameDir + L"\"";
  Simterm(init);
  if (c.failModelName) Simterm(L"fail DvcGetModelName 0");
  if (c.newerFolder) MakeFolder(kNewerFolder);
  if (c.newerReaderIni) {
    const std::wstring name =
        std::wstring(kNewerFolder) +
        (std::wstring(c.reader) == L"laser" ? L"\\LZRDRV.ini" : L"\\PIXSet.ini");
    ASSERT_TRUE(WriteFileBytes(name.c_str(), "[System]\r\n"));
  }
  Settings record(DetectScanner(), nullptr, nullptr);
  ChooseFileLocations(record);
  EXPECT_EQ(Wide(record.IniPath), c.ini);
  EXPECT_EQ(Wide(record.ReaderIniPath), c.readerIni);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, LocationTest,
    ::testing::Values(
        LocationCase{"SystemNameLaser", L"laser", 5, L"\\Custom\\Cfg", false, true, false,
                     L"\\Custom\\Cfg\\SARNU.INI", L"\\Custom\\Cfg\\LZRDRV.ini"},
        LocationCase{"SystemNameImager", L"imager", 10, L"\\Custom\\Cfg", false, false, false,
                     L"\\Custom\\Cfg\\SARNU.INI", L"\\Custom\\Cfg\\PIXSet.ini"},
        LocationCase{"Model10WithoutFolder", L"laser", 10, nullptr, false, false, false, kNewerIni,
                     L"\\Documents and Settings\\System Settings\\LZRDRV.ini"},
        LocationCase{"Model11WithoutFolder", L"imager", 11, nullptr, false, false, false, kNewerIni,
                     L"\\Documents and Settings\\System Settings\\PIXSet.ini"},
        LocationCase{"NewerFolderExists", L"laser", 5, nullptr, false, true, false, kNewerIni,
                     L"\\Documents and Settings\\System Settings\\LZRDRV.ini"},
        LocationCase{"ReaderIniAtNewer", L"imager", 5, nullptr, false, true, true, kNewerIni,
                     L"\\Documents and Settings\\System Settings\\PIXSet.ini"},
        LocationCase{"OlderByDefault", L"laser", 5, nullptr, false, false, false, kOlderIni,
                     L"\\FlashDisk\\System Settings\\LZRDRV.ini"},
        LocationCase{"ModelNameFailsOnModel10", L"imager", 10, nullptr, true, true, false,
                     kOlderIni, L"\\FlashDisk\\System Settings\\PIXSet.ini"},
        LocationCase{"NoReader", L"none", 10, L"\\Custom\\Cfg", false, true, false, L"", L""}),
    [](const ::testing::TestParamInfo<LocationCase>& info) { return info.param.label; });

// Device answers that the simulator does not give: what a library reports
// is checked before it becomes a path.
const wchar_t* g_fakeSystemName = nullptr;
int32_t WINAPI FakeSystemName(int32_t, WCHAR* buffer) {
  if (g_fakeSystemName == nullptr) {
    for (int i = 0; i < kDvcSystemNameUnits; ++i) buffer[i] = L'A';  // no terminator at all
  } else {
    wcsncpy(buffer, g_fakeSystemName, kDvcSystemNameUnits);
  }
  return 1;
}
int32_t WINAPI FakeModelName(uint32_t* model, uint32_t*, uint32_t*) {
  *model = 10;
  return 1;
}

TEST_F(TerminalTest, UnusableSystemNamesFallBackToTheModelRule) {
  const std::wstring longFolder = L"\\" + std::wstring(250, L'd') + L"\\LZRDRV.ini";
  const wchar_t* unusable[] = {L"LZRDRV.ini", longFolder.c_str(), nullptr};
  for (const wchar_t* name : unusable) {
    g_fakeSystemName = name;
    g_DvcLib.DvcGetSystemName = FakeSystemName;
    g_DvcLib.DvcGetModelName = FakeModelName;
    Settings record(kScannerLaser, nullptr, nullptr);
    ChooseFileLocations(record);
    EXPECT_EQ(Wide(record.IniPath), kNewerIni) << (name ? "" : "unterminated");
  }
}

TEST_F(TerminalTest, ALongButFittingFolderIsKeptWhole) {
  // 245 units of folder plus "LZRDRV.ini" and the terminator just fit.
  const std::wstring folder = L"\\" + std::wstring(243, L'd') + L"\\";
  const std::wstring name = folder + L"LZRDRV.ini";
  g_fakeSystemName = name.c_str();
  g_DvcLib.DvcGetSystemName = FakeSystemName;
  Settings record(kScannerLaser, nullptr, nullptr);
  ChooseFileLocations(record);
  EXPECT_EQ(Wide(record.IniPath), folder + L"SARNU.INI");
  EXPECT_EQ(Wide(record.ReaderIniPath), folder + L"LZRDRV.ini");
}

TEST_F(TerminalTest, TheTerminalConstructorDetectsChoosesAndLoads) {
  Simterm(L"init --model 10 --reader laser");
  MakeFolder(kNewerFolder);
  ASSERT_TRUE(WriteFileBytes(kNewerIni, "[BulkScanning]\r\nBulkLimit=7\r\n"));
  Settings record;
  EXPECT_EQ(record.GetScannerType(), kScannerLaser);
  EXPECT_EQ(Wide(record.IniPath), kNewerIni);
  EXPECT_EQ(Wide(record.ReaderIniPath), L"\\Documents and Settings\\System Settings\\LZRDRV.ini");
  EXPECT_EQ(record.TempCopyActive, 0);
  EXPECT_EQ(record.BulkLimit, 7);
  EXPECT_EQ(record.BulkScannedListClearAfter, 3);  // missing key: default
}

TEST_F(TerminalTest, WithoutAReaderTheConstructorLoadsDefaults) {
  Simterm(L"init --model 10 --reader none");
  Settings record;
  EXPECT_EQ(record.GetScannerType(), kScannerNone);
  EXPECT_EQ(Wide(record.IniPath), L"");
  EXPECT_EQ(Wide(record.ReaderIniPath), L"");
  EXPECT_EQ(record.BulkLimit, 100);
}

}  // namespace
