// The profile-file library: reading a key of a section, and the rewrite that
// sets or deletes one. Every call reads and converts the whole file; a write
// builds the whole new content in memory and replaces the file through its
// ".tmp" sibling, so a failed write never leaves a half-written SARNU.INI.
//
// Choices of ours where files may be unusual:
// - Lines, names and values of any length are handled whole. Reading cuts a
//   value only to the caller's buffer; writing never cuts (cutting a line at
//   259 characters would corrupt the value and could split a key from its "=").
// - A character the ANSI code page cannot represent is written as '?' in a
//   narrow file; a wide file keeps everything.
// - IniGetInt skips leading blanks, takes one optional sign and saturates
//   beyond the 32-bit range instead of wrapping.
// - A line holding only "[" is kept on rewrite although other one-character
//   lines are dropped: it ends a section, and dropping it would move the keys
//   behind it into the section before.
// - Deleting a key drops every line of that key in the section, so that a
//   duplicate further down cannot surface as the key's value afterwards.
// - An existing file that cannot be read (locked, no memory) is left alone
//   rather than rewritten from nothing, which would lose its other keys.
// - A narrow file whose rewrite would begin with the bytes FF FE gets a blank
//   first line, or it would turn into a wide file.
// - A key that could not be read back (empty, holding "=" or a line break, or
//   starting with a blank or like a comment or header) and a value or section
//   holding a line break are not written: they would corrupt the file's
//   structure.
#include "ini_file.h"

#include <climits>
#include <cstdlib>
#include <cstring>
#include <iterator>

#include "file_io.h"
#include "text_codec.h"
#include "wide_text.h"

