// The command line of sarnuconf: picks the command and prints the usage.
// Every complaint is one line on err with exit code 2, so scripts can tell
// a bad call from a file with problems (exit 1).
#include "sarnuconf.h"

#include <cstring>

#include "commands.h"

namespace {

struct Command {
  const char* name;
  int (*run)(const Io& io, int argc, char** argv);
};

const Command kCommands[] = {
    {"show", RunShow},       {"check", RunCheck}, {"diff", RunDiff},
    {"preview", RunPreview}, {"get", RunGet},     {"set", RunSet},
};

}  // namespace

void PrintUsage(FILE* out) {
  std::fputs(
      "usage:\n"
      "  sarnuconf show INI\n"
      "      every key as Section.Key=value after loading, in the settings' own\n"
      "      order; Preamble, Postamble and ReplaceFNC1 also as\n"
      "      Section.Key#decoded=BYTES, the escapes resolved; then each profile the\n"
      "      wedge keeps, in file order, as Profile.NAME.Key=value: Programs, Types\n"
      "      and every key a profile can set\n"
      "  sarnuconf check [--warnings] INI...\n"
      "      one line FILE:LINE: WHAT: PROBLEM per problem; exit 1 when there is any\n"
      "      --warnings  also FILE[:LINE]: warning: WHAT: TEXT for settings that are\n"
      "                  valid but surprising on a terminal; they count like problems\n"
      "      several files: a line FILE: N problems[, N warnings] (or FILE: cannot read)\n"
      "      above each file's lines, and a summary line at the end\n"
      "  sarnuconf diff A B\n"
      "      one line Section.Key: \"VALUE A\" -> \"VALUE B\" per line of show that\n"
      "      differs between the two files (profiles paired by name, and a line\n"
      "      Profiles: \"NAMES A\" -> \"NAMES B\" when the profiles or their order\n"
      "      differ); exit 1 when any does\n"
      "  sarnuconf preview INI --reader laser|imager|none [--suffix-code N]\n"
      "                        [--buffer-type N] [--type N] [--program NAME]\n"
      "                        [--] BARCODE...\n"
      "      per barcode: send=0, or\n"
      "      send=1 suffix=\"...\" output=\"...\" [clipboard=\"...\"] keys=...\n"
      "      --program      the program in front (its executable file): the barcode\n"
      "                     is filtered by the profile the wedge chooses for it and\n"
      "                     --type, and each line starts with profile=\"NAME\" or\n"
      "                     profile=none; without it the main sections filter, as\n"
      "                     for a program the wedge cannot identify\n"
      "      --suffix-code  laser: the suffix code (0 CR, 1 LF, 2 CR LF, 3 TAB, 4+ none;\n"
      "                     default 0); imager: the suffix character (default 0, none)\n"
      "      --buffer-type  3 pastes through the clipboard (default 0: keys)\n"
      "      --type         laser: the type code (512 carries FNC1); imager: the code\n"
      "                     of the symbology identifier character (73 I, 106 j); default 0\n"
      "      keys: each event as two hex digits of the virtual key and + (down) or\n"
      "      - (up); a character without a key as U+HHHH+ and U+HHHH- (its UTF-16 unit)\n"
      "  sarnuconf get INI SECTION KEY\n"
      "      prints the value; exit 1 when the key is missing or empty\n"
      "  sarnuconf set INI SECTION KEY VALUE\n"
      "      writes the value (taken as plain text); exit 1 when the file is read-only\n"
      "      or the value does not read back as written\n"
      "escaped form (barcodes, suffix, output, clipboard, decoded texts): printable\n"
      "ASCII as itself, \\\\ and \\\" for \\ and \", any other byte \\xHH (\\x1D is GS)\n"
      "INI is a path of this machine. Exit codes: 0 fine, 1 problems, differences or\n"
      "not found, 2 bad usage, unreadable file or bad number.\n",
      out);
}

int SarnuconfMain(int argc, char** argv, FILE* out, FILE* err) {
  const Io io{out, err};
  if (argc < 2 || argv[1] == nullptr) {
    return Fail(io, "no command given (sarnuconf help lists them)");
  }
  const char* name = argv[1];
  if (std::strcmp(name, "help") == 0 || std::strcmp(name, "--help") == 0 ||
      std::strcmp(name, "-h") == 0) {
    PrintUsage(out);
    return kExitOk;
  }
  for (const Command& command : kCommands) {
    if (std::strcmp(name, command.name) == 0) return command.run(io, argc - 2, argv + 2);
  }
  return Fail(io, "unknown command \"%s\" (sarnuconf help lists them)", name);
}
