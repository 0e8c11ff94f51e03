// simterm's commands that change or show the terminal: init, set, fail, scan, press and
// release, log, now, status.
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "escaped_bytes.h"
#include "sim_state.h"
#include "simterm.h"

namespace {

constexpr DWORD kMaxScanFile = 1 << 20;

struct NumberField {
  const char* name;
  uint32_t SimReaderValues::*field;
  uint32_t max;  // the laser reads some as bytes
};

const NumberField kNumberFields[] = {
    {"led", &SimReaderValues::led, 255},
    {"buzzer", &SimReaderValues::buzzer, 255},
    {"vibrator", &SimReaderValues::vibrator, 0xFFFFFFFFu},
    {"suffix-code", &SimReaderValues::suffix_code, 255},
    {"buffer-type", &SimReaderValues::buffer_type, 255},
    {"scanning-keys", &SimReaderValues::scanning_keys, 0xFFFFFFFFu},
    {"focus", &SimReaderValues::focus, 0xFFFFFFFFu},
    {"swing-angle", &SimReaderValues::swing_angle, 0xFFFFFFFFu},
    {"timeout", &SimReaderValues::timeout, 0xFFFFFFFFu},
    {"scanning-type", &SimReaderValues::scanning_type, 255},
};

const char* ReaderName(int32_t reader) {
  return reader == kSimReaderLaser ? "laser" : reader == kSimReaderImager ? "imager" : "none";
}

int ParseReader(const char* text, int32_t* reader) {
  if (strcmp(text, "laser") == 0) {
    *reader = kSimReaderLaser;
  } else if (strcmp(text, "imager") == 0) {
    *reader = kSimReaderImager;
  } else if (strcmp(text, "none") == 0) {
    *reader = kSimReaderNone;
  } else {
    return 0;
  }
  return 1;
}

// A folder argument (ANSI code page) as the wide text DvcGetSystemName builds paths from.
int ParseDir(const char* text, WCHAR* out) {
  out[0] = 0;
  if (!*text) return 1;
  int n = MultiByteToWideChar(CP_ACP, 0, text, -1, out, kSimDirUnits);
  return n > 0 ? 1 : 0;
}

int NotInitialised() {
  return Complain(kExitFailed, "the terminal is not initialised (run: simterm init)");
}

int SetSpecial(SimState* s, const char* name, const char* value) {
  if (strcmp(name, "decode-mode") == 0) {
    char a[16], b[16], c[16], rest;
    uint32_t mode, count, flags;
    if (sscanf(value, "%15[^,],%15[^,],%15[^,]%c", a, b, c, &rest) != 3 ||
        !ParseUnsigned(a, 0xFFFFFFFFu, &mode) || !ParseUnsigned(b, 0xFFFFFFFFu, &count) ||
        !ParseUnsigned(c, 0xFFFF, &flags)) {
      return Complain(kExitUsage, "decode-mode takes three numbers A,B,C (C at most 65535)");
    }
    s->values.decode_mode = mode;
    s->values.decode_count = count;
    s->values.decode_flags = flags;
  } else if (strcmp(name, "config-load-result") == 0 || strcmp(name, "user-key-state") == 0) {
    int32_t v;
    if (!ParseSigned(value, &v)) return Complain(kExitUsage, "%s takes a number", name);
    if (name[0] == 'c') {
      s->values.config_load_result = v;
    } else {
      s->values.user_key_state = v;
    }
  } else if (strcmp(name, "model") == 0) {
    if (!ParseUnsigned(value, 0xFFFFFFFFu, &s->model)) {
      return Complain(kExitUsage, "model takes a number");
    }
  } else if (strcmp(name, "reader") == 0) {
    if (!ParseReader(value, &s->reader)) {
      return Complain(kExitUsage, "reader is laser, imager or none");
    }
  } else if (strcmp(name, "system-name-dir") == 0) {
    WCHAR dir[kSimDirUnits];
    if (!ParseDir(value, dir)) {
      return Complain(kExitUsage, "system-name-dir is too long (at most %d characters)",
                      kSimDirUnits - 1);
    }
    memcpy(s->system_name_dir, dir, sizeof dir);
  } else {
    return Complain(kExitUsage, "unknown value '%s' (try: simterm help)", name);
  }
  return kExitOk;
}

// Reads every barcode argument (or every non-empty line of a file) before queueing any, so
// a bad one queues nothing.
struct ScanInput {
  int count;
  SimBarcode* barcodes;
};

int AddBarcode(ScanInput* in, const char* escaped, int32_t type, char symbology,
               uint32_t max_length) {
  if (in->count >= kSimQueueSize) {
    return Complain(kExitFailed, "more barcodes than the queue holds (%d)", kSimQueueSize);
  }
  SimBarcode& b = in->barcodes[in->count];
  b.type_code = type;
  b.symbology = symbology;
  if (!DecodeEscaped(escaped, b.data, max_length, &b.length)) {
    return Complain(kExitUsage, "bad barcode '%s': malformed escape or longer than %u bytes",
                    escaped, static_cast<unsigned>(max_length));
  }
  if (b.length == 0) return Complain(kExitUsage, "empty barcode");
  ++in->count;
  return kExitOk;
}

int ReadScanFile(const char* path, ScanInput* in, int32_t type, char symbology,
                 uint32_t max_length) {
  HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return Complain(kExitFailed, "cannot open '%s'", path);
  static char text[kMaxScanFile + 1];
  DWORD size = 0;
  BOOL ok = ReadFile(file, text, kMaxScanFile, &size, nullptr);
  CloseHandle(file);
  if (!ok) return Complain(kExitFailed, "cannot read '%s'", path);
  text[size] = 0;
  if (strlen(text) != size) return Complain(kExitUsage, "'%s' holds a NUL byte: use \\x00", path);
  char* line = text;
  while (*line) {
    char* end = strchr(line, '\n');
    char* next = end ? end + 1 : line + strlen(line);
    if (end) *end = 0;
    size_t n = strlen(line);
    if (n > 0 && line[n - 1] == '\r') line[n - 1] = 0;
    if (*line) {
      int code = AddBarcode(in, line, type, symbology, max_length);
      if (code != kExitOk) return code;
    }
    line = next;
  }
  if (in->count == 0) return Complain(kExitUsage, "'%s' holds no barcode", path);
  return kExitOk;
}

int SendKey(int argc, char** argv, DWORD flags) {
  uint32_t vk;
  if (argc != 1 || !ParseUnsigned(argv[0], 254, &vk) || vk == 0) {
    return Complain(kExitUsage, "give one virtual key, 1 to 254 (decimal or 0x hex)");
  }
  BYTE scan = static_cast<BYTE>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC));
  keybd_event(static_cast<BYTE>(vk), scan, flags, 0);
  return kExitOk;
}

}  // namespace

