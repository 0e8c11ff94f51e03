// What every page of the settings sheet shares: the program-wide state, the
// message boxes, the combo-box filler, the trackbar subclass, and the small
// helpers that give a page its answers. (The colour distance is the settings
// code's, ColorDistance in settings.h.)
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <cstdint>

#include "settings.h"
#include "settings_table.h"

// Program-wide state of SarnuSettings, used only by its one thread.
extern HINSTANCE AppInstance;           // source of every resource
extern bool StartupShortcutChecked;     // "Start Scanner Wedge on reboot"
extern uint8_t InitialBulkToggleKey;    // BulkToggleKey as loaded at start
extern bool SoftResetNeeded;            // set by the Bulkmode page's apply
extern uint8_t TransparentPageShown;    // 0: the fifth tab is "Solid Counter"
extern HPROPSHEETPAGE CounterPageHandle;  // the fifth page
extern HWND SheetWindow;                // recorded when the sheet initialises

// Adds `count` texts to the combo box `control` of `page` with CB_ADDSTRING
// in order, stopping at the first null text, then selects `selection`
// whatever happened. A fault while reading the texts ends the adding.
// Returns 1 when all `count` texts were added, else 0.
int FillComboBox(HWND page, int control, int selection, int count, ...);

// The question boxes: no owner, Yes/No with No as default, topmost. True on
// Yes. AskSoftReset also resets the device on Yes.
bool ConfirmResetDefaults();
bool ConfirmHardToReadColors();
void AskSoftReset();
// "Error!" / "SarnuSettings ERROR", OK only.
void ShowSaveError();

// Swallows message 0x0119 (answered 1) and passes every other message to
// the trackbar class's own procedure. Install with SubclassTrackbar.
LRESULT CALLBACK TrackbarSubclassProc(HWND window, UINT message, WPARAM wParam,
                                      LPARAM lParam);
void SubclassTrackbar(HWND page, int control);

// The page's message result (DWLP_MSGRESULT, pointer-sized).
void SetPageResult(HWND page, LONG_PTR result);

// The notification code of a WM_NOTIFY.
inline UINT NotifyCode(LPARAM lParam) { return reinterpret_cast<NMHDR*>(lParam)->code; }

// Control helpers of the page protocol.
void EnableControl(HWND page, int control, bool enabled);
// Enables or disables every control of `controls` (count entries).
void EnableControls(HWND page, const int* controls, int count, bool enabled);
void SetCheck(HWND page, int control, bool checked);
bool IsChecked(HWND page, int control);
// The number in an edit box: GetDlgItemInt, unsigned, no error report (a
// text that is not a number gives 0).
unsigned ReadNumber(HWND page, int control);
void WriteNumber(HWND page, int control, unsigned value);
// Focus to a control and, for an edit, all of its text selected.
void FocusAndSelect(HWND page, int control);
// Text limit (EM_LIMITTEXT), up-down range (UDM_SETRANGE32) and position.
void LimitText(HWND page, int control, int characters);
void SetUpDownRange(HWND page, int control, int low, int high);
void SetUpDownPos(HWND page, int control, int position);
// The limits a key's range sets: a number box takes as many digits as its
// high has and its up-down (0 for none) spans low to high; a text box takes
// high characters; a trackbar spans low to high.
void LimitNumber(HWND page, int edit, int upDown, const FieldRange& range);
void LimitTextTo(HWND page, int edit, const FieldRange& range);
void SetTrackbarRange(HWND page, int control, const FieldRange& range);
// Trackbar range and position (redrawn), and its selection from 0 to the
// thumb.
void SetTrackbarRange(HWND page, int control, int low, int high);
void SetTrackbarPos(HWND page, int control, int position);
int TrackbarPos(HWND page, int control);
void SelectTrackbarToThumb(HWND page, int control);

// "Set Default Values": the button off while the question is open; on Yes
// `reset` runs (the page's reset and LoadControls). Returns true on Yes.
bool RunPageReset(HWND page, int button, void (*reset)(HWND page));

// What a page does at each notice of the sheet; PageProcedure answers the
// notices the same way for every page.
//   init       set-up and LoadControls (WM_INITDIALOG)
//   command    a click on `control`
//   setActive  LoadControls and the page's focus (PSN_SETACTIVE)
//   store      StoreControls (PSN_KILLACTIVE, and first on PSN_APPLY)
//   save       the page's checks and section save after store; 1 when saved
struct PageProtocol {
  void (*init)(HWND page);
  void (*command)(HWND page, int control);
  void (*setActive)(HWND page);
  void (*store)(HWND page);
  int (*save)(HWND page);
};
INT_PTR PageProcedure(const PageProtocol& protocol, HWND page, UINT message, WPARAM wParam,
                      LPARAM lParam);

// The common answer to PSN_APPLY once the page stored and saved: the saving
// routines report success as 1; anything else shows the error and keeps the
// sheet on the page. Returns TRUE, the dialog procedure's answer.
INT_PTR AnswerApply(HWND page, int saveResult);
// PSN_KILLACTIVE after StoreControls: PSNRET_NOERROR.
INT_PTR AnswerKillActive(HWND page);
