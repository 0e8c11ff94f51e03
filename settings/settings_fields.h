// The one list of persistent settings. Every use of the keys (the record's
// fields and setters, Load, the section saves, the page resets, sarnuconf)
// expands this list, so they cannot drift apart.
//
// X(group, section, key, kind, default, low, high)
//   group    which section save and page reset the key belongs to; the
//            Extension keys belong to no page: the settings program keeps
//            what the file says, and only the file sets them
//   kind     Flag (32-bit, 0 off), U8, U16, Text (TextSetting), CharSet
//            (CharSetSetting) or Color (RgbColor)
//   default  the value when the key is missing or empty; colours as 0xRRGGBB,
//            texts always ""
//   low/high the values the settings program's control for the key offers:
//            a check box, radio pair or list low..high, an up-down or a
//            trackbar low..high; a number box takes as many digits as high
//            has, so what is typed there may lie below low (or above high
//            where high is not all nines) and is stored as typed. For Text
//            and CharSet high is the most characters its box takes. The
//            Extension keys have no control. sarnuconf check reports a value
//            outside low..high. Only TransparentCounterSize and KeyDelay are
//            enforced by the record itself.
//
// The order is the order of Load, which is also the order in which each
// section save writes its keys.
#pragma once

#define SARNU_SETTINGS_FIELDS(X)                                               \
  X(Filter, Filter, PreambleEnable, Flag, 0, 0, 1)                             \
  X(Filter, Filter, Preamble, Text, 0, 0, 78)                                  \
  X(Filter, Filter, PostambleEnable, Flag, 0, 0, 1)                            \
  X(Filter, Filter, Postamble, Text, 0, 0, 78)                                 \
  X(Filter, Filter, ReplaceFNC1Enable, Flag, 0, 0, 1)                          \
  X(Filter, Filter, ReplaceFNC1, Text, 0, 0, 1)                                \
  X(Filter, Filter, StripLeadingEnable, Flag, 0, 0, 1)                         \
  X(Filter, Filter, StripLeading, CharSet, 0, 0, 259)                          \
  X(Filter, Filter, StripTrailingEnable, Flag, 0, 0, 1)                        \
  X(Filter, Filter, StripTrailing, CharSet, 0, 0, 259)                         \
  X(Filter, Filter, StripFirstEnable, Flag, 0, 0, 1)                           \
  X(Filter, Filter, StripFirst, U16, 0, 0, 999)                                \
  X(Filter, Filter, StripLastEnable, Flag, 0, 0, 1)                            \
  X(Filter, Filter, StripLast, U16, 0, 0, 999)                                 \
  X(Filter, Filter, SendRangeEnable, Flag, 0, 0, 1)                            \
  X(Filter, Filter, SendRangeStart, U16, 0, 0, 999)                            \
  X(Filter, Filter, SendRangeEnd, U16, 0, 0, 999)                              \
  X(Filter, Filter, ValidateContentEnable, Flag, 0, 0, 1)                      \
  X(Filter, Filter, ValidateContentMode, U8, 0, 0, 1)                          \
  X(Filter, Filter, ModifyCaseEnable, Flag, 0, 0, 1)                           \
  X(Filter, Filter, ModifyCaseMode, U8, 0, 0, 1)                               \
  X(Bulk, BulkScanning, BulkEnable, Flag, 0, 0, 1)                             \
  X(Bulk, BulkScanning, BulkActivationMode, U8, 0, 0, 1)                       \
  X(Bulk, BulkScanning, BulkToggleKey, U8, 0, 0, 2)                            \
  X(Bulk, BulkScanning, BulkLimitEnable, Flag, 0, 0, 1)                        \
  X(Bulk, BulkScanning, BulkLimit, U16, 100, 2, 999)                           \
  X(Bulk, BulkScanning, BulkScannedListClearAfter, U8, 3, 0, 9)                \
  X(Bulk, BulkScanning, BulkScannedListClearImmediatelyUpto, U8, 1, 0, 9)      \
  X(Bulk, BulkScanning, BulkTriggerMode, U8, 0, 0, 1)                          \
  X(Bulk, BulkScanning, BulkSameType, Flag, 1, 0, 1)                           \
  X(Bulk, BulkScanning, BulkSameLength, Flag, 1, 0, 1)                         \
  X(Counter, BulkCounterWindow, CounterEnabled, Flag, 1, 0, 1)                 \
  X(Counter, BulkCounterWindow, CounterEnabledAfterScans, U16, 2, 1, 99)       \
  X(Counter, BulkCounterWindow, CounterCloseMode, U8, 0, 0, 1)                 \
  X(Counter, BulkCounterWindow, CounterType, U8, 1, 0, 1)                      \
  X(SolidCounter, BulkCounterWindow, CounterSizeY, U16, 100, 30, 320)          \
  X(SolidCounter, BulkCounterWindow, CounterSizeX, U16, 200, 20, 240)          \
  X(SolidCounter, BulkCounterWindow, CounterPosY, U16, 110, 0, 290)            \
  X(SolidCounter, BulkCounterWindow, CounterPosX, U16, 20, 0, 220)             \
  X(SolidCounter, BulkCounterWindow, CounterCenter, Flag, 1, 0, 1)             \
  X(SolidCounter, BulkCounterWindow, CounterForegroundColor, Color, 0x00FF00, 0, 255) \
  X(SolidCounter, BulkCounterWindow, CounterBackgroundColor, Color, 0x000000, 0, 255) \
  X(TransparentCounter, BulkCounterWindow, TransparentCounterPosY, U16, 90, 0, 290) \
  X(TransparentCounter, BulkCounterWindow, TransparentCounterPosX, U16, 0, 0, 220)  \
  X(TransparentCounter, BulkCounterWindow, TransparentCounterCenter, Flag, 1, 0, 1) \
  X(TransparentCounter, BulkCounterWindow, TransparentCounterColor, Color, 0x00FF00, 0, 255) \
  X(TransparentCounter, BulkCounterWindow, TransparentCounterSize, U8, 10, 1, 10)   \
  X(Other, OtherSettings, TriggerPowerOn, Flag, 0, 0, 1)                       \
  X(Other, OtherSettings, CradlePowerOn, Flag, 0, 0, 1)                        \
  X(Other, OtherSettings, AimerMode, Flag, 0, 0, 1)                            \
  X(Other, OtherSettings, AimerWidth, U8, 0, 0, 3)                             \
  X(Other, OtherSettings, ShowSplash, Flag, 1, 0, 1)                           \
  X(Extension, OtherSettings, KeyboardLayout, U8, 0, 0, 1)                     \
  X(Extension, OtherSettings, KeyDelay, U8, 0, 0, 50)                          \
  X(Extension, OtherSettings, KeepClipboard, Flag, 0, 0, 1)                    \
  X(Extension, OtherSettings, CodeIdPrefix, Flag, 0, 0, 1)                     \
  X(Extension, OtherSettings, KeyTokens, Flag, 0, 0, 1)                        \
  X(Extension, OtherSettings, FocusGuard, Flag, 1, 0, 1)                       \
  X(Extension, OtherSettings, ScanLog, Flag, 0, 0, 1)                          \
  X(Extension, OtherSettings, ScanLogPath, Text, 0, 0, 259)                    \
  X(Extension, OtherSettings, ScanLogData, Flag, 1, 0, 1)                      \
  X(Extension, OtherSettings, ScanLogMaxKB, U16, 256, 1, 9999)                 \
  X(Extension, OtherSettings, RefusedSignal, Flag, 0, 0, 1)
