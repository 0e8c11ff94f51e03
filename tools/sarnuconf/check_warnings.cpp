// The warnings of "sarnuconf check --warnings": settings a terminal follows
// faithfully to a result nobody wanted. Each is judged on the loaded record,
// and where the product has the rule (the filter, the key table, the bulk
// limit, the colour distance) the product's own code decides.
#include <cstdio>
#include <cstring>

#include "barcode_filter.h"
#include "bulk_run.h"
#include "check_problems.h"
#include "commands.h"
#include "key_table.h"
#include "typing_plan.h"

namespace {

// The length the strip warning tries: EAN-13, the commonest retail barcode.
const char kTypicalBarcode[] = "4006381333931";
enum : size_t { kTypicalLength = sizeof kTypicalBarcode - 1 };

const FieldInfo* Field(const char* key) {
  for (size_t i = 0; i < kSettingsFieldCount; ++i) {
    if (std::strcmp(kSettingsFields[i].keyName, key) == 0) return &kSettingsFields[i];
  }
  return nullptr;
}

void Add(std::vector<SettingWarning>* out, const std::vector<const char*>& keys,
         const std::string& text) {
  SettingWarning warning;
  for (const char* key : keys) warning.keys.push_back(Field(key));
  warning.text = text;
  out->push_back(warning);
}

// Kana, junja, final, kanji, convert, nonconvert, accept, mode change: keys
// of an input method, which an application without one drops.
bool IsInputMethodKey(uint8_t virtualKey) {
  return (virtualKey >= 0x15 && virtualKey <= 0x19) || (virtualKey >= 0x1C && virtualKey <= 0x1F);
}

std::string Hex2(unsigned value) {
  char text[3];
  std::snprintf(text, sizeof text, "%02X", value & 0xFF);
  return text;
}

std::string ColorText(const RgbColor& color) {
  char16_t text[7];
  FormatColorText(color, text);
  return Utf8(text);
}

void WarnFnc1Typed(const Settings& r, std::vector<SettingWarning>* out) {
  if (r.ReplaceFNC1Enable != 0) return;
  // Validation to letters and digits, or to digits, drops the GS anyway.
  if (r.ValidateContentEnable != 0 && r.ValidateContentMode <= 1) return;
  const KeyMapping key = LookupKey(kFnc1);
  if (!IsInputMethodKey(key.virtualKey)) return;
  const std::string typed = "virtual key " + Hex2(key.virtualKey);
  Add(out, {"ReplaceFNC1Enable"},
      "FNC1 replacement is off: the GS between the fields of a GS1 barcode is typed as " + typed +
          ", an input-method key that most applications ignore, so the fields run together");
}

void WarnRangeStartUnused(const Settings& r, std::vector<SettingWarning>* out) {
  const unsigned start = r.SendRangeStart, end = r.SendRangeEnd;
  // 0 and 1 mean no limit. A text cut after its end is never longer than a
  // start at or behind that end, and the filter only applies a start to a
  // longer text.
  if (r.SendRangeEnable == 0 || start <= 1 || end <= 1 || start < end) return;
  const std::string range = start == end
                                ? "the range starts and ends at character " + std::to_string(end)
                                : "the range ends at character " + std::to_string(end) +
                                      ", before its start " + std::to_string(start);
  Add(out, {"SendRangeEnd", "SendRangeStart", "SendRangeEnable"},
      range + ": the start is never applied and characters 1 to " + std::to_string(end) +
          " are sent");
}

void WarnStripEmpties(const Settings& r, std::vector<SettingWarning>* out) {
  const bool first = r.StripFirstEnable != 0 && r.StripFirst != 0;
  const bool last = r.StripLastEnable != 0 && r.StripLast != 0;
  if (!first && !last) return;
  // The filter itself on a record that strips and does nothing else.
  Settings strips(kScannerNone, u"", u"");
  strips.StripFirstEnable = first;
  strips.StripFirst = r.StripFirst;
  strips.StripLastEnable = last;
  strips.StripLast = r.StripLast;
  std::vector<char> output(kFilterBufferSize, 0);
  char text[sizeof kTypicalBarcode];
  std::memcpy(text, kTypicalBarcode, sizeof text);
  Barcode barcode = MakeBarcode(kScannerNone, text, sizeof text - 1, 0, 0);
  if (ApplyFilter(strips, &barcode, output.data()) != 0) return;

  std::string counts;
  std::vector<const char*> keys;
  if (first) {
    counts = "StripFirst " + std::to_string(r.StripFirst);
    keys = {"StripFirst", "StripFirstEnable"};
  }
  if (last) {
    counts += std::string(first ? " and " : "") + "StripLast " + std::to_string(r.StripLast);
    keys.insert(keys.end(), {"StripLast", "StripLastEnable"});
  }
  Add(out, keys,
      counts + (first && last ? " remove" : " removes") +
          " every character of a barcode of typical length (" +
          std::to_string(size_t(kTypicalLength)) +
          " characters, as EAN-13): nothing is sent for it");
}

void WarnBulkLimit(const Settings& r, std::vector<SettingWarning>* out) {
  const std::string limit = "a bulk limit of " + std::to_string(unsigned(r.BulkLimit));
  if (BulkLimitReached(r, 0)) {
    Add(out, {"BulkLimit", "BulkLimitEnable"},
        limit + " ends every bulk run before its first barcode: bulk mode reads nothing");
  } else if (BulkLimitReached(r, 1)) {
    Add(out, {"BulkLimit", "BulkLimitEnable"},
        limit + " ends every bulk run at its first barcode, as a single scan would");
  }
}

void WarnHardToReadCounter(const Settings& r, std::vector<SettingWarning>* out) {
  if (r.CounterType != 0) return;  // the transparent counter has one colour
  const double distance = ColorDistance(r.CounterForegroundColor, r.CounterBackgroundColor);
  if (distance >= kHardToReadColorDistance) return;
  char figures[48];
  std::snprintf(figures, sizeof figures, " are %.1f apart, below the %.0f", distance,
                kHardToReadColorDistance);
  Add(out, {"CounterForegroundColor", "CounterBackgroundColor", "CounterType"},
      "the solid counter's colours " + ColorText(r.CounterForegroundColor) + " on " +
          ColorText(r.CounterBackgroundColor) + figures +
          " under which the settings program calls them hard to read");
}

// The first thing in braces that reads as no key token, as written; "" when
// every one reads. A brace with no closing one near is a brace.
std::string FirstUnreadToken(const char* text) {
  const size_t length = std::strlen(text);
  for (size_t i = 0; i < length; ++i) {
    if (text[i] != '{') continue;
    const KeyToken token = ReadKeyToken(text + i, length - i);
    if (token.length != 0) {
      i += token.length - 1;
      continue;
    }
    const char* close = static_cast<const char*>(std::memchr(text + i, '}', length - i));
    if (close != nullptr && close - (text + i) <= 24) return std::string(text + i, close + 1);
  }
  return std::string();
}

}  // namespace

