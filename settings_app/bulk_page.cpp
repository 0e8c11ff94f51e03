// The "Bulkmode" page of the settings sheet: bulk mode on or off, its
// activation by a function key, the limit, the clearing rules of the list of
// scanned barcodes and the trigger and sameness rules of a bulk run.
#include <windows.h>
// After windows.h, which it needs.
#include <commctrl.h>
#include <iterator>

#include "page_support.h"
#include "resource.h"
#include "settings.h"
#include "settings_pages.h"

namespace {

// Everything that follows "Enable Bulk Mode" alone. The limit's up-down is
// here too, not with the limit number.
const int kBulkControls[] = {IDC_BULK_ALWAYS_ON,
                             IDC_BULK_TOGGLE,
                             IDC_BULK_LIMIT,
                             IDC_BULK_LIMIT_SPIN,
                             IDC_BULK_CLEAR_AFTER_LABEL,
                             IDC_BULK_CLEAR_AFTER,
                             IDC_BULK_CLEAR_AFTER_SPIN,
                             IDC_BULK_CLEAR_AFTER_UNIT,
                             IDC_BULK_CLEAR_UPTO_LABEL,
                             IDC_BULK_CLEAR_UPTO,
                             IDC_BULK_CLEAR_UPTO_SPIN,
                             IDC_BULK_CLEAR_UPTO_UNIT,
                             IDC_BULK_TRIGGER_TOGGLES,
                             IDC_BULK_SAME_TYPE,
                             IDC_BULK_SAME_LENGTH};
const int kLimitControls[] = {IDC_BULK_LIMIT_VALUE, IDC_BULK_LIMIT_UNIT};

int CheckValue(HWND page, int control) { return IsChecked(page, control) ? 1 : 0; }

void LoadEnabling(HWND page) {
  const Settings& s = *g_settings;
  const bool bulk = s.BulkEnable != 0;
  EnableControls(page, kBulkControls, int(std::size(kBulkControls)), bulk);
  EnableControl(page, IDC_BULK_TOGGLE_KEY, bulk && s.BulkActivationMode == 1);
  EnableControls(page, kLimitControls, int(std::size(kLimitControls)),
                 bulk && s.BulkLimitEnable != 0);
  // Aimer mode and press-and-hold exclude each other.
  EnableControl(page, IDC_BULK_PRESS_HOLD, bulk && s.AimerMode == 0);
}

// The up-downs read their buddies' numbers themselves.
void LoadControls(HWND page) {
  LoadEnabling(page);
  const Settings& s = *g_settings;
  SetCheck(page, IDC_BULK_ENABLE, s.BulkEnable != 0);
  SetCheck(page, IDC_BULK_ALWAYS_ON, s.BulkActivationMode == 0);
  SetCheck(page, IDC_BULK_TOGGLE, s.BulkActivationMode == 1);
  SendDlgItemMessageW(page, IDC_BULK_TOGGLE_KEY, CB_SETCURSEL, s.BulkToggleKey, 0);
  SetCheck(page, IDC_BULK_LIMIT, s.BulkLimitEnable != 0);
  WriteNumber(page, IDC_BULK_LIMIT_VALUE, s.BulkLimit);
  WriteNumber(page, IDC_BULK_CLEAR_AFTER, s.BulkScannedListClearAfter);
  WriteNumber(page, IDC_BULK_CLEAR_UPTO, s.BulkScannedListClearImmediatelyUpto);
  SetCheck(page, IDC_BULK_PRESS_HOLD, s.BulkTriggerMode == 0);
  SetCheck(page, IDC_BULK_TRIGGER_TOGGLES, s.BulkTriggerMode == 1);
  SetCheck(page, IDC_BULK_SAME_TYPE, s.BulkSameType != 0);
  SetCheck(page, IDC_BULK_SAME_LENGTH, s.BulkSameLength != 0);
}

// Numbers are stored as typed, truncated by the fields; the limit box takes
// any characters, and letters there store 0.
void StoreControls(HWND page) {
  Settings& s = *g_settings;
  s.SetBulkEnable(CheckValue(page, IDC_BULK_ENABLE));
  s.SetBulkActivationMode(IsChecked(page, IDC_BULK_ALWAYS_ON) ? 0 : 1);
  s.SetBulkToggleKey(
      static_cast<int>(SendDlgItemMessageW(page, IDC_BULK_TOGGLE_KEY, CB_GETCURSEL, 0, 0)));
  s.SetBulkLimitEnable(CheckValue(page, IDC_BULK_LIMIT));
  s.SetBulkLimit(static_cast<int>(ReadNumber(page, IDC_BULK_LIMIT_VALUE)));
  s.SetBulkScannedListClearAfter(static_cast<int>(ReadNumber(page, IDC_BULK_CLEAR_AFTER)));
  s.SetBulkScannedListClearImmediatelyUpto(static_cast<int>(ReadNumber(page, IDC_BULK_CLEAR_UPTO)));
  s.SetBulkTriggerMode(IsChecked(page, IDC_BULK_PRESS_HOLD) ? 0 : 1);
  s.SetBulkSameType(CheckValue(page, IDC_BULK_SAME_TYPE));
  s.SetBulkSameLength(CheckValue(page, IDC_BULK_SAME_LENGTH));
}

// The limit when it can be typed, else the first clearing rule.
void FocusFirstNumber(HWND page) {
  const bool limitEnabled = IsWindowEnabled(GetDlgItem(page, IDC_BULK_LIMIT_VALUE)) != FALSE;
  FocusAndSelect(page, limitEnabled ? IDC_BULK_LIMIT_VALUE : IDC_BULK_CLEAR_AFTER);
}

void InitPage(HWND page) {
  FillComboBox(page, IDC_BULK_TOGGLE_KEY, 2, 3, L"7", L"8", L"9");
  LimitNumber(page, IDC_BULK_CLEAR_AFTER, IDC_BULK_CLEAR_AFTER_SPIN,
              field_range::BulkScannedListClearAfter);
  LimitNumber(page, IDC_BULK_CLEAR_UPTO, IDC_BULK_CLEAR_UPTO_SPIN,
              field_range::BulkScannedListClearImmediatelyUpto);
  LimitNumber(page, IDC_BULK_LIMIT_VALUE, IDC_BULK_LIMIT_SPIN, field_range::BulkLimit);
  LoadControls(page);
  FocusFirstNumber(page);
}

// With aimer mode on, a bulk run cannot use press-and-hold, so switching
// bulk mode moves the trigger to toggling.
void OnEnableClicked(HWND page) {
  StoreControls(page);
  if (g_settings->AimerMode != 0) g_settings->SetBulkTriggerMode(1);
  LoadControls(page);
  FocusFirstNumber(page);
}

// The activation radios write the record at once, ahead of the page's store.
void OnAlwaysOnClicked(HWND page) {
  g_settings->SetBulkActivationMode(0);
  EnableControl(page, IDC_BULK_TOGGLE_KEY, false);
  FocusFirstNumber(page);
}

void OnToggleClicked(HWND page) {
  g_settings->SetBulkActivationMode(1);
  EnableControl(page, IDC_BULK_TOGGLE_KEY, true);
  SetFocus(GetDlgItem(page, IDC_BULK_TOGGLE_KEY));
}

void OnLimitClicked(HWND page) {
  StoreControls(page);
  LoadControls(page);
  FocusFirstNumber(page);
}

void ResetPage(HWND page) {
  g_settings->ResetBulkDefaults();
  LoadControls(page);
}

void OnDefaultsClicked(HWND page) {
  if (RunPageReset(page, IDC_BULK_DEFAULTS, ResetPage)) FocusFirstNumber(page);
}

// The radios of the trigger, the sameness boxes, the numbers and the key
// list are only read when the page stores.
void OnCommand(HWND page, int control) {
  switch (control) {
    case IDC_BULK_ENABLE:
      OnEnableClicked(page);
      break;
    case IDC_BULK_ALWAYS_ON:
      OnAlwaysOnClicked(page);
      break;
    case IDC_BULK_TOGGLE:
      OnToggleClicked(page);
      break;
    case IDC_BULK_LIMIT:
      OnLimitClicked(page);
      break;
    case IDC_BULK_DEFAULTS:
      OnDefaultsClicked(page);
      break;
    default:
      break;
  }
}

void OnSetActive(HWND page) {
  LoadControls(page);
  FocusFirstNumber(page);
}

// The toggle key is written to the keyboard driver's registry and takes
// effect only after a soft reset, which the program offers at exit.
int Save(HWND) {
  const int saved = g_settings->SaveBulkScanning();
  if (saved == 1 && g_settings->BulkToggleKey != InitialBulkToggleKey) SoftResetNeeded = true;
  return saved;
}

const PageProtocol kBulkPage = {InitPage, OnCommand, OnSetActive, StoreControls, Save};

}  // namespace

INT_PTR CALLBACK BulkPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
  return PageProcedure(kBulkPage, page, message, wParam, lParam);
}
