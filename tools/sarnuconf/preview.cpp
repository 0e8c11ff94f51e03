// "sarnuconf preview": runs a barcode through exactly the steps the wedge
// runs between the reader and the keyboard (MakeBarcode at the reader's edge,
// ReplaceFnc1, ApplyFilter, the key table), so a site can see
// what a terminal will type before any terminal is touched. With a program
// named, the filter is the one of the profile the wedge would choose for it.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "barcode_filter.h"
#include "commands.h"
#include "escaped_text.h"
#include "key_table.h"
#include "profiles.h"
#include "sarnuconf.h"
#include "settings.h"
#include "text_codec.h"

namespace {

// What the readers can hand over: the laser library's buffer holds 255
// characters, suffix included; an imager text fits the output buffer.
enum : size_t { kLaserTextLimit = 255, kImagerTextLimit = kFilterBufferSize - 1 };

// The reader's buffer type that selects the clipboard.
enum : long long { kBufferTypeClipboard = 3 };

struct PreviewRequest {
  const char* iniArgument;
  int32_t scannerType;
  unsigned char suffixCode;
  unsigned char bufferType;
  int32_t typeCode;
  const char* program;  // null: none named, the main sections
  std::vector<std::string> barcodes;
};

const char* ReaderName(int32_t scannerType) {
  return scannerType == kScannerLaser ? "laser" : scannerType == kScannerImager ? "imager" : "none";
}

// "--name VALUE" or "--name=VALUE". Returns the value or null (with a
// complaint) when it is missing.
const char* OptionValue(const Io& io, const char* name, int argc, char** argv, int* i) {
  const char* arg = argv[*i];
  const size_t n = std::strlen(name);
  if (arg[n] == '=') return arg + n + 1;
  if (*i + 1 >= argc) {
    Fail(io, "%s needs a value", name);
    return nullptr;
  }
  return argv[++*i];
}

bool IsOption(const char* arg, const char* name) {
  const size_t n = std::strlen(name);
  return std::strncmp(arg, name, n) == 0 && (arg[n] == 0 || arg[n] == '=');
}

bool ParseNumberOption(const Io& io, const char* name, const char* text, long long low,
                       long long high, long long* value) {
  if (ParseDecimal(text, low, high, value)) return true;
  Fail(io, "%s wants a decimal number from %s to %s, not \"%s\"", name, std::to_string(low).c_str(),
       std::to_string(high).c_str(), text);
  return false;
}

// Reads the options and barcodes; false after a complaint.
bool ParseRequest(const Io& io, int argc, char** argv, PreviewRequest* request) {
  if (argc < 1) {
    Fail(io, "preview needs an INI file, --reader and at least one barcode");
    return false;
  }
  request->iniArgument = argv[0];
  const char* reader = nullptr;
  const char* suffixText = nullptr;
  const char* bufferText = nullptr;
  const char* typeText = nullptr;
  request->program = nullptr;
  bool optionsEnded = false;
  for (int i = 1; i < argc; ++i) {
    const char* arg = argv[i];
    const char** slot = nullptr;
    const char* name = nullptr;
    if (!optionsEnded && std::strcmp(arg, "--") == 0) {
      optionsEnded = true;
      continue;
    }
    if (!optionsEnded && std::strncmp(arg, "--", 2) == 0) {
      if (IsOption(arg, "--reader")) slot = &reader, name = "--reader";
      if (IsOption(arg, "--suffix-code")) slot = &suffixText, name = "--suffix-code";
      if (IsOption(arg, "--buffer-type")) slot = &bufferText, name = "--buffer-type";
      if (IsOption(arg, "--type")) slot = &typeText, name = "--type";
      if (IsOption(arg, "--program")) slot = &request->program, name = "--program";
      if (slot == nullptr) {
        Fail(io, "unknown option %s", arg);
        return false;
      }
      *slot = OptionValue(io, name, argc, argv, &i);
      if (*slot == nullptr) return false;
      continue;
    }
    std::string bytes, error;
    if (!Unescape(arg, &bytes, &error)) {
      Fail(io, "barcode \"%s\": %s", arg, error.c_str());
      return false;
    }
    request->barcodes.push_back(bytes);
  }

  if (reader == nullptr) {
    Fail(io, "preview needs --reader laser, imager or none");
    return false;
  }
  if (std::strcmp(reader, "laser") == 0) {
    request->scannerType = kScannerLaser;
  } else if (std::strcmp(reader, "imager") == 0) {
    request->scannerType = kScannerImager;
  } else if (std::strcmp(reader, "none") == 0) {
    request->scannerType = kScannerNone;
  } else {
    Fail(io, "--reader wants laser, imager or none, not \"%s\"", reader);
    return false;
  }

  long long value = 0;
  request->suffixCode = 0;
  if (suffixText != nullptr) {
    if (!ParseNumberOption(io, "--suffix-code", suffixText, 0, 255, &value)) return false;
    request->suffixCode = static_cast<unsigned char>(value);
  }
  request->bufferType = 0;
  if (bufferText != nullptr) {
    if (!ParseNumberOption(io, "--buffer-type", bufferText, 0, 255, &value)) return false;
    request->bufferType = static_cast<unsigned char>(value);
  }
  request->typeCode = 0;
  if (typeText != nullptr) {
    if (request->scannerType == kScannerImager) {
      // The imager's identifier is a character, handed on as a signed byte.
      if (!ParseNumberOption(io, "--type", typeText, 0, 255, &value)) return false;
      request->typeCode = static_cast<signed char>(static_cast<unsigned char>(value));
    } else {
      if (!ParseNumberOption(io, "--type", typeText, INT32_MIN, INT32_MAX, &value)) return false;
      request->typeCode = static_cast<int32_t>(value);
    }
  }

  if (request->barcodes.empty()) {
    Fail(io, "preview needs at least one barcode");
    return false;
  }
  const size_t appended = request->scannerType == kScannerLaser
                              ? std::strlen(LaserAppendedSuffix(request->suffixCode))
                              : 0;
  const size_t limit = request->scannerType == kScannerLaser ? kLaserTextLimit : kImagerTextLimit;
  for (const std::string& barcode : request->barcodes) {
    if (barcode.size() + appended > limit) {
      Fail(io, "barcode of %s bytes: the %s reader delivers at most %s, suffix included",
           std::to_string(barcode.size()).c_str(), ReaderName(request->scannerType),
           std::to_string(limit).c_str());
      return false;
    }
  }
  return true;
}

void AppendKeyEvents(const KeyEvent* events, size_t count, std::string* out) {
  static const char kHex[] = "0123456789ABCDEF";
  for (size_t i = 0; i < count; ++i) {
    if (!out->empty()) out->push_back(' ');
    const KeyEvent& e = events[i];
    if (e.unicode != 0) {
      out->append("U+");
      for (int shift = 12; shift >= 0; shift -= 4) out->push_back(kHex[(e.unicode >> shift) & 15]);
    } else {
      out->push_back(kHex[e.virtualKey >> 4]);
      out->push_back(kHex[e.virtualKey & 15]);
    }
    out->push_back(e.up ? '-' : '+');
  }
}

// The events of typing a zero-terminated text, character by character.
void AppendTypedText(const char* text, std::string* out) {
  KeyEvent events[kMaxKeyEventsPerCharacter];
  for (const char* p = text; *p; ++p) {
    AppendKeyEvents(events, KeyEventsForCharacter(static_cast<unsigned char>(*p), events), out);
  }
}

// The clipboard receives the text converted from the code page to UTF-16;
// shown as UTF-8 in the escaped form.
std::string ClipboardText(const char* output) {
  const size_t length = std::strlen(output);
  std::vector<char16_t> wide(length + 1, 0);
  const size_t units = AnsiToWide(output, length, wide.data(), wide.size());
  const std::string utf8 = Utf8(wide.data(), units);
  return Escaped(utf8.data(), utf8.size());
}

// The key events of one barcode's typing, as the output thread sends them;
// through the clipboard each paste's text (joined, as the clipboard held
// them one after the other) and its Ctrl+V. A pause shows as "(N ms)".
struct PreviewTyping {
  bool clipboard = false;
  std::string keys;
  std::string pending;  // text gathered for the next paste
  std::string pasted;

