// The window messages of the wedge. Most go to its hidden main window
// "Sarnu"; UM_COUNTER_SET and UM_COUNTER_SCAN go to the counter window, a
// dialog, which is why the wedge's own messages start at WM_APP (0x8000):
// above WM_USER they would meet the dialog messages (0x401 is DM_SETDEFID).
// Two keep older numbers because they are posted by number from outside the
// wedge: UM_LZR_READ by other programs, UM_AIMER_ON by test tools.
#pragma once

enum : unsigned {
  kWedgeMessageBase = 0x8000,  // WM_APP

  UM_COUNTER_SET = kWedgeMessageBase + 0x01,     // to the counter window; wParam the count
  UM_COUNTER_SCAN = kWedgeMessageBase + 0x02,    // to the counter window; wParam 0 started, 1 ended, 2 nothing
  UM_CREATE_COUNTER = kWedgeMessageBase + 0x03,  // sent (not posted) by the data path
  UM_ACTIVATE_READER = kWedgeMessageBase + 0x05,   // posted by WM_CREATE
  UM_TOGGLE_BULK = kWedgeMessageBase + 0x06,       // ToggleBulkModeThread
  UM_SETTINGS_CHANGED = kWedgeMessageBase + 0x08,  // SettingsWatchThread: SARNU.INI changed and is quiet
  UM_READER_START = kWedgeMessageBase + 0x65,      // DataReader client requests
  UM_READER_STOP = kWedgeMessageBase + 0x66,
  UM_READER_CAMMODE = kWedgeMessageBase + 0x67,
  UM_TRIGGER_KEY = kWedgeMessageBase + 0x68,  // keyboard hook; wParam 1 down, 0 up; lParam the key
  UM_TRAY_NOTIFY = kWedgeMessageBase + 0x64,  // the tray icon; lParam the mouse message

  UM_AIMER_ON = 0x404,  // LzrReadThread: aimer on again
  UM_LZR_READ = 0x930,  // wParam 1 reads the laser's barcodes
};