std::vector<SettingWarning> KeyTokenWarnings(const Settings& r) {
  std::vector<SettingWarning> warnings;
  if (r.KeyTokens == 0) return warnings;
  const struct {
    const char* key;
    bool on;
    const char* text;
  } frames[] = {{"Preamble", r.PreambleEnable != 0, r.Preamble.Decoded},
                {"Postamble", r.PostambleEnable != 0, r.Postamble.Decoded}};
  for (const auto& frame : frames) {
    const std::string unread = frame.on ? FirstUnreadToken(frame.text) : std::string();
    if (unread.empty()) continue;
    const bool pause = unread.size() > 7 && NameDistance(unread.substr(1, 6), "DELAY ") == 0;
    Add(&warnings, {frame.key, "KeyTokens"},
        "\"" + unread + "\" is no key token and is typed as it stands (" +
            (pause ? "a pause takes 0 to " + std::to_string(unsigned(kMaxTokenDelayMs)) + " ms"
                   : std::string("a brace alone is written {{")) +
            ")");
  }
  return warnings;
}

std::vector<SettingWarning> SurprisingSettings(const Settings& record) {
  std::vector<SettingWarning> warnings;
  WarnFnc1Typed(record, &warnings);
  WarnRangeStartUnused(record, &warnings);
  WarnStripEmpties(record, &warnings);
  WarnBulkLimit(record, &warnings);
  WarnHardToReadCounter(record, &warnings);
  for (const SettingWarning& warning : KeyTokenWarnings(record)) warnings.push_back(warning);
  return warnings;
}