int CmdInit(int argc, char** argv) {
  uint32_t model = 0;
  int32_t reader = kSimReaderNone;
  bool have_model = false, have_reader = false;
  WCHAR dir[kSimDirUnits] = L"";
  for (int i = 0; i < argc; ++i) {
    const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
    if (strcmp(argv[i], "--model") == 0 && value) {
      if (!ParseUnsigned(value, 0xFFFFFFFFu, &model)) {
        return Complain(kExitUsage, "--model takes a number");
      }
      have_model = true;
    } else if (strcmp(argv[i], "--reader") == 0 && value) {
      if (!ParseReader(value, &reader)) {
        return Complain(kExitUsage, "--reader is laser, imager or none");
      }
      have_reader = true;
    } else if (strcmp(argv[i], "--system-name-dir") == 0 && value) {
      if (!ParseDir(value, dir)) {
        return Complain(kExitUsage, "--system-name-dir is too long (at most %d characters)",
                        kSimDirUnits - 1);
      }
    } else {
      return Complain(kExitUsage,
                      "init takes --model N --reader laser|imager|none "
                      "[--system-name-dir DIR]");
    }
    ++i;
  }
  if (!have_model || !have_reader) {
    return Complain(kExitUsage, "init needs --model N and --reader laser|imager|none");
  }
  SimLock lock;
  if (!lock) return Complain(kExitFailed, "cannot open the terminal state");
  SimInitTerminal(lock.get(), model, reader, dir);
  return kExitOk;
}

