// The cases of a vector file, computed from the portable core. Fixed buffers
// and malloc only: the terminal's build has no C++ library to lean on.
#include "vector_cases.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>

#include "barcode_filter.h"
#include "block_queue.h"
#include "bulk_run.h"
#include "file_io.h"
#include "ini_file.h"
#include "key_table.h"
#include "profiles.h"
#include "settings.h"
#include "text_codec.h"

const char16_t kVectorWorkFolder[] = u"\\selfcheck";

namespace {

const char16_t kCaseIni[] = u"\\selfcheck\\case.ini";
const char16_t kEditIni[] = u"\\selfcheck\\edit.ini";

enum : size_t { kMaxFields = 64, kFieldBytes = 16384, kWideUnits = 1024 };

const char kHex[] = "0123456789ABCDEF";

// Appends to a terminated result text, cutting at its capacity.
struct Out {
  char* text;
  size_t capacity;
  size_t used;
  void Raw(const char* s, size_t n) {
    for (size_t i = 0; i < n && used + 1 < capacity; ++i) text[used++] = s[i];
    text[used] = 0;
  }
  void Str(const char* s) { Raw(s, strlen(s)); }
  void Bytes(const void* data, size_t size) {
    used += EscapeBytes(data, size, text + used, capacity - used);
  }
  void Number(long long value) {
    char digits[24];
    size_t n = 0;
    unsigned long long v = value < 0 ? 0ull - (unsigned long long)value : value;
    do {
      digits[n++] = char('0' + v % 10);
      v /= 10;
    } while (v);
    if (value < 0) Raw("-", 1);
    while (n) Raw(&digits[--n], 1);
  }
  // UTF-16 units: ASCII as bytes are escaped, others as "\uHHHH".
  void Wide(const char16_t* s, size_t n) {
    for (size_t i = 0; i < n; ++i) {
      if (s[i] < 0x80) {
        const char c = char(s[i]);
        Bytes(&c, 1);
      } else {
        char u[6] = {
            '\\',           'u', kHex[s[i] >> 12], kHex[(s[i] >> 8) & 15], kHex[(s[i] >> 4) & 15],
            kHex[s[i] & 15]};
        Raw(u, 6);
      }
    }
  }
};

// A case's fields, each unescaped into bytes with a terminator behind.
struct Fields {
  size_t count;
  char* data[kMaxFields];
  size_t size[kMaxFields];
};

bool Split(const char* line, size_t length, Fields* fields, char* store, size_t storeSize) {
  fields->count = 0;
  size_t start = 0, used = 0;
  for (size_t i = 0; i <= length; ++i) {
    if (i < length && line[i] != '\t') continue;
    if (fields->count == kMaxFields) return false;
    const size_t n = UnescapeBytes(line + start, i - start, store + used, storeSize - used - 1);
    fields->data[fields->count] = store + used;
    fields->size[fields->count++] = n;
    used += n;
    store[used++] = 0;
    if (used + 1 >= storeSize) return false;
    start = i + 1;
  }
  return true;
}

int Number(const char* text) { return int(strtol(text, nullptr, 10)); }

// Narrow bytes in the ANSI code page to a terminated UTF-16 text.
void Widen(const char* text, size_t size, char16_t* out) {
  const size_t n = AnsiToWide(text, size, out, kWideUnits - 1);
  out[n] = 0;
}

bool WriteFile(const char16_t* path, const char* data, size_t size) {
  return FileReplaceThroughTemp(path, data, size);
}

// Buffers of a case are static: one thread runs the cases, and the older
// terminals' build refuses stack frames over 4 KB (no stack probe there).

// The record of the last S case and its profiles.
Settings* g_record = nullptr;
Profiles* g_profiles = nullptr;
int32_t g_reader = kScannerNone;

void DropRecord() {
  delete g_profiles;
  delete g_record;
  g_profiles = nullptr;
  g_record = nullptr;
}

void PutRecord(const Settings& s, Out* out) {
#define SARNU_PUT_Flag(key) out->Number(s.key)
#define SARNU_PUT_U8(key) out->Number(s.key)
#define SARNU_PUT_U16(key) out->Number(s.key)
#define SARNU_PUT_Text(key) out->Bytes(s.key.Decoded, strlen(s.key.Decoded))
#define SARNU_PUT_CharSet(key) out->Bytes(s.key.Narrow, strlen(s.key.Narrow))
#define SARNU_PUT_Color(key) out->Number(ColorValue(s.key))
#define SARNU_PUT_FIELD(group, section, key, kind, def, lo, hi) \
  SARNU_PUT_##kind(key);                                        \
  out->Raw(",", 1);
  SARNU_SETTINGS_FIELDS(SARNU_PUT_FIELD)
#undef SARNU_PUT_FIELD
}

bool LoadCase(const Fields& f, Out* out) {
  if (f.count != 3) return false;
  DropRecord();
  g_reader = Number(f.data[1]);
  out->Str(WriteFile(kCaseIni, f.data[2], f.size[2]) ? "w=1 " : "w=0 ");
  g_record = new (std::nothrow) Settings(g_reader, kCaseIni, u"");
  if (!g_record) return false;
  g_profiles = new (std::nothrow) Profiles(*g_record);
  if (!g_profiles) return false;
  out->Str(g_profiles->Load(kCaseIni) ? "p=1 n=" : "p=0 n=");
  out->Number(long(g_profiles->Count()));
  out->Str(" r=");
  PutRecord(*g_record, out);
  for (size_t i = 0; i < g_profiles->Count(); ++i) {
    out->Str(" ");
    PutRecord(*g_profiles->At(i).record, out);
  }
  return true;
}

// The reader's side, then the output thread's, as the wedge runs them.
bool FilterCase(const Fields& f, Out* out) {
  if (f.count != 5 || !g_record) return false;
  static char raw[kFilterBufferSize + 1];
  static char output[kFilterBufferSize];
  const unsigned char suffixCode = (unsigned char)Number(f.data[1]);
  const int32_t type = Number(f.data[2]);
  if (f.size[4] + 2 > kFilterBufferSize) return false;
  static char16_t program[kWideUnits];
  Widen(f.data[3], f.size[3], program);

  memset(raw, 0, sizeof raw);
  memcpy(raw, f.data[4], f.size[4]);
  size_t length = f.size[4];
  if (g_reader == kScannerLaser) {
    const char* appended = LaserAppendedSuffix(suffixCode);
    memcpy(raw + length, appended, strlen(appended));
    length += strlen(appended);
  }
  Barcode barcode = MakeBarcode(g_reader, raw, length, type, suffixCode);
  ReplaceFnc1(*g_record, &barcode);

  const size_t index = g_profiles->Find(program, barcode.type, barcode.fnc1First);
  const Settings& filter = g_profiles->For(program, barcode.type, barcode.fnc1First);
  memset(output, 0, sizeof output);
  const int send = ApplyFilter(filter, &barcode, output);
  const char* suffix = barcode.suffix;
  out->Str("p=");
  out->Number(index < g_profiles->Count() ? long(index) : -1);
  out->Str(" s=");
  out->Number(send);
  out->Str(" x=");
  out->Bytes(suffix, strlen(suffix));
  out->Str(" o=");
  out->Bytes(output, strlen(output));
  return true;
}

void PutValue(const char16_t* section, const char16_t* key, Out* out) {
  static char16_t value[kWideUnits];
  const size_t n = IniFind(section, key, value, kWideUnits, kEditIni);
  out->Wide(value, n);
  out->Str(" i=");
  out->Number(IniGetInt(section, key, -7, kEditIni));
}

bool IniCase(const Fields& f, Out* out) {
  if (f.count != 5 || f.size[4] == 0) return false;
  static char16_t section[kWideUnits], key[kWideUnits], value[kWideUnits];
  Widen(f.data[2], f.size[2], section);
  Widen(f.data[3], f.size[3], key);
  Widen(f.data[4] + 1, f.size[4] - 1, value);
  if (!WriteFile(kEditIni, f.data[1], f.size[1])) return false;
  out->Str("b=");
  PutValue(section, key, out);
  const bool set = IniSetString(section, key[0] ? key : nullptr,
                                f.data[4][0] == '=' ? value : nullptr, kEditIni);
  out->Str(set ? " r=1 a=" : " r=0 a=");
  PutValue(section, key, out);
  unsigned char* data = nullptr;
  size_t size = 0;
  uint32_t attributes = 0;
  if (!FileReadAll(kEditIni, &data, &size, &attributes)) return false;
  out->Str(" f=");
  out->Bytes(data, size);
  FileFreeData(data);
  return true;
}

bool EscapeCase(const Fields& f, Out* out) {
  if (f.count != 2) return false;
  static char text[kFieldBytes];
  memcpy(text, f.data[1], f.size[1] + 1);
  DecodeEscapes(text);
  out->Bytes(text, strlen(text));
  return true;
}

bool KeyCase(const Fields& f, Out* out) {
  if (f.count != 2) return false;
  const unsigned char byte = (unsigned char)Number(f.data[1]);
  const KeyMapping mapping = LookupKey(byte);
  out->Number(mapping.virtualKey);
  out->Str(mapping.shift ? "S" : "");
  KeyEvent events[kMaxKeyEventsPerCharacter];
  const size_t n = KeyEventsForCharacter(byte, events);
  for (size_t i = 0; i < n; ++i) {
    out->Str(" ");
    out->Number(events[i].unicode ? events[i].unicode : events[i].virtualKey);
    out->Str(events[i].unicode ? "u" : "");
    out->Str(events[i].up ? "-" : "+");
  }
  return true;
}

bool BulkCase(const Fields& f, Out* out) {
  if (f.count < 4 || f.count % 2 != 0) return false;
  const bool sameType = Number(f.data[1]) != 0;
  const bool sameLength = Number(f.data[2]) != 0;
  const uint32_t limit = uint32_t(strtoul(f.data[3], nullptr, 10));
  ClearBulkRun();
  for (size_t i = 4; i + 1 < f.count; i += 2) {
    uint32_t count = 0;
    const BulkAdmission a = BulkAdmit(f.data[i + 1], uint32_t(f.size[i + 1]), Number(f.data[i]),
                                      sameType, sameLength, &count, limit);
    out->Number(a);
    out->Str("/");
    out->Number(count);
    out->Str(" ");
  }
  out->Str("c=");
  out->Number(BulkCount.load());
  ClearBulkRun();
  return true;
}

// Items of the given lengths, each filled from its own number; every third
// push pops the oldest item and gives it back.
bool QueueCase(const Fields& f, Out* out) {
  if (f.count < 2) return false;
  BlockQueue queue;
  out->Number(queue.Construct(uint32_t(Number(f.data[1]))));
  static char item[65536];
  for (size_t i = 2; i < f.count; ++i) {
    const size_t length = size_t(strtoul(f.data[i], nullptr, 10));
    if (length > sizeof item) return false;
    for (size_t k = 0; k < length; ++k) item[k] = char(i * 7 + k);
    out->Str(" ");
    out->Number(queue.Push(item, length, int32_t(i)));
    out->Number(queue.Contains(item, length));
    if (i % 3 == 1) {
      size_t got = 0;
      int32_t type = 0;
      char* data = queue.PopFront(&got, &type);
      out->Str(data ? ":" : ":none");
      if (data) {
        out->Number(long(got));
        out->Str(",");
        out->Number(type);
        out->Str(",");
        out->Number((unsigned char)data[got / 2]);
        out->Number(queue.Release(data));
      }
    }
  }
  out->Str(" e=");
  out->Number(queue.IsEmpty());
  queue.Destroy();
  return true;
}

}  // namespace

