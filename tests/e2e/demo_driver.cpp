// The demo's driver, the product tour on a simulated laser terminal with the
// real programs laid out from the install under a given SARNU.INI, notepad
// in front: each example barcode scanned with its own trigger pull; the tray
// menu and its About box; "Extension" opening SarnuSettings, where the
// preamble is changed and saved; the next scan typed with it; the function
// key the Bulkmode page registered toggling bulk mode for a run of pallet
// labels with the counter showing; last, every page of SarnuSettings on the
// terminal's screen. Prints what notepad received (scripts/demo holds each
// scan against sarnuconf's preview), leaves screenshots in the artifacts
// folder, and checks every other step as it goes: a step that does not
// happen ends the tour with its name and exit code 1.
//   demo_driver.exe SARNU.INI BARCODES.TXT     (paths as Wine sees them)
#include <windows.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "escaped_bytes.h"
#include "resource.h"
#include "settings_sheet.h"
#include "sim_feed.h"
#include "wedge_session.h"

namespace {

bool ReadFile(const wchar_t* path, std::string* text) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream all;
  all << in.rdbuf();
  *text = all.str();
  return true;
}

// The escaped barcodes of the file, comments and blank lines left out.
bool ReadBarcodes(const wchar_t* path, std::vector<std::string>* escaped) {
  std::string text;
  if (!ReadFile(path, &text)) return false;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == '#') continue;
    escaped->push_back(line);
  }
  return !escaped->empty();
}

// Notepad's text once it has stopped changing for a moment: a barcode that
// the filter empties types nothing, so there is nothing else to wait for.
std::wstring SettledText(Notepad& pad) {
  std::wstring last = pad.Text();
  for (int quiet = 0; quiet < 6;) {
    Sleep(100);
    const std::wstring now = pad.Text();
    quiet = now == last ? quiet + 1 : 0;
    last = now;
  }
  return last;
}

void PrintVisible(const std::wstring& text) {
  for (wchar_t c : text) {
    if (c == L'\r') continue;
    if (c == L'\t') {
      std::printf("<TAB>");
    } else if (c == L'\n') {
      std::printf("\n");
    } else if (c < 0x80) {
      std::printf("%c", char(c));
    } else {
      std::printf("<U+%04X>", unsigned(c));
    }
  }
}

int Fail(const char* what) {
  std::fprintf(stderr, "demo: %s\n", what);
  return 1;
}

// A step of the tour that did not happen: named, and the demo fails.
int StepFailed(const std::string& step, const std::string& why) {
  std::fprintf(stderr, "demo: the step \"%s\" did not happen: %s\n", step.c_str(), why.c_str());
  return 1;
}

std::string Narrow(const std::wstring& text) {
  std::string out;
  for (wchar_t c : text) out += c == L'\t' ? std::string("<TAB>") : std::string(1, char(c));
  return out;
}

// Each page of SarnuSettings as the terminal's 240 x 320 screen shows it;
// nothing is changed (Cancel).
int PhotographEveryPage() {
  int result = 1;
  OnTerminalScreen(Screen::Common240x320, [&] {
    SettingsSheet sheet;
    std::string why;
    if (!sheet.Start(&why)) {
      Fail(why.c_str());
      return;
    }
    const wchar_t* names[] = {L"filter", L"bulkmode", L"common", L"counter", L"counter-type"};
    std::vector<SheetStep> steps;
    for (int tab = 4; tab >= 0; --tab) {
      steps.push_back({Act::kPage, tab});
      steps.push_back({Act::kShot, 0, std::wstring(L"demo-settings-") + names[tab]});
    }
    steps.push_back({Act::kCancel});
    if (!sheet.Run(steps, &why) || !sheet.Ended()) {
      Fail(why.empty() ? "SarnuSettings did not end" : why.c_str());
      return;
    }
    result = 0;
  });
  return result;
}

