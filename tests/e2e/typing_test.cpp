// Barcodes pushed into the output path arrive as text in a real application
// (Wine's notepad, another process): key events, characters beyond ASCII,
// the clipboard path, and the settings the wedge reads from SARNU.INI.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "e2e_support.h"

namespace {

// Filter settings that change nothing, so the text typed is the barcode.
const char kPlainIni[] = "[Filter]\r\nPreambleEnable=0\r\nPostambleEnable=0\r\n";

struct TypingCase {
  const char* name;
  const char* ini;
  int suffixCode;                      // the laser's: 0 CR, 1 LF, 2 CR LF, 3 TAB, 4 none
  int bufferType;                      // 3 clipboard, else keys
  std::vector<std::wstring> barcodes;  // escaped as output_probe takes them
  std::wstring expected;               // notepad's text afterwards
};

// Test names show the case's name, not its bytes.
void PrintTo(const TypingCase& c, std::ostream* out) { *out << c.name; }

class TypingTest : public ::testing::TestWithParam<TypingCase> {
 protected:
  void SetUp() override {
    ASSERT_TRUE(PrepareTerminal("laser", GetParam().ini));
    ASSERT_TRUE(notepad_.Open()) << "notepad did not come up";
    ASSERT_TRUE(notepad_.BringForward()) << "notepad did not get the focus";
  }

  Notepad notepad_;
};

TEST_P(TypingTest, ArrivesInNotepad) {
  const TypingCase& c = GetParam();
  std::wstring arguments = L"--suffix-code " + std::to_wstring(c.suffixCode) + L" --buffer-type " +
                           std::to_wstring(c.bufferType);
  for (const std::wstring& b : c.barcodes) arguments += L" \"" + b + L"\"";
  ASSERT_EQ(0, RunProgram(L"output_probe.exe", arguments, 30000));
  EXPECT_EQ(c.expected, notepad_.WaitForText(c.expected, 3000));
}

// Notepad turns Enter into CR LF; a LF typed alone (Ctrl+Enter's key) is a
// line break too.
INSTANTIATE_TEST_SUITE_P(
    OutputPath, TypingTest,
    ::testing::Values(
        TypingCase{"TwoBarcodesEachWithItsSuffix",
                   kPlainIni,
                   0,
                   4,
                   {L"4006381333931\\x0D", L"ABC-123\\x0D"},
                   L"4006381333931\r\nABC-123\r\n"},
        TypingCase{"EveryShiftedAndPlainSymbol",
                   kPlainIni,
                   3,
                   4,
                   {L"aZ09 !@#$%^&*()_+-=[]{};:'\\x22,.<>/?`~|\\\\\\x09"},
                   L"aZ09 !@#$%^&*()_+-=[]{};:'\",.<>/?`~|\\\t"},
        TypingCase{"ByteBeyondAsciiIsTyped",
                   kPlainIni,
                   0,
                   4,
                   {L"caf\\xE9 \\xC4\\xFC\\x0D"},
                   L"caf\u00e9 \u00c4\u00fc\r\n"},
        TypingCase{"KeyMapTypesGroupSeparatorAsText",
                   "[Filter]\r\nPreambleEnable=0\r\nPostambleEnable=0\r\n[KeyMap]\r\n"
                   "1D=text:{GS}\r\n",
                   0,
                   4,
                   {L"10LOT42\\x1D21SN7\\x0D"},
                   L"10LOT42{GS}21SN7\r\n"},
        TypingCase{"ClipboardPastesThenTypesTheSuffix",
                   kPlainIni,
                   3,
                   3,
                   {L"PASTE me 42 \\xE9\\x09"},
                   L"PASTE me 42 \u00e9\t"},
        TypingCase{"PreambleAndPostambleFromTheSettingsFile",
                   "[Filter]\r\nPreambleEnable=1\r\nPreamble=<\r\nPostambleEnable=1\r\n"
                   "Postamble=>\r\n",
                   0,
                   4,
                   {L"X1\\x0D"},
                   L"<X1>\r\n"},
        // The first barcode is nothing but its suffix: it sends nothing at
        // all, not even the Enter.
        TypingCase{
            "EmptyBarcodeSendsNotEvenItsSuffix", kPlainIni, 0, 4, {L"\\x0D", L"Z\\x0D"}, L"Z\r\n"},
        TypingCase{"NoSuffixCodeTypesTheTextOnly", kPlainIni, 4, 4, {L"END"}, L"END"}),
    [](const ::testing::TestParamInfo<TypingCase>& info) { return info.param.name; });

// Neither a Shift held nor Caps Lock switched on through the system's own
// key input changes a character of a barcode, and each is as the user left
// it afterwards. Caps Lock is switched by the probe once its output thread
// runs (a thread on the desktop sees the toggles change only from its
// start), and the probe checks that it is on again after the barcode. Each
// row in a process of its own: under Wine a second press of the same key by
// the same process is not always taken.
const char kLayoutKeysIni[] =
    "[Filter]\r\nPreambleEnable=0\r\nPostambleEnable=0\r\n[OtherSettings]\r\nKeyboardLayout=1\r\n";

struct KeyboardStateCase {
  const char* name;
  const char* ini;
  bool capsLock;  // else a Shift held
};

void PrintTo(const KeyboardStateCase& c, std::ostream* out) { *out << c.name; }

class KeyboardStateTest : public ::testing::TestWithParam<KeyboardStateCase> {};

TEST_P(KeyboardStateTest, ChangesNoCharacter) {
  const KeyboardStateCase& c = GetParam();
  ASSERT_TRUE(PrepareTerminal("laser", c.ini));
  Notepad notepad;
  ASSERT_TRUE(notepad.Open());
  ASSERT_TRUE(notepad.BringForward());
  if (!c.capsLock) {
    keybd_event(VK_LSHIFT, 0, 0, 0);
    ASSERT_TRUE(PollUntil([] { return GetAsyncKeyState(VK_LSHIFT) < 0; }, 2000));
  }
  const std::wstring caps = c.capsLock ? L"--caps-lock " : L"";
  EXPECT_EQ(0, RunProgram(L"output_probe.exe", caps + L"--suffix-code 0 \"AbCd-12\\x0D\"", 30000));
  EXPECT_EQ(L"AbCd-12\r\n", notepad.WaitForText(L"AbCd-12\r\n", 3000));
  if (c.capsLock) return;
  // The keys of the barcode and of the restore are taken in turn by the
  // system: the state is read once they have been.
  EXPECT_TRUE(PollUntil([] { return GetAsyncKeyState(VK_LSHIFT) < 0; }, 2000))
      << "the held Shift was let go";
  keybd_event(VK_LSHIFT, 0, KEYEVENTF_KEYUP, 0);
}

INSTANTIATE_TEST_SUITE_P(
    KeyboardState, KeyboardStateTest,
    ::testing::Values(KeyboardStateCase{"AHeldShift", kPlainIni, false},
                      KeyboardStateCase{"AHeldShiftOnTheLayoutsKeys", kLayoutKeysIni, false},
                      KeyboardStateCase{"CapsLock", kPlainIni, true},
                      KeyboardStateCase{"CapsLockOnTheLayoutsKeys", kLayoutKeysIni, true}),
    [](const ::testing::TestParamInfo<KeyboardStateCase>& info) { return info.param.name; });

}  // namespace
