// The keyboard hook inside the test process: which key events become
// UM_TRIGGER_KEY messages, that keys go on to the hooks set before it, and
// what an installation leaves behind when the hook module falls short.
#include "keyboard_hook.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <ostream>
#include <string>
#include <vector>

#include "hook_functions.h"
#include "process_globals.h"
#include "scan_device.h"
#include "wedge_messages.h"

namespace {

const BYTE kTrigger = VK_F24;
const BYTE kOtherKey = VK_F23;
const BYTE kMarker = VK_F22;  // injected last: once it is seen, the rest were
// A module the test process loads for nothing else, so its reference count
// shows whether the hook let it go.
const wchar_t kStandInModule[] = L"msimg32.dll";

struct Trigger {
  WPARAM down;
  LPARAM vk;
  bool operator==(const Trigger& o) const { return down == o.down && vk == o.vk; }
};

void PrintTo(const Trigger& t, std::ostream* out) { *out << "(" << t.down << "," << t.vk << ")"; }

std::string Describe(const std::vector<Trigger>& triggers) {
  std::string text;
  for (const Trigger& t : triggers) {
    text += "(" + std::to_string(t.down) + "," + std::to_string(t.vk) + ")";
  }
  return text.empty() ? "nothing" : text;
}

// A low-level hook set before the wedge's: it sees a key only when the
// wedge's hook passed it on.
std::vector<std::pair<WPARAM, DWORD>> g_observed;
LRESULT CALLBACK ObserverProc(int code, WPARAM wParam, LPARAM lParam) {
  if (code >= 0) {
    g_observed.push_back({wParam, reinterpret_cast<KBDLLHOOKSTRUCT*>(lParam)->vkCode});
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

bool Observed(WPARAM message, DWORD vk) {
  for (const auto& seen : g_observed) {
    if (seen.first == message && seen.second == vk) return true;
  }
  return false;
}

void Inject(BYTE vk, bool up) {
  INPUT input = {};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = vk;
  input.ki.wScan = static_cast<WORD>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC));
  input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
  SendInput(1, &input, sizeof input);
}

// Stand-ins for the hook module's exports, chosen per test.
const char* g_hidden[2] = {};
bool g_refuseToSet = false;

HHOOK WINAPI RefusingSetHook(int, HOOKPROC, HINSTANCE, DWORD) { return nullptr; }

void* StandInLookup(void*, const char* name) {
  for (const char* hidden : g_hidden) {
    if (hidden && std::string(hidden) == name) return nullptr;
  }
  if (g_refuseToSet && std::string(name) == "SetWindowsHookExW") {
    return reinterpret_cast<void*>(&RefusingSetHook);
  }
  return reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), name));
}

bool ModuleLoaded(const wchar_t* name) { return GetModuleHandleW(name) != nullptr; }

bool BoxesCanShow() { return GetEnvironmentVariableW(L"DISPLAY", nullptr, 0) > 0; }

// Answers this process's "Error" box, if one comes before Finish(), and
// keeps its text. Without a display Wine shows no box and nothing waits.
class ErrorBoxAnswerer {
 public:
  ErrorBoxAnswerer() {
    done_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (BoxesCanShow()) thread_ = CreateThread(nullptr, 0, Run, this, 0, nullptr);
  }
  ~ErrorBoxAnswerer() { Finish(); }
  // Stops looking; the text of the box that was answered, or "".
  std::wstring Finish() {
    SetEvent(done_);
    if (thread_) {
      WaitForSingleObject(thread_, 20000);
      CloseHandle(thread_);
      thread_ = nullptr;
    }
    if (done_) CloseHandle(done_);
    done_ = nullptr;
    return text_;
  }