namespace {

constexpr size_t kPathUnits = std::size(IniFile{}.path);
constexpr size_t kIntBufferUnits = 256;

bool IsWhite(char16_t c) {
  return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == u'\v' || c == u'\f';
}

bool HasBackslash(const char16_t* text) {
  for (; *text; ++text) {
    if (*text == u'\\') return true;
  }
  return false;
}

// The "\windows\%s" rule. False when the result would not fit the IniFile.
bool BuildFullPath(const char16_t* path, char16_t* out) {
  out[0] = 0;
  if (!path) return false;
  static const char16_t kWindows[] = u"\\windows\\";
  size_t prefix = HasBackslash(path) ? 0 : WideLength(kWindows);
  if (prefix + WideLength(path) >= kPathUnits) return false;
  WideCopy(out, kPathUnits, prefix ? kWindows : u"");
  WideAppend(out, kPathUnits, path);
  return true;
}

bool KeyMatches(const char16_t* lineKey, size_t lineKeyLength, const char16_t* key) {
  return lineKeyLength == WideLength(key) && WideEqualNoCaseN(lineKey, key, lineKeyLength);
}

// The new file's text, grown on the heap. A failed allocation is remembered
// and the write abandoned, leaving the file as it was.
struct Output {
  char16_t* data;
  size_t length;
  size_t capacity;
  bool failed;
};

void Put(Output* out, const char16_t* text, size_t length) {
  if (out->failed || length == 0) return;
  if (out->length + length > out->capacity) {
    size_t capacity = out->capacity ? out->capacity : 1024;
    while (capacity < out->length + length) capacity *= 2;
    void* grown = realloc(out->data, capacity * sizeof(char16_t));
    if (!grown) {
      out->failed = true;
      return;
    }
    out->data = static_cast<char16_t*>(grown);
    out->capacity = capacity;
  }
  memcpy(out->data + out->length, text, length * sizeof(char16_t));
  out->length += length;
}

void PutText(Output* out, const char16_t* text) { Put(out, text, WideLength(text)); }
void PutLineEnd(Output* out) { Put(out, u"\r\n", 2); }

void PutLine(Output* out, const IniLine& line) {
  Put(out, line.start, line.length);
  PutLineEnd(out);
}

void PutKeyLine(Output* out, const char16_t* key, const char16_t* value) {
  PutText(out, key);
  Put(out, u"=", 1);
  PutText(out, value);
  PutLineEnd(out);
}

// The rewrite drops lines of one character other than ";" (stray bytes such
// as an end-of-file mark); a lone "[" stays, see the top of the file.
bool IsDroppedLine(const IniLine& line) {
  return line.length == 1 && line.start[0] != u';' && line.start[0] != u'[';
}

bool HasLineBreak(const char16_t* text) {
  for (; text && *text; ++text) {
    if (*text == u'\r' || *text == u'\n') return true;
  }
  return false;
}

bool IsWritableKey(const char16_t* key) {
  if (!key[0] || key[0] == u';' || key[0] == u'[' || IsWhite(key[0])) return false;
  for (const char16_t* p = key; *p; ++p) {
    if (*p == u'=' || *p == u'\r' || *p == u'\n') return false;
  }
  return true;
}

// Copies every line of `file` into `out`, changing the first section named
// `section` as IniSetString describes.
void Rewrite(IniFile* file, const char16_t* section, const char16_t* key, const char16_t* value,
             Output* out) {
  enum { kBefore, kInSection, kAfter } state = kBefore;
  bool keyDone = false;
  while (IniNextLine(file)) {
    const IniLine& line = file->line;
    if (state == kInSection && IniLineIsSectionHeader(line)) {
      // The key goes after the section's last line, before the next header.
      if (key && value && !keyDone) PutKeyLine(out, key, value);
      keyDone = true;
      state = kAfter;
    }
    if (state == kBefore && IniLineIsSection(line, section)) {
      state = kInSection;
      if (key) PutLine(out, line);
      continue;
    }
    if (IsDroppedLine(line)) continue;
    if (state == kInSection) {
      const char16_t* lineKey;
      const char16_t* lineValue;
      size_t keyLength, valueLength;
      if (IniLineKeyValue(line, &lineKey, &keyLength, &lineValue, &valueLength)) {
        if (!key) continue;  // dropping the section keeps only blanks and comments
        if (KeyMatches(lineKey, keyLength, key)) {
          if (!value) continue;
          if (!keyDone) {
            PutKeyLine(out, key, value);
            keyDone = true;
            continue;
          }
        }
      }
    }
    PutLine(out, line);
  }
  if (state == kInSection && key && value && !keyDone) PutKeyLine(out, key, value);
  if (state == kBefore && key && value) {
    Put(out, u"[", 1);
    PutText(out, section);
    Put(out, u"]", 1);
    PutLineEnd(out);
    PutKeyLine(out, key, value);
  }
}

// Encodes the new text as the file was (wide with its mark, else narrow) and
// replaces the file with it.
bool WriteFileText(const IniFile& file, const Output& text) {
  size_t size;
  unsigned char* bytes;
  if (file.wide) {
    size = 2 + text.length * 2;
    bytes = static_cast<unsigned char*>(malloc(size));
    if (!bytes) return false;
    bytes[0] = 0xFF;
    bytes[1] = 0xFE;
    for (size_t i = 0; i < text.length; ++i) {
      bytes[2 + 2 * i] = static_cast<unsigned char>(text.data[i] & 0xFF);
      bytes[3 + 2 * i] = static_cast<unsigned char>(text.data[i] >> 8);
    }
  } else {
    // Four bytes a unit is room for the widest ANSI code page there is, and
    // two more for the blank line below.
    size_t capacity = text.length * 4;
    bytes = static_cast<unsigned char*>(malloc(capacity + 2));
    if (!bytes) return false;
    size = WideToAnsi(text.data, text.length, reinterpret_cast<char*>(bytes), capacity);
    // Dropping leading blanks or a first line could leave a narrow file that
    // begins with the wide mark's bytes and would be read back as wide; a
    // blank first line keeps it narrow and changes nothing else.
    if (size >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE) {
      memmove(bytes + 2, bytes, size);
      bytes[0] = '\r';
      bytes[1] = '\n';
      size += 2;
    }
  }
  bool ok = FileReplaceThroughTemp(file.path, bytes, size);
  free(bytes);
  return ok;
}

void FormatInt(int value, char16_t* out) {
  char16_t digits[16];
  size_t n = 0;
  // Work on the negative side, which holds INT_MIN.
  long long v = value;
  bool negative = v < 0;
  if (!negative) v = -v;
  do {
    digits[n++] = static_cast<char16_t>(u'0' - v % 10);
    v /= 10;
  } while (v != 0);
  size_t k = 0;
  if (negative) out[k++] = u'-';
  while (n > 0) out[k++] = digits[--n];
  out[k] = 0;
}

}  // namespace

int IniParseInt(const char16_t* text) {
  while (IsWhite(*text)) ++text;
  bool negative = false;
  if (*text == u'+' || *text == u'-') negative = *text++ == u'-';
  long long value = 0;
  for (; *text >= u'0' && *text <= u'9'; ++text) {
    value = value * 10 + (*text - u'0');
    if (value > static_cast<long long>(INT_MAX) + 1) value = static_cast<long long>(INT_MAX) + 1;
  }
  if (negative) value = -value;
  if (value > INT_MAX) return INT_MAX;
  if (value < INT_MIN) return INT_MIN;
  return static_cast<int>(value);
}

