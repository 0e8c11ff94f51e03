// "sarnuconf diff": which effective settings two SARNU.INI files disagree on,
// judged on show's lines, so that a key differs exactly when show would print
// it differently and spelling, order or comments in the files never count.
// Profiles pair up by name; a change in which profiles there are, or in
// their order (the order of matching), is one line of its own.
#include <string>
#include <vector>

#include "commands.h"
#include "profiles.h"
#include "sarnuconf.h"
#include "settings.h"

namespace {

// Quoted, so that an empty value and blanks at either end stay visible.
void PrintDifference(const Io& io, const std::string& name, const std::string& a,
                     const std::string& b) {
  std::fprintf(io.out, "%s: \"%s\" -> \"%s\"\n", name.c_str(), a.c_str(), b.c_str());
}

// Lines of the same list pair up line by line.
bool DiffLines(const Io& io, const std::vector<ShownSetting>& a,
               const std::vector<ShownSetting>& b) {
  bool differ = false;
  for (size_t i = 0; i < a.size() && i < b.size(); ++i) {
    if (a[i].value == b[i].value) continue;
    differ = true;
    PrintDifference(io, a[i].name, a[i].value, b[i].value);
  }
  return differ;
}

// Profile names compare as section names do, A-Z equal to a-z.
std::string NameKey(const char16_t* name) {
  std::string key = Utf8(name);
  for (char& c : key) {
    if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
  }
  return key;
}

std::string NameList(const Profiles& profiles, bool folded) {
  std::string list;
  for (size_t i = 0; i < profiles.Count(); ++i) {
    const char16_t* name = profiles.At(i).name;
    list += (i ? ";" : "") + (folded ? NameKey(name) : Utf8(name));
  }
  return list;
}

}  // namespace

int RunDiff(const Io& io, int argc, char** argv) {
  if (argc != 2) return Fail(io, "diff takes two INI files (sarnuconf diff A B)");
  char16_t pathA[kPathUnits], pathB[kPathUnits];
  if (!ResolveIniPath(io, argv[0], true, pathA)) return kExitUsage;
  if (!ResolveIniPath(io, argv[1], true, pathB)) return kExitUsage;

  const Settings a(kScannerLaser, pathA, u"");
  const Settings b(kScannerLaser, pathB, u"");
  bool differ = DiffLines(io, ShownSettings(a), ShownSettings(b));

  Profiles profilesA(a), profilesB(b);
  profilesA.Load(pathA);
  profilesB.Load(pathB);
  if (NameList(profilesA, true) != NameList(profilesB, true)) {
    differ = true;
    PrintDifference(io, "Profiles", NameList(profilesA, false), NameList(profilesB, false));
  }
  for (size_t i = 0; i < profilesA.Count(); ++i) {
    const std::string key = NameKey(profilesA.At(i).name);
    for (size_t k = 0; k < profilesB.Count(); ++k) {
      if (NameKey(profilesB.At(k).name) != key) continue;
      differ |= DiffLines(io, ShownProfile(profilesA.At(i)), ShownProfile(profilesB.At(k)));
    }
  }
  return differ ? kExitProblems : kExitOk;
}