 private:
  static DWORD WINAPI Run(LPVOID self) {
    auto* me = static_cast<ErrorBoxAnswerer*>(self);
    while (WaitForSingleObject(me->done_, 10) == WAIT_TIMEOUT) {
      for (HWND box = FindWindowExW(nullptr, nullptr, L"#32770", L"Error"); box;
           box = FindWindowExW(nullptr, box, L"#32770", L"Error")) {
        DWORD process = 0;
        GetWindowThreadProcessId(box, &process);
        if (process != GetCurrentProcessId()) continue;
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
    }
    return 0;
  }
  HANDLE done_ = nullptr;
  HANDLE thread_ = nullptr;
  std::wstring text_;
};

class KeyboardHookTest : public ::testing::Test {
 protected:
  void SetUp() override {
    window_ = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                              GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(window_, nullptr);
    savedWindow_ = MainWindow;
    savedDevice_ = g_scanDevice;
    device_ = new ScanDevice(window_);
    device_->TriggerKeyTable[kTrigger] = 1;
    MainWindow = window_;
    g_scanDevice = device_;
    g_hidden[0] = g_hidden[1] = nullptr;
    g_refuseToSet = false;
    g_observed.clear();
  }
  void TearDown() override {
    OverrideHookFunctions(nullptr, nullptr);
    RemoveKeyboardHook();
    if (observer_) UnhookWindowsHookEx(observer_);
    g_scanDevice = savedDevice_;
    MainWindow = savedWindow_;
    delete device_;
    DestroyWindow(window_);
  }

  int Install() { return InstallKeyboardHook(GetModuleHandleW(nullptr), KeyboardHookProc); }

  // The observer goes in before the wedge's hook, so it is called after it.
  void SetObserver() {
    observer_ = SetWindowsHookExW(WH_KEYBOARD_LL, ObserverProc, GetModuleHandleW(nullptr), 0);
    ASSERT_NE(observer_, nullptr);
  }

  // Takes the posted trigger messages out of the queue; other messages are
  // dispatched, which is also what lets the low-level hooks run.
  void Drain(std::vector<Trigger>* triggers) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == UM_TRIGGER_KEY && msg.hwnd == window_) {
        triggers->push_back({msg.wParam, msg.lParam});
      } else {
        DispatchMessageW(&msg);
      }
    }
  }

  // Injects the keys and then the marker, and pumps until the observer has
  // seen the marker's release. The triggers posted meanwhile.
  std::vector<Trigger> Press(const std::vector<std::pair<BYTE, bool>>& keys) {
    std::vector<Trigger> triggers;
    Drain(&triggers);
    triggers.clear();
    for (const auto& key : keys) Inject(key.first, key.second);
    Inject(kMarker, false);
    Inject(kMarker, true);
    const DWORD start = GetTickCount();
    while (!Observed(WM_KEYUP, kMarker) && GetTickCount() - start < 10000) {
      Drain(&triggers);
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
    EXPECT_TRUE(Observed(WM_KEYUP, kMarker)) << "the injected keys never came through";
    Drain(&triggers);
    return triggers;
  }

  // Calls the hook procedure as the system would, and collects what it posted.
  std::vector<Trigger> Call(int code, WPARAM message, DWORD vk) {
    std::vector<Trigger> triggers;
    Drain(&triggers);
    triggers.clear();
    KBDLLHOOKSTRUCT key = {};
    key.vkCode = vk;
    KeyboardHookProc(code, message, reinterpret_cast<LPARAM>(&key));
    Drain(&triggers);
    return triggers;
  }

  HWND window_ = nullptr;
  HWND savedWindow_ = nullptr;
  ScanDevice* savedDevice_ = nullptr;
  ScanDevice* device_ = nullptr;
  HHOOK observer_ = nullptr;
};