// The tray menu as a worker taps it: the popup menu, then an item chosen
// with the arrow keys and Enter (`downs` steps from the top; 0 leaves the
// menu open). Returns the menu window.
HWND OpenTrayMenu(const WedgeSession& session, int downs) {
  PostMessageW(session.Window(), 0x8064, 1, WM_LBUTTONDOWN);
  HWND menu = WaitForProcessWindow(session.Process().Id(), L"#32768", nullptr, true, 10000);
  if (!menu || downs == 0) return menu;
  for (int i = 0; i < downs; ++i) PostMessageW(menu, WM_KEYDOWN, VK_DOWN, 0);
  PostMessageW(menu, WM_KEYDOWN, VK_RETURN, 0);
  return menu;
}

// "Extension" from the tray: the supervisor types a new preamble ("OUT\t")
// on the Filter page, shows the Bulkmode page (whose save registers the bulk
// toggle program for the function key) and saves.
bool ChangeSettingsFromTheMenu(const WedgeSession& session) {
  if (!OpenTrayMenu(session, 1)) return false;
  SettingsSheet sheet;
  std::string why;
  if (!sheet.Attach(20000)) return Fail("the menu opened no settings program") == 0;
  const bool ok = sheet.Run({{Act::kShot, 0, L"demo-settings-from-the-menu"},
                             {Act::kType, IDC_FILTER_PREAMBLE_VALUE, L"OUT\\t"},
                             {Act::kPage, 1},
                             {Act::kSave}},
                            &why) &&
                  sheet.Ended();
  if (!ok) Fail(why.empty() ? "SarnuSettings did not end" : why.c_str());
  return ok;
}

// One pull of the trigger for one barcode, a GS1 label (one with an FNC1)
// read as the reader's GS1 type reports it; prints what notepad received
// and returns it.
std::wstring ScanOne(WedgeSession& session, const std::string& escaped) {
  char bytes[kSimMaxBarcode];
  uint32_t length = 0;
  if (!DecodeEscaped(escaped.c_str(), bytes, sizeof bytes, &length)) return L"";
  const std::string barcode(bytes, length);
  const std::wstring before = session.Pad().Text();
  SimQueueOne(barcode, barcode.find('\x1D') != std::string::npos ? 512 : 0);
  session.Press();
  const std::wstring after = SettledText(session.Pad());
  session.Release();
  const std::wstring typed = after.size() >= before.size() ? after.substr(before.size()) : after;
  std::printf("scanned %-26s typed: ", escaped.c_str());
  PrintVisible(typed);
  if (typed.empty()) std::printf("(nothing)\n");
  return typed;
}

