// Entry of sarnuconf on Windows: the command line comes as UTF-16 and is
// turned into the UTF-8 arguments that the commands take everywhere.
#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <string>
#include <vector>

#include "sarnuconf.h"
#include "wide_text.h"

int wmain(int argc, wchar_t** argv) {
  std::vector<std::string> texts(argc > 0 ? argc : 0);
  std::vector<char*> args;
  for (int i = 0; i < argc; ++i) {
    const char16_t* wide = reinterpret_cast<const char16_t*>(argv[i]);
    const size_t length = WideLength(wide);
    // A UTF-16 unit becomes at most three UTF-8 bytes.
    texts[i].resize(length * 3 + 1);
    texts[i].resize(WideToUtf8(wide, length, &texts[i][0], texts[i].size()));
    args.push_back(&texts[i][0]);
  }
  args.push_back(nullptr);
  // The same bytes on every system: lines end in LF here too, so scripts
  // can compare the output of both builds.
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
  return SarnuconfMain(argc, args.data(), stdout, stderr);
}
