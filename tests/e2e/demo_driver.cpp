// The demo's driver: a simulated laser terminal with the real wedge running
// under a given SARNU.INI, notepad in front, and a worker's day in short:
// each example barcode scanned with its own trigger pull, then bulk mode
// toggled on for a run of pallet labels with the counter showing. Prints
// what notepad received and leaves screenshots in the artifacts folder.
//   demo_driver.exe SARNU.INI BARCODES.TXT     (paths as Wine sees them)
#include <windows.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "escaped_text.h"
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
  return true;
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

// The supervisor's part on a terminal screen: every page of SarnuSettings
// photographed, the preamble changed from "IN\t" to "OUT\t" by typing into
// its box, and Save.
int ChangeThePreamble() {
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
    steps.push_back({Act::kType, IDC_FILTER_PREAMBLE_VALUE, L"OUT\\t"});
    steps.push_back({Act::kShot, 0, L"demo-settings-preamble-typed"});
    steps.push_back({Act::kSave});
    if (!sheet.Run(steps, &why) || !sheet.Ended()) {
      Fail(why.empty() ? "SarnuSettings did not end" : why.c_str());
      return;
    }
    result = 0;
  });
  return result;
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

  for (const std::string& b : barcodes) {
    char bytes[kSimMaxBarcode];
    uint32_t length = 0;
    if (!DecodeEscaped(b.c_str(), bytes, sizeof bytes, &length)) return Fail("bad barcode");
    const std::wstring before = session.Pad().Text();
    SimQueueOne(std::string(bytes, length));
    session.Press();
    const std::wstring after = SettledText(session.Pad());
    session.Release();
    std::printf("scanned %-26s typed: ", b.c_str());
    PrintVisible(after.size() >= before.size() ? after.substr(before.size()) : after);
    if (after == before) std::printf("(nothing)\n");
  }
  SaveScreenshot(L"demo-single-scans");

  // Bulk mode on, as SarnuBulk would ask: one run of same-length labels.
  HANDLE toggle = CreateEventW(nullptr, FALSE, FALSE, L"SarnuBulkEvent");
  if (toggle) {
    const std::wstring before = session.Pad().Text();
    SetEvent(toggle);
    Sleep(1500);  // the toggle's rising beeps take their time
    session.Press();
    session.Release();
    for (const char* label : {"PAL-0001", "PAL-0002", "PAL-0002", "PAL-0003", "PAL-0004"}) {
      SimQueueOne(label);
    }
    const std::wstring after = SettledText(session.Pad());
    SaveScreenshot(L"demo-bulk-counter");
    session.Press();
    session.Release();
    std::printf("bulk run of PAL-0001 PAL-0002 PAL-0002 PAL-0003 PAL-0004, typed:\n");
    PrintVisible(after.substr(before.size()));
    SetEvent(toggle);
    CloseHandle(toggle);
  }
  std::printf("== notepad holds:\n");
  PrintVisible(session.Pad().Text());
  std::printf("\n");
  if (!session.Exit()) return Fail("the wedge did not exit cleanly");

  std::printf("== SarnuSettings on the terminal: the Filter page's preamble typed as OUT\\t, saved\n");
  return ChangeThePreamble();
}
