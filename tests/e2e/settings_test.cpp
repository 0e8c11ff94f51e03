// The settings program on a terminal screen, driven as a user drives it:
// each scenario is a table of actions and looks, then what the program left
// on the terminal (SARNU.INI, the temporary copy, the registry, the
// start-up shortcut, the simulator's log, the set-up tool's record), and,
// where the scenario saved, a fresh start that must show the saved values.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "resource.h"
#include "settings_sheet.h"
#include "sim_log.h"

namespace {

enum class Check {
  kKey,          // SARNU.INI [a] b is `value`
  kNoSection,    // SARNU.INI has no section [a]
  kUnchanged,    // SARNU.INI is byte for byte what the scenario wrote
  kNoTempCopy,   // "\Temp\SARNU.INI" is gone
  kShortcut,     // the start-up shortcut holds `value` ("" for none)
  kLaunch,       // HKLM KEYBD value a is `value`
  kSimLog,       // the simulator logged a call starting with `value` (b "0": did not)
  kToolLog,      // the stand-in tool's record holds `value`
};

struct TerminalCheck {
  Check kind;
  const wchar_t* a = L"";
  const wchar_t* b = L"";
  std::wstring value;
};

struct SheetScenario {
  const char* name;
  const char* reader;
  std::string ini;
  bool shortcutBefore;
  std::vector<SheetStep> steps;
  std::vector<TerminalCheck> checks;
  std::vector<SheetStep> reopened;  // looks at a fresh start, then Cancel
  bool readOnly = false;            // SARNU.INI marked read-only
  bool noTemp = false;              // the terminal has no "\Temp" folder
};

void PrintTo(const SheetScenario& s, std::ostream* os) { *os << s.name; }

const wchar_t kStandinLog[] = L"C:\\standin.log";

// The splash stays off; `other` joins its section (the first section of a
// name is the one that counts).
std::string Ini(const std::string& sections, const std::string& other = "") {
  return "[OtherSettings]\r\nShowSplash=0\r\n" + other + sections;
}
const std::string kBulkCounter =
    "[BulkScanning]\r\nBulkEnable=1\r\n[BulkCounterWindow]\r\nCounterEnabled=1\r\n";

SheetStep Do(Act act, int control = 0, int value = 0) { return {act, control, L"", value}; }
SheetStep Do(Act act, int control, const std::wstring& text, int value = 0) {
  return {act, control, text, value};
}
SheetStep Answer(const wchar_t* caption, int answer) { return {Act::kAnswer, 0, caption, answer}; }
SheetStep Is(Act act, int control, int value) { return {act, control, L"", value}; }

// Tab indexes: the tab order, not the creation order.
enum : int { kFilterTab, kBulkTab, kCommonTab, kCounterTab, kCounterTypeTab };

const std::wstring k78 = std::wstring(78, L'p');

std::vector<SheetScenario> Scenarios() {
  const int on = 1, off = 0;
  return {
      {"CancelRightAfterStartWritesNothing", "laser", Ini("[Filter]\r\nPreamble=X\r\n"), false,
       {Do(Act::kCancel), Do(Act::kNoBox, 0, L"Soft-Reset neccessary")},
       {{Check::kUnchanged, L"", L"", L""}, {Check::kNoTempCopy, L"", L"", L""}},
       {}},
      {"SaveAfterOnlyTheFilterPageWritesTheFilterSectionAlone", "laser",
       Ini("[Filter]\r\nPreambleEnable=0\r\n[Profile.Sheet]\r\nPrograms=wms.exe\r\nPreamble=P\r\n"),
       false,
       {Do(Act::kClick, IDC_FILTER_PREAMBLE), Do(Act::kType, IDC_FILTER_PREAMBLE_VALUE, L"AB"),
        Do(Act::kSave)},
       {{Check::kKey, L"Filter", L"PreambleEnable", L"1"},
        {Check::kKey, L"Filter", L"Preamble", L"AB"},
        {Check::kKey, L"Filter", L"ModifyCaseMode", L"0"},
        {Check::kKey, L"OtherSettings", L"ShowSplash", L"0"},
        {Check::kKey, L"Profile.Sheet", L"Programs", L"wms.exe"},
        {Check::kKey, L"Profile.Sheet", L"Preamble", L"P"},
        {Check::kNoSection, L"BulkScanning", L"", L""},
        {Check::kNoSection, L"BulkCounterWindow", L"", L""},
        {Check::kNoTempCopy, L"", L"", L""}},
       {}},
      {"FilterValuesRoundTripThroughTheirControls", "laser", Ini(""), false,
       {Is(Act::kEnabled, IDC_FILTER_STRIP_FIRST_VALUE, off),
        Is(Act::kSelection, IDC_FILTER_VALIDATE_MODE, 0),
        Do(Act::kClick, IDC_FILTER_STRIP_FIRST), Is(Act::kEnabled, IDC_FILTER_STRIP_FIRST_VALUE, on),
        Is(Act::kEnabled, IDC_FILTER_STRIP_FIRST_SPIN, on),
        Is(Act::kFocus, IDC_FILTER_STRIP_FIRST_VALUE, 0),
        Do(Act::kType, IDC_FILTER_STRIP_FIRST_VALUE, L"12345"),  // three digits fit
        Do(Act::kClick, IDC_FILTER_STRIP_LAST), Do(Act::kType, IDC_FILTER_STRIP_LAST_VALUE, L"7"),
        Do(Act::kClick, IDC_FILTER_STRIP_LAST),  // off again: the number stays
        Is(Act::kEnabled, IDC_FILTER_STRIP_LAST_VALUE, off),
        Do(Act::kClick, IDC_FILTER_RANGE), Do(Act::kType, IDC_FILTER_RANGE_START, L"12"),
        Do(Act::kType, IDC_FILTER_RANGE_END, L"5"),
        Do(Act::kClick, IDC_FILTER_STRIP_LEADING),
        Do(Act::kType, IDC_FILTER_STRIP_LEADING_VALUE, L"0 "),
        Do(Act::kClick, IDC_FILTER_VALIDATE), Do(Act::kSelect, IDC_FILTER_VALIDATE_MODE, 1),
        Do(Act::kClick, IDC_FILTER_CASE), Do(Act::kSelect, IDC_FILTER_CASE_MODE, 1),
        Do(Act::kClick, IDC_FILTER_PREAMBLE),
        Do(Act::kType, IDC_FILTER_PREAMBLE_VALUE, k78 + L"qq"),  // the 79th is refused
        Do(Act::kText, IDC_FILTER_PREAMBLE_VALUE, k78),
        Do(Act::kClick, IDC_FILTER_FNC1), Do(Act::kType, IDC_FILTER_FNC1_VALUE, L"|;"),
        Do(Act::kPage, kBulkTab), Do(Act::kPage, kFilterTab),  // kept while away
        Is(Act::kChecked, IDC_FILTER_CASE, on), Do(Act::kSave)},
       {{Check::kKey, L"Filter", L"StripFirstEnable", L"1"},
        {Check::kKey, L"Filter", L"StripFirst", L"123"},
        {Check::kKey, L"Filter", L"StripLastEnable", L"0"},
        {Check::kKey, L"Filter", L"StripLast", L"7"},
        {Check::kKey, L"Filter", L"SendRangeStart", L"12"},
        {Check::kKey, L"Filter", L"SendRangeEnd", L"5"},
        {Check::kKey, L"Filter", L"StripLeading", L"0 "},
        {Check::kKey, L"Filter", L"ValidateContentMode", L"1"},
        {Check::kKey, L"Filter", L"ModifyCaseMode", L"1"},
        {Check::kKey, L"Filter", L"Preamble", k78},
        {Check::kKey, L"Filter", L"ReplaceFNC1", L"|"}},
       {Is(Act::kChecked, IDC_FILTER_STRIP_FIRST, on), Is(Act::kChecked, IDC_FILTER_STRIP_LAST, off),
        Do(Act::kText, IDC_FILTER_STRIP_FIRST_VALUE, L"123"),
        Do(Act::kText, IDC_FILTER_STRIP_LAST_VALUE, L"7"),
        Do(Act::kText, IDC_FILTER_PREAMBLE_VALUE, k78),
        Is(Act::kSelection, IDC_FILTER_CASE_MODE, 1), Is(Act::kEnabled, IDC_FILTER_FNC1_VALUE, on)}},
      {"FilterDefaultsAnsweredNoChangeNothing", "laser",
       Ini("[Filter]\r\nPreambleEnable=1\r\nPreamble=P\r\n"), false,
       {Do(Act::kClick, IDC_FILTER_DEFAULTS), Answer(L"Reset to defaults", IDNO),
        Is(Act::kChecked, IDC_FILTER_PREAMBLE, on), Do(Act::kText, IDC_FILTER_PREAMBLE_VALUE, L"P"),
        Is(Act::kEnabled, IDC_FILTER_DEFAULTS, on), Do(Act::kClick, IDC_FILTER_DEFAULTS),
        Answer(L"Reset to defaults", IDYES), Is(Act::kChecked, IDC_FILTER_PREAMBLE, off),
        Do(Act::kText, IDC_FILTER_PREAMBLE_VALUE, L""), Do(Act::kCancel)},
       {{Check::kUnchanged, L"", L"", L""}},
       {}},
      {"BulkPageEnablingAndValuesRoundTrip", "laser", Ini(""), false,
       {Do(Act::kPage, kBulkTab), Is(Act::kEnabled, IDC_BULK_ALWAYS_ON, off),
        Is(Act::kEnabled, IDC_BULK_CLEAR_AFTER, off), Is(Act::kEnabled, IDC_BULK_DEFAULTS, on),
        Do(Act::kClick, IDC_BULK_ENABLE), Is(Act::kEnabled, IDC_BULK_ALWAYS_ON, on),
        Is(Act::kEnabled, IDC_BULK_TOGGLE_KEY, off), Is(Act::kEnabled, IDC_BULK_LIMIT_VALUE, off),
        Is(Act::kEnabled, IDC_BULK_LIMIT_UNIT, off), Is(Act::kEnabled, IDC_BULK_LIMIT_SPIN, on),
        Is(Act::kFocus, IDC_BULK_CLEAR_AFTER, 0),
        Do(Act::kClick, IDC_BULK_TOGGLE), Is(Act::kEnabled, IDC_BULK_TOGGLE_KEY, on),
        Do(Act::kSelect, IDC_BULK_TOGGLE_KEY, 2), Do(Act::kClick, IDC_BULK_LIMIT),
        Is(Act::kEnabled, IDC_BULK_LIMIT_VALUE, on), Is(Act::kFocus, IDC_BULK_LIMIT_VALUE, 0),
        Do(Act::kType, IDC_BULK_LIMIT_VALUE, L"5"), Do(Act::kType, IDC_BULK_CLEAR_AFTER, L"07"),
        Do(Act::kClick, IDC_BULK_TRIGGER_TOGGLES), Do(Act::kClick, IDC_BULK_SAME_TYPE),
        Do(Act::kSave), Answer(L"Soft-Reset neccessary", IDNO)},
       {{Check::kKey, L"BulkScanning", L"BulkEnable", L"1"},
        {Check::kKey, L"BulkScanning", L"BulkActivationMode", L"1"},
        {Check::kKey, L"BulkScanning", L"BulkToggleKey", L"2"},
        {Check::kKey, L"BulkScanning", L"BulkLimitEnable", L"1"},
        {Check::kKey, L"BulkScanning", L"BulkLimit", L"5"},
        {Check::kKey, L"BulkScanning", L"BulkScannedListClearAfter", L"0"},
        {Check::kKey, L"BulkScanning", L"BulkTriggerMode", L"1"},
        {Check::kKey, L"BulkScanning", L"BulkSameType", L"0"},
        {Check::kLaunch, L"Fn9LaunchPath", L"", L"\\Windows\\SarnuBulk.exe"},
        {Check::kSimLog, L"", L"0", L"DvcSoftReset"}},
       {Do(Act::kPage, kBulkTab), Is(Act::kChecked, IDC_BULK_TOGGLE, on),
        Is(Act::kSelection, IDC_BULK_TOGGLE_KEY, 2), Do(Act::kText, IDC_BULK_LIMIT_VALUE, L"5"),
        Is(Act::kChecked, IDC_BULK_TRIGGER_TOGGLES, on), Is(Act::kChecked, IDC_BULK_SAME_TYPE, off),
        Is(Act::kChecked, IDC_BULK_SAME_LENGTH, on)}},
      {"ToggleKeyChangedAsksForASoftResetAfterTheCommit", "laser",
       Ini("[BulkScanning]\r\nBulkEnable=1\r\nBulkActivationMode=1\r\n"), false,
       {Do(Act::kPage, kBulkTab), Do(Act::kSelect, IDC_BULK_TOGGLE_KEY, 1), Do(Act::kSave),
        Answer(L"Soft-Reset neccessary", IDYES)},
       {{Check::kKey, L"BulkScanning", L"BulkToggleKey", L"1"},
        {Check::kNoTempCopy, L"", L"", L""},
        {Check::kLaunch, L"Fn8LaunchPath", L"", L"\\Windows\\SarnuBulk.exe"},
        {Check::kSimLog, L"", L"1", L"DvcSoftReset"}},
       {}},
      {"ToggleKeyChangedBackAsksNothing", "laser",
       Ini("[BulkScanning]\r\nBulkEnable=1\r\nBulkActivationMode=1\r\n"), false,
       {Do(Act::kPage, kBulkTab), Do(Act::kSelect, IDC_BULK_TOGGLE_KEY, 2),
        Do(Act::kPage, kFilterTab), Do(Act::kPage, kBulkTab),
        Do(Act::kSelect, IDC_BULK_TOGGLE_KEY, 0), Do(Act::kClick, IDC_BULK_ALWAYS_ON),
        Do(Act::kSave), Do(Act::kNoBox, 0, L"Soft-Reset neccessary")},
       {{Check::kKey, L"BulkScanning", L"BulkActivationMode", L"0"},
        {Check::kLaunch, L"Fn7LaunchPath", L"", L""}},
       {}},
      {"AimerModeMakesBulkTriggerToggle", "laser", Ini("", "AimerMode=1\r\n"),
       false,
       {Do(Act::kPage, kBulkTab), Do(Act::kClick, IDC_BULK_ENABLE),
        Is(Act::kChecked, IDC_BULK_TRIGGER_TOGGLES, on), Is(Act::kEnabled, IDC_BULK_PRESS_HOLD, off),
        Do(Act::kPage, kCommonTab), Is(Act::kEnabled, IDC_COMMON_AIMER, on),
        Is(Act::kEnabled, IDC_COMMON_AIMER_WIDTH, on), Do(Act::kCancel)},
       {{Check::kUnchanged, L"", L"", L""}},
       {}},
      {"PressAndHoldDisablesAimerModeUntilTheTriggerToggles", "laser",
       Ini("[BulkScanning]\r\nBulkEnable=1\r\nBulkTriggerMode=0\r\n"), false,
       {Do(Act::kPage, kCommonTab), Is(Act::kEnabled, IDC_COMMON_AIMER, off),
        Is(Act::kEnabled, IDC_COMMON_AIMER_NOTE, off), Is(Act::kVisible, IDC_COMMON_AIMER_WIDTH, on),
        Is(Act::kEnabled, IDC_COMMON_AIMER_WIDTH, off), Do(Act::kPage, kBulkTab),
        Do(Act::kClick, IDC_BULK_TRIGGER_TOGGLES), Do(Act::kPage, kCommonTab),
        Is(Act::kEnabled, IDC_COMMON_AIMER, on), Is(Act::kEnabled, IDC_COMMON_AIMER_WIDTH, off),
        Do(Act::kClick, IDC_COMMON_AIMER), Is(Act::kEnabled, IDC_COMMON_AIMER_WIDTH, on),
        Do(Act::kSlide, IDC_COMMON_AIMER_WIDTH, 2), Do(Act::kPage, kBulkTab),
        Do(Act::kClick, IDC_BULK_DEFAULTS), Answer(L"Reset to defaults", IDYES),
        Do(Act::kPage, kCommonTab), Is(Act::kChecked, IDC_COMMON_AIMER, off), Do(Act::kSave)},
       {{Check::kKey, L"OtherSettings", L"AimerMode", L"0"},
        {Check::kKey, L"BulkScanning", L"BulkEnable", L"0"}},
       {}},
      {"CounterPagesFollowBulkModeAndTheCounterSwitch", "laser",
       Ini("[BulkCounterWindow]\r\nCounterType=0\r\nCounterCenter=1\r\n"), false,
       {Do(Act::kPage, kCounterTab), Is(Act::kEnabled, IDC_COUNTER_SHOW, off),
        Is(Act::kEnabled, IDC_COUNTER_DEFAULTS, off), Do(Act::kPage, kCounterTypeTab),
        Is(Act::kEnabled, IDC_SOLID_FG_RED, off), Is(Act::kEnabled, IDC_SOLID_DEFAULTS, off),
        Is(Act::kEnabled, IDC_SOLID_PREVIEW, on), Do(Act::kPage, kBulkTab),
        Do(Act::kClick, IDC_BULK_ENABLE), Do(Act::kPage, kCounterTab),
        Is(Act::kEnabled, IDC_COUNTER_SHOW, on), Is(Act::kEnabled, IDC_COUNTER_COUNT, on),
        Do(Act::kClick, IDC_COUNTER_SHOW), Is(Act::kEnabled, IDC_COUNTER_COUNT, off),
        Is(Act::kEnabled, IDC_COUNTER_SCANS_LABEL, on), Is(Act::kEnabled, IDC_COUNTER_SOLID, off),
        Do(Act::kClick, IDC_COUNTER_SHOW), Do(Act::kPage, kCounterTypeTab),
        Is(Act::kEnabled, IDC_SOLID_SIZE_X, on), Is(Act::kEnabled, IDC_SOLID_POS_Y, off),
        Do(Act::kClick, IDC_SOLID_CENTER), Is(Act::kEnabled, IDC_SOLID_POS_Y, on),
        Is(Act::kFocus, IDC_SOLID_POS_Y, 0), Do(Act::kType, IDC_SOLID_POS_Y, L"45"),
        Do(Act::kType, IDC_SOLID_SIZE_X, L"180"), Do(Act::kSave)},
       {{Check::kKey, L"BulkCounterWindow", L"CounterCenter", L"0"},
        {Check::kKey, L"BulkCounterWindow", L"CounterPosY", L"45"},
        {Check::kKey, L"BulkCounterWindow", L"CounterSizeX", L"180"}},
       {Do(Act::kPage, kCounterTypeTab), Do(Act::kText, IDC_SOLID_POS_Y, L"45"),
        Is(Act::kChecked, IDC_SOLID_CENTER, off)}},
      {"CounterTypeExchangesTheFifthTabBothWaysAndByTheReset", "laser",
       Ini(kBulkCounter + "CounterType=1\r\n"), false,
       {Do(Act::kTabTitle, kCounterTypeTab, L"Transp. Counter"), Do(Act::kPage, kCounterTab),
        Do(Act::kClick, IDC_COUNTER_SOLID), Is(Act::kTabCount, 0, 5),
        Do(Act::kTabTitle, kCounterTypeTab, L"Solid Counter"), Do(Act::kClick, IDC_COUNTER_SOLID),
        Is(Act::kTabCount, 0, 5), Do(Act::kPage, kCounterTypeTab),
        Is(Act::kEnabled, IDC_SOLID_FG_RED, on), Do(Act::kPage, kCounterTab),
        Do(Act::kClick, IDC_COUNTER_DEFAULTS), Answer(L"Reset to defaults", IDYES),
        Do(Act::kTabTitle, kCounterTypeTab, L"Transp. Counter"),
        Is(Act::kChecked, IDC_COUNTER_TRANSPARENT, on), Do(Act::kPage, kCounterTypeTab),
        Do(Act::kSlide, IDC_TRANSP_SIZE, 4), Do(Act::kPage, kCounterTab),
        Do(Act::kClick, IDC_COUNTER_SOLID), Do(Act::kClick, IDC_COUNTER_TRANSPARENT),
        Do(Act::kTabTitle, kCounterTypeTab, L"Transp. Counter"),
        // Only a page shown in this run saves: the new one reads the size kept
        // in the record.
        Do(Act::kPage, kCounterTypeTab), Is(Act::kTrackPos, IDC_TRANSP_SIZE, 4), Do(Act::kSave)},
       {{Check::kKey, L"BulkCounterWindow", L"CounterType", L"1"},
        {Check::kKey, L"BulkCounterWindow", L"CounterEnabledAfterScans", L"2"}},
       {Do(Act::kTabTitle, kCounterTypeTab, L"Transp. Counter"), Do(Act::kPage, kCounterTypeTab),
        Is(Act::kTrackPos, IDC_TRANSP_SIZE, 4)}},
      {"HardToReadColoursAnsweredNoKeepTheSheetAndSaveNothingOfThePage", "laser",
       Ini(kBulkCounter + "CounterType=0\r\nCounterForegroundColor=00FF00\r\n"), false,
       {Do(Act::kPage, kCounterTypeTab), Do(Act::kSlide, IDC_SOLID_FG_RED, 200),
        Do(Act::kSlide, IDC_SOLID_FG_GREEN, 200), Do(Act::kSlide, IDC_SOLID_FG_BLUE, 200),
        Do(Act::kSlide, IDC_SOLID_BG_RED, 255), Do(Act::kSlide, IDC_SOLID_BG_GREEN, 255),
        Do(Act::kSlide, IDC_SOLID_BG_BLUE, 255), Do(Act::kSave),
        Answer(L"Counter Window Colors", IDNO), Is(Act::kTabCount, 0, 5),
        Is(Act::kTrackPos, IDC_SOLID_FG_RED, 200), Do(Act::kCancel)},
       {{Check::kKey, L"BulkCounterWindow", L"CounterForegroundColor", L"00FF00"},
        {Check::kKey, L"Filter", L"PreambleEnable", L"0"}},
       {}},
      {"ReadableColoursSaveWithoutAQuestion", "laser",
       Ini(kBulkCounter + "CounterType=0\r\nCounterBackgroundColor=000040\r\n"), false,
       {Do(Act::kPage, kCounterTypeTab), Do(Act::kSlide, IDC_SOLID_BG_BLUE, 0), Do(Act::kSave),
        Do(Act::kNoBox, 0, L"Counter Window Colors")},
       {{Check::kKey, L"BulkCounterWindow", L"CounterBackgroundColor", L"000000"},
        {Check::kKey, L"BulkCounterWindow", L"CounterForegroundColor", L"00FF00"}},
       {}},
      {"StartupShortcutCreatedBySave", "laser", Ini(""), false,
       {Do(Act::kPage, kCommonTab), Is(Act::kChecked, IDC_COMMON_STARTUP, off),
        Do(Act::kClick, IDC_COMMON_STARTUP), Do(Act::kClick, IDC_COMMON_TRIGGER_POWER),
        Do(Act::kSave)},
       {{Check::kShortcut, L"", L"", L"20#\"\\Windows\\Sarnu.exe\""},
        {Check::kKey, L"OtherSettings", L"TriggerPowerOn", L"1"}},
       {Do(Act::kPage, kCommonTab), Is(Act::kChecked, IDC_COMMON_STARTUP, on),
        Is(Act::kChecked, IDC_COMMON_TRIGGER_POWER, on)}},
      {"StartupShortcutDeletedBySave", "laser", Ini(""), true,
       {Do(Act::kPage, kCommonTab), Is(Act::kChecked, IDC_COMMON_STARTUP, on),
        Do(Act::kClick, IDC_COMMON_STARTUP), Do(Act::kSave)},
       {{Check::kShortcut, L"", L"", L""}},
       {}},
      {"CommonDefaultsDeleteTheShortcutAtOnceEvenAfterCancel", "laser",
       Ini("", "CradlePowerOn=1\r\n"), true,
       {Do(Act::kPage, kCommonTab), Do(Act::kClick, IDC_COMMON_DEFAULTS),
        Answer(L"Reset to defaults", IDYES), Is(Act::kChecked, IDC_COMMON_STARTUP, off),
        Is(Act::kChecked, IDC_COMMON_CRADLE_POWER, off), Is(Act::kChecked, IDC_COMMON_SPLASH, on),
        Do(Act::kCancel)},
       {{Check::kShortcut, L"", L"", L""}, {Check::kUnchanged, L"", L"", L""}},
       {}},
      {"LaserSetupToolBlocksTheButtonUntilASecondAfterItEnds", "laser", Ini(""), false,
       {Do(Act::kPage, kCommonTab), Do(Act::kText, IDC_COMMON_OTHER_SETTINGS, L"Other Laser Settings"),
        Is(Act::kVisible, IDC_COMMON_AIMER_WIDTH, on), Do(Act::kClick, IDC_COMMON_OTHER_SETTINGS),
        Is(Act::kEnabled, IDC_COMMON_OTHER_SETTINGS, off),
        Is(Act::kWaitEnabled, IDC_COMMON_OTHER_SETTINGS, 8000), Do(Act::kSave)},
       {{Check::kToolLog, L"", L"", L"start c:\\windows\\lzrset.exe"},
        {Check::kToolLog, L"", L"", L"end c:\\windows\\lzrset.exe"}},
       {}},
      {"ImagerStartsItsOwnToolAndStoresNoAimerWidth", "imager",
       Ini("", "AimerWidth=2\r\n"), false,
       {Do(Act::kPage, kCommonTab), Do(Act::kText, IDC_COMMON_OTHER_SETTINGS, L"Other Imager Settings"),
        Is(Act::kVisible, IDC_COMMON_AIMER_WIDTH, off), Do(Act::kClick, IDC_COMMON_OTHER_SETTINGS),
        Is(Act::kEnabled, IDC_COMMON_OTHER_SETTINGS, off), Do(Act::kSave)},
       {{Check::kToolLog, L"", L"", L"start c:\\windows\\pixset.exe"},
        {Check::kKey, L"OtherSettings", L"AimerWidth", L"0"}},
       {}},
      {"ReadOnlyFileIsLeftAsItIsAndTheUserTold", "laser", Ini("[Filter]\r\nPreamble=X\r\n"),
       false,
       {Do(Act::kClick, IDC_FILTER_PREAMBLE), Do(Act::kSave),
        Answer(L"SarnuSettings ERROR", IDOK)},
       {{Check::kUnchanged, L"", L"", L""}},
       {},
       true},
      {"SaveOnATerminalWithoutTempFolder", "laser", Ini("[Filter]\r\nPreamble=X\r\n"), false,
       {Do(Act::kClick, IDC_FILTER_PREAMBLE), Do(Act::kSave)},
       {{Check::kKey, L"Filter", L"PreambleEnable", L"1"},
        {Check::kKey, L"Filter", L"Preamble", L"X"},
        {Check::kNoTempCopy, L"", L"", L""}},
       {},
       false,
       true},
      {"NoReaderStartsTheLaserTool", "none", Ini(""), false,
       {Do(Act::kPage, kCommonTab), Do(Act::kText, IDC_COMMON_OTHER_SETTINGS, L"Other Imager Settings"),
        Is(Act::kVisible, IDC_COMMON_AIMER_WIDTH, off), Do(Act::kClick, IDC_COMMON_OTHER_SETTINGS),
        Do(Act::kCancel)},
       {{Check::kToolLog, L"", L"", L"start c:\\windows\\lzrset.exe"}},
       {}},
  };
}

class SettingsProgram : public ::testing::TestWithParam<SheetScenario> {
 protected:
  // A terminal with the scenario's file, no temporary copy, no shortcut, no
  // launch values, the stand-in set-up tools in place.
  static bool Prepare(const SheetScenario& s) {
    SetFileAttributesW(WedgeIniPath().c_str(), FILE_ATTRIBUTE_NORMAL);
    if (!PrepareTerminal(s.reader, s.ini)) return false;
    if (s.readOnly) SetFileAttributesW(WedgeIniPath().c_str(), FILE_ATTRIBUTE_READONLY);
    DeleteFileW(TempIniPath().c_str());
    DeleteFileW((TempIniPath() + L".kept").c_str());
    if (s.noTemp && !RemoveDirectoryW(L"C:\\Temp") && FileExists(L"C:\\Temp")) return false;
    DeleteFileW(kStandinLog);
    CreateDirectoryW(L"C:\\Windows\\Startup", nullptr);
    DeleteFileW(StartupShortcutPath().c_str());
    if (s.shortcutBefore &&
        !WriteWholeFile(StartupShortcutPath(), "20#\"\\Windows\\Sarnu.exe\"")) {
      return false;
    }
    // The keyboard driver's key exists on every terminal.
    HKEY keyboard = nullptr;
    RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"HARDWARE\\DEVICEMAP\\KEYBD", 0, nullptr,
                    REG_OPTION_VOLATILE, KEY_ALL_ACCESS, nullptr, &keyboard, nullptr);
    if (keyboard) RegCloseKey(keyboard);
    RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, L"HARDWARE\\DEVICEMAP\\KEYBD", L"Fn7LaunchPath");
    RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, L"HARDWARE\\DEVICEMAP\\KEYBD", L"Fn8LaunchPath");
    RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, L"HARDWARE\\DEVICEMAP\\KEYBD", L"Fn9LaunchPath");
    SetEnvironmentVariableW(L"SARNU_STANDIN_LOG", kStandinLog);
    SetEnvironmentVariableW(L"SARNU_STANDIN_MS", L"2000");
    const std::wstring tool = BinFolder() + L"standin_tool.exe";
    return CopyFileW(tool.c_str(), L"C:\\Windows\\LZRSet.exe", FALSE) &&
           CopyFileW(tool.c_str(), L"C:\\Windows\\PIXSet.exe", FALSE);
  }

  static void Verify(const SheetScenario& s, const TerminalCheck& c, long since) {
    const std::wstring ini = WedgeIniPath();
    switch (c.kind) {
      case Check::kKey:
        EXPECT_EQ(c.value, IniValue(ini, c.a, c.b)) << "[" << Narrow(c.a) << "] " << Narrow(c.b);
        break;
      case Check::kNoSection:
        EXPECT_FALSE(IniHasSection(ini, c.a)) << Narrow(c.a);
        break;
      case Check::kUnchanged:
        EXPECT_EQ(s.ini, ReadWholeFile(ini));
        break;
      case Check::kNoTempCopy:
        EXPECT_FALSE(FileExists(TempIniPath()));
        break;
      case Check::kShortcut:
        EXPECT_EQ(Narrow(c.value), ReadWholeFile(StartupShortcutPath()));
        EXPECT_EQ(!c.value.empty(), FileExists(StartupShortcutPath()));
        break;
      case Check::kLaunch:
        EXPECT_EQ(c.value, KeyboardLaunchValue(c.a)) << Narrow(c.a);
        break;
      case Check::kSimLog:
        EXPECT_EQ(std::wstring(c.b) == L"1" ? 1 : 0, Count(SimLogSince(since), Narrow(c.value)));
        break;
      case Check::kToolLog: {
        // Paths as the system spells them: compared without case.
        auto record = [] {
          std::string text = ReadWholeFile(kStandinLog);
          for (char& ch : text) ch = static_cast<char>(tolower(static_cast<unsigned char>(ch)));
          return text;
        };
        PollUntil([&] { return record().find(Narrow(c.value)) != std::string::npos; }, 8000);
        EXPECT_NE(std::string::npos, record().find(Narrow(c.value))) << record();
        break;
      }
    }
  }

  static std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }
};

