// The reader object against the simulated terminal: trigger-key tables of
// both layouts, user-key release, activation order, aimer mode, the imager's
// values, and what a failing call leaves behind (its box answered here).
#include "scan_device.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <set>
#include <string>
#include <vector>

#include "device_libraries.h"
#include "process_globals.h"
#include "settings.h"
#include "terminal_harness.h"
#include "terminal_model.h"

namespace {

// "<call> <arguments>" of every log line, oldest first.
std::vector<std::string> LogLines() {
  std::string output;
  EXPECT_EQ(RunSimterm(L"log", &output), 0);
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < output.size()) {
    size_t end = output.find('\n', start);
    if (end == std::string::npos) end = output.size();
    std::string line = output.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    start = end + 1;
    const size_t space = line.find(' ');
    if (space != std::string::npos) lines.push_back(line.substr(space + 1));
  }
  return lines;
}

// True when `wanted` appear in the log in this order (other lines between);
// an entry without arguments matches the call with any arguments.
::testing::AssertionResult InOrder(const std::vector<std::string>& wanted) {
  const std::vector<std::string> lines = LogLines();
  size_t at = 0;
  for (const std::string& line : lines) {
    if (at < wanted.size() &&
        (line == wanted[at] || line.compare(0, wanted[at].size() + 1, wanted[at] + " ") == 0)) {
      ++at;
    }
  }
  if (at == wanted.size()) return ::testing::AssertionSuccess();
  std::string all;
  for (const std::string& line : lines) all += "\n  " + line;
  return ::testing::AssertionFailure() << "missing \"" << wanted[at] << "\" in:" << all;
}

bool Logged(const std::string& wanted) {
  for (const std::string& line : LogLines()) {
    if (line == wanted) return true;
  }
  return false;
}

std::set<int> MarkedKeys(const ScanDevice& device) {
  std::set<int> keys;
  for (int vk = 0; vk < kTriggerKeyTableSize; ++vk) {
    if (device.IsTriggerKey(vk)) keys.insert(vk);
  }
  return keys;
}

class ReaderControlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    UnloadDeviceLibraries();
    LoadDeviceLibraries();
    savedModel_ = ModelCode;
  }
  void TearDown() override {
    delete device_;
    delete settings_;
    g_settings = nullptr;
    ModelCode = savedModel_;
    UnloadDeviceLibraries();
  }
  void Build(int32_t scannerType, uint32_t model) {
    ModelCode = model;
    settings_ = new Settings(scannerType, u"", u"");
    g_settings = settings_;
    device_ = new ScanDevice(nullptr);
  }

  Settings* settings_ = nullptr;
  ScanDevice* device_ = nullptr;
  uint32_t savedModel_ = 0;
};

TEST_F(ReaderControlTest, TriggerKeyTablesOfBothLayouts) {
  Simterm(L"init --model 10 --reader none");
  Build(kScannerNone, 10);
  const struct {
    uint32_t model;
    uint32_t keys;
    std::set<int> marked;
  } rows[] = {
      // Layout A marks 137 whatever the bits say, and ignores 0x080.
      {10, 0x000, {137}},
      {10, 0x080, {137}},
      {10, 0x001, {135, 137, 139}},
      {10, 0x002, {132, 137, 142}},
      {10, 0x100, {131, 137, 138}},
      {10, 0x078, {37, 38, 39, 40, 137}},
      // Layout B: one virtual key per bit, 0x080 included.
      {11, 0x000, {}},
      {13, 0x001, {234}},
      {14, 0x002, {233}},
      {15, 0x080, {235}},
      {11, 0x100, {230}},
      {13, 0x1FB, {37, 38, 39, 40, 230, 233, 234, 235}},
  };
  for (const auto& row : rows) {
    ModelCode = row.model;
    device_->ScanningKeys = row.keys;
    device_->BuildTriggerKeyTable(1);
    EXPECT_EQ(MarkedKeys(*device_), row.marked) << "model " << row.model << " keys " << row.keys;
    device_->BuildTriggerKeyTable(0);
    EXPECT_TRUE(MarkedKeys(*device_).empty()) << "model " << row.model;
  }
}

