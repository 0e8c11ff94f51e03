// The settings sheet: its five pages, their creation and release, the
// sheet's own notices and the exchange of the counter-type page.
#pragma once

#include <windows.h>
#include <commctrl.h>

// Creates the pages and runs the sheet modally, opening on `startPage`
// (0 to 4; a larger index opens the last page). Returns 1 when the sheet
// ran, 0 when a page or the sheet could not be created.
int CreateSettingsSheet(int startPage);

// The sheet's callback (PSCB_* notices of the platform).
int CALLBACK SettingsSheetProc(HWND sheet, UINT message, LPARAM data);

// Every page's creation and release notice: 1 allows the creation, 0
// answers the release, -1 anything else.
UINT CALLBACK PageCallback(HWND window, UINT message, LPPROPSHEETPAGEW page);

// Replaces the fifth page of the running sheet by a new page of `templateId`
// with `pageProc`, `title` and `data` as its lParam. The new page is added
// as the last tab and then the previous one is removed. When the new page cannot be made the previous
// page stays and the result is false.
bool SwapCounterPage(int templateId, DLGPROC pageProc, const wchar_t* title,
                     const void* data = nullptr);
