// The pieces every settings page shares: message boxes, the combo-box
// filler, the trackbar subclass and small control helpers, so that each page
// reads as its own rules only.
#include "page_support.h"

#include <cstdarg>

#include "device_libraries.h"
#include "sheet_shell.h"
#include "stage_stamps.h"

HINSTANCE AppInstance = nullptr;
bool StartupShortcutChecked = false;
uint8_t InitialBulkToggleKey = 0;
bool SoftResetNeeded = false;
uint8_t TransparentPageShown = 0;
HPROPSHEETPAGE CounterPageHandle = nullptr;
HWND SheetWindow = nullptr;

namespace {

// No owner, Yes/No with No the default, question icon, set-foreground and
// topmost: the question stays in front even above the full-screen sheet.
const UINT kQuestionFlags = MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2 | MB_SETFOREGROUND |
                            MB_TOPMOST;

bool Ask(const wchar_t* text, const wchar_t* caption) {
  return MessageBoxW(nullptr, text, caption, kQuestionFlags) == IDYES;
}

// The trackbar class's own procedure, kept from the first subclassing in
// case the class cannot be looked up later.
WNDPROC g_trackbarClassProc = nullptr;

WNDPROC TrackbarClassProc() {
  WNDCLASSW info = {};
  if (GetClassInfoW(nullptr, TRACKBAR_CLASSW, &info) && info.lpfnWndProc) return info.lpfnWndProc;
  return g_trackbarClassProc;
}

}  // namespace

int FillComboBox(HWND page, int control, int selection, int count, ...) {
  va_list texts;
  va_start(texts, count);
  int added = 0;
  for (; added < count; ++added) {
    const wchar_t* text = va_arg(texts, const wchar_t*);
    // A text that cannot be read ends the list as a missing one does.
    if (!text || !TextIsReadable(text, 260)) break;
    SendDlgItemMessageW(page, control, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
  }
  va_end(texts);
  SendDlgItemMessageW(page, control, CB_SETCURSEL, selection, 0);
  return added == count ? 1 : 0;
}

bool ConfirmResetDefaults() {
  return Ask(L"Do you really want to\r\nreset all values shown on\r\nthis page to their default\r\n"
             L"values? This will discard\r\nall your changes on this page.",
             L"Reset to defaults");
}

bool ConfirmHardToReadColors() {
  return Ask(L"The colors choosed for\r\nthe counter window will\r\nbe hard to read,\r\n"
             L"do you really want\r\nto use these colors?",
             L"Counter Window Colors");
}

void AskSoftReset() {
  if (Ask(L"The device needs to be\r\nresetted to apply all\r\nconfiguration changes.\r\n\r\n"
          L"Do you wish the\r\ndevice to reset now?",
          L"Soft-Reset neccessary")) {
    g_DvcLib.DvcSoftReset();
  }
}

void ShowSaveError() { MessageBoxW(nullptr, L"Error!", L"SarnuSettings ERROR", 0); }

LRESULT CALLBACK TrackbarSubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == 0x0119) return 1;
  WNDPROC classProc = TrackbarClassProc();
  return classProc ? CallWindowProcW(classProc, window, message, wParam, lParam)
                   : DefWindowProcW(window, message, wParam, lParam);
}

void SubclassTrackbar(HWND page, int control) {
  HWND trackbar = GetDlgItem(page, control);
  if (!trackbar) return;
  // Pointer-sized: a 32-bit store would cut a 64-bit procedure address.
  WNDPROC previous = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(
      trackbar, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(TrackbarSubclassProc)));
  if (!g_trackbarClassProc && previous != TrackbarSubclassProc) g_trackbarClassProc = previous;
}

void SetPageResult(HWND page, LONG_PTR result) { SetWindowLongPtrW(page, DWLP_MSGRESULT, result); }

void EnableControl(HWND page, int control, bool enabled) {
  EnableWindow(GetDlgItem(page, control), enabled ? TRUE : FALSE);
}

void EnableControls(HWND page, const int* controls, int count, bool enabled) {
  for (int i = 0; i < count; ++i) EnableControl(page, controls[i], enabled);
}