TEST_F(ReaderControlTest, ReleasedKeyLeavesTheUserKeyStateAsItWas) {
  Simterm(L"init --model 10 --reader none");
  Build(kScannerNone, 10);
  for (int state : {0, 1}) {
    Simterm(L"set user-key-state " + std::to_wstring(state));
    Simterm(L"log --clear");
    device_->ReleaseUserKey(33);
    std::vector<std::string> expected = {
        "DvcDeleteUserDefineKeyEx 1 33", "DvcDeleteUserDefineKeyEx 3 33",
        "DvcDeleteUserDefineKeyEx 4 33", "DvcSetUserDefineKeyState 1"};
    if (state == 0) expected.push_back("DvcSetUserDefineKeyState 0");
    EXPECT_TRUE(InOrder(expected)) << "state " << state;
    EXPECT_EQ(SimLogArguments("DvcSetUserDefineKeyState").size(), state == 0 ? 2u : 1u);
  }
}

TEST_F(ReaderControlTest, CapabilitiesByModel) {
  const struct {
    uint32_t model;
    bool focus;
    bool layoutB;
    uint32_t imagerKeys;
  } rows[] = {
      {4, false, false, 0x003}, {7, true, false, 0x183},  {8, false, false, 0x003},
      {9, true, false, 0x103},  {10, true, false, 0x183}, {11, true, true, 0x183},
      {12, true, false, 0x183}, {13, true, true, 0x183},  {14, true, true, 0x103},
      {15, true, true, 0x103},  {16, true, false, 0x183}, {17, false, false, 0x003},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(ModelHasFocusControl(row.model), row.focus) << "model " << row.model;
    EXPECT_EQ(ModelUsesKeyLayoutB(row.model), row.layoutB) << "model " << row.model;
    EXPECT_EQ(ImagerScanningKeys(row.model), row.imagerKeys) << "model " << row.model;
  }
}

TEST_F(ReaderControlTest, LaserActivationHandsKeysAndSignalsToTheWedge) {
  Simterm(L"init --model 10 --reader laser");
  Simterm(L"set scanning-keys 257");
  Simterm(L"set suffix-code 2");
  Simterm(L"set scanning-type 3");
  Simterm(L"set config-load-result -63738");
  Build(kScannerLaser, 10);
  EXPECT_EQ(device_->Activate(), 1);
  EXPECT_TRUE(InOrder({"DvcSetLED 0 0 0 0", "LZRLoadConfigFile", "LZRSetDefaultSymbologyEx",
                       "LZRSaveConfigFile", "LZRSetScanningNotification 2 0", "LZRSetBuffType 0",
                       "LZRSetScanningKey 0", "LZRSetLED 0", "LZRSetBuzzer 0",
                       "LZRSetScanningType 1", "DvcSetBootup", "LZROpen 0 0"}));
  EXPECT_FALSE(Logged("LZRSetDefaultSymbology"));
  EXPECT_EQ(device_->ScanningKeys, 0x101u);
  EXPECT_EQ(device_->SuffixChar, 2);
  EXPECT_EQ(device_->SavedScanningType, 3);
  EXPECT_EQ(MarkedKeys(*device_), (std::set<int>{131, 135, 137, 138, 139}));

  // A configuration of its own: the plain defaults, nothing saved.
  Simterm(L"set config-load-result 0");
  EXPECT_EQ(device_->Deactivate(), 1);
  EXPECT_TRUE(MarkedKeys(*device_).empty());
  Simterm(L"log --clear");
  EXPECT_EQ(device_->Activate(), 1);
  EXPECT_TRUE(InOrder({"LZRLoadConfigFile", "LZRSetDefaultSymbology", "LZROpen 0 0"}));
  EXPECT_FALSE(Logged("LZRSaveConfigFile"));
}

