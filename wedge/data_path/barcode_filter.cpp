// The barcode filter chain: from the data of one decoded barcode to the
// text that is typed before its suffix. Works in place on the queued copy and
// on the fixed output buffer; allocates nothing.
#include "barcode_filter.h"

#include <cstring>

#include "settings.h"
#include "symbology_ids.h"

namespace {

// Length of a zero-terminated text held in a fixed array, never reading past
// the array even if a terminator is missing.
size_t BoundedLength(const char* text, size_t capacity) {
  const void* end = std::memchr(text, 0, capacity);
  return end ? size_t(static_cast<const char*>(end) - text) : capacity;
}

// C-locale classes on single bytes: bytes 128 to 255 are neither letters nor
// digits, whatever the system's locale says.
bool IsDigit(unsigned char c) { return c >= '0' && c <= '9'; }
bool IsUpper(unsigned char c) { return c >= 'A' && c <= 'Z'; }
bool IsLower(unsigned char c) { return c >= 'a' && c <= 'z'; }
bool IsAlnum(unsigned char c) { return IsDigit(c) || IsUpper(c) || IsLower(c); }

// A strip set as a membership table: one look-up per character instead of a
// scan of up to 259 set characters, and still no allocation.
struct ByteSet {
  bool member[256];
};

void FillByteSet(const CharSetSetting& set, ByteSet* out) {
  std::memset(out->member, 0, sizeof out->member);
  const size_t n = BoundedLength(set.Narrow, sizeof set.Narrow);
  for (size_t i = 0; i < n; ++i) out->member[static_cast<unsigned char>(set.Narrow[i])] = true;
}

// The text being filtered: a window onto the raw text that only shrinks.
struct Span {
  char* start;
  size_t length;
};

void StripFirst(Span* t, size_t n) {
  if (t->length < n) return;  // too short: left alone rather than emptied
  t->start += n;
  t->length -= n;
}

void StripLast(Span* t, size_t n) {
  if (t->length >= n) t->length -= n;
}

// Positions are 1-based and inclusive; 0 and 1 mean no limit on that side.
void SendRange(Span* t, size_t first, size_t last) {
  if (last > 1 && t->length > last) t->length = last;
  if (first > 1 && t->length > first) {
    t->start += first - 1;
    t->length -= first - 1;
  }
}

void StripLeading(Span* t, const CharSetSetting& set) {
  ByteSet bytes;
  FillByteSet(set, &bytes);
  size_t run = 0;
  while (run < t->length && bytes.member[static_cast<unsigned char>(t->start[run])]) ++run;
  t->start += run;
  t->length -= run;
}

void StripTrailing(Span* t, const CharSetSetting& set) {
  ByteSet bytes;
  FillByteSet(set, &bytes);
  while (t->length > 0 && bytes.member[static_cast<unsigned char>(t->start[t->length - 1])]) {
    --t->length;
  }
}

void ValidateContent(Span* t, int mode) {
  if (mode != 0 && mode != 1) return;
  size_t kept = 0;
  for (size_t i = 0; i < t->length; ++i) {
    const unsigned char c = static_cast<unsigned char>(t->start[i]);
    if (mode == 0 ? IsAlnum(c) : IsDigit(c)) t->start[kept++] = char(c);
  }
  t->length = kept;
}

void ModifyCase(Span* t, int mode) {
  for (size_t i = 0; i < t->length; ++i) {
    const unsigned char c = static_cast<unsigned char>(t->start[i]);
    if (mode == 0 && IsUpper(c)) t->start[i] = char(c - 'A' + 'a');
    if (mode == 1 && IsLower(c)) t->start[i] = char(c - 'a' + 'A');
  }
}

}  // namespace

int ApplyFilter(const Settings& settings, Barcode* barcode, char* output, OutputParts* parts) {
  Span text = {barcode->text, BoundedLength(barcode->text, barcode->length)};
  SymbologyId id = {{0, 0, 0, 0}, false};
  if (settings.CodeIdPrefix) {
    const int32_t reader = settings.GetScannerType();
    id = SymbologyIdOf(reader, barcode->type, barcode->fnc1First);
    // The identifier says FNC1 first: a leading FNC1 still in the text (or
    // what ReplaceFNC1 made of it) is not typed as well.
    const bool fnc1Gone = reader == kScannerLaser && barcode->type == kLaserTypeFnc1;
    if (id.gs1 && barcode->fnc1First && !fnc1Gone) StripFirst(&text, 1);
  }
  if (settings.StripFirstEnable) StripFirst(&text, settings.StripFirst);
  if (settings.StripLastEnable) StripLast(&text, settings.StripLast);
  if (settings.SendRangeEnable) SendRange(&text, settings.SendRangeStart, settings.SendRangeEnd);
  if (settings.StripLeadingEnable) StripLeading(&text, settings.StripLeading);
  if (settings.StripTrailingEnable) StripTrailing(&text, settings.StripTrailing);
  if (settings.ValidateContentEnable) ValidateContent(&text, settings.ValidateContentMode);
  if (settings.ModifyCaseEnable) ModifyCase(&text, settings.ModifyCaseMode);
  text.start[text.length] = 0;

  output[0] = 0;
  if (text.length == 0) return 0;

  const char* pre = settings.Preamble.Decoded;
  const char* post = settings.Postamble.Decoded;
  const size_t preLength =
      settings.PreambleEnable ? BoundedLength(pre, sizeof settings.Preamble.Decoded) : 0;
  const size_t postLength =
      settings.PostambleEnable ? BoundedLength(post, sizeof settings.Postamble.Decoded) : 0;
  const size_t idLength = std::strlen(id.text);
  // A cut barcode would be a wrong barcode: a result that does not fit with
  // its terminator is dropped whole.
  if (text.length > kFilterBufferSize - 1 - preLength - idLength - postLength) return 0;

  char* out = output;
  std::memcpy(out, pre, preLength);
  out += preLength;
  std::memcpy(out, id.text, idLength);
  out += idLength;
  std::memcpy(out, text.start, text.length);
  out += text.length;
  std::memcpy(out, post, postLength);
  out += postLength;
  *out = 0;
  if (parts) *parts = {preLength, idLength, text.length, postLength};
  return 1;
}