TEST_F(KeyboardHookTest, PostsOnlyPlainPressesAndReleasesOfTriggerKeys) {
  ASSERT_EQ(Install(), 1);
  const struct {
    const char* label;
    int code;
    WPARAM message;
    DWORD vk;
    std::vector<Trigger> posted;
  } rows[] = {
      {"press", HC_ACTION, WM_KEYDOWN, kTrigger, {{1, kTrigger}}},
      {"release", HC_ACTION, WM_KEYUP, kTrigger, {{0, kTrigger}}},
      {"system press", HC_ACTION, WM_SYSKEYDOWN, kTrigger, {}},
      {"system release", HC_ACTION, WM_SYSKEYUP, kTrigger, {}},
      {"other key", HC_ACTION, WM_KEYDOWN, kOtherKey, {}},
      {"negative code", -1, WM_KEYDOWN, kTrigger, {}},
      // Past the table's end lies other data of the reader object.
      {"key 255", HC_ACTION, WM_KEYDOWN, 255, {}},
      {"key 0x1087", HC_ACTION, WM_KEYDOWN, 0x1000u + kTrigger, {}},
      {"key 0xFFFFFFFF", HC_ACTION, WM_KEYDOWN, 0xFFFFFFFFu, {}},
  };
  // Make the byte after the table look like a marked key.
  device_->SavedScanningType = 1;
  for (const auto& row : rows) {
    const std::vector<Trigger> posted = Call(row.code, row.message, row.vk);
    EXPECT_EQ(posted, row.posted) << row.label << ": " << Describe(posted);
  }
}

TEST_F(KeyboardHookTest, WithoutReaderObjectOrInstallationNothingIsPosted) {
  ASSERT_EQ(Install(), 1);
  g_scanDevice = nullptr;
  EXPECT_EQ(Describe(Call(HC_ACTION, WM_KEYDOWN, kTrigger)), "nothing");
  g_scanDevice = device_;
  EXPECT_EQ(RemoveKeyboardHook(), 1);
  EXPECT_EQ(KeyboardHookHandle(), nullptr);
  EXPECT_EQ(Describe(Call(HC_ACTION, WM_KEYDOWN, kTrigger)), "nothing");
  EXPECT_EQ(RemoveKeyboardHook(), 1) << "a second removal is harmless";
}

TEST_F(KeyboardHookTest, RealKeysBecomeTriggersAndGoOn) {
  SetObserver();
  ASSERT_EQ(Install(), 1);
  const std::vector<Trigger> posted = Press({{kTrigger, false},
                                             {kTrigger, false},
                                             {kTrigger, false},
                                             {kTrigger, true},
                                             {kOtherKey, false},
                                             {kOtherKey, true}});
  // Every key-down the system delivers counts, as auto-repeat gives them.
  const std::vector<Trigger> expected = {
      {1, kTrigger}, {1, kTrigger}, {1, kTrigger}, {0, kTrigger}};
  EXPECT_EQ(posted, expected) << Describe(posted);
  EXPECT_TRUE(Observed(WM_KEYDOWN, kTrigger)) << "the trigger key was swallowed";
  EXPECT_TRUE(Observed(WM_KEYUP, kTrigger)) << "the trigger key's release was swallowed";
  EXPECT_TRUE(Observed(WM_KEYDOWN, kOtherKey));
}

TEST_F(KeyboardHookTest, AfterRemovalKeysPostNothing) {
  SetObserver();
  ASSERT_EQ(Install(), 1);
  RemoveKeyboardHook();
  EXPECT_EQ(Describe(Press({{kTrigger, false}, {kTrigger, true}})), "nothing");
  ASSERT_EQ(Install(), 1) << "installed again after a removal, as after the About box";
  EXPECT_EQ(Describe(Press({{kTrigger, false}})), "(1,135)");
}

TEST_F(KeyboardHookTest, SecondInstallationReplacesTheFirst) {
  if (ModuleLoaded(kStandInModule)) GTEST_SKIP() << "the stand-in module is in use";
  OverrideHookFunctions(kStandInModule, StandInLookup);
  SetObserver();
  ASSERT_EQ(Install(), 1);
  ASSERT_EQ(Install(), 1);
  // Two hooks would post two messages for the one key event.
  EXPECT_EQ(Describe(Press({{kTrigger, false}})), "(1,135)");
  RemoveKeyboardHook();
  EXPECT_FALSE(ModuleLoaded(kStandInModule)) << "a module reference was kept";
}