void SetCheck(HWND page, int control, bool checked) {
  CheckDlgButton(page, control, checked ? BST_CHECKED : BST_UNCHECKED);
}

bool IsChecked(HWND page, int control) {
  return SendDlgItemMessageW(page, control, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

unsigned ReadNumber(HWND page, int control) {
  return GetDlgItemInt(page, control, nullptr, FALSE);
}

void WriteNumber(HWND page, int control, unsigned value) {
  SetDlgItemInt(page, control, value, FALSE);
}

void FocusAndSelect(HWND page, int control) {
  HWND item = GetDlgItem(page, control);
  SetFocus(item);
  SendMessageW(item, EM_SETSEL, 0, -1);
}

void LimitText(HWND page, int control, int characters) {
  SendDlgItemMessageW(page, control, EM_LIMITTEXT, characters, 0);
}

void SetUpDownRange(HWND page, int control, int low, int high) {
  SendDlgItemMessageW(page, control, UDM_SETRANGE32, low, high);
}

void LimitNumber(HWND page, int edit, int upDown, const FieldRange& range) {
  LimitText(page, edit, DigitsOf(range));
  if (upDown) SetUpDownRange(page, upDown, range.low, range.high);
}

void LimitTextTo(HWND page, int edit, const FieldRange& range) {
  LimitText(page, edit, range.high);
}

void SetTrackbarRange(HWND page, int control, const FieldRange& range) {
  SetTrackbarRange(page, control, range.low, range.high);
}

void SetUpDownPos(HWND page, int control, int position) {
  SendDlgItemMessageW(page, control, UDM_SETPOS32, 0, position);
}

void SetTrackbarRange(HWND page, int control, int low, int high) {
  SendDlgItemMessageW(page, control, TBM_SETRANGE, TRUE, MAKELPARAM(low, high));
}

void SetTrackbarPos(HWND page, int control, int position) {
  SendDlgItemMessageW(page, control, TBM_SETPOS, TRUE, position);
}

int TrackbarPos(HWND page, int control) {
  return static_cast<int>(SendDlgItemMessageW(page, control, TBM_GETPOS, 0, 0));
}

void SelectTrackbarToThumb(HWND page, int control) {
  SendDlgItemMessageW(page, control, TBM_SETSEL, TRUE, MAKELPARAM(0, TrackbarPos(page, control)));
}

bool RunPageReset(HWND page, int button, void (*reset)(HWND page)) {
  EnableControl(page, button, false);
  const bool yes = ConfirmResetDefaults();
  if (yes) reset(page);
  EnableControl(page, button, true);
  return yes;
}

INT_PTR AnswerApply(HWND page, int saveResult) {
  if (saveResult == 1) {
    SetPageResult(page, PSNRET_NOERROR);
  } else {
    ShowSaveError();
    SetPageResult(page, PSNRET_INVALID_NOCHANGEPAGE);
  }
  return TRUE;
}

INT_PTR AnswerKillActive(HWND page) {
  SetPageResult(page, PSNRET_NOERROR);
  return TRUE;
}

namespace {

INT_PTR AnswerNotice(const PageProtocol& protocol, HWND page, LPARAM lParam) {
  switch (NotifyCode(lParam)) {
    case PSN_SETACTIVE:
      protocol.setActive(page);
      SetPageResult(page, 0);
      return TRUE;
    case PSN_KILLACTIVE:
      protocol.store(page);
      return AnswerKillActive(page);
    case PSN_APPLY:
      protocol.store(page);
      return AnswerApply(page, protocol.save(page));
    case PSN_RESET:
      SetPageResult(page, 0);
      return FALSE;
    default:
      return FALSE;
  }
}

}  // namespace

INT_PTR PageProcedure(const PageProtocol& protocol, HWND page, UINT message, WPARAM wParam,
                      LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      protocol.init(page);
      FitPageToFont(page);
      StampStage(kSettingsPageShown);
      return TRUE;
    case WM_COMMAND:
      protocol.command(page, LOWORD(wParam));
      return 0;
    case WM_NOTIFY:
      return AnswerNotice(protocol, page, lParam);
    default:
      return FALSE;
  }
}