// The function key as the keyboard driver serves it: the program its
// launch value names, started on drive C:.
bool PressFunctionKey(const wchar_t* value) {
  wchar_t path[MAX_PATH] = L"";
  DWORD size = sizeof path;
  if (RegGetValueW(HKEY_LOCAL_MACHINE, L"HARDWARE\\DEVICEMAP\\KEYBD", value, RRF_RT_REG_SZ,
                   nullptr, path, &size) != ERROR_SUCCESS || !path[0]) {
    return false;
  }
  const bool ok = RunProgram(std::wstring(L"C:") + path, L"", 10000) == 0;
  Sleep(1500);  // the toggle's beeps take their time
  return ok;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 3) return Fail("usage: demo_driver SARNU.INI BARCODES.TXT");
  std::string ini;
  std::vector<std::string> barcodes;
  if (!ReadFile(argv[1], &ini)) return Fail("cannot read the SARNU.INI");
  if (!ReadBarcodes(argv[2], &barcodes)) return Fail("cannot read the barcodes");

  WedgeSession session;
  std::string why;
  if (!session.Start("laser", ini, &why)) return Fail(why.c_str());
  std::printf("== the wedge runs on a simulated laser terminal (model %d); notepad has the focus\n",
              int(kE2eModel));

  for (const std::string& b : barcodes) ScanOne(session, b);
  SaveScreenshot(L"demo-single-scans");

  // The tray menu, and the About box from it.
  HWND menu = OpenTrayMenu(session, 0);
  if (!menu) return StepFailed("the tray menu", "no menu opened");
  WaitUntilPainted(menu, 3000);  // else the picture may catch the menu still blank
  SaveScreenshot(L"demo-tray-menu");
  PostMessageW(menu, WM_KEYDOWN, VK_ESCAPE, 0);
  Sleep(300);
  if (!OpenTrayMenu(session, 3)) return StepFailed("the About box", "no tray menu");
  HWND about = WaitForProcessWindow(session.Process().Id(), L"#32770", L"SARNU", true, 10000);
  if (!about) return StepFailed("the About box", "it did not open");
  WaitUntilPainted(about, 3000);
  SaveScreenshot(L"demo-about-box");
  PostMessageW(about, WM_COMMAND, IDOK, 0);

  // The supervisor's turn: SarnuSettings from the menu, the preamble changed.
  std::printf("== tray menu, Extension: SarnuSettings opens; the preamble is typed as OUT\\t, "
              "Save\n");
  if (!DeployToTerminal()) return Fail("cannot lay the install out on the terminal");
  HKEY keyboard = nullptr;
  RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"HARDWARE\\DEVICEMAP\\KEYBD", 0, nullptr,
                  REG_OPTION_VOLATILE, KEY_ALL_ACCESS, nullptr, &keyboard, nullptr);
  if (keyboard) RegCloseKey(keyboard);
  if (!ChangeSettingsFromTheMenu(session)) {
    return StepFailed("Extension: the preamble typed and saved", "see above");
  }
  if (IniValue(WedgeIniPath(), L"Filter", L"Preamble") != L"OUT\\t") {
    return StepFailed("Extension: the preamble typed and saved",
                      "SARNU.INI holds Preamble=" +
                          Narrow(IniValue(WedgeIniPath(), L"Filter", L"Preamble")));
  }
  Sleep(1500);  // the wedge reads the settings again and opens the reader
  session.Pad().BringForward();
  const std::wstring typed = ScanOne(session, barcodes.front());
  if (typed.rfind(L"OUT\t", 0) != 0) {
    return StepFailed("the next scan with the new preamble", "typed \"" + Narrow(typed) + "\"");
  }

  // Bulk mode on with the function key that the Bulkmode page registered
  // (Fn+8 in the example file): one run of same-length labels.
  std::printf("== Fn+8 starts SarnuBulk: bulk mode on for a run of pallet labels\n");
  if (!PressFunctionKey(L"Fn8LaunchPath")) {
    return StepFailed("Fn+8 turns bulk mode on", "no program registered for Fn+8");
  }
  const std::wstring before = session.Pad().Text();
  session.Press();
  session.Release();
  for (const char* label : {"PAL-0001", "PAL-0002", "PAL-0002", "PAL-0003", "PAL-0004"}) {
    SimQueueOne(label);
  }
  const std::wstring run = SettledText(session.Pad()).substr(before.size());
  const bool counter =
      WaitForProcessWindow(session.Process().Id(), L"#32770", nullptr, true, 3000) != nullptr;
  SaveScreenshot(L"demo-bulk-counter");
  session.Press();
  session.Release();
  std::printf("bulk run of PAL-0001 PAL-0002 PAL-0002 PAL-0003 PAL-0004, typed:\n");
  PrintVisible(run);
  for (const wchar_t* label : {L"PAL-0001", L"PAL-0002", L"PAL-0003", L"PAL-0004"}) {
    const size_t first = run.find(label);
    if (first == std::wstring::npos || run.find(label, first + 1) != std::wstring::npos) {
      return StepFailed("the bulk run, its duplicate refused", Narrow(label) + " not typed once");
    }
  }
  if (!counter) return StepFailed("the counter shows the count", "no counter window");
  if (!PressFunctionKey(L"Fn8LaunchPath")) return StepFailed("Fn+8 turns bulk mode off", "");
  std::printf("== notepad holds:\n");
  PrintVisible(session.Pad().Text());
  std::printf("\n");
  if (!session.Exit()) return Fail("the wedge did not exit cleanly");

  std::printf("== SarnuSettings on the terminal's 240 x 320 screen, every page photographed\n");
  return PhotographEveryPage();
}