TEST_F(ReaderControlTest, AimerWidthGivesTheSwingAngleAndOffRestoresTheFetchedValues) {
  Simterm(L"init --model 10 --reader laser");
  Simterm(L"set focus 7");
  Simterm(L"set swing-angle 2");
  Build(kScannerLaser, 10);
  ASSERT_EQ(device_->Activate(), 1);
  for (int width = 0; width <= 3; ++width) {
    settings_->SetAimerWidth(width);
    Simterm(L"log --clear");
    EXPECT_EQ(device_->SwitchAimerMode(1), 1);
    EXPECT_TRUE(InOrder({"LZRClose", "LZRSetFocus 0",
                         "LZRSetSwingAngle " + std::to_string(3 - width), "LZROpen 0 0"}))
        << "width " << width;
    EXPECT_EQ(device_->AimerActive, 1u);
    // Already on: nothing happens.
    Simterm(L"log --clear");
    EXPECT_EQ(device_->SwitchAimerMode(1), 1);
    EXPECT_TRUE(LogLines().empty());
    EXPECT_EQ(device_->SwitchAimerMode(0), 1);
    EXPECT_TRUE(InOrder({"LZRClose", "LZRSetFocus 7", "LZRSetSwingAngle 2", "LZROpen 0 0"}));
    EXPECT_EQ(device_->AimerActive, 0u);
    EXPECT_EQ(device_->IsOpen, 1u);
  }
}

TEST_F(ReaderControlTest, AimerOnAModelWithoutFocusOnlyReopens) {
  Simterm(L"init --model 8 --reader laser");
  Build(kScannerLaser, 8);
  ASSERT_EQ(device_->Activate(), 1);
  Simterm(L"log --clear");
  EXPECT_EQ(device_->SwitchAimerMode(1), 1);
  EXPECT_TRUE(InOrder({"LZRClose", "LZROpen 0 0"}));
  EXPECT_TRUE(SimLogArguments("LZRSetFocus").empty());
  EXPECT_TRUE(SimLogArguments("LZRSetSwingAngle").empty());
  EXPECT_EQ(device_->AimerActive, 1u);
}

// The imager's values come from its own settings file; its decode mode
// follows BulkEnable, not whether bulk mode is toggled on.
TEST_F(ReaderControlTest, ImagerActivationReadsItsFileAndSetsTheDecodeMode) {
  MakeFolder(L"\\SimSystem");
  ASSERT_TRUE(WriteFileBytes(L"\\SimSystem\\PIXSet.ini",
                             "[PIXRead]\r\nAdd Suffix=13\r\nOutput=0\r\nTimeout=4500\r\n"));
  Simterm(L"init --model 12 --reader imager --system-name-dir \\SimSystem");
  Simterm(L"set config-load-result 6");
  Build(kScannerImager, 12);
  const struct {
    int bulkEnable;
    int activationMode;
    const char* decodeMode;
    uint32_t bulkActive;
  } rows[] = {
      {0, 0, "PixSetDecodeMode 0 1 0", 0},
      {1, 0, "PixSetDecodeMode 1 10 0", 1},
      {1, 1, "PixSetDecodeMode 1 10 0", 0},
  };
  for (const auto& row : rows) {
    std::string ini = "[BulkScanning]\r\nBulkEnable=" + std::to_string(row.bulkEnable) +
                      "\r\nBulkActivationMode=" + std::to_string(row.activationMode) + "\r\n";
    ASSERT_TRUE(WriteFileBytes(L"\\SimSystem\\SARNU-test.INI", ini));
    static const std::u16string kIni = u"\\SimSystem\\SARNU-test.INI";
    settings_->IniPath = kIni.c_str();
    device_->Deactivate();
    Simterm(L"log --clear");
    device_->Activate();
    EXPECT_EQ(device_->IsOpen, 1u);
    EXPECT_TRUE(InOrder({"PixOpen", "PixConnect", "PixLoadConfigFile \\SimSystem\\PIXSet.ini",
                         "PixSaveConfigFile \\SimSystem\\PIXSet.ini", "PixSetLED 0",
                         "PixSetBuzzer 0", "PixSetVibrator 0", row.decodeMode}))
        << "BulkEnable " << row.bulkEnable;
    EXPECT_EQ(device_->BulkActive, row.bulkActive);
    EXPECT_EQ(device_->SuffixChar, 13);
    EXPECT_EQ(device_->BufferType, 3);
    EXPECT_EQ(device_->ScanTimeout, 4500u);
    EXPECT_EQ(device_->ScanningKeys, 0x183u);
    EXPECT_EQ(MarkedKeys(*device_), (std::set<int>{131, 135, 137, 138, 139, 132, 142}));
  }
  RemoveFolder(L"\\SimSystem");
}

