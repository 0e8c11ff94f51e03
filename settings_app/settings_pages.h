// The page procedures of the settings sheet, one file each. Every page
// follows the same protocol: LoadControls on WM_INITDIALOG and
// PSN_SETACTIVE, StoreControls on PSN_KILLACTIVE and PSN_APPLY, the page's
// section save on PSN_APPLY, and "Set Default Values" behind a question.
#pragma once

#include <windows.h>

INT_PTR CALLBACK FilterPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK BulkPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK CommonPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK CounterPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);

// The two counter-type pages share one procedure; which page it serves is
// the description given as the page's lParam.
struct CounterTypePage;
extern const CounterTypePage kSolidCounterPage;
extern const CounterTypePage kTransparentCounterPage;
INT_PTR CALLBACK CounterTypePageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
