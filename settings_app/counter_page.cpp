// The "Counter" page: whether the bulk counter shows and after how many
// scans, when it closes, and its type, which exchanges the fifth tab for the
// other type's page at once.
#include "page_support.h"

#include <iterator>

#include "resource.h"
#include "settings_pages.h"
#include "settings_sheet.h"

namespace {

// Posted to itself: focus a field once the sheet has finished moving the
// focus for the page change.
// From WM_APP: a dialog page answers WM_USER's first numbers itself
// (DM_GETDEFID, DM_SETDEFID, DM_REPOSITION).
enum : UINT { UM_SELECT_FIELD = WM_APP + 1 };

// Enabled with bulk mode, and the rest only with the counter on as well.
const int kBulkControls[] = {IDC_COUNTER_SHOW, IDC_COUNTER_SCANS_LABEL, IDC_COUNTER_DEFAULTS};
const int kCounterControls[] = {IDC_COUNTER_COUNT,       IDC_COUNTER_COUNT_SPIN,
                                IDC_COUNTER_CLOSE_EMPTY, IDC_COUNTER_CLOSE_EMPTY_NOTE,
                                IDC_COUNTER_CLOSE_END,   IDC_COUNTER_CLOSE_END_NOTE,
                                IDC_COUNTER_CLOSE_GROUP, IDC_COUNTER_SOLID,
                                IDC_COUNTER_TRANSPARENT, IDC_COUNTER_TYPE_GROUP};

void LoadControls(HWND page) {
  const Settings& s = *g_settings;
  EnableControls(page, kBulkControls, int(std::size(kBulkControls)), s.BulkEnable != 0);
  EnableControls(page, kCounterControls, int(std::size(kCounterControls)),
                 s.BulkEnable != 0 && s.CounterEnabled != 0);
  SetCheck(page, IDC_COUNTER_SHOW, s.CounterEnabled != 0);
  WriteNumber(page, IDC_COUNTER_COUNT, s.CounterEnabledAfterScans);
  SetUpDownPos(page, IDC_COUNTER_COUNT_SPIN, s.CounterEnabledAfterScans);
  SetCheck(page, IDC_COUNTER_CLOSE_EMPTY, s.CounterCloseMode == 0);
  SetCheck(page, IDC_COUNTER_CLOSE_END, s.CounterCloseMode == 1);
  SetCheck(page, IDC_COUNTER_SOLID, s.CounterType == 0);
  SetCheck(page, IDC_COUNTER_TRANSPARENT, s.CounterType == 1);
}

void StoreControls(HWND page) {
  Settings& s = *g_settings;
  s.SetCounterEnabled(IsChecked(page, IDC_COUNTER_SHOW) ? 1 : 0);
  s.SetCounterEnabledAfterScans(static_cast<int>(ReadNumber(page, IDC_COUNTER_COUNT)));
  s.SetCounterCloseMode(IsChecked(page, IDC_COUNTER_CLOSE_EMPTY) ? 0 : 1);
  s.SetCounterType(IsChecked(page, IDC_COUNTER_SOLID) ? 0 : 1);
}

void FocusCount(HWND page) {
  if (IsWindowEnabled(GetDlgItem(page, IDC_COUNTER_COUNT))) {
    PostMessageW(page, UM_SELECT_FIELD, IDC_COUNTER_COUNT, 0);
  }
}

// The record's CounterType follows when the page stores, before the new
// counter-type page is first shown.
void ShowSolidPage() {
  if (TransparentPageShown == 0) return;
  if (SwapCounterPage(IDD_SOLID_PAGE, CounterTypePageProc, L"Solid Counter", &kSolidCounterPage)) {
    TransparentPageShown = 0;
  }
}

void ShowTransparentPage() {
  if (TransparentPageShown == 1) return;
  if (SwapCounterPage(IDD_TRANSPARENT_PAGE, CounterTypePageProc, L"Transp. Counter",
                      &kTransparentCounterPage)) {
    TransparentPageShown = 1;
  }
}

void ResetPage(HWND page) {
  g_settings->ResetCounterDefaults();
  LoadControls(page);
  ShowTransparentPage();  // the defaults are the transparent counter
  FocusCount(page);
}

void OnInitDialog(HWND page) {
  LimitNumber(page, IDC_COUNTER_COUNT, IDC_COUNTER_COUNT_SPIN,
              field_range::CounterEnabledAfterScans);
  LoadControls(page);
  FocusCount(page);
}

void OnCommand(HWND page, int control) {
  switch (control) {
    case IDC_COUNTER_SHOW:
      StoreControls(page);
      LoadControls(page);
      FocusCount(page);
      break;
    case IDC_COUNTER_SOLID:
      ShowSolidPage();
      break;
    case IDC_COUNTER_TRANSPARENT:
      ShowTransparentPage();
      break;
    case IDC_COUNTER_DEFAULTS:
      RunPageReset(page, IDC_COUNTER_DEFAULTS, ResetPage);
      break;
    default:
      break;
  }
}

void OnSetActive(HWND page) {
  LoadControls(page);
  FocusCount(page);
}

int Save(HWND) { return g_settings->SaveCounter(); }

const PageProtocol kCounterPage = {OnInitDialog, OnCommand, OnSetActive, StoreControls, Save};

}  // namespace

INT_PTR CALLBACK CounterPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == UM_SELECT_FIELD) {
    FocusAndSelect(page, static_cast<int>(wParam));
    return TRUE;
  }
  return PageProcedure(kCounterPage, page, message, wParam, lParam);
}
