// What the data path tells the wedge above it, as a table of calls that the
// wedge's start-up fills in. An entry left null is not called (the data path
// then runs without that notice, as in the unit tests).
#pragma once

struct DataPathNotices {
  // A barcode was accepted: its good-read signals. Called on the reading
  // thread, which must not wait for them.
  void (*goodRead)();
  // A bulk run reached the counter's threshold and no counter is open: the
  // counter window is made on the main window's thread before this returns.
  void (*counterWanted)();
  // A bulk run reached its limit (BulkRunEndedAtLimit is set already): its
  // scan ends and its list waits to be forgotten. Reading thread.
  void (*runEndedAtLimit)();
  // Outside bulk mode, the laser's reads of a press were taken: the press's
  // scan ends. LzrReadThread.
  void (*pressReadTaken)();
  // A barcode was not typed whole: the worker hears that it must scan
  // again. The output thread, which must not wait for the signal.
  void (*notTyped)();
};

extern DataPathNotices g_dataPathNotices;