int CmdSet(int argc, char** argv) {
  if (argc != 2) return Complain(kExitUsage, "set takes NAME VALUE");
  SimLock lock;
  if (!lock) return Complain(kExitFailed, "cannot open the terminal state");
  if (!lock->initialised) return NotInitialised();
  for (const NumberField& f : kNumberFields) {
    if (strcmp(argv[0], f.name) != 0) continue;
    uint32_t v;
    if (!ParseUnsigned(argv[1], f.max, &v)) {
      return Complain(kExitUsage, "%s takes a number from 0 to %u", f.name,
                      static_cast<unsigned>(f.max));
    }
    lock->values.*f.field = v;
    // A value set from outside is the reader's configuration, as a set-up
    // tool would leave it; it survives the next load.
    lock->saved.*f.field = v;
    return kExitOk;
  }
  const int code = SetSpecial(lock.get(), argv[0], argv[1]);
  if (code == kExitOk) {
    lock->saved.decode_mode = lock->values.decode_mode;
    lock->saved.decode_count = lock->values.decode_count;
    lock->saved.decode_flags = lock->values.decode_flags;
  }
  return code;
}

int CmdFail(int argc, char** argv) {
  const bool clear = argc >= 1 && strcmp(argv[0], "--clear") == 0;
  if (clear ? argc > 2 : argc < 2 || argc > 3) {
    return Complain(kExitUsage, "fail takes CALL CODE [--once], or --clear [CALL]");
  }
  const char* call = clear ? (argc == 2 ? argv[1] : nullptr) : argv[0];
  if (call && !SimIsKnownCall(call)) {
    return Complain(kExitUsage, "unknown call '%s'", call);
  }
  int32_t code = 0;
  if (!clear) {
    if (!ParseSigned(argv[1], &code)) return Complain(kExitUsage, "CODE must be a number");
    if (argc == 3 && strcmp(argv[2], "--once") != 0) {
      return Complain(kExitUsage, "unknown option '%s'", argv[2]);
    }
  }
  SimLock lock;
  if (!lock) return Complain(kExitFailed, "cannot open the terminal state");
  if (!lock->initialised) return NotInitialised();
  if (clear) {
    SimClearFault(lock.get(), call);
    return kExitOk;
  }
  if (!SimSetFault(lock.get(), call, code, argc == 3)) {
    return Complain(kExitFailed, "the fault table is full (%d calls)", kSimFaultSlots);
  }
  return kExitOk;
}

int CmdScan(int argc, char** argv) {
  int32_t type = 0;
  char symbology = 'A';
  const char* file = nullptr;
  int first_text = argc;
  for (int i = 0; i < argc; ++i) {
    const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
    if (strcmp(argv[i], "--type") == 0 && value) {
      if (!ParseSigned(value, &type)) return Complain(kExitUsage, "--type takes a number");
    } else if (strcmp(argv[i], "--symbology") == 0 && value) {
      uint32_t n;
      if (!DecodeEscaped(value, &symbology, 1, &n) || n != 1) {
        return Complain(kExitUsage, "--symbology takes one character");
      }
    } else if (strcmp(argv[i], "--file") == 0 && value) {
      file = value;
    } else if (argv[i][0] == '-' && argv[i][1] == '-') {
      return Complain(kExitUsage, "unknown option '%s'", argv[i]);
    } else {
      first_text = i;
      break;
    }
    ++i;
  }
  if (file && first_text != argc) {
    return Complain(kExitUsage, "scan takes barcodes or --file F, not both");
  }
  if (!file && first_text == argc) return Complain(kExitUsage, "scan needs a barcode");

  // Checked against the reader fitted now: a laser read must hold text and suffix.
  uint32_t max_length = kSimMaxBarcode;
  {
    SimLock lock;
    if (!lock) return Complain(kExitFailed, "cannot open the terminal state");
    if (!lock->initialised) return NotInitialised();
    if (lock->reader == kSimReaderLaser) {
      max_length = kSimMaxLaserRead -
                   static_cast<uint32_t>(strlen(SimLaserSuffix(lock->values.suffix_code)));
    }
  }

  static SimBarcode barcodes[kSimQueueSize];
  ScanInput in = {0, barcodes};
  int code = kExitOk;
  if (file) {
    code = ReadScanFile(file, &in, type, symbology, max_length);
  } else {
    for (int i = first_text; i < argc && code == kExitOk; ++i) {
      code = AddBarcode(&in, argv[i], type, symbology, max_length);
    }
  }
  if (code != kExitOk) return code;

  SimLock lock;
  if (!lock) return Complain(kExitFailed, "cannot open the terminal state");
  if (kSimQueueSize - lock->queue_count < static_cast<uint32_t>(in.count)) {
    return Complain(kExitFailed, "the barcode queue has room for %u more",
                    static_cast<unsigned>(kSimQueueSize - lock->queue_count));
  }
  for (int i = 0; i < in.count; ++i) SimQueuePush(lock.get(), barcodes[i]);
  return kExitOk;
}

