// The "Filter" page of the settings sheet: the options of the barcode filter
// chain, each a check box that switches its value fields on or off.
#include <windows.h>
// After windows.h, which it needs.
#include <commctrl.h>

#include "page_support.h"
#include "resource.h"
#include "settings.h"
#include "settings_pages.h"

namespace {

// One option: its enable flag, its check box, the value controls the box
// switches and the control that takes the focus when the box is clicked.
struct FilterOption {
  int32_t Settings::*flag;
  int box;
  int values[2];
  int valueCount;
  int focus;
  bool selectText;  // false for the lists, which have no text to select
};

// In the order in which the page loads and stores its options.
// clang-format off
const FilterOption kOptions[] = {
    {&Settings::PreambleEnable, IDC_FILTER_PREAMBLE, {IDC_FILTER_PREAMBLE_VALUE}, 1,
     IDC_FILTER_PREAMBLE_VALUE, true},
    {&Settings::PostambleEnable, IDC_FILTER_POSTAMBLE, {IDC_FILTER_POSTAMBLE_VALUE}, 1,
     IDC_FILTER_POSTAMBLE_VALUE, true},
    {&Settings::ReplaceFNC1Enable, IDC_FILTER_FNC1, {IDC_FILTER_FNC1_VALUE}, 1,
     IDC_FILTER_FNC1_VALUE, true},
    {&Settings::StripLeadingEnable, IDC_FILTER_STRIP_LEADING, {IDC_FILTER_STRIP_LEADING_VALUE}, 1,
     IDC_FILTER_STRIP_LEADING_VALUE, true},
    {&Settings::StripTrailingEnable, IDC_FILTER_STRIP_TRAILING,
     {IDC_FILTER_STRIP_TRAILING_VALUE}, 1, IDC_FILTER_STRIP_TRAILING_VALUE, true},
    {&Settings::StripFirstEnable, IDC_FILTER_STRIP_FIRST,
     {IDC_FILTER_STRIP_FIRST_VALUE, IDC_FILTER_STRIP_FIRST_SPIN}, 2, IDC_FILTER_STRIP_FIRST_VALUE,
     true},
    {&Settings::StripLastEnable, IDC_FILTER_STRIP_LAST,
     {IDC_FILTER_STRIP_LAST_VALUE, IDC_FILTER_STRIP_LAST_SPIN}, 2, IDC_FILTER_STRIP_LAST_VALUE,
     true},
    {&Settings::SendRangeEnable, IDC_FILTER_RANGE, {IDC_FILTER_RANGE_START, IDC_FILTER_RANGE_END},
     2, IDC_FILTER_RANGE_START, true},
    {&Settings::ValidateContentEnable, IDC_FILTER_VALIDATE, {IDC_FILTER_VALIDATE_MODE}, 1,
     IDC_FILTER_VALIDATE_MODE, false},
    {&Settings::ModifyCaseEnable, IDC_FILTER_CASE, {IDC_FILTER_CASE_MODE}, 1,
     IDC_FILTER_CASE_MODE, false},
};
// clang-format on

// Each box's limit is its key's range. The strip sets stop at 259
// characters: the record keeps no more, so a 260th one would be accepted by
// the box and then silently dropped.
struct ValueLimit {
  int control;
  int upDown;  // 0 for a text or a number without one
  FieldRange range;
  bool number;
};

const ValueLimit kValueLimits[] = {
    {IDC_FILTER_PREAMBLE_VALUE, 0, field_range::Preamble, false},
    {IDC_FILTER_POSTAMBLE_VALUE, 0, field_range::Postamble, false},
    {IDC_FILTER_STRIP_LEADING_VALUE, 0, field_range::StripLeading, false},
    {IDC_FILTER_STRIP_TRAILING_VALUE, 0, field_range::StripTrailing, false},
    {IDC_FILTER_STRIP_FIRST_VALUE, IDC_FILTER_STRIP_FIRST_SPIN, field_range::StripFirst, true},
    {IDC_FILTER_STRIP_LAST_VALUE, IDC_FILTER_STRIP_LAST_SPIN, field_range::StripLast, true},
    {IDC_FILTER_RANGE_START, 0, field_range::SendRangeStart, true},
    {IDC_FILTER_RANGE_END, 0, field_range::SendRangeEnd, true},
    {IDC_FILTER_FNC1_VALUE, 0, field_range::ReplaceFNC1, false}};

const FilterOption* FindOption(int box) {
  for (const FilterOption& option : kOptions) {
    if (option.box == box) return &option;
  }
  return nullptr;
}

void EnableOptionValues(HWND page, const FilterOption& option, bool enabled) {
  EnableControls(page, option.values, option.valueCount, enabled);
}

void SetText(HWND page, int control, const char16_t* text) {
  SetDlgItemTextW(page, control, reinterpret_cast<const wchar_t*>(text));
}

// The text of an edit box, read into the caller's buffer of 260 units.
const char16_t* ReadText(HWND page, int control, wchar_t (&buffer)[260]) {
  GetDlgItemTextW(page, control, buffer, 260);
  return reinterpret_cast<const char16_t*>(buffer);
}

int CheckValue(HWND page, int control) { return IsChecked(page, control) ? 1 : 0; }

int ListIndex(HWND page, int control) {
  return static_cast<int>(SendDlgItemMessageW(page, control, CB_GETCURSEL, 0, 0));
}

void SetListIndex(HWND page, int control, int index) {
  SendDlgItemMessageW(page, control, CB_SETCURSEL, index, 0);
}

void LoadValues(HWND page) {
  const Settings& s = *g_settings;
  SetText(page, IDC_FILTER_PREAMBLE_VALUE, s.Preamble.Wide);
  SetText(page, IDC_FILTER_POSTAMBLE_VALUE, s.Postamble.Wide);
  SetText(page, IDC_FILTER_FNC1_VALUE, s.ReplaceFNC1.Wide);
  SetText(page, IDC_FILTER_STRIP_LEADING_VALUE, s.StripLeading.Wide);
  SetText(page, IDC_FILTER_STRIP_TRAILING_VALUE, s.StripTrailing.Wide);
  WriteNumber(page, IDC_FILTER_STRIP_FIRST_VALUE, s.StripFirst);
  SetUpDownPos(page, IDC_FILTER_STRIP_FIRST_SPIN, s.StripFirst);
  WriteNumber(page, IDC_FILTER_STRIP_LAST_VALUE, s.StripLast);
  SetUpDownPos(page, IDC_FILTER_STRIP_LAST_SPIN, s.StripLast);
  WriteNumber(page, IDC_FILTER_RANGE_START, s.SendRangeStart);
  WriteNumber(page, IDC_FILTER_RANGE_END, s.SendRangeEnd);
  SetListIndex(page, IDC_FILTER_VALIDATE_MODE, s.ValidateContentMode);
  SetListIndex(page, IDC_FILTER_CASE_MODE, s.ModifyCaseMode);
}

void LoadControls(HWND page) {
  LoadValues(page);
  for (const FilterOption& option : kOptions) {
    const bool enabled = g_settings->*option.flag != 0;
    SetCheck(page, option.box, enabled);
    EnableOptionValues(page, option, enabled);
  }
}

// Values of disabled controls are stored too: unchecking an option keeps
// what the user had typed for it.
void StoreControls(HWND page) {
  Settings& s = *g_settings;
  wchar_t text[260];
  s.SetPreambleEnable(CheckValue(page, IDC_FILTER_PREAMBLE));
  s.SetPreamble(ReadText(page, IDC_FILTER_PREAMBLE_VALUE, text));
  s.SetPostambleEnable(CheckValue(page, IDC_FILTER_POSTAMBLE));
  s.SetPostamble(ReadText(page, IDC_FILTER_POSTAMBLE_VALUE, text));
  s.SetReplaceFNC1Enable(CheckValue(page, IDC_FILTER_FNC1));
  s.SetReplaceFNC1(ReadText(page, IDC_FILTER_FNC1_VALUE, text));
  s.SetStripLeadingEnable(CheckValue(page, IDC_FILTER_STRIP_LEADING));
  s.SetStripLeading(ReadText(page, IDC_FILTER_STRIP_LEADING_VALUE, text));
  s.SetStripTrailingEnable(CheckValue(page, IDC_FILTER_STRIP_TRAILING));
  s.SetStripTrailing(ReadText(page, IDC_FILTER_STRIP_TRAILING_VALUE, text));
  s.SetStripFirstEnable(CheckValue(page, IDC_FILTER_STRIP_FIRST));
  s.SetStripFirst(static_cast<int>(ReadNumber(page, IDC_FILTER_STRIP_FIRST_VALUE)));
  s.SetStripLastEnable(CheckValue(page, IDC_FILTER_STRIP_LAST));
  s.SetStripLast(static_cast<int>(ReadNumber(page, IDC_FILTER_STRIP_LAST_VALUE)));
  s.SetSendRangeEnable(CheckValue(page, IDC_FILTER_RANGE));
  s.SetSendRangeStart(static_cast<int>(ReadNumber(page, IDC_FILTER_RANGE_START)));
  s.SetSendRangeEnd(static_cast<int>(ReadNumber(page, IDC_FILTER_RANGE_END)));
  s.SetValidateContentEnable(CheckValue(page, IDC_FILTER_VALIDATE));
  // No entry selected (text typed into the list) stores -1, kept as 255.
  s.SetValidateContentMode(ListIndex(page, IDC_FILTER_VALIDATE_MODE));
  s.SetModifyCaseEnable(CheckValue(page, IDC_FILTER_CASE));
  s.SetModifyCaseMode(ListIndex(page, IDC_FILTER_CASE_MODE));
}

void FocusPreamble(HWND page) { FocusAndSelect(page, IDC_FILTER_PREAMBLE_VALUE); }

void InitPage(HWND page) {
  FillComboBox(page, IDC_FILTER_VALIDATE_MODE, 0, 2, L"Alphanumerical only", L"Numerical only");
  FillComboBox(page, IDC_FILTER_CASE_MODE, 0, 2, L"all lowercase", L"ALL UPPERCASE");
  for (const ValueLimit& limit : kValueLimits) {
    if (limit.number) {
      LimitNumber(page, limit.control, limit.upDown, limit.range);
    } else {
      LimitTextTo(page, limit.control, limit.range);
    }
  }
  LoadControls(page);
  FocusPreamble(page);
}

// The record is left alone until the page stores.
void OnOptionClicked(HWND page, const FilterOption& option) {
  EnableOptionValues(page, option, IsChecked(page, option.box));
  if (option.selectText) {
    FocusAndSelect(page, option.focus);
  } else {
    SetFocus(GetDlgItem(page, option.focus));
  }
}

void ResetPage(HWND page) {
  g_settings->ResetFilterDefaults();
  LoadControls(page);
}

void OnCommand(HWND page, int control) {
  if (const FilterOption* option = FindOption(control)) {
    OnOptionClicked(page, *option);
  } else if (control == IDC_FILTER_DEFAULTS) {
    RunPageReset(page, IDC_FILTER_DEFAULTS, ResetPage);
  }
}

void OnSetActive(HWND page) {
  LoadControls(page);
  FocusPreamble(page);
}

int Save(HWND) { return g_settings->SaveFilter(); }

const PageProtocol kFilterPage = {InitPage, OnCommand, OnSetActive, StoreControls, Save};

}  // namespace

INT_PTR CALLBACK FilterPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
  return PageProcedure(kFilterPage, page, message, wParam, lParam);
}