size_t EscapeBytes(const void* data, size_t size, char* out, size_t capacity) {
  if (capacity == 0) return 0;
  const unsigned char* p = static_cast<const unsigned char*>(data);
  size_t n = 0;
  for (size_t i = 0; i < size; ++i) {
    const unsigned char c = p[i];
    const bool plain = c >= 0x20 && c < 0x7F && c != '\\';
    const size_t need = plain ? 1 : (c == '\\' ? 2 : 4);
    if (n + need + 1 > capacity) break;
    if (plain) {
      out[n++] = char(c);
    } else if (c == '\\') {
      out[n++] = '\\';
      out[n++] = '\\';
    } else {
      out[n++] = '\\';
      out[n++] = 'x';
      out[n++] = kHex[c >> 4];
      out[n++] = kHex[c & 15];
    }
  }
  out[n] = 0;
  return n;
}

static int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

size_t UnescapeBytes(const char* text, size_t length, char* out, size_t capacity) {
  size_t n = 0;
  for (size_t i = 0; i < length && n < capacity;) {
    if (text[i] == '\\' && i + 1 < length && text[i + 1] == '\\') {
      out[n++] = '\\';
      i += 2;
    } else if (text[i] == '\\' && i + 3 < length && text[i + 1] == 'x' &&
               HexDigit(text[i + 2]) >= 0 && HexDigit(text[i + 3]) >= 0) {
      out[n++] = char(HexDigit(text[i + 2]) * 16 + HexDigit(text[i + 3]));
      i += 4;
    } else {
      out[n++] = text[i++];
    }
  }
  return n;
}