TEST_P(SettingsProgram, Scenario) {
  const SheetScenario& s = GetParam();
  OnTerminalScreen(Screen::Common240x320, [&] {
    ASSERT_TRUE(Prepare(s));
    const long since = SimNow();
    {
      SettingsSheet sheet;
      std::string why;
      ASSERT_TRUE(sheet.Start(&why)) << why;
      ASSERT_TRUE(sheet.Run(s.steps, &why)) << why;
      ASSERT_TRUE(sheet.Ended(15000)) << "the program did not end";
    }
    for (const TerminalCheck& c : s.checks) Verify(s, c, since);
    SetFileAttributesW(WedgeIniPath().c_str(), FILE_ATTRIBUTE_NORMAL);
    if (s.reopened.empty()) return;
    SettingsSheet again;
    std::string why;
    ASSERT_TRUE(again.Start(&why)) << why;
    EXPECT_TRUE(again.Run(s.reopened, &why)) << "after a fresh start: " << why;
    again.Run({Do(Act::kCancel)}, &why);
    EXPECT_TRUE(again.Ended());
  });
}

INSTANTIATE_TEST_SUITE_P(Pages, SettingsProgram, ::testing::ValuesIn(Scenarios()),
                         [](const ::testing::TestParamInfo<SheetScenario>& info) {
                           return std::string(info.param.name);
                         });

