// The bulk counter window: a small topmost window that is never activated,
// showing the count of the current bulk run (solid or shaped like its
// digits) and, after the run, a shrinking bar until the list is forgotten.
// Everything here runs on the main window's thread.
#pragma once

#include <windows.h>

// The counter window; null when none. Set and cleared by the window itself.
extern HWND g_counterWindow;

// The counter's dialog template, in the resources of the module given below.
enum : int { kCounterDialogId = 105 };

// Where counters are made: the module holding the dialog and the window that
// owns them (the main window). Set at start-up.
void SetCounterOwner(HINSTANCE resources, HWND owner);

// The main window's answer to UM_CREATE_COUNTER: creates the counter from
// dialog kCounterDialogId and stores it in g_counterWindow.
// Returns the window, or null when it could not be created (the data path
// goes on without a counter).
HWND CreateCounterWindow();

// A scan started (1) or stopped (0). Started: only in bulk mode with the
// counter enabled; creates the window once the run has CounterEnabledAfterScans
// barcodes, brings it forward and ends a running countdown. Stopped: tells an
// open window whether the run ended. 1 when it acted, else 0.
int UpdateCounterWindow(int scanStarted);

// The counter's dialog procedure (UM_COUNTER_SET, UM_COUNTER_SCAN, paint,
// close, destruction, and the countdown timer 1).
INT_PTR CALLBACK CounterWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
