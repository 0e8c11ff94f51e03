// The judgements of "sarnuconf check" on one key: does its value parse the
// way the administrator meant, does it survive the store into its field
// unchanged, and would the settings program have allowed it. What the wedge
// will see is taken from the loaded record, never recomputed here.
#include <climits>
#include <cstring>
#include <vector>

#include "check_problems.h"
#include "commands.h"
#include "profiles.h"
#include "text_codec.h"

namespace {

// Room of the record's text buffers, terminator excluded.
enum : size_t { kTextUnits = 259 };

// Numbers beyond any field are all alike here; saturate instead of
// overflowing.
enum : long long { kHuge = 1LL << 40 };

// Optional sign, then only digits: what an administrator means by a number.
bool StrictInteger(const char16_t* text, size_t length, long long* value) {
  size_t i = 0;
  bool negative = false;
  if (i < length && (text[i] == u'+' || text[i] == u'-')) negative = text[i++] == u'-';
  if (i == length) return false;
  long long v = 0;
  for (; i < length; ++i) {
    if (text[i] < u'0' || text[i] > u'9') return false;
    if (v < kHuge) v = v * 10 + (text[i] - u'0');
  }
  *value = negative ? -v : v;
  return true;
}

bool IsHexDigit(char16_t c) {
  return (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'F') || (c >= u'a' && c <= u'f');
}

long long LoadedInteger(const Settings& record, const FieldInfo& info) {
  switch (info.kind) {
    case FieldKind::Flag:
      return FieldOf<int32_t>(record, info);
    case FieldKind::U8:
      return FieldOf<uint8_t>(record, info);
    case FieldKind::U16:
      return FieldOf<uint16_t>(record, info);
    default:
      return 0;
  }
}

std::string ColorText(const RgbColor& color) {
  char16_t text[7];
  FormatColorText(color, text);
  return Utf8(text);
}

bool CheckInteger(const Settings& record, const FieldInfo& info, const char16_t* value,
                  size_t length, std::string* problem) {
  const long long loaded = LoadedInteger(record, info);
  long long v = 0;
  if (!StrictInteger(value, length, &v)) {
    *problem = "not a decimal number, read as " + std::to_string(loaded);
    return false;
  }
  const std::string given = "value " + std::to_string(v);
  if (info.kind != FieldKind::Flag) {
    // The library saturates at the 32-bit range; the store then keeps the
    // low bits.
    const long long read = v < INT_MIN ? INT_MIN : v > INT_MAX ? INT_MAX : v;
    const long long mask = info.kind == FieldKind::U8 ? 0xFF : 0xFFFF;
    const long long wrapped = read & mask;
    if (v != wrapped) {
      *problem = given + (wrapped == loaded ? " wraps to " : " wraps and is clamped to ") +
                 std::to_string(loaded);
      return false;
    }
    if (loaded != v) {
      *problem = given + " is clamped to " + std::to_string(loaded);
      return false;
    }
  }
  if (v < info.low || v > info.high) {
    *problem = given + " outside the allowed " + std::to_string(info.low) + ".." +
               std::to_string(info.high);
    return false;
  }
  return true;
}

bool CheckColor(const Settings& record, const FieldInfo& info, const char16_t* value, size_t length,
                std::string* problem) {
  bool sixDigits = length == 6;
  for (size_t i = 0; sixDigits && i < length; ++i) sixDigits = IsHexDigit(value[i]);
  if (sixDigits) return true;
  *problem = "not a colour RRGGBB, read as " + ColorText(FieldOf<RgbColor>(record, info));
  return false;
}

// The narrow copy is what the wedge types: a character the code page lacks
// arrives as something else.
bool FitsCodePage(const char16_t* value, size_t length) {
  std::vector<char> narrow(length * 4 + 1);
  const size_t bytes = WideToAnsi(value, length, narrow.data(), narrow.size());
  std::vector<char16_t> back(bytes + 1);
  const size_t units = AnsiToWide(narrow.data(), bytes, back.data(), back.size());
  return units == length && std::memcmp(back.data(), value, length * sizeof(char16_t)) == 0;
}

bool CheckText(const FieldInfo& info, const char16_t* value, size_t length, std::string* problem) {
  const std::string count = "text of " + std::to_string(length) + " characters";
  if (length > kTextUnits) {
    *problem = count + " is cut to " + std::to_string(size_t(kTextUnits));
    return false;
  }
  if (length > size_t(info.high)) {
    *problem = count + ", more than the " + std::to_string(info.high) + " allowed";
    return false;
  }
  if (!FitsCodePage(value, length)) {
    *problem = "holds characters that the ANSI code page cannot represent";
    return false;
  }
  return true;
}

std::string Lower(const std::string& text) {
  std::string out = text;
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
  }
  return out;
}

