// The scan log's lines.
#include "scan_log.h"

#include <cstring>

#include "text_codec.h"
#include "wide_text.h"

const char kScanLogHeader[] = "time,reader,type,identifier,program,profile,outcome,length,data\r\n";

namespace {

// `value` in decimal, at least `width` digits (zeros in front), into `out`
// (room for 21 characters); returns the length. The terminal's C library has
// no printf that this could lean on.
size_t FormatNumber(long long value, size_t width, char* out) {
  char digits[21];
  size_t n = 0;
  unsigned long long magnitude = value < 0 ? 0ULL - static_cast<unsigned long long>(value)
                                           : static_cast<unsigned long long>(value);
  do {
    digits[n++] = char('0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude != 0 || n < width);
  size_t length = 0;
  if (value < 0) out[length++] = '-';
  while (n) out[length++] = digits[--n];
  return length;
}

bool NeedsQuotes(const char* text, size_t n) {
  for (size_t i = 0; i < n; ++i) {
    if (text[i] == ',' || text[i] == '"' || text[i] == '\r' || text[i] == '\n') return true;
  }
  return false;
}

// Appends to a fixed buffer; `full` once something did not fit.
struct Line {
  char* out;
  size_t capacity;
  size_t length;
  bool full;

  void Add(const char* text, size_t n) {
    if (full || n > capacity - length) {
      full = true;
      return;
    }
    std::memcpy(out + length, text, n);
    length += n;
  }
  void Add(const char* text) { Add(text, std::strlen(text)); }
  // A CSV field: quoted, its quotes doubled, when it holds a comma, a quote
  // or a line break.
  void Field(const char* text, size_t n, bool last = false) {
    const bool quote = NeedsQuotes(text, n);
    if (quote) Add("\"", 1);
    for (size_t i = 0; i < n; ++i) {
      Add(text + i, 1);
      if (text[i] == '"') Add("\"", 1);
    }
    if (quote) Add("\"", 1);
    Add(last ? "\r\n" : ",", last ? 2 : 1);
  }
  void Field(const char* text) { Field(text, std::strlen(text)); }
  void WideField(const char16_t* text) {
    char utf8[3 * 260 + 1];
    size_t n = 0;
    if (text) {
      size_t units = 0;
      while (text[units] && units < 260) ++units;
      n = WideToUtf8(text, units, utf8, sizeof utf8);
    }
    Field(utf8, n);
  }
  void Number(long long value) {
    char text[24];
    Field(text, FormatNumber(value, 1, text));
  }
};

uint64_t Fnv1a(const char* data, size_t length) {
  uint64_t hash = 1469598103934665603ULL;
  for (size_t i = 0; i < length; ++i) {
    hash ^= static_cast<unsigned char>(data[i]);
    hash *= 1099511628211ULL;
  }
  return hash;
}

}  // namespace

const char* ScanOutcomeName(ScanOutcome outcome) {
  switch (outcome) {
    case ScanOutcome::Typed:
      return "typed";
    case ScanOutcome::Pasted:
      return "pasted";
    case ScanOutcome::Duplicate:
      return "refused duplicate";
    case ScanOutcome::TypeOrLength:
      return "refused by type or length";
    case ScanOutcome::PastLimit:
      return "past the bulk limit";
    case ScanOutcome::Filtered:
      return "filtered to nothing";
    case ScanOutcome::FocusMoved:
      return "stopped by the focus guard";
  }
  return "";
}

size_t FormatScanLogLine(const ScanLogRecord& r, char* out, size_t capacity) {
  Line line = {out, capacity, 0, false};
  // "2026-12-10 08:05:09.042"
  char time[32];
  size_t at = 0;
  const struct {
    unsigned value;
    size_t width;
    char after;
  } parts[] = {{r.year, 4, '-'},   {r.month, 2, '-'},  {r.day, 2, ' '},      {r.hour, 2, ':'},
               {r.minute, 2, ':'}, {r.second, 2, '.'}, {r.millisecond, 3, 0}};
  for (const auto& part : parts) {
    at += FormatNumber(part.value, part.width, time + at);
    if (part.after) time[at++] = part.after;
  }
  line.Field(time, at);
  line.Field(r.reader == 1 ? "laser" : r.reader == 2 ? "imager" : "none");
  line.Number(r.type);
  line.Field(r.identifier ? r.identifier : "");
  line.WideField(r.program);
  line.WideField(r.profile);
  line.Field(ScanOutcomeName(r.outcome));
  line.Number(static_cast<long long>(r.length));
  if (r.withData) {
    // The code page's text as UTF-8, a unit at a time so that no length
    // limit cuts it.
    char utf8[8];
    const bool quote = NeedsQuotes(r.data, r.length);
    if (quote) line.Add("\"", 1);
    for (size_t i = 0; i < r.length; ++i) {
      char16_t unit = 0;
      if (AnsiToWide(r.data + i, 1, &unit, 1) != 1 || unit == 0) unit = u'?';
      line.Add(utf8, WideToUtf8(&unit, 1, utf8, sizeof utf8));
      if (r.data[i] == '"') line.Add("\"", 1);
    }
    if (quote) line.Add("\"", 1);
    line.Add("\r\n", 2);
  } else {
    char hash[18] = {'#'};
    const uint64_t value = Fnv1a(r.data, r.length);
    for (int i = 0; i < 16; ++i) hash[1 + i] = "0123456789abcdef"[(value >> (60 - 4 * i)) & 15];
    line.Field(hash, 17, true);
  }
  return line.full ? 0 : line.length;
}
