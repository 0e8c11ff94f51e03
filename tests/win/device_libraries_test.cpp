// The loader of the maker's libraries: missing libraries and missing
// functions answer like failing calls, real ones are found by name and by
// ordinal, and loading happens once.
#include "device_libraries.h"

#include <gtest/gtest.h>

#include <cstring>

#include "reader_detection.h"
#include "settings.h"

namespace {

class DeviceLibrariesTest : public ::testing::Test {
 protected:
  void TearDown() override { UnloadDeviceLibraries(); }
};

// Every call a stand-in answers: reader calls fail, device queries fail, the
// device's signal calls do nothing; outputs keep what the caller put there.
void ExpectStandInAnswers() {
  uint32_t keys = 0x55;
  EXPECT_EQ(g_LZReadLib.LZROpen(0, 0), kDeviceLibraryMissing);
  EXPECT_NE(g_LZReadLib.LZRClose(), 0);
  EXPECT_NE(g_LZReadLib.LZRGetScanningKey(&keys), 0);
  EXPECT_EQ(keys, 0x55u);
  char text[kLzrTextBufferSize] = "kept";
  int32_t type = 7;
  uint8_t length = 9;
  EXPECT_NE(g_LZReadLib.LZRGets(text, &type, &length), 0);
  EXPECT_STREQ(text, "kept");
  EXPECT_EQ(type, 7);
  EXPECT_EQ(length, 9);
  EXPECT_NE(g_LZReadLib.LZRStartScanning(0), 0);
  EXPECT_NE(g_LZReadLib.LZRLoadConfigFile(), kLzrConfigMissing);

  uint32_t model = 42;
  EXPECT_EQ(g_DvcLib.DvcGetModelName(&model, nullptr, nullptr), 0);
  EXPECT_EQ(model, 42u);
  WCHAR name[kDvcSystemNameUnits] = L"kept";
  EXPECT_EQ(g_DvcLib.DvcGetSystemName(kDvcSystemNameLaser, name), 0);
  EXPECT_STREQ(name, L"kept");
  EXPECT_EQ(g_DvcLib.DvcSetLED(2, 1, 4, 0), 0);
  EXPECT_EQ(g_DvcLib.DvcPlayBuzzer(3, 0, 0), 0);
  EXPECT_EQ(g_DvcLib.DvcPlayVibrator(3, 0, 0, 0), 0);
  EXPECT_EQ(g_DvcLib.DvcSetBootup(0x400), 0);
  EXPECT_EQ(g_DvcLib.DvcGetUserDefineKeyState(), 0);
}

TEST_F(DeviceLibrariesTest, TablesAreSafeBeforeAnyLoad) { ExpectStandInAnswers(); }

TEST_F(DeviceLibrariesTest, MissingLibrariesAnswerLikeFailingCalls) {
  EXPECT_EQ(LoadDeviceLibrariesFrom(L"NoSuchLaser.dll", L"NoSuchImager.dll", L"NoSuchDvc.dll"), 0);
  ExpectStandInAnswers();
  EXPECT_NE(g_PixLib.PixOpen(), 0);
  EXPECT_NE(g_PixLib.PixConnect(), 0);
  EXPECT_NE(g_PixLib.PixLoadConfigFile(L"\\x.ini"), kPixConfigNotLoaded);
  // A missing imager must not block the caller's decode thread.
  WCHAR text[kPixTextBufferUnits];
  WCHAR identifier[kPixSymbologyBufferUnits];
  int32_t length = -5;
  EXPECT_NE(g_PixLib.PixDecode(kPixNoTimeout, text, identifier, nullptr, nullptr, &length, nullptr),
            0);
  EXPECT_EQ(length, -5);
}

TEST_F(DeviceLibrariesTest, ALibraryWithoutTheOperationsStillFailsThem) {
  // kernel32 loads but exports none of these names. (The imager is found by
  // ordinal, which any library has, so it is not tried this way.)
  EXPECT_EQ(LoadDeviceLibrariesFrom(L"kernel32.dll", L"NoSuchImager.dll", L"kernel32.dll"),
            kLaserLibraryLoaded | kDeviceLibraryLoaded);
  ExpectStandInAnswers();
}

TEST_F(DeviceLibrariesTest, NoReaderWhenTheReaderLibrariesAreMissing) {
  LoadDeviceLibrariesFrom(L"NoSuchLaser.dll", L"NoSuchImager.dll", L"NoSuchDvc.dll");
  EXPECT_EQ(DetectScanner(), kScannerNone);
  Settings record(kScannerLaser, nullptr, nullptr);
  ChooseFileLocations(record);
  EXPECT_STREQ(reinterpret_cast<const wchar_t*>(record.IniPath),
               L"\\FlashDisk\\System Settings\\SARNU.INI");
}

TEST_F(DeviceLibrariesTest, FindsTheSimulatorByNameAndByOrdinal) {
  ASSERT_EQ(LoadDeviceLibraries(),
            kLaserLibraryLoaded | kImagerLibraryLoaded | kDeviceLibraryLoaded);
  HMODULE laser = GetModuleHandleW(kLzrLibraryName);
  HMODULE imager = GetModuleHandleW(kPixLibraryName);
  HMODULE device = GetModuleHandleW(kDvcLibraryName);
  ASSERT_NE(laser, nullptr);
  ASSERT_NE(imager, nullptr);
  ASSERT_NE(device, nullptr);
  EXPECT_EQ(reinterpret_cast<void*>(g_LZReadLib.LZRGets),
            reinterpret_cast<void*>(GetProcAddress(laser, "LZRGets")));
  EXPECT_EQ(reinterpret_cast<void*>(g_PixLib.PixDecode),
            reinterpret_cast<void*>(GetProcAddress(imager, MAKEINTRESOURCEA(kPixOrdinalDecode))));
  EXPECT_EQ(
      reinterpret_cast<void*>(g_PixLib.PixSetVibrator),
      reinterpret_cast<void*>(GetProcAddress(imager, MAKEINTRESOURCEA(kPixOrdinalSetVibrator))));
  EXPECT_EQ(reinterpret_cast<void*>(g_DvcLib.DvcSetBootup),
            reinterpret_cast<void*>(GetProcAddress(device, "DvcSetBootup")));
}

TEST_F(DeviceLibrariesTest, LoadsOnceAndUnloadsToStandIns) {
  const int first = LoadDeviceLibraries();
  ASSERT_NE(first, 0);
  const LZROpenFn open = g_LZReadLib.LZROpen;
  EXPECT_EQ(LoadDeviceLibraries(), first);
  EXPECT_EQ(g_LZReadLib.LZROpen, open);

  UnloadDeviceLibraries();
  EXPECT_EQ(GetModuleHandleW(kLzrLibraryName), nullptr);
  ExpectStandInAnswers();
  EXPECT_EQ(LoadDeviceLibraries(), first);  // afresh after an unload
}

}  // namespace
