// Time stamps of one barcode's road through the wedge, for the scanning
// benchmark's breakdown, and of the start-up of the wedge and of the
// settings program, for the start-up benchmark's. The shipped programs never
// set the hook, so each stamp costs one test of a null pointer; the
// benchmark's builds of them set it and write the stamps where the benchmark
// reads them.
#pragma once

enum StageStamp : int {
  kStageReaderSignal,   // the reader signals a decoded barcode
  kStageReaderAwake,    // the laser's read thread wakes for it
  kStageQueued,         // accepted, on the output queue, the output woken
  kStageNotifyStart,    // the good-read thread is about to start
  kStageNotifyStarted,  // the good-read thread is started
  kStageOutputAwake,    // the output thread wakes
  kStageFiltered,       // the filter chain has made the text to type
  kStageKeysSent,       // the last key event of the barcode is sent
  kStageCount,
  // Start-up, in order; the reader is active when its started event comes.
  kStartEntered = kStageCount,  // the entry procedure runs
  kStartLibraries,              // the reader libraries are loaded
  kStartSettings,               // the reader is detected and SARNU.INI read
  kStartThreads,                // window, hook and threads are made
  kStartActivating,             // the loop takes the first activation
  // The settings program's start, in order; it ends with the sheet shown.
  kSettingsEntered,      // the entry procedure runs
  kSettingsRead,         // the reader is detected and SARNU.INI read
  kSettingsPagesMade,    // the five pages are made
  kSettingsSheetMade,    // the sheet window is made, before its menu bar
  kSettingsSheetFitted,  // the menu bar is on and the sheet fills the screen
  kSettingsPageShown,    // the start page's controls are filled
  kStampCount
};

// The stamps of the latest barcode or start, performance-counter ticks, in a shared
// mapping of this name (a process on the same machine reads the same clock).
struct StageStampTable {
  volatile long long stamp[kStampCount];
};
#define SARNU_STAGE_STAMP_MAPPING L"SarnuStageStamps"

extern void (*g_stageStampHook)(int stage);

inline void StampStage(int stage) {
  if (g_stageStampHook) g_stageStampHook(stage);
}
