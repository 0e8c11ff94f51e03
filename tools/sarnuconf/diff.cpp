// "sarnuconf diff": which effective settings two SARNU.INI files disagree on,
// judged on show's lines, so that a key differs exactly when show would print
// it differently and spelling, order or comments in the files never count.
#include <string>
#include <vector>

#include "commands.h"
#include "sarnuconf.h"
#include "settings.h"

int RunDiff(const Io& io, int argc, char** argv) {
  if (argc != 2) return Fail(io, "diff takes two INI files (sarnuconf diff A B)");
  char16_t pathA[kPathUnits], pathB[kPathUnits];
  if (!ResolveIniPath(io, argv[0], true, pathA)) return kExitUsage;
  if (!ResolveIniPath(io, argv[1], true, pathB)) return kExitUsage;

  const Settings a(kScannerLaser, pathA, u"");
  const Settings b(kScannerLaser, pathB, u"");
  const std::vector<ShownSetting> linesA = ShownSettings(a);
  const std::vector<ShownSetting> linesB = ShownSettings(b);
  // Both lists come from the same settings list, so they pair up line by line.
  bool differ = false;
  for (size_t i = 0; i < linesA.size() && i < linesB.size(); ++i) {
    if (linesA[i].value == linesB[i].value) continue;
    differ = true;
    // Quoted, so that an empty value and blanks at either end stay visible.
    std::fprintf(io.out, "%s: \"%s\" -> \"%s\"\n", linesA[i].name.c_str(), linesA[i].value.c_str(),
                 linesB[i].value.c_str());
  }
  return differ ? kExitProblems : kExitOk;
}
