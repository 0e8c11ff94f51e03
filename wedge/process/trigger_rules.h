// The trigger rules: when the reader scans. The trigger keys' handlers run on
// the main window's thread; the two ends a reading thread reports through the
// data path's notices (one press's laser read taken, a bulk run at its
// limit) run on that thread.
#pragma once

// A trigger key went down / up (from a hot key or the keyboard hook), under
// the bulk and aimer rules. Main window thread only.
void OnTriggerPressed();
void OnTriggerReleased();
// A request from outside the trigger (a DataReader client's Stop, camera
// mode) ends a bulk run's running scan as a release ends it, so the run is
// forgotten by the same rules. Does nothing outside a bulk scan.
void EndBulkScanFromOutside();

// Starts a scan unless one runs or a bulk run is at its limit: bulk scans run
// without time-out and tell the counter, others use the reader's time-out
// (none in aimer mode). 1 when it started one, else 0.
int ScanTrigger();

// The data path's notices pressReadTaken and runEndedAtLimit: the scan ends
// (in aimer mode the aimer comes back), and at the limit the run's list
// waits to be forgotten.
void EndPressScan();
void EndRunAtLimit();