bool ComputeCase(const char* line, size_t length, char* result, size_t capacity) {
  static char store[kMaxFields * 256 + 4 * kFieldBytes];
  Fields fields;
  Out out = {result, capacity, 0};
  result[0] = 0;
  if (!Split(line, length, &fields, store, sizeof store) || fields.size[0] != 1) return false;
  FileMakeFolder(kVectorWorkFolder);
  switch (fields.data[0][0]) {
    case 'S':
      return LoadCase(fields, &out);
    case 'F':
      return FilterCase(fields, &out);
    case 'I':
      return IniCase(fields, &out);
    case 'E':
      return EscapeCase(fields, &out);
    case 'K':
      return KeyCase(fields, &out);
    case 'B':
      return BulkCase(fields, &out);
    case 'Q':
      return QueueCase(fields, &out);
    default:
      return false;
  }
}

void CheckVectors(const char* text, size_t size, VectorReport* report) {
  enum : size_t { kResultSize = 1 << 17 };
  char* got = static_cast<char*>(malloc(kResultSize));
  char* expected = static_cast<char*>(malloc(kResultSize));
  if (!got || !expected) {
    ++report->malformed;
    free(got);
    free(expected);
    return;
  }
  size_t lineNumber = 0;
  for (size_t start = 0; start < size;) {
    size_t end = start;
    while (end < size && text[end] != '\n') ++end;
    ++lineNumber;
    const char* line = text + start;
    const size_t length = end - start;
    start = end + 1;
    if (length == 0 || line[0] == '#') continue;
    size_t tab = length;
    while (tab > 0 && line[tab - 1] != '\t') --tab;
    if (tab == 0 || !ComputeCase(line, tab - 1, got, kResultSize)) {
      ++report->malformed;
      continue;
    }
    const size_t wanted = length - tab;
    if (wanted < kResultSize) {
      memcpy(expected, line + tab, wanted);
      expected[wanted] = 0;
    }
    if (wanted < kResultSize && strcmp(expected, got) == 0) {
      ++report->agreed;
    } else {
      ++report->differed;
      if (report->difference) {
        report->difference(report->context, lineNumber, line, tab - 1, expected, got);
      }
    }
  }
  free(got);
  free(expected);
}

void EndCases() { DropRecord(); }
