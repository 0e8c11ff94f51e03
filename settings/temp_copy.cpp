// The temporary copy of SARNU.INI: every section save of one settings run
// goes to "\Temp\SARNU.INI", and the real file is replaced once, when the
// run ends, so the wedge never reads a half-saved configuration.
#include "file_io.h"
#include "settings.h"

namespace {

const char16_t kTempIniPath[] = u"\\Temp\\SARNU.INI";

}  // namespace

bool Settings::BeginTempCopy() {
  if (TempCopyActive) return false;
  SavedIniPath = IniPath;
  IniPath = kTempIniPath;
  TempCopyActive = 1;
  bool copied = FileCopy(SavedIniPath, kTempIniPath, false);
  // Without a real file to start from the saves must build the copy afresh;
  // a copy left behind by an earlier run would otherwise smuggle that run's
  // values into the real file at commit.
  if (!copied) FileDelete(kTempIniPath);
  return copied;
}

bool Settings::CommitTempCopy() {
  if (!TempCopyActive) return false;
  IniPath = SavedIniPath;
  TempCopyActive = 0;
  // The copy is kept when it cannot be put in place, so nothing saved is lost.
  if (!FileCopy(kTempIniPath, IniPath, false)) return false;
  return FileDelete(kTempIniPath);
}