// Answers the one "Sarnu ERROR!" box that the calling thread is about to
// show, from a thread of its own, and keeps the box's text.
class BoxAnswerer {
 public:
  BoxAnswerer() { thread_ = CreateThread(nullptr, 0, Run, this, 0, nullptr); }
  ~BoxAnswerer() {
    WaitForSingleObject(thread_, 20000);
    CloseHandle(thread_);
  }
  // Waits for the box to be answered; its text, or "" when none came.
  std::wstring Text() {
    WaitForSingleObject(thread_, 20000);
    return text_;
  }

 private:
  static DWORD WINAPI Run(LPVOID self) {
    auto* me = static_cast<BoxAnswerer*>(self);
    for (int i = 0; i < 1000; ++i) {
      HWND box = FindWindowW(L"#32770", L"Sarnu ERROR!");
      if (box) {
        // The text is the first "Static" child that has one (the icon has none).
        for (HWND child = FindWindowExW(box, nullptr, L"Static", nullptr); child;
             child = FindWindowExW(box, child, L"Static", nullptr)) {
          wchar_t text[256] = {};
          if (GetWindowTextW(child, text, 256) > 0) {
            me->text_ = text;
            break;
          }
        }
        PostMessageW(box, WM_COMMAND, IDOK, 0);
        return 0;
      }
      Sleep(10);
    }
    return 0;
  }
  HANDLE thread_ = nullptr;
  std::wstring text_;
};

// Without an X display Wine shows no box at all, and there is nothing to answer.
bool BoxesCanShow() { return GetEnvironmentVariableW(L"DISPLAY", nullptr, 0) > 0; }

TEST_F(ReaderControlTest, ApplyFailureLeavesTheTriggerKeysToTheReader) {
  if (!BoxesCanShow()) GTEST_SKIP() << "no display for the error box";
  Simterm(L"init --model 10 --reader laser");
  Simterm(L"set scanning-keys 1");
  Simterm(L"fail LZRSetScanningType -5");
  Build(kScannerLaser, 10);
  BoxAnswerer answerer;
  EXPECT_EQ(device_->Activate(), 0);
  EXPECT_EQ(answerer.Text(), L"Error setting\r\nLZR Scanning Type!");
  EXPECT_TRUE(MarkedKeys(*device_).empty());
  EXPECT_EQ(device_->IsOpen, 0u);
  // Values fetched before the failure stay.
  EXPECT_EQ(device_->ScanningKeys, 1u);
  Simterm(L"fail --clear");
}

TEST_F(ReaderControlTest, FocusFailureLeavesTheReaderClosedAndTheFlagAsItWas) {
  if (!BoxesCanShow()) GTEST_SKIP() << "no display for the error box";
  Simterm(L"init --model 10 --reader laser");
  Build(kScannerLaser, 10);
  ASSERT_EQ(device_->Activate(), 1);
  Simterm(L"fail LZRSetSwingAngle -5");
  {
    BoxAnswerer answerer;
    EXPECT_EQ(device_->SwitchAimerMode(1), 0);
    EXPECT_EQ(answerer.Text(), L"Error setting\r\nSwing Angle!");
  }
  EXPECT_EQ(device_->AimerActive, 0u);
  EXPECT_EQ(device_->IsOpen, 0u);
  Simterm(L"fail --clear");
}

TEST_F(ReaderControlTest, ImagerWithoutItsSettingsFileKeepsUsableDefaults) {
  if (!BoxesCanShow()) GTEST_SKIP() << "no display for the error box";
  Simterm(L"init --model 12 --reader imager");
  Build(kScannerImager, 12);
  device_->SuffixChar = 9;
  BoxAnswerer answerer;
  EXPECT_EQ(device_->FetchReaderSettings(), 0);
  EXPECT_EQ(answerer.Text(), L"Error fetching\r\nSuffix Char!");
  EXPECT_EQ(device_->SuffixChar, 9);
  EXPECT_EQ(device_->BufferType, 4);
  EXPECT_EQ(device_->ScanTimeout, 3000u);
}

}  // namespace