TEST(SettingsProgramInstance, SecondStartEndsAtOnceWithoutAWindow) {
  OnTerminalScreen(Screen::Common240x320, [&] {
    ASSERT_TRUE(PrepareTerminal("laser", Ini("")));
    SettingsSheet first;
    std::string why;
    ASSERT_TRUE(first.Start(&why)) << why;
    bool shown = true;
    EXPECT_EQ(0, RunSettingsWithoutSheet(10000, &shown));
    EXPECT_FALSE(shown);
    EXPECT_TRUE(first.Run({Do(Act::kTabCount, 0, 5), Do(Act::kCancel)}, &why)) << why;
    EXPECT_TRUE(first.Ended());
  });
}

// Every page as the terminal shows it, on the common and the tall screen,
// with bulk mode and the counter on so that the controls show enabled.
TEST(SettingsProgramScreens, EveryPageOnBothScreens) {
  for (Screen screen : {Screen::Common240x320, Screen::Tall480x640}) {
    const std::wstring size = screen == Screen::Tall480x640 ? L"480x640" : L"240x320";
    OnTerminalScreen(screen, [&] {
      ASSERT_TRUE(PrepareTerminal("laser", Ini(kBulkCounter + "CounterType=0\r\n"
                                                              "CounterForegroundColor=FFFF00\r\n"
                                                              "CounterBackgroundColor=000080\r\n")));
      SettingsSheet sheet;
      std::string why;
      ASSERT_TRUE(sheet.Start(&why)) << why;
      const wchar_t* names[] = {L"filter", L"bulkmode", L"common", L"counter", L"solid"};
      std::vector<SheetStep> steps;
      for (int tab = 0; tab < 5; ++tab) {
        steps.push_back(Do(Act::kPage, tab));
        steps.push_back(Do(Act::kShot, 0, L"settings-" + size + L"-" + names[tab]));
      }
      steps.push_back(Do(Act::kPage, kCounterTab));
      steps.push_back(Do(Act::kClick, IDC_COUNTER_TRANSPARENT));
      steps.push_back(Do(Act::kPage, kCounterTypeTab));
      steps.push_back(Do(Act::kShot, 0, L"settings-" + size + L"-transparent"));
      steps.push_back(Do(Act::kCancel));
      EXPECT_TRUE(sheet.Run(steps, &why)) << why;
      EXPECT_TRUE(sheet.Ended());
    });
  }
}

}  // namespace