bool IniOpen(IniFile* file, const char16_t* path) {
  file->wide = false;
  file->text = nullptr;
  file->length = 0;
  file->position = 0;
  file->line = IniLine{nullptr, 0, false};
  file->attributes = 0;
  if (!BuildFullPath(path, file->path)) return false;

  unsigned char* data;
  size_t size;
  if (!FileReadAll(file->path, &data, &size, &file->attributes)) return false;
  const unsigned char* body = data;
  if (size >= 2 && data[0] == 0xFF && data[1] == 0xFE) {
    file->wide = true;
    body += 2;
    size -= 2;
  }
  if (size == 0) {
    FileFreeData(data);
    return true;
  }
  // Every narrow byte gives at most one UTF-16 unit, and two wide bytes one.
  size_t units = file->wide ? size / 2 : size;
  file->text = static_cast<char16_t*>(malloc((units + 1) * sizeof(char16_t)));
  if (!file->text) {
    FileFreeData(data);
    return false;
  }
  if (file->wide) {
    for (size_t i = 0; i < units; ++i) {
      file->text[i] = static_cast<char16_t>(body[2 * i] | (body[2 * i + 1] << 8));
    }
    file->length = units;
  } else {
    file->length = AnsiToWide(reinterpret_cast<const char*>(body), size, file->text, units);
  }
  file->text[file->length] = 0;
  FileFreeData(data);
  return true;
}

bool IniNextLine(IniFile* file) {
  size_t pos = file->position;
  size_t end = file->length;
  if (pos >= end) return false;
  size_t first = pos;
  while (pos < end && file->text[pos] != u'\r' && file->text[pos] != u'\n') ++pos;
  size_t last = pos;
  if (pos < end && file->text[pos] == u'\r') ++pos;
  if (pos < end && file->text[pos] == u'\n') ++pos;
  file->position = pos;
  while (first < last && IsWhite(file->text[first])) ++first;
  file->line.wide = file->wide;
  file->line.length = last - first;
  file->line.start = file->line.length ? file->text + first : nullptr;
  return true;
}

void IniClose(IniFile* file) {
  free(file->text);
  file->text = nullptr;
  file->length = 0;
  file->position = 0;
  file->line = IniLine{nullptr, 0, file->wide};
}

bool IniLineIsSectionHeader(const IniLine& line) {
  return line.length > 0 && line.start[0] == u'[';
}

bool IniLineIsComment(const IniLine& line) { return line.length > 0 && line.start[0] == u';'; }

bool IniLineIsSection(const IniLine& line, const char16_t* section) {
  if (!section || !IniLineIsSectionHeader(line)) return false;
  size_t n = WideLength(section);
  return line.length == n + 2 && WideEqualNoCaseN(line.start + 1, section, n);
}

namespace {

bool HasHeader(IniFile* file, const IniLine& header) {
  file->position = 0;
  while (IniNextLine(file)) {
    const IniLine& line = file->line;
    if (IniLineIsSectionHeader(line) && line.length == header.length &&
        WideEqualNoCaseN(line.start, header.start, line.length)) {
      return true;
    }
  }
  return false;
}

}  // namespace

bool IniHoldsSectionsOf(const char16_t* path, const char16_t* other) {
  IniFile wanted;
  if (!IniOpen(&wanted, other)) {
    IniClose(&wanted);
    return true;
  }
  IniFile file;
  bool holds = IniOpen(&file, path);
  while (holds && IniNextLine(&wanted)) {
    if (IniLineIsSectionHeader(wanted.line)) holds = HasHeader(&file, wanted.line);
  }
  IniClose(&file);
  IniClose(&wanted);
  return holds;
}

