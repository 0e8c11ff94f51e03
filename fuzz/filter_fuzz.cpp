// Fuzzes the barcode filter chain with arbitrary settings and barcodes: no
// step may write outside the text, the suffix or the output buffer, and what
// comes out must be framed, bounded and of the class the settings ask for.
//
// Input: a 17-byte header (flags, reader, suffix code, type code, counts and
// modes), five texts each led by a length byte (ReplaceFNC1, StripLeading,
// StripTrailing, Preamble, Postamble; 255 fills all 260 bytes of the field
// and leaves it without a terminator), then the raw barcode.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "barcode_filter.h"
#include "settings.h"

namespace {

enum : size_t { kGuard = 32, kHeaderSize = 17, kFieldSize = 260 };
enum : unsigned char { kGuardByte = 0x5A };

// A buffer with guard bytes either side.
template <size_t N>
struct Guarded {
  unsigned char bytes[kGuard + N + kGuard];
  char* Reset() {
    std::memset(bytes, kGuardByte, sizeof bytes);
    std::memset(bytes + kGuard, 0, N);
    return reinterpret_cast<char*>(bytes + kGuard);
  }
  void Check() const {
    for (size_t i = 0; i < kGuard; ++i) {
      if (bytes[i] != kGuardByte || bytes[kGuard + N + i] != kGuardByte) abort();
    }
  }
};

// Reads the input front to back; past its end every read gives zeros.
struct Reader {
  const uint8_t* data;
  size_t size;
  uint8_t Byte() {
    if (size == 0) return 0;
    --size;
    return *data++;
  }
  uint16_t Word() { return uint16_t(Byte() | (Byte() << 8)); }
  // Up to 254 bytes and a terminator into a 260-byte field, or all 260
  // without one: the filter must stay inside the field either way.
  void Text(char* field) {
    const uint8_t lengthByte = Byte();
    const size_t wanted = lengthByte == 255 ? kFieldSize : lengthByte;
    size_t n = wanted < size ? wanted : size;
    std::memset(field, 0, kFieldSize);
    std::memcpy(field, data, n);
    data += n;
    size -= n;
    // Short of input a full field is still full: pad it rather than end it.
    if (wanted == kFieldSize) std::memset(field + n, 'F', kFieldSize - n);
  }
};

Settings& RecordFor(uint8_t selector) {
  static Settings none(kScannerNone, u"", u"");
  static Settings laser(kScannerLaser, u"", u"");
  static Settings imager(kScannerImager, u"", u"");
  switch (selector % 3) {
    case 0:
      return laser;
    case 1:
      return imager;
    default:
      return none;
  }
}

int32_t TypeCodeFor(uint8_t selector, uint16_t other) {
  switch (selector % 4) {
    case 0:
      return kLaserTypeFnc1;
    case 1:
      return kImagerIdFnc1Upper;
    case 2:
      return kImagerIdFnc1Lower;
    default:
      return int32_t(int16_t(other));
  }
}

size_t BoundedLength(const char* text) {
  const void* end = std::memchr(text, 0, kFieldSize);
  return end ? size_t(static_cast<const char*>(end) - text) : kFieldSize;
}

bool InSet(const char* set, char c) { return std::memchr(set, c, BoundedLength(set)) != nullptr; }

bool IsDigit(unsigned char c) { return c >= '0' && c <= '9'; }
bool IsAlnum(unsigned char c) {
  return IsDigit(c) || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// What the settings promise about the filtered text between the frames.
void CheckText(const Settings& s, const char* text, size_t length) {
  for (size_t i = 0; i < length; ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (c == 0) abort();
    if (s.ValidateContentEnable && s.ValidateContentMode == 0 && !IsAlnum(c)) abort();
    if (s.ValidateContentEnable && s.ValidateContentMode == 1 && !IsDigit(c)) abort();
    if (s.ModifyCaseEnable && s.ModifyCaseMode == 0 && c >= 'A' && c <= 'Z') abort();
    if (s.ModifyCaseEnable && s.ModifyCaseMode == 1 && c >= 'a' && c <= 'z') abort();
  }
  // Later steps may expose or change the ends, so the sets are only
  // checked when they are the last steps to touch the text.
  if (s.ValidateContentEnable || s.ModifyCaseEnable) return;
  if (s.StripLeadingEnable && length > 0 && InSet(s.StripLeading.Narrow, text[0])) abort();
  if (s.StripTrailingEnable && length > 0 && InSet(s.StripTrailing.Narrow, text[length - 1]))
    abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < kHeaderSize) return 0;
  Reader in = {data, size};
  const uint8_t flags = in.Byte();
  const uint8_t frame = in.Byte();
  Settings& s = RecordFor(in.Byte());
  const unsigned char suffixChar = in.Byte();
  const uint8_t typeSelector = in.Byte();
  const int32_t typeCode = TypeCodeFor(typeSelector, in.Word());

  // Stored straight into the fields: the record's setters cannot produce
  // every byte pattern, and the filter must cope with any of them.
  s.ReplaceFNC1Enable = flags & 0x01;
  s.StripFirstEnable = flags & 0x02;
  s.StripLastEnable = flags & 0x04;
  s.SendRangeEnable = flags & 0x08;
  s.StripLeadingEnable = flags & 0x10;
  s.StripTrailingEnable = flags & 0x20;
  s.ValidateContentEnable = flags & 0x40;
  s.ModifyCaseEnable = flags & 0x80;
  s.PreambleEnable = frame & 0x01;
  s.PostambleEnable = frame & 0x02;
  s.StripFirst = in.Word();
  s.StripLast = in.Word();
  s.SendRangeStart = in.Word();
  s.SendRangeEnd = in.Word();
  s.ValidateContentMode = in.Byte();
  s.ModifyCaseMode = in.Byte();
  in.Text(s.ReplaceFNC1.Narrow);
  in.Text(s.StripLeading.Narrow);
  in.Text(s.StripTrailing.Narrow);
  in.Text(s.Preamble.Decoded);
  in.Text(s.Postamble.Decoded);

  static Guarded<kFilterBufferSize> raw, output;
  char* text = raw.Reset();
  char* out = output.Reset();
  const size_t length = in.size < kFilterBufferSize ? in.size : kFilterBufferSize - 1;
  std::memcpy(text, in.data, length);

  Barcode barcode = MakeBarcode(s.GetScannerType(), text, length, typeCode, suffixChar);
  ReplaceFnc1(s, &barcode);
  raw.Check();
  if (barcode.text != text || barcode.length > length || barcode.suffix[2] != 0) abort();
  const size_t received = strnlen(text, barcode.length);

  const int result = ApplyFilter(s, &barcode, out);
  raw.Check();
  output.Check();

  const size_t outLength = std::strlen(out);
  if (result == 0) {
    if (outLength != 0) abort();
    return 0;
  }
  if (result != 1 || outLength == 0 || outLength >= kFilterBufferSize) abort();
  const size_t pre = s.PreambleEnable ? BoundedLength(s.Preamble.Decoded) : 0;
  const size_t post = s.PostambleEnable ? BoundedLength(s.Postamble.Decoded) : 0;
  if (outLength <= pre + post || outLength - pre - post > received) abort();
  if (std::memcmp(out, s.Preamble.Decoded, pre) != 0) abort();
  if (std::memcmp(out + outLength - post, s.Postamble.Decoded, post) != 0) abort();
  CheckText(s, out + pre, outLength - pre - post);
  return 0;
}