struct FailureCase {
  const char* label;
  const wchar_t* module;
  const char* hidden[2];
  bool refuseToSet;
  const wchar_t* box;  // "" for none
  bool hookStays;      // set and not removable
  bool passesOn;       // the observer set before it still sees the keys
};

void PrintTo(const FailureCase& c, std::ostream* out) { *out << c.label; }

class KeyboardHookFailureTest : public KeyboardHookTest,
                                public ::testing::WithParamInterface<FailureCase> {};

TEST_P(KeyboardHookFailureTest, FailsWithoutCallingWhatIsMissing) {
  const FailureCase& c = GetParam();
  if (ModuleLoaded(kStandInModule)) GTEST_SKIP() << "the stand-in module is in use";
  g_hidden[0] = c.hidden[0];
  g_hidden[1] = c.hidden[1];
  g_refuseToSet = c.refuseToSet;
  OverrideHookFunctions(c.module, StandInLookup);
  SetObserver();

  ErrorBoxAnswerer answerer;
  EXPECT_EQ(Install(), 0);
  const std::wstring box = answerer.Finish();
  if (BoxesCanShow()) {
    EXPECT_EQ(box, c.box);
  }

  // A failed installation detects no trigger key, whether a hook stayed or
  // not. A stranded hook without CallNextHookEx gives 0, which lets the key
  // reach the application but not the hooks before it; so it is called here.
  if (c.passesOn) {
    EXPECT_EQ(Describe(Press({{kTrigger, false}, {kTrigger, true}})), "nothing");
  } else {
    EXPECT_EQ(Describe(Call(HC_ACTION, WM_KEYDOWN, kTrigger)), "nothing");
  }
  EXPECT_EQ(KeyboardHookHandle() != nullptr, c.hookStays);
  EXPECT_EQ(ModuleLoaded(kStandInModule), c.hookStays);

  if (c.hookStays) {
    // No second hook beside the stranded one, and no second box for it.
    const HHOOK stranded = KeyboardHookHandle();
    ErrorBoxAnswerer again;
    EXPECT_EQ(Install(), 0);
    EXPECT_EQ(again.Finish(), L"");
    EXPECT_EQ(KeyboardHookHandle(), stranded);
    // Once the module answers, removal takes the hook and the module off.
    g_hidden[0] = g_hidden[1] = nullptr;
    EXPECT_EQ(RemoveKeyboardHook(), 1);
    EXPECT_EQ(KeyboardHookHandle(), nullptr);
    EXPECT_FALSE(UnhookWindowsHookEx(stranded));
    EXPECT_FALSE(ModuleLoaded(kStandInModule));
  }
}

INSTANTIATE_TEST_SUITE_P(
    HookModule, KeyboardHookFailureTest,
    ::testing::Values(
        FailureCase{
            "NotLoadable", L"NoSuchHookModule.dll", {}, false, L"Can't Load coredll", false, true},
        FailureCase{
            "NoSetFunction", kStandInModule, {"SetWindowsHookExW"}, false, L"", false, true},
        FailureCase{"SetRefused", kStandInModule, {}, true, L"Can't Set Hook", false, true},
        // Taken off again at once: it could not pass keys on to later hooks.
        FailureCase{"NoCallFunction",
                    kStandInModule,
                    {"CallNextHookEx"},
                    false,
                    L"Can't Call Hook",
                    false,
                    true},
        FailureCase{"NoUnhookFunction",
                    kStandInModule,
                    {"UnhookWindowsHookEx"},
                    false,
                    L"Can't Unhook Hook",
                    true,
                    true},
        FailureCase{"NeitherCallNorUnhook",
                    kStandInModule,
                    {"CallNextHookEx", "UnhookWindowsHookEx"},
                    false,
                    L"Can't Call Hook",
                    true,
                    false}),
    [](const ::testing::TestParamInfo<FailureCase>& info) { return info.param.label; });

}  // namespace