// Close enough to be a typo: a few edits, and not most of a short name.
bool IsCloseTypo(const std::string& typed, const std::string& known) {
  const size_t d = NameDistance(typed, known);
  return d <= 2 && d * 2 < known.size();
}

}  // namespace

bool CheckFieldValue(const Settings& record, const FieldInfo& info, const char16_t* value,
                     size_t length, std::string* problem) {
  // An empty value means the default, as for a missing key: intended.
  if (length == 0) return true;
  switch (info.kind) {
    case FieldKind::Flag:
    case FieldKind::U8:
    case FieldKind::U16:
      return CheckInteger(record, info, value, length, problem);
    case FieldKind::Color:
      return CheckColor(record, info, value, length, problem);
    case FieldKind::Text:
    case FieldKind::CharSet:
      return CheckText(info, value, length, problem);
  }
  return true;
}

size_t NameDistance(const std::string& a, const std::string& b) {
  const std::string x = Lower(a), y = Lower(b);
  std::vector<size_t> row(y.size() + 1);
  for (size_t j = 0; j <= y.size(); ++j) row[j] = j;
  for (size_t i = 1; i <= x.size(); ++i) {
    size_t diagonal = row[0];
    row[0] = i;
    for (size_t j = 1; j <= y.size(); ++j) {
      const size_t above = row[j];
      const size_t change = diagonal + (x[i - 1] == y[j - 1] ? 0 : 1);
      row[j] = std::min(std::min(above + 1, row[j - 1] + 1), change);
      diagonal = above;
    }
  }
  return row[y.size()];
}

std::string KeyHint(const char* section, const std::string& key) {
  const FieldInfo* best = nullptr;
  size_t bestDistance = 0;
  for (size_t i = 0; i < kSettingsFieldCount; ++i) {
    const FieldInfo& info = kSettingsFields[i];
    if (std::strcmp(info.sectionName, section) != 0 || !IsCloseTypo(key, info.keyName)) continue;
    const size_t d = NameDistance(key, info.keyName);
    if (best == nullptr || d < bestDistance) best = &info, bestDistance = d;
  }
  if (best != nullptr) return std::string("did you mean ") + best->keyName + "?";
  for (size_t i = 0; i < kSettingsFieldCount; ++i) {
    const FieldInfo& info = kSettingsFields[i];
    if (NameDistance(key, info.keyName) == 0) {
      return std::string("it belongs in [") + info.sectionName + "]";
    }
  }
  return std::string();
}

std::string ProfileKeyHint(const std::string& key) {
  std::vector<const char*> names = {"Programs", "Types"};
  for (size_t i = 0; i < kSettingsFieldCount; ++i) {
    if (IsProfileField(kSettingsFields[i])) names.push_back(kSettingsFields[i].keyName);
  }
  const char* best = nullptr;
  for (const char* name : names) {
    if (IsCloseTypo(key, name) && (!best || NameDistance(key, name) < NameDistance(key, best))) {
      best = name;
    }
  }
  return best ? std::string("did you mean ") + best + "?" : std::string();
}

std::string SectionHint(const std::string& name) {
  // Blanks inside or behind the brackets make a header miss; show the fix.
  std::string bare;
  for (char c : name) {
    if (c != ' ' && c != '\t' && c != '[' && c != ']') bare.push_back(c);
  }
  for (size_t i = 0; i < kSettingsFieldCount; ++i) {
    const char* known = kSettingsFields[i].sectionName;
    if (NameDistance(bare, known) == 0 || IsCloseTypo(bare, known)) {
      return std::string("did you mean [") + known + "]?";
    }
  }
  return std::string();
}
