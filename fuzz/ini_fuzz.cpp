// Fuzzes the INI library with arbitrary file contents: lookups must stay in
// their buffers, profiles read from the file stay within their limit, and a
// rewrite must read back the value it wrote while every other key of the
// file keeps the value it had.
//
// Input: the whole of it is the file, written as it is; its last three bytes
// also pick the section, the key (and another key to watch) and the
// operation, so that plain INI files serve as seeds.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "file_io.h"
#include "ini_file.h"
#include "profiles.h"
#include "settings.h"
#include "wide_text.h"

namespace {

const char16_t* const kNames[] = {
    u"", u"Filter", u"BulkLimit", u"S", u"k", u"Trigger Start Up", u"a b", u"\u00E9\u20AC",
};
constexpr size_t kNameCount = sizeof kNames / sizeof kNames[0];
const char16_t kPath[] = u"\\Temp\\FUZZ.INI";

char gFreshRoot[] = "/tmp/sarnu-fuzz-XXXXXX";

void RemoveFreshRoot() {
  std::string root = gFreshRoot;
  for (const char* name : {"/Temp/FUZZ.INI.tmp", "/Temp/FUZZ.INI", "/Temp"}) {
    remove((root + name).c_str());
  }
  remove(root.c_str());
}

// A folder of its own under SARNU_ROOT (a fresh one when none is set).
void SetUpRoot() {
  static bool done = false;
  if (done) return;
  done = true;
  const char* root = getenv("SARNU_ROOT");
  if (!root || !root[0]) {
    if (!mkdtemp(gFreshRoot)) abort();
    setenv("SARNU_ROOT", gFreshRoot, 1);
    root = gFreshRoot;
    atexit(RemoveFreshRoot);
  }
  std::string temp = std::string(root) + "/Temp";
  mkdir(temp.c_str(), 0777);
}

std::u16string Lookup(const char16_t* section, const char16_t* key) {
  char16_t buffer[4096];
  size_t n = IniFind(section, key, buffer, 4096, kPath);
  if (n >= 4096 || (n > 0 && buffer[n] != 0)) abort();
  return std::u16string(buffer, n);
}

void Check(bool ok, const char* what) {
  if (!ok) {
    fprintf(stderr, "invariant broken: %s\n", what);
    abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  SetUpRoot();
  if (size < 3) return 0;
  const char16_t* section = kNames[data[size - 1] % kNameCount];
  const char16_t* key = kNames[1 + data[size - 2] % (kNameCount - 1)];  // never the empty key
  const char16_t* watched = kNames[(data[size - 2] >> 4) % kNameCount];
  uint8_t operation = data[size - 3];
  if (!FileReplaceThroughTemp(kPath, data, size)) return 0;

  // A short buffer gets a cut, terminated prefix of the whole value.
  std::u16string whole = Lookup(section, key);
  char16_t small[8];
  size_t n = IniFind(section, key, small, 8, kPath);
  Check(n == (whole.size() < 7 ? whole.size() : 7), "cut length");
  Check(small[n] == 0 || n == 0, "terminated");
  Check(whole.compare(0, n, small, n) == 0, "cut prefix");
  char16_t text[16];
  IniGetString(section, key, u"default", text, 16, kPath);
  Check(WideLength(text) < 16, "string terminated");
  IniGetInt(section, key, 7, kPath);

  // The profiles of the same text, over a record of defaults read from no
  // file; the choice among them is one of them or the main record.
  static const Settings main(kScannerNone, u"", u"");
  Profiles profiles(main);
  profiles.Load(kPath);
  Check(profiles.Count() <= Profiles::kMaxProfiles, "profile limit");
  Check(profiles.Find(key, static_cast<int8_t>(operation)) <= profiles.Count(), "profile choice");

  bool sameKey =
      WideLength(watched) == WideLength(key) && WideEqualNoCaseN(watched, key, WideLength(key));
  std::u16string before = Lookup(section, watched);
  if ((operation & 3) == 3) {
    // Dropping a section may bring a later one of that name forward, so only
    // survival is checked.
    Check(IniSetString(section, nullptr, nullptr, kPath), "drop section result");
    return 0;
  }
  if ((operation & 3) == 2) {
    Check(IniSetString(section, key, nullptr, kPath), "delete result");
    Check(Lookup(section, key).empty(), "deleted key is gone");
  } else {
    char16_t value[8] = {u'v'};
    for (int i = 1; i < 7; ++i)
      value[i] = static_cast<char16_t>(u'a' + ((operation >> 2) + i) % 26);
    value[7] = 0;
    Check(IniSetString(section, key, value, kPath), "set result");
    Check(Lookup(section, key) == value, "written value reads back");
  }
  if (!sameKey) Check(Lookup(section, watched) == before, "other key kept");
  return 0;
}