int CmdPress(int argc, char** argv) { return SendKey(argc, argv, 0); }
int CmdRelease(int argc, char** argv) { return SendKey(argc, argv, KEYEVENTF_KEYUP); }

int CmdLog(int argc, char** argv) {
  uint32_t since = 0;
  bool clear = false;
  for (int i = 0; i < argc; ++i) {
    if (strcmp(argv[i], "--since") == 0 && i + 1 < argc &&
        ParseUnsigned(argv[i + 1], 0xFFFFFFFFu, &since)) {
      ++i;
    } else if (strcmp(argv[i], "--clear") == 0) {
      clear = true;
    } else {
      return Complain(kExitUsage, "log takes [--since MS] [--clear]");
    }
  }
  SimLock lock;
  if (!lock) return Complain(kExitFailed, "cannot open the terminal state");
  const uint32_t written = lock->log_written;
  const uint32_t first = written > kSimLogSize ? written - kSimLogSize : 0;
  for (uint32_t n = first; n < written; ++n) {
    const SimLogLine& line = lock->log[n % kSimLogSize];
    if (line.stamp >= since) printf("%u %s\n", static_cast<unsigned>(line.stamp), line.text);
  }
  // Printing and clearing under one lock: no line slips in between unseen.
  if (clear) lock->log_written = 0;
  return kExitOk;
}

int CmdNow(int argc, char**) {
  if (argc != 0) return Complain(kExitUsage, "now takes no arguments");
  SimLock lock;
  if (!lock) return Complain(kExitFailed, "cannot open the terminal state");
  printf("%u\n", static_cast<unsigned>(SimNow(lock.get())));
  return kExitOk;
}

int CmdStatus(int argc, char**) {
  if (argc != 0) return Complain(kExitUsage, "status takes no arguments");
  SimLock lock;
  if (!lock) return Complain(kExitFailed, "cannot open the terminal state");
  const SimState* s = lock.get();
  char dir[kSimDirUnits * 2];
  if (!WideCharToMultiByte(CP_ACP, 0, s->system_name_dir, -1, dir, sizeof dir, nullptr, nullptr)) {
    dir[0] = 0;
  }
  printf("initialised %d\nmodel %u\nreader %s\nsystem-name-dir %s\n", s->initialised,
         static_cast<unsigned>(s->model), ReaderName(s->reader), dir);
  for (const NumberField& f : kNumberFields) {
    printf("%s %u\n", f.name, static_cast<unsigned>(s->values.*f.field));
  }
  printf(
      "decode-mode %u,%u,%u\nconfig-load-result %d\nuser-key-state %d\n",
      static_cast<unsigned>(s->values.decode_mode), static_cast<unsigned>(s->values.decode_count),
      static_cast<unsigned>(s->values.decode_flags), static_cast<int>(s->values.config_load_result),
      static_cast<int>(s->values.user_key_state));
  printf("queued %u\nlaser-open %d\nlaser-scanning %d\nlaser-pending %d\nlast-event-status %u\n",
         static_cast<unsigned>(s->queue_count), s->laser.opened, s->laser.running, s->laser.pending,
         static_cast<unsigned>(s->laser.last_event_status));
  printf("imager-open %d\nimager-connected %d\nimager-decoding %d\naimer %d\n", s->imager.opened,
         s->imager.connected, s->imager.decoding, s->imager.aimer);
  for (const SimFault& f : s->faults) {
    if (f.call[0])
      printf("fault %s %d%s\n", f.call, static_cast<int>(f.code), f.once ? " once" : "");
  }
  return kExitOk;
}