  void Flush() {
    if (pending.empty()) return;
    pasted += ClipboardText(pending.c_str());
    pending.clear();
    KeyEvent paste[kPasteEventCount];
    PasteKeyEvents(paste);
    AppendKeyEvents(paste, kPasteEventCount, &keys);
  }
  static void OnText(void* context, const char* text, size_t length) {
    PreviewTyping& t = *static_cast<PreviewTyping*>(context);
    const std::string run(text, length);
    if (t.clipboard) {
      t.pending += run;
    } else {
      AppendTypedText(run.c_str(), &t.keys);
    }
  }
  static void OnKey(void* context, uint8_t virtualKey, bool ctrl) {
    PreviewTyping& t = *static_cast<PreviewTyping*>(context);
    t.Flush();
    KeyEvent events[kMaxKeyEventsPerCharacter];
    AppendKeyEvents(events, KeyEventsForKey(virtualKey, ctrl, events), &t.keys);
  }
  static void OnPause(void* context, uint32_t ms) {
    PreviewTyping& t = *static_cast<PreviewTyping*>(context);
    t.Flush();
    t.keys += (t.keys.empty() ? "(" : " (") + std::to_string(ms) + " ms)";
  }
};

// `record` replaces the FNC1 characters, as the wedge does before the
// program in front is known; the record the profiles choose for `program`
// filters the text. Without --program the barcode goes to a program that
// cannot be named, which only a profile without Programs takes; the line then
// names the profile only when one does, so a file without such profiles
// previews exactly as before.
std::string PreviewOne(const Settings& record, const Profiles& profiles,
                       const PreviewRequest& request, const std::u16string& program,
                       const std::string& barcode, char* raw, char* output) {
  // The reader's side: the raw text as the reader library hands it over.
  std::memset(raw, 0, kFilterBufferSize + 1);
  std::memcpy(raw, barcode.data(), barcode.size());
  size_t length = barcode.size();
  if (request.scannerType == kScannerLaser) {
    const char* appended = LaserAppendedSuffix(request.suffixCode);
    std::memcpy(raw + length, appended, std::strlen(appended));
    length += std::strlen(appended);
  }
  Barcode read =
      MakeBarcode(request.scannerType, raw, length, request.typeCode, request.suffixCode);
  ReplaceFnc1(record, &read);

  // The output thread's side.
  const size_t index = profiles.Find(program.c_str(), read.type, read.fnc1First);
  std::string chosen;
  if (index < profiles.Count()) {
    chosen = "profile=\"" + Escaped(Utf8(profiles.At(index).name).c_str()) + "\" ";
  } else if (request.program != nullptr) {
    chosen = "profile=none ";
  }
  const Settings& filter = index < profiles.Count() ? *profiles.At(index).record : record;
  std::memset(output, 0, kFilterBufferSize);
  OutputParts parts = {};
  if (ApplyFilter(filter, &read, output, &parts) == 0) return chosen + "send=0";
  const char* suffix = read.suffix;

  std::string line =
      chosen + "send=1 suffix=\"" + Escaped(suffix) + "\" output=\"" + Escaped(output) + "\"";
  PreviewTyping typing;
  typing.clipboard = request.bufferType == kBufferTypeClipboard;
  WalkTyping(filter.KeyTokens != 0, filter.KeyMap, output, parts,
             {&typing, PreviewTyping::OnText, PreviewTyping::OnKey, PreviewTyping::OnPause});
  typing.Flush();
  if (typing.clipboard) line += " clipboard=\"" + typing.pasted + "\"";
  std::string keys = typing.keys;
  AppendTypedText(suffix, &keys);
  return line + " keys=" + keys;
}

}  // namespace

int RunPreview(const Io& io, int argc, char** argv) {
  PreviewRequest request;
  if (!ParseRequest(io, argc, argv, &request)) return kExitUsage;
  char16_t path[kPathUnits];
  if (!ResolveIniPath(io, request.iniArgument, true, path)) return kExitUsage;

  Settings record(request.scannerType, path, u"");
  Profiles profiles(record);
  profiles.Load(path);
  const std::u16string program = request.program ? Utf16(request.program) : u"";
  // The queued copy and the output buffer of the output thread.
  std::vector<char> raw(kFilterBufferSize + 1);
  std::vector<char> output(kFilterBufferSize);
  for (const std::string& barcode : request.barcodes) {
    const std::string line =
        PreviewOne(record, profiles, request, program, barcode, raw.data(), output.data());
    std::fprintf(io.out, "%s\n", line.c_str());
  }
  return kExitOk;
}