bool IniLineKeyValue(const IniLine& line, const char16_t** key, size_t* keyLength,
                     const char16_t** value, size_t* valueLength) {
  if (line.length == 0 || IniLineIsSectionHeader(line) || IniLineIsComment(line)) return false;
  size_t equals = 0;
  while (equals < line.length && line.start[equals] != u'=') ++equals;
  if (equals == line.length) return false;
  size_t kEnd = equals;
  while (kEnd > 0 && IsWhite(line.start[kEnd - 1])) --kEnd;
  if (kEnd == 0) return false;

  size_t vFirst = equals + 1;
  size_t vEnd = line.length;
  while (vFirst < vEnd && IsWhite(line.start[vFirst])) ++vFirst;
  while (vEnd > vFirst && IsWhite(line.start[vEnd - 1])) --vEnd;
  if (vFirst < vEnd && line.start[vFirst] == u'"') {
    // A closing quote counts only if it is not the opening one.
    if (vEnd - vFirst >= 2 && line.start[vEnd - 1] == u'"') --vEnd;
    ++vFirst;
  }
  *key = line.start;
  *keyLength = kEnd;
  *value = line.start + vFirst;
  *valueLength = vEnd - vFirst;
  return true;
}

size_t IniFindIn(IniFile* file, const char16_t* section, const char16_t* key, char16_t* buffer,
                 size_t size) {
  if (!section || !key) return 0;
  file->position = 0;
  bool inSection = false;
  while (IniNextLine(file)) {
    const IniLine& line = file->line;
    if (!inSection) {
      inSection = IniLineIsSection(line, section);
      continue;
    }
    if (IniLineIsSectionHeader(line)) return 0;
    const char16_t* lineKey;
    const char16_t* value;
    size_t keyLength, valueLength;
    if (IniLineKeyValue(line, &lineKey, &keyLength, &value, &valueLength) &&
        KeyMatches(lineKey, keyLength, key)) {
      if (!buffer || size == 0) return 0;
      const size_t copied = valueLength < size - 1 ? valueLength : size - 1;
      memcpy(buffer, value, copied * sizeof(char16_t));
      buffer[copied] = 0;
      return copied;
    }
  }
  return 0;
}

void IniGetStringIn(IniFile* file, const char16_t* section, const char16_t* key,
                    const char16_t* defaultText, char16_t* buffer, size_t size) {
  if (!buffer || size == 0) return;
  if (IniFindIn(file, section, key, buffer, size) == 0) WideCopy(buffer, size, defaultText);
}

int IniGetIntIn(IniFile* file, const char16_t* section, const char16_t* key, int defaultValue) {
  char16_t buffer[kIntBufferUnits];
  if (IniFindIn(file, section, key, buffer, kIntBufferUnits) == 0) return defaultValue;
  return IniParseInt(buffer);
}

size_t IniFind(const char16_t* section, const char16_t* key, char16_t* buffer, size_t size,
               const char16_t* path) {
  if (!section || !key || !path) return 0;
  IniFile file;
  IniOpen(&file, path);
  const size_t copied = IniFindIn(&file, section, key, buffer, size);
  IniClose(&file);
  return copied;
}

void IniGetString(const char16_t* section, const char16_t* key, const char16_t* defaultText,
                  char16_t* buffer, size_t size, const char16_t* path) {
  if (!buffer || size == 0) return;
  if (IniFind(section, key, buffer, size, path) == 0) WideCopy(buffer, size, defaultText);
}

int IniGetInt(const char16_t* section, const char16_t* key, int defaultValue,
              const char16_t* path) {
  char16_t buffer[kIntBufferUnits];
  if (IniFind(section, key, buffer, kIntBufferUnits, path) == 0) return defaultValue;
  return IniParseInt(buffer);
}

bool IniSetString(const char16_t* section, const char16_t* key, const char16_t* value,
                  const char16_t* path) {
  if (!path || !path[0]) return false;
  if (!section) return true;
  IniFile file;
  bool opened = IniOpen(&file, path);
  if (!file.path[0]) return false;  // a path we cannot even name is as good as missing
  uint32_t attributes = file.attributes;
  if (!opened && FileGetAttributes(file.path, &attributes) && !(attributes & kFileAttrInRom)) {
    IniClose(&file);  // there but unreadable: leave it as it is
    return true;
  }
  if (attributes & kFileAttrInRom) {
    IniClose(&file);
    return false;
  }
  if (HasLineBreak(section) || (key && !IsWritableKey(key)) || HasLineBreak(value)) {
    IniClose(&file);
    return true;
  }
  Output out{nullptr, 0, 0, false};
  Rewrite(&file, section, key, value, &out);
  // Deleting from a file that is not there creates nothing.
  if (!out.failed && (opened || out.length > 0)) WriteFileText(file, out);
  free(out.data);
  IniClose(&file);
  return true;
}

bool IniSetInt(const char16_t* section, const char16_t* key, int value, const char16_t* path) {
  char16_t text[16];
  FormatInt(value, text);
  return IniSetString(section, key, text, path);
}
