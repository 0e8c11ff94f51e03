// The window messages of the wedge's main window. The numbers are fixed:
// other programs and the wedge's own threads post them to the window "Sarnu".
#pragma once

enum : unsigned {
  UM_COUNTER_SET = 0x401,      // to the counter window; wParam the count
  UM_COUNTER_SCAN = 0x402,     // to the counter window; wParam 0 started, 1 ended, 2 nothing
  UM_CREATE_COUNTER = 0x403,   // sent (not posted) by the data path
  UM_AIMER_ON = 0x404,         // LzrReadThread: aimer on again
  UM_ACTIVATE_READER = 0x405,  // posted by WM_CREATE
  UM_TOGGLE_BULK = 0x406,      // ToggleBulkModeThread
  UM_IMAGER_DATA = 0x407,      // ImagerReadThread: a barcode is queued
  UM_SETTINGS_CHANGED = 0x408,  // SettingsWatchThread: SARNU.INI changed and is quiet
  UM_READER_START = 0x465,     // DataReader client requests
  UM_READER_STOP = 0x466,
  UM_READER_CAMMODE = 0x467,
  UM_TRIGGER_KEY = 0x468,   // keyboard hook; wParam 1 down, 0 up; lParam the key
  UM_LZR_READ = 0x930,      // from outside; wParam 1 reads the laser's barcodes
  UM_TRAY_NOTIFY = 0x8064,  // the tray icon; lParam the mouse message
};
