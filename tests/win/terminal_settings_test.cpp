// The settings that act outside SARNU.INI: the function-key launch values in
// the registry, the power-on mask handed to the device (read back from the
// simulator's log) and the wedge's start-up shortcut.
#include "terminal_settings.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "device_libraries.h"
#include "settings.h"
#include "shortcut.h"
#include "startup_shortcut.h"
#include "terminal_harness.h"

namespace {

const wchar_t kKeyboardKey[] = L"HARDWARE\\DEVICEMAP\\KEYBD";
const wchar_t* const kLaunchValues[] = {L"Fn7LaunchPath", L"Fn8LaunchPath", L"Fn9LaunchPath"};
const wchar_t kBulk[] = L"\\Windows\\SarnuBulk.exe";
const wchar_t kOther[] = L"\\Windows\\Other.exe";

struct FunctionKeyCase {
  const char* label;
  int activationMode;
  int toggleKey;
  const wchar_t* before[3];  // null: the value does not exist
  const wchar_t* after[3];
};

class FunctionKeyTest : public ::testing::TestWithParam<FunctionKeyCase> {
 protected:
  void SetUp() override { RegDeleteKeyW(HKEY_LOCAL_MACHINE, kKeyboardKey); }
  void TearDown() override { RegDeleteKeyW(HKEY_LOCAL_MACHINE, kKeyboardKey); }
};

TEST_P(FunctionKeyTest, LaunchValuesAfterSavingTheBulkPage) {
  const FunctionKeyCase& c = GetParam();
  WriteRegistryText(kKeyboardKey, L"Unrelated", L"kept");
  for (int i = 0; i < 3; ++i) {
    if (c.before[i] != nullptr) WriteRegistryText(kKeyboardKey, kLaunchValues[i], c.before[i]);
  }
  Settings record(kScannerNone, nullptr, nullptr);
  record.SetBulkActivationMode(c.activationMode);
  record.SetBulkToggleKey(c.toggleKey);
  SaveFunctionKeyLaunchValues(record);

  for (int i = 0; i < 3; ++i) {
    std::wstring text;
    DWORD bytes = 0;
    const bool present = ReadRegistryText(kKeyboardKey, kLaunchValues[i], &text, &bytes);
    if (c.after[i] == nullptr) {
      EXPECT_FALSE(present) << i;
      continue;
    }
    ASSERT_TRUE(present) << i;
    EXPECT_EQ(text, c.after[i]) << i;
    // Stored with its terminator, as the keyboard driver reads it.
    EXPECT_EQ(bytes, (text.size() + 1) * sizeof(wchar_t)) << i;
  }
  std::wstring unrelated;
  EXPECT_TRUE(ReadRegistryText(kKeyboardKey, L"Unrelated", &unrelated));
  EXPECT_EQ(unrelated, L"kept");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FunctionKeyTest,
    ::testing::Values(
        FunctionKeyCase{
            "ToggleOnFn8ClearsOursKeepsOthers", 1, 1, {kBulk, kBulk, kOther}, {L"", kBulk, kOther}},
        FunctionKeyCase{
            "ToggleOnFn7", 1, 0, {nullptr, nullptr, nullptr}, {kBulk, nullptr, nullptr}},
        FunctionKeyCase{"ToggleOnFn9", 1, 2, {kOther, nullptr, L""}, {kOther, nullptr, kBulk}},
        FunctionKeyCase{
            "AnyOtherKeyMeansFn9", 1, 7, {kBulk, nullptr, kOther}, {L"", nullptr, kBulk}},
        FunctionKeyCase{"AlwaysOnLeavesNoneOfOurs", 0, 2, {kBulk, L"", kBulk}, {L"", L"", L""}},
        FunctionKeyCase{
            "LookAlikesAreSomeoneElses",
            0,
            0,
            {L"\\windows\\sarnubulk.exe", L"\\Windows\\SarnuBulk.exe2", L"\\Windows\\SarnuBulk.ex"},
            {L"\\windows\\sarnubulk.exe", L"\\Windows\\SarnuBulk.exe2",
             L"\\Windows\\SarnuBulk.ex"}}),
    [](const ::testing::TestParamInfo<FunctionKeyCase>& info) { return info.param.label; });

TEST_F(FunctionKeyTest, WithoutTheKeyboardKeyNothingIsWritten) {
  Settings record(kScannerNone, nullptr, nullptr);
  record.SetBulkActivationMode(1);
  SaveFunctionKeyLaunchValues(record);
  HKEY key = nullptr;
  EXPECT_NE(RegOpenKeyExW(HKEY_LOCAL_MACHINE, kKeyboardKey, 0, KEY_READ, &key), ERROR_SUCCESS);
}

struct BootCase {
  const char* label;
  const wchar_t* reader;
  const wchar_t* scanningKeys;
  int triggerPowerOn;
  int cradlePowerOn;
  uint32_t mask;
};

class BootMaskTest : public ::testing::TestWithParam<BootCase> {
 protected:
  void SetUp() override {
    UnloadDeviceLibraries();
    ASSERT_NE(LoadDeviceLibraries(), 0);
  }
  void TearDown() override { UnloadDeviceLibraries(); }
};

TEST_P(BootMaskTest, MaskReachesTheDevice) {
  const BootCase& c = GetParam();
  Simterm(std::wstring(L"init --model 5 --reader ") + c.reader);
  Simterm(std::wstring(L"set scanning-keys ") + c.scanningKeys);
  Simterm(L"log --clear");
  Settings record(kScannerNone, nullptr, nullptr);
  record.SetTriggerPowerOn(c.triggerPowerOn);
  record.SetCradlePowerOn(c.cradlePowerOn);
  ApplyBootSettings(record);

  const std::vector<std::string> calls = SimLogArguments("DvcSetBootup");
  ASSERT_EQ(calls.size(), 1u);  // also for mask 0
  EXPECT_EQ(std::strtoul(calls[0].c_str(), nullptr, 0), c.mask) << calls[0];
}

INSTANTIATE_TEST_SUITE_P(
    Table, BootMaskTest,
    ::testing::Values(BootCase{"BothOffStillSendsZero", L"laser", L"0x183", 0, 0, 0},
                      BootCase{"EveryTriggerKeyAndCradle", L"laser", L"0x183", 1, 1, 0x31C00},
                      BootCase{"FirstKey", L"laser", L"0x01", 1, 0, 0x1000},
                      BootCase{"SecondKey", L"laser", L"0x02", 1, 0, 0x800},
                      BootCase{"SideKeys", L"laser", L"0x180", 1, 0, 0x30000},
                      BootCase{"OtherKeyBitsDoNotCount", L"laser", L"0x7C", 1, 0, 0},
                      BootCase{"TriggerOffIgnoresKeys", L"laser", L"0x183", 0, 1, 0x400},
                      BootCase{"ImagerHasNoLaserKeys", L"imager", L"0x183", 1, 1, 0x400}),
    [](const ::testing::TestParamInfo<BootCase>& info) { return info.param.label; });

TEST(BootMaskWithoutLibraries, NothingIsCalledAndNothingBreaks) {
  UnloadDeviceLibraries();
  Settings record(kScannerNone, nullptr, nullptr);
  record.SetTriggerPowerOn(1);
  record.SetCradlePowerOn(1);
  ApplyBootSettings(record);  // stand-ins only: must simply return
}

class ShortcutTest : public ::testing::Test {
 protected:
  void SetUp() override {
    MakeFolder(L"\\Windows\\Startup");
    DeleteFileW(OnDriveC(L"\\Windows\\Startup\\SARNU.lnk").c_str());
  }
  void TearDown() override { DeleteFileW(OnDriveC(L"\\Windows\\Startup\\SARNU.lnk").c_str()); }
};

TEST_F(ShortcutTest, CreatedPointingAtTheWedgeAndDeleted) {
  EXPECT_FALSE(StartupShortcutExists());
  EXPECT_TRUE(SetStartupShortcut(true));
  EXPECT_TRUE(StartupShortcutExists());
  EXPECT_EQ(ReadFileBytes(L"\\Windows\\Startup\\SARNU.lnk"), "20#\"\\Windows\\Sarnu.exe\"");

  EXPECT_TRUE(SetStartupShortcut(false));
  EXPECT_FALSE(StartupShortcutExists());
  EXPECT_TRUE(SetStartupShortcut(false));  // nothing to delete is fine
}

TEST_F(ShortcutTest, AnOldShortcutIsReplaced) {
  ASSERT_TRUE(WriteFileBytes(L"\\Windows\\Startup\\SARNU.lnk", "25#\"\\Windows\\Elsewhere.exe\""));
  EXPECT_TRUE(SetStartupShortcut(true));
  EXPECT_EQ(ReadFileBytes(L"\\Windows\\Startup\\SARNU.lnk"), "20#\"\\Windows\\Sarnu.exe\"");
}

TEST_F(ShortcutTest, TheCountIsTheQuotedTargetLength) {
  const char16_t path[] = u"\\Windows\\Startup\\Other.lnk";
  EXPECT_TRUE(CreateShortcut(path, u"\\a.exe"));
  EXPECT_EQ(ReadFileBytes(L"\\Windows\\Startup\\Other.lnk"), "8#\"\\a.exe\"");
  const std::u16string longTarget = u"\\" + std::u16string(120, u'x') + u".exe";
  EXPECT_TRUE(CreateShortcut(path, longTarget.c_str()));
  EXPECT_EQ(ReadFileBytes(L"\\Windows\\Startup\\Other.lnk"),
            "127#\"\\" + std::string(120, 'x') + ".exe\"");
  DeleteFileW(OnDriveC(L"\\Windows\\Startup\\Other.lnk").c_str());
}

TEST_F(ShortcutTest, NoShortcutToNothing) {
  const char16_t path[] = u"\\Windows\\Startup\\Other.lnk";
  EXPECT_FALSE(CreateShortcut(path, u""));
  EXPECT_FALSE(CreateShortcut(path, std::u16string(260, u'x').c_str()));
  EXPECT_EQ(GetFileAttributesW(OnDriveC(L"\\Windows\\Startup\\Other.lnk").c_str()),
            INVALID_FILE_ATTRIBUTES);
}

}  // namespace
