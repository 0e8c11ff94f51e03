// Typing on the terminal's own keyboard layout, through the real wedge into
// notepad, on the layout the X server was switched to before this program
// started (keyboard_layout.sh). With KeyboardLayout=1 the barcode arrives
// exactly; with the described US key table it arrives wrong, which is why
// the key exists.
#include <gtest/gtest.h>

#include <string>

#include "e2e_support.h"
#include "wedge_session.h"

namespace {

TEST(KeyboardLayout, TheForegroundLayoutTypesWhatWasScanned) {
  struct Case {
    int keyboardLayout;
    bool exact;
  } cases[] = {{1, true}, {0, false}};
  const std::wstring expected = L"Zy-@/ab12\r\n";
  for (const Case& c : cases) {
    SCOPED_TRACE("KeyboardLayout=" + std::to_string(c.keyboardLayout));
    WedgeSession session;
    std::string why;
    ASSERT_TRUE(session.Start(
        "laser",
        SessionIni("[OtherSettings]\r\nKeyboardLayout=" + std::to_string(c.keyboardLayout) + "\r\n"),
        &why))
        << why;
    ASSERT_TRUE(WedgeSession::Sim(L"scan Zy-@/ab12"));
    session.Press();
    const std::wstring typed = session.Pad().WaitForText(expected, c.exact ? 5000 : 2000);
    session.Release();
    const std::string shown(typed.begin(), typed.end());
    if (c.exact) {
      EXPECT_EQ(expected, typed) << shown;
    } else {
      EXPECT_NE(expected, typed) << "the US table typed right on this layout";
      std::printf("US key table on this layout: \"%s\"\n", shown.c_str());
    }
  }
}

}  // namespace
