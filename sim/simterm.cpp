// simterm: drives the simulated terminal from the command line or from tests. Dispatches
// to one procedure per subcommand; see "simterm help" for the forms.
#include "simterm.h"

#include <fcntl.h>
#include <io.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

struct Command {
  const char* name;
  int (*run)(int argc, char** argv);
};

const Command kCommands[] = {
    {"init", CmdInit},     {"set", CmdSet},         {"fail", CmdFail}, {"scan", CmdScan},
    {"press", CmdPress},   {"release", CmdRelease}, {"log", CmdLog},   {"now", CmdNow},
    {"status", CmdStatus}, {"wait", CmdWait},
};

const char kUsage[] =
    "usage: simterm COMMAND [ARGUMENTS]\n"
    "  init --model N --reader laser|imager|none [--system-name-dir DIR]\n"
    "  set NAME VALUE         led buzzer vibrator suffix-code buffer-type scanning-keys focus\n"
    "                         swing-angle timeout scanning-type decode-mode (A,B,C)\n"
    "                         config-load-result user-key-state model reader system-name-dir\n"
    "  fail CALL CODE [--once] | fail --clear [CALL]\n"
    "  scan [--type N] [--symbology C] TEXT... | scan [--type N] [--symbology C] --file F\n"
    "  press VK | release VK\n"
    "  log [--since MS] [--clear]\n"
    "  now | status\n"
    "  wait log TEXT [--since MS] [--timeout MS]\n"
    "  wait queue-empty [--timeout MS] | wait scanning on|off [--timeout MS]\n"
    "TEXT is escaped: printable ASCII, \\\\, \\\", \\xHH.\n";

}  // namespace

int Complain(int code, const char* format, ...) {
  fputs("simterm: ", stderr);
  va_list args;
  va_start(args, format);
  vfprintf(stderr, format, args);
  va_end(args);
  fputc('\n', stderr);
  return code;
}

int ParseUnsigned(const char* text, uint32_t max, uint32_t* value) {
  if (!text || !*text || *text == '-' || *text == '+' || *text == ' ') return 0;
  char* end = nullptr;
  unsigned long long v = strtoull(text, &end, 0);
  if (*end != 0 || v > max) return 0;
  *value = static_cast<uint32_t>(v);
  return 1;
}

int ParseSigned(const char* text, int32_t* value) {
  if (!text || !*text) return 0;
  if (text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    uint32_t bits;
    if (!ParseUnsigned(text, 0xFFFFFFFFu, &bits)) return 0;
    *value = static_cast<int32_t>(bits);
    return 1;
  }
  char* end = nullptr;
  long long v = strtoll(text, &end, 10);
  if (*end != 0 || v < INT32_MIN || v > INT32_MAX) return 0;
  *value = static_cast<int32_t>(v);
  return 1;
}

int main(int argc, char** argv) {
  // Plain "\n" line ends: scripts on either side of Wine compare the output as it is.
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
  if (argc < 2) return Complain(kExitUsage, "missing command (try: simterm help)");
  if (strcmp(argv[1], "help") == 0 || strcmp(argv[1], "--help") == 0) {
    fputs(kUsage, stdout);
    return kExitOk;
  }
  for (const Command& c : kCommands) {
    if (strcmp(argv[1], c.name) == 0) {
      int code = c.run(argc - 2, argv + 2);
      fflush(stdout);
      return code;
    }
  }
  return Complain(kExitUsage, "unknown command '%s' (try: simterm help)", argv[1]);
}
